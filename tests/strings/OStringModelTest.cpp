// Random strings, patterns and ranges checked against a plain std::u16string
// model of the same operations, case-sensitive and not.
#include "StringTestSupport.h"

#include <random>

using namespace Lumbra;

namespace {

const std::u16string ALPHABET = u"abAB \t\u00e9\u00c9";

char16_t modelLower(char16_t u)
{
    if (u >= 'A' && u <= 'Z')
        return char16_t(u + 32);
    return u == u'\u00c9' ? u'\u00e9' : u;
}

bool modelSame(char16_t a, char16_t b, bool cs)
{
    return cs ? a == b : modelLower(a) == modelLower(b);
}

bool modelMatch(const std::u16string& text, int at, const std::u16string& pattern, bool cs)
{
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (!modelSame(text[at + k], pattern[k], cs))
            return false;
    }
    return true;
}

// Match positions wholly inside [start, end], left to right, non-overlapping.
std::vector<int> modelMatches(const std::u16string& text, int start, int end, const std::u16string& pattern,
                              bool cs)
{
    std::vector<int> out;
    const int n = int(pattern.size());
    for (int p = start; n > 0 && p + n - 1 <= end;) {
        if (modelMatch(text, p, pattern, cs)) {
            out.push_back(p);
            p += n;
        } else {
            ++p;
        }
    }
    return out;
}

int modelLastIndex(const std::u16string& text, int start, int end, const std::u16string& pattern, bool cs)
{
    const int n = int(pattern.size());
    if (n == 0)
        return -1;
    for (int p = end - n + 1; p >= start; --p) {
        if (modelMatch(text, p, pattern, cs))
            return p;
    }
    return -1;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int modelCompareSign(const std::u16string& a, const std::u16string& b, bool cs)
{
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const char16_t x = cs ? a[i] : modelLower(a[i]);
        const char16_t y = cs ? b[i] : modelLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return sign(int(a.size()) - int(b.size()));
}

std::u16string modelReplace(const std::u16string& text, const std::vector<int>& matches, int patternLength,
                            const std::u16string& replacement)
{
    std::u16string out;
    int read = 0;
    for (int p : matches) {
        out += text.substr(read, p - read) + replacement;
        read = p + patternLength;
    }
    return out + text.substr(read);
}

bool isModelSpace(char16_t u)
{
    return u == ' ' || u == '\t';
}

std::u16string modelTrim(const std::u16string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isModelSpace(text[i]) && (out.empty() || isModelSpace(out.back())))
            continue;
        out.push_back(text[i]);
    }
    while (!out.empty() && isModelSpace(out.back()))
        out.pop_back();
    return out;
}

class Generator {
public:
    explicit Generator(unsigned rngStart) : rng(rngStart) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    std::u16string text(int maxLength)
    {
        std::u16string out(size_t(below(maxLength + 1)), u' ');
        for (char16_t& u : out)
            u = ALPHABET[below(int(ALPHABET.size()) - 2 + (below(4) == 0 ? 2 : 0))];
        return out;
    }

    // Mostly valid ranges, sometimes (0, -1), sometimes out of bounds.
    std::pair<int, int> range(int length)
    {
        const int kind = below(10);
        if (kind == 0 || length == 0)
            return {0, -1};
        if (kind == 1)
            return {below(length + 2) - 1, below(length + 2) - 1};
        const int a = below(length);
        const int b = a + below(length - a);
        return {a, b};
    }

private:
    std::mt19937 rng;
};

bool validRange(std::pair<int, int> r, int length)
{
    return r.first >= 0 && r.first <= r.second && r.second < length;
}

bool isEmptyRange(std::pair<int, int> r)
{
    return r.first == 0 && r.second == -1;
}

} // namespace

TEST_F(StringTest, SearchesMatchTheModel)
{
    Generator gen(1234);
    for (int round = 0; round < 3000; ++round) {
        const std::u16string text = gen.text(24);
        const std::u16string pattern = gen.text(3);
        const bool cs = gen.below(2) == 0;
        const auto [start, end] = gen.range(int(text.size()));
        const OString s = S(text);
        const OString p = S(pattern);
        SCOPED_TRACE(testing::Message() << "round " << round << " range " << start << ".." << end << " cs " << cs);

        if (!isEmptyRange({start, end}) && !validRange({start, end}, int(text.size()))) {
            EXPECT_VM_ERROR(ERange, s.indexOf(p, start, end, cs));
            EXPECT_VM_ERROR(ERange, s.count(p, start, end, cs));
            continue;
        }
        const std::vector<int> matches = modelMatches(text, start, end, pattern, cs);
        EXPECT_EQ(s.indexOf(p, start, end, cs), matches.empty() ? -1 : matches.front());
        EXPECT_EQ(s.lastIndexOf(p, start, end, cs), modelLastIndex(text, start, end, pattern, cs));
        EXPECT_EQ(s.count(p, start, end, cs), int(matches.size()));

        const std::u16string other = gen.below(3) == 0 ? text : gen.text(24);
        EXPECT_EQ(sign(s.compare(S(other), cs)), modelCompareSign(text, other, cs));
        EXPECT_EQ(s.equals(S(other), cs), modelCompareSign(text, other, cs) == 0);
        const bool prefix = !pattern.empty() && pattern.size() <= text.size() && modelMatch(text, 0, pattern, cs);
        EXPECT_EQ(s.startsWith(p, cs), prefix);
        const bool suffix = !pattern.empty() && pattern.size() <= text.size() &&
                            modelMatch(text, int(text.size() - pattern.size()), pattern, cs);
        EXPECT_EQ(s.endsWith(p, cs), suffix);
    }
}

TEST_F(StringTest, RepetitivePatternsMatchTheModel)
{
    // Mostly "a", a few "A" and "b", patterns up to 24 long: long partial
    // matches everywhere, so searches soon leave the start-by-start way and
    // every fallback of the linear scan is taken.
    Generator gen(777);
    auto repetitive = [&gen](int maxLength) {
        std::u16string out(size_t(gen.below(maxLength + 1)), u'a');
        for (char16_t& u : out)
            u = u"aaaaaaaaaaaaaaaaaaAb"[gen.below(20)];
        return out;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::u16string text = repetitive(200);
        const std::u16string pattern = repetitive(24);
        const bool cs = gen.below(2) == 0;
        const auto [start, end] = gen.range(int(text.size()));
        if (!validRange({start, end}, int(text.size())))
            continue;
        SCOPED_TRACE(testing::Message() << "round " << round << " range " << start << ".." << end << " cs " << cs);
        const OString s = S(text);
        const OString p = S(pattern);
        const std::vector<int> matches = modelMatches(text, start, end, pattern, cs);
        EXPECT_EQ(s.indexOf(p, start, end, cs), matches.empty() ? -1 : matches.front());
        EXPECT_EQ(s.lastIndexOf(p, start, end, cs), modelLastIndex(text, start, end, pattern, cs));
        EXPECT_EQ(s.count(p, start, end, cs), int(matches.size()));
        OString replaced = s;
        replaced.replaceAll(p, S(u"<>"), start, end, cs);
        EXPECT_EQ(U(replaced), pattern.empty() ? text : modelReplace(text, matches, int(pattern.size()), u"<>"));
    }
}

TEST_F(StringTest, EditsMatchTheModelAndNeverLeakIntoSharers)
{
    Generator gen(98765);
    for (int round = 0; round < 3000; ++round) {
        const std::u16string text = gen.text(24);
        const std::u16string pattern = gen.text(3);
        const std::u16string replacement = gen.text(4);
        const bool cs = gen.below(2) == 0;
        const auto range = gen.range(int(text.size()));
        const auto [start, end] = range;
        const bool valid = validRange(range, int(text.size()));
        SCOPED_TRACE(testing::Message() << "round " << round << " range " << start << ".." << end << " cs " << cs);

        OString s = S(text);
        OString sharer = s; // every edit below must leave this one alone
        std::u16string expected = text;
        bool raises = !valid && !isEmptyRange(range);
        switch (gen.below(6)) {
        case 0:
            if (!raises && !pattern.empty())
                expected = modelReplace(text, modelMatches(text, start, end, pattern, cs), int(pattern.size()),
                                        replacement);
            if (raises && pattern.empty())
                raises = false; // an empty pattern does nothing at all
            if (raises)
                EXPECT_VM_ERROR(ERange, s.replaceAll(S(pattern), S(replacement), start, end, cs));
            else
                s.replaceAll(S(pattern), S(replacement), start, end, cs);
            break;
        case 1:
            if (!raises)
                expected = modelReplace(text, modelMatches(text, start, end, pattern, cs), int(pattern.size()), u"");
            if (raises)
                EXPECT_VM_ERROR(ERange, s.removeAll(S(pattern), start, end, cs));
            else
                s.removeAll(S(pattern), start, end, cs);
            break;
        case 2:
            if (valid)
                expected = text.substr(0, start) + replacement + text.substr(end + 1);
            if (valid && replacement.empty())
                expected = text.substr(0, start) + text.substr(end + 1);
            if (valid || (isEmptyRange(range) && !replacement.empty()))
                s.replaceRange(start, end, S(replacement));
            else
                EXPECT_VM_ERROR(ERange, s.replaceRange(start, end, S(replacement)));
            break;
        case 3: {
            const int position = gen.below(int(text.size()) + 1);
            const std::u16string inserted = gen.text(5);
            const auto part = gen.range(int(inserted.size()));
            if (validRange(part, int(inserted.size()))) {
                expected.insert(size_t(position), inserted.substr(part.first, part.second - part.first + 1));
                s.insertTo(position, S(inserted), part.first, part.second);
            } else if (isEmptyRange(part)) {
                s.insertTo(position, S(inserted), part.first, part.second);
            } else {
                EXPECT_VM_ERROR(ERange, s.insertTo(position, S(inserted), part.first, part.second));
            }
            break;
        }
        case 4:
            if (valid) {
                expected = OString::substring(s, start, end).toU16();
                EXPECT_EQ(expected, text.substr(start, end - start + 1));
                s.removeRange(start, end);
                expected = text.substr(0, start) + text.substr(end + 1);
            } else {
                EXPECT_VM_ERROR(ERange, s.removeRange(start, end));
            }
            break;
        case 5:
            s.trim();
            expected = modelTrim(text);
            break;
        }
        EXPECT_EQ(U(s), expected);
        EXPECT_EQ(U(sharer), text);
        EXPECT_EQ(s.isEmpty(), expected.empty());
        if (!s.isEmpty()) {
            EXPECT_EQ(s.constData()[s.length()], 0);
        }
    }
}

TEST_F(StringTest, LongEditSequencesMatchTheModel)
{
    Generator gen(4242);
    OString s;
    std::u16string model;
    for (int step = 0; step < 20000; ++step) {
        const std::u16string piece = gen.text(6);
        switch (gen.below(5)) {
        case 0:
        case 1:
            s.append(S(piece));
            model += piece;
            break;
        case 2:
            if (!model.empty()) {
                const int at = gen.below(int(model.size()));
                const int n = 1 + gen.below(int(model.size()) - at);
                s.removeRange(at, at + n - 1);
                model.erase(size_t(at), size_t(n));
            }
            break;
        case 3: {
            const int at = gen.below(int(model.size()) + 1);
            s.insertTo(at, S(piece), 0, int(piece.size()) - 1);
            model.insert(size_t(at), piece);
            break;
        }
        case 4: {
            const int n = gen.below(int(model.size()) + 1);
            s.removeHead(n / 2);
            model.erase(0, size_t(n / 2));
            break;
        }
        }
        ASSERT_EQ(s.length(), int(model.size())) << "step " << step;
        ASSERT_GE(s.capacity(), s.length());
    }
    EXPECT_EQ(U(s), model);
}
