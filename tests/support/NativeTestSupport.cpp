#include "NativeTestSupport.h"

#include "MachineTestSupport.h"

namespace NativeTest {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

int Program::text(const std::string& utf8)
{
    const std::string name = "s" + std::to_string(strings++);
    constants += ".string " + name + " " + quoted(utf8) + "\n";
    line("pushstr " + name, 1);
    return depth_ - 1;
}

int Program::integer(TWord value)
{
    line("push " + std::to_string(value), 1);
    return depth_ - 1;
}

int Program::resultBox()
{
    integer(0);
    line("box", 0);
    return depth_ - 1;
}

int Program::vector(int elementSize, bool ofReferences)
{
    line(std::string("new ") + (ofReferences ? "7" : "6") + ", 2", 1);
    line("dup", 1);
    line("newvec " + std::to_string(elementSize), -1);
    return depth_ - 1;
}

int Program::copy(int position)
{
    line("pick " + std::to_string(position - depth_), 1);
    return depth_ - 1;
}

void Program::drop(int count)
{
    line("adjust " + std::to_string(-count), -count);
}

void Program::string(int native, int args, int results)
{
    vec(8, native, args, results);
}

void Program::vec(int group, int native, int args, int results)
{
    line("native " + std::to_string(group) + ", " + std::to_string(int(static_cast<signed char>(native))),
         results - args);
}

void Program::logInt()
{
    string(134, 1, 1);
    logText();
}

void Program::logText()
{
    line("native 30, 1", -1);
}

void Program::logVector(int handle, int group, int elements)
{
    copy(handle);
    vec(group, 11, 1, 1);
    logInt();
    const int slots = group == 1 || group == 7 ? 1 : group - 2;
    for (int i = 0; i < elements; ++i) {
        const int at = copy(handle);
        integer(i);
        if (group == 7) {
            vec(group, 8, 2, 1);
            logText();
            continue;
        }
        vec(group, 8, 2, 1 + slots);
        for (int k = 0; k < slots; ++k) {
            copy(at + 1 + k);
            logInt();
        }
        drop(1 + slots);
    }
}

void Program::line(const std::string& instruction, int depthChange)
{
    code += "    " + instruction + "\n";
    depth_ += depthChange;
}

std::string Program::source(const std::string& extra) const
{
    return ".method \"main\" code=main frame=Main\n.frame Main\n" + constants + "main:\n" + code + "    ret " +
           std::to_string(depth_) + ", " + std::to_string(depth_ + 1) + "\n" + extra;
}

RunResult runSource(const std::string& source, const std::function<void(VirtualMachine&)>& after)
{
    MachineTest::Machine machine;
    const MachineTest::Outcome outcome = machine.loadBytes(machine.assembleText(source + MachineTest::ERROR_HOOKS));
    RunResult result{outcome.logs, outcome.status, outcome.stopped, outcome.message};
    if (!outcome.stopped && after) {
        try {
            after(*machine.vm);
        } catch (const MachineStop& stop) {
            result.stopped = true;
            result.status = stop.status;
            result.stopMessage = stop.message;
        }
        result.log = machine.services.logs;
    }
    return result;
}

int pushArgs(Program& p, std::initializer_list<Arg> args)
{
    const int first = p.depth();
    for (const Arg& a : args)
        a.isText ? p.text(a.text) : p.integer(a.value);
    return first;
}

std::vector<std::string> intOf(int native, std::initializer_list<Arg> args)
{
    Program p;
    pushArgs(p, args);
    p.string(native, int(args.size()), 1);
    p.logInt();
    return run(p).log;
}

std::vector<std::string> afterEdit(int native, std::initializer_list<Arg> args)
{
    Program p;
    const int s = pushArgs(p, args);
    p.copy(s);
    p.line("load", 0);
    p.line("box", 0); // a second reference to the same string object
    const int other = p.depth() - 1;
    for (size_t i = 0; i < args.size(); ++i)
        p.copy(s + int(i));
    p.string(native, int(args.size()), 0);
    p.copy(other);
    p.logText();
    return run(p).log;
}

std::vector<std::string> ints(std::initializer_list<TInt64> values)
{
    std::vector<std::string> out;
    for (TInt64 v : values)
        out.push_back(std::to_string(v));
    return out;
}

std::vector<std::string> error(int code, const std::string& message)
{
    return {message, std::to_string(code)};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace NativeTest
