// In-process end-to-end runs of small assembled programs that call the String
// and Vector natives. A Program tracks the stack depth of the `main` it
// builds, so tests name values by the stack position they were pushed at.
// Results reach the test as log lines; an error raised by a native ends the
// run with two log lines: the error's message and its code.
#pragma once

#include "machine/VirtualMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace NativeTest {

class Program {
public:
    // ---- values; each answers the stack position it was pushed at
    int text(const std::string& utf8); // a fresh reference to a constant string
    int integer(TWord value);
    int resultBox();                    // an empty reference box
    // A new vector variable holding an empty vector of `elementSize` bytes;
    // its address (the handle) is pushed.
    int vector(int elementSize, bool ofReferences = false);
    int copy(int position);
    void drop(int count = 1);

    // ---- natives: `args` words are taken from the top, `results` left
    void string(int native, int args, int results);
    void vec(int group, int native, int args, int results);

    // ---- output
    void logInt();  // consumes the int on top
    void logText(); // consumes the string reference on top
    // Logs the count of the vector at `handle`, then each word of each of its
    // first `elements` elements (strings for group 7).
    void logVector(int handle, int group, int elements);

    // An instruction line with its effect on the depth.
    void line(const std::string& instruction, int depthChange);
    int depth() const { return depth_; }

    // The image source: `main` returns normally; extra text goes after it.
    // The machine tests' error hooks are added when the program runs.
    std::string source(const std::string& extra = "") const;

private:
    std::string constants;
    std::string code;
    int depth_ = 0;
    int strings = 0;
};

struct RunResult {
    std::vector<std::string> log;
    int status = -1;      // MachineStop status
    bool stopped = false; // ended by MachineStop
    std::string stopMessage;
};

// Assembles `source` with the error hooks and loads it, running main; `after`
// runs next (for host calls).
RunResult runSource(const std::string& source, const std::function<void(VirtualMachine&)>& after = {});
inline RunResult run(const Program& program) { return runSource(program.source()); }

// An argument of a native: a string constant's fresh reference or an int.
struct Arg {
    bool isText;
    std::string text;
    TWord value;
};
inline Arg T(const std::string& text) { return Arg{true, text, 0}; }
inline Arg I(TWord value) { return Arg{false, "", value}; }
// Pushes the arguments in order; answers the position of the first.
int pushArgs(Program& p, std::initializer_list<Arg> args);
// Runs String native `native` on `args` and logs the int it leaves.
std::vector<std::string> intOf(int native, std::initializer_list<Arg> args);
// Runs a mutating String native on `args` (the first being the string) and
// logs the string afterwards.
std::vector<std::string> afterEdit(int native, std::initializer_list<Arg> args);

// Log lines of ints, for expectations.
std::vector<std::string> ints(std::initializer_list<TInt64> values);
// The two lines an error raised with `code` and `message` logs.
std::vector<std::string> error(int code, const std::string& message);
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b);

} // namespace NativeTest
