// Program-building helpers for the numeric and value natives on top of the
// String/Vector test programs: Fixed values in two stack slots, variables
// addressed by slot, Long values logged as text.
#pragma once

#include "NativeTestSupport.h"
#include "values/OFixed.h"

#include <string>
#include <vector>

namespace NumbersTest {

using namespace NativeTest;
using Lines = std::vector<std::string>;

// Pushes a Fixed (two slots); answers the position of its low word.
int pushFixed(Program& p, TInt64 raw);
// Pushes the arena address of the stack value at `position`.
int addressOf(Program& p, int position);
// A Long variable in two stack slots; answers the position of its address.
int pushLong(Program& p, TInt64 value);
// Pushes the given words (a value-class variable); answers the first position.
int pushWords(Program& p, std::initializer_list<TWord> words);

// Logs the Fixed on top with all its digits and drops it.
void logFixed(Program& p);
// Logs the Long whose reference is on top (consumed).
void logLong(Program& p);
// Logs the ints at positions [first, first + n).
void logInts(Program& p, int first, int n);

// Runs `native` of `group` on the pushed words and logs the single int it leaves.
Lines intResult(int group, int native, std::initializer_list<TWord> args);
// Runs `native` of `group` on Fixed arguments and logs the Fixed it leaves.
Lines fixedResult(int group, int native, std::initializer_list<TInt64> args);

// The value of a logged Fixed text.
double valueOf(const std::string& text);
// True when the log holds exactly one error line pair with this code and prefix.
bool failedWith(const Lines& log, int code, const std::string& messagePrefix);

inline constexpr TInt64 ONE = TInt64(1) << 32;

} // namespace NumbersTest
