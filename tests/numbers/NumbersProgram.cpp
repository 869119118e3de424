#include "NumbersProgram.h"

#include "values/OFixed.h"

namespace NumbersTest {

int pushFixed(Program& p, TInt64 raw)
{
    p.line("push2 " + std::to_string(TWord(TUint32(TUint64(raw)))) + ", " + std::to_string(TWord(raw >> 32)), 2);
    return p.depth() - 2;
}

int addressOf(Program& p, int position)
{
    p.line("slotaddr " + std::to_string(position - p.depth()), 1);
    return p.depth() - 1;
}

int pushLong(Program& p, TInt64 value)
{
    return addressOf(p, pushFixed(p, value));
}

int pushWords(Program& p, std::initializer_list<TWord> words)
{
    const int first = p.depth();
    for (TWord w : words)
        p.integer(w);
    return first;
}

void logFixed(Program& p)
{
    addressOf(p, p.depth() - 2);
    p.vec(11, 25, 1, 1);
    p.logText();
    p.drop(2);
}

void logLong(Program& p)
{
    p.vec(12, 34, 1, 1);
    p.logText();
}

void logInts(Program& p, int first, int n)
{
    for (int i = 0; i < n; ++i) {
        p.copy(first + i);
        p.logInt();
    }
}

Lines intResult(int group, int native, std::initializer_list<TWord> args)
{
    Program p;
    pushWords(p, args);
    p.vec(group, native, int(args.size()), 1);
    p.logInt();
    return run(p).log;
}

Lines fixedResult(int group, int native, std::initializer_list<TInt64> args)
{
    Program p;
    for (TInt64 a : args)
        pushFixed(p, a);
    p.vec(group, native, 2 * int(args.size()), 2);
    logFixed(p);
    return run(p).log;
}

double valueOf(const std::string& text)
{
    return std::stod(text); // all digits, unlike Fixed parsing
}

bool failedWith(const Lines& log, int code, const std::string& messagePrefix)
{
    return log.size() == 2 && log[1] == std::to_string(code) && log[0].rfind(messagePrefix, 0) == 0;
}

} // namespace NumbersTest
