// Random sequences of String natives run in the machine and in a small
// reference model of the same operations, compared line by line: every
// operation logs its result (or the string it changed), and an error ends
// the sequence with the error's two lines.
#include "NativeTestSupport.h"

#include <algorithm>
#include <cctype>
#include <random>

using namespace NativeTest;

namespace {

using Lines = std::vector<std::string>;

// The model's error: the VM error code the machine must raise.
struct ModelError {
    int code;
};

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool sameChar(char a, char b, bool caseSensitive)
{
    return caseSensitive ? a == b : lower(a) == lower(b);
}

// (start, count) -> inclusive (start, end), as the natives read them.
std::pair<int, int> rangeOf(int start, int count, int length)
{
    if (start < 0)
        throw ModelError{5};
    return {start, count < 0 ? length - 1 : start + count - 1};
}

// True for a non-empty valid range; false for (0, -1); code 5 otherwise.
bool checkSpan(int start, int end, int length)
{
    if (start == 0 && end == -1)
        return false;
    if (start < 0 || start > end || end >= length)
        throw ModelError{5};
    return true;
}

bool matchesAt(const std::string& s, const std::string& p, size_t at, bool caseSensitive)
{
    for (size_t k = 0; k < p.size(); ++k)
        if (!sameChar(s[at + k], p[k], caseSensitive))
            return false;
    return true;
}

int indexOf(const std::string& s, const std::string& p, int start, int end, bool caseSensitive)
{
    if (!checkSpan(start, end, int(s.size())) || p.empty())
        return -1;
    for (int i = start; i + int(p.size()) - 1 <= end; ++i)
        if (matchesAt(s, p, size_t(i), caseSensitive))
            return i;
    return -1;
}

int lastIndexOf(const std::string& s, const std::string& p, int start, int end, bool caseSensitive)
{
    if (!checkSpan(start, end, int(s.size())) || p.empty())
        return -1;
    for (int i = end - int(p.size()) + 1; i >= start; --i)
        if (matchesAt(s, p, size_t(i), caseSensitive))
            return i;
    return -1;
}

// Non-overlapping matches left to right over the whole string.
std::vector<size_t> matches(const std::string& s, const std::string& p, bool caseSensitive)
{
    std::vector<size_t> at;
    for (size_t i = 0; !p.empty() && i + p.size() <= s.size();) {
        if (matchesAt(s, p, i, caseSensitive)) {
            at.push_back(i);
            i += p.size();
        } else {
            ++i;
        }
    }
    return at;
}

std::string replaceAll(const std::string& s, const std::string& p, const std::string& by, bool caseSensitive)
{
    std::string out;
    size_t from = 0;
    for (size_t at : matches(s, p, caseSensitive)) {
        out += s.substr(from, at - from) + by;
        from = at + p.size();
    }
    return out + s.substr(from);
}

std::string trim(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

int compare(const std::string& a, const std::string& b, bool caseSensitive)
{
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const char x = caseSensitive ? a[i] : lower(a[i]);
        const char y = caseSensitive ? b[i] : lower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// An argument: a variable (copied from its stack position), a constant or an int.
struct CallArg {
    enum Kind { Variable, Text, Int } kind;
    std::string text;
    TWord value;
};
CallArg txt(const std::string& text)
{
    return CallArg{CallArg::Text, text, 0};
}
CallArg num(TWord value)
{
    return CallArg{CallArg::Int, "", value};
}

// One random sequence: builds the program and the model's expected log together.
class Sequence {
public:
    explicit Sequence(std::mt19937& rng) : rng(rng)
    {
        for (int i = 0; i < VARIABLES; ++i) {
            values[i] = randomText(6);
            positions[i] = program.text(values[i]);
        }
    }

    // Adds one operation; false once an error has ended the sequence.
    bool step()
    {
        const int v = pick(VARIABLES), w = pick(VARIABLES);
        std::string& s = values[v];
        const int length = int(s.size());
        try {
            switch (pick(15)) {
            case 0: // length
                call({at(v)}, 10, 1);
                logInt(length);
                break;
            case 1: { // append a character
                const char c = randomChar();
                call({at(v), num(c)}, 63, 0);
                s += c;
                logString(v);
                break;
            }
            case 2: { // append another (or the same) string
                const std::string other = values[w];
                call({at(v), at(w)}, 62, 0);
                s += other;
                logString(v);
                break;
            }
            case 3: { // insert before an index, sometimes outside
                const int index = rare() ? pick(length + 3) - 1 : pick(length + 1);
                const std::string other = values[w];
                call({at(v), at(w), num(index)}, 57, 0);
                if (index < 0 || index > length)
                    throw ModelError{2};
                s.insert(size_t(index), other);
                logString(v);
                break;
            }
            case 4: { // remove a range
                const int start = rare() ? pick(length + 2) - 1 : pick(std::max(length, 1));
                const int count = rare() ? pick(5) - 1 : validCount(length - start);
                if (length == 0 && !rare())
                    break;
                call({at(v), num(start), num(count)}, 94, 0);
                const auto [from, to] = rangeOf(start, count, length);
                if (from < 0 || from > to || to >= length)
                    throw ModelError{5};
                s.erase(size_t(from), size_t(to - from + 1));
                logString(v);
                break;
            }
            case 5: { // indexOf in a range, case-insensitive (shape 2)
                const std::string pattern = randomText(2, 1);
                const int start = rare() ? pick(length + 2) - 1 : pick(std::max(length, 1));
                const int count = rare() ? pick(6) - 1 : validCount(length - start);
                call({at(v), txt(pattern), num(start), num(count)}, 17, 1);
                const auto [from, to] = rangeOf(start, count, length);
                logInt(indexOf(s, pattern, from, to, false));
                break;
            }
            case 6: { // lastIndexOf with a case flag (shape 3)
                const std::string pattern = randomText(2, 1);
                const bool cs = pick(2);
                call({at(v), txt(pattern), num(cs)}, 26, 1);
                logInt(lastIndexOf(s, pattern, 0, length - 1, cs));
                break;
            }
            case 7: { // count with a case flag (shape 3)
                const std::string pattern = randomText(2, 1);
                const bool cs = pick(2);
                call({at(v), txt(pattern), num(cs)}, 38, 1);
                logInt(int(matches(s, pattern, cs).size()));
                break;
            }
            case 8: { // replaceAll by a character (shape 3)
                const std::string pattern = randomText(2, 1);
                const char c = randomChar();
                call({at(v), txt(pattern), num(c)}, 87, 0);
                s = replaceAll(s, pattern, std::string(1, c), false);
                logString(v);
                break;
            }
            case 9: { // removeAll (shape 1)
                const std::string pattern = randomText(2, 1);
                call({at(v), txt(pattern)}, 111, 0);
                s = replaceAll(s, pattern, "", false);
                logString(v);
                break;
            }
            case 10: { // case and trimming
                const int native = 126 + pick(3);
                call({at(v)}, native, 0);
                if (native == 126)
                    s = trim(s);
                else
                    std::transform(s.begin(), s.end(), s.begin(), [native](char c) {
                        return char(native == 127 ? std::tolower(c) : std::toupper(c));
                    });
                logString(v);
                break;
            }
            case 11: { // substring as a fresh reference
                const int start = rare() ? pick(length + 3) - 1 : pick(length + 1);
                const int count = rare() ? pick(5) - 1 : validCount(length - start);
                call({at(v), num(start), num(count)}, 150, 1);
                const auto [from, to] = rangeOf(start, count, length);
                std::string piece;
                if (count < 0)
                    piece = from < length ? s.substr(size_t(from)) : "";
                else if (checkSpan(from, to, length))
                    piece = s.substr(size_t(from), size_t(to - from + 1));
                program.logText();
                expected.push_back(piece);
                break;
            }
            case 12: { // exact equality
                call({at(v), at(w)}, 140, 1);
                logInt(s == values[w] ? 1 : 0);
                break;
            }
            case 13: { // compare with a case flag
                const bool cs = pick(2);
                call({at(v), at(w), num(cs)}, 138, 1);
                logInt(compare(s, values[w], cs));
                break;
            }
            default: { // startsWith, case-insensitive
                const std::string prefix = randomText(2, 1);
                call({at(v), txt(prefix)}, 44, 1);
                logInt(prefix.size() <= s.size() && compare(s.substr(0, prefix.size()), prefix, false) == 0);
                break;
            }
            }
        } catch (const ModelError& e) {
            expected = expected + error(e.code, e.code == 2 ? "IndexOutOfBoundsException" : "RangeException");
            return false;
        }
        return true;
    }

    Program program;
    Lines expected;

private:
    static constexpr int VARIABLES = 3;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    // Arguments are drawn from the whole range, errors included, now and then.
    bool rare() { return pick(25) == 0; }
    // -1 (to the end) or 1..available; a zero count is only valid at start 0.
    int validCount(int available) { return available <= 0 ? -1 : pick(available + 1) - 1 == 0 ? -1 : 1 + pick(available); }
    char randomChar()
    {
        static const char ALPHABET[] = "aAbB c";
        return ALPHABET[pick(6)];
    }
    std::string randomText(int maxLength, int minLength = 0)
    {
        std::string text;
        for (int n = minLength + pick(maxLength - minLength + 1); n > 0; --n)
            text += randomChar();
        return text;
    }
    CallArg at(int variable) { return CallArg{CallArg::Variable, "", TWord(positions[variable])}; }

    // Pushes the arguments (variables by copy) and calls the native.
    void call(std::initializer_list<CallArg> args, int native, int results)
    {
        for (const CallArg& a : args) {
            if (a.kind == CallArg::Text)
                program.text(a.text);
            else if (a.kind == CallArg::Variable)
                program.copy(a.value);
            else
                program.integer(a.value);
        }
        program.string(native, int(args.size()), results);
    }
    void logInt(int value)
    {
        program.logInt();
        expected.push_back(std::to_string(value));
    }
    void logString(int variable)
    {
        program.copy(positions[variable]);
        program.logText();
        expected.push_back(values[variable]);
    }

    std::mt19937& rng;
    std::string values[VARIABLES];
    int positions[VARIABLES] = {};
};

} // namespace

TEST(StringDifferential, RandomSequencesAgreeWithTheModel)
{
    constexpr unsigned RNG_START = 20261207;
    std::mt19937 rng(RNG_START);
    for (int sequence = 0; sequence < 300; ++sequence) {
        Sequence s(rng);
        for (int i = 0; i < 40 && s.step(); ++i) {
        }
        const RunResult result = run(s.program);
        ASSERT_EQ(result.log, s.expected) << "sequence " << sequence << "\n" << s.program.source();
    }
}
