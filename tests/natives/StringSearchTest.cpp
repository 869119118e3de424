// String searches in all eight shapes, counts, most frequent characters,
// prefixes and suffixes, and the range searches 155-158.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {
const std::string S = "abcABCabc"; // occurrences of "bc", any case: 1, 4, 7
}

TEST(StringSearch, FirstOccurrenceWithLengthInTwoSlots)
{
    for (const auto& [pattern, position, length] :
         std::vector<std::tuple<std::string, int, int>>{{"LL", 2, 2}, {"x", 0, 0}, {"hello", 0, 5}, {"", 0, 0}}) {
        Program p;
        const int s = p.text("Hello");
        p.text(pattern);
        p.string(16, 2, 2);
        p.copy(s);
        p.logInt();
        p.copy(s + 1);
        p.logInt();
        EXPECT_EQ(run(p).log, ints({position, length})) << pattern;
    }
}

TEST(StringSearch, ForwardShapes)
{
    EXPECT_EQ(intOf(17, {T(S), T("BC"), I(2), I(-1)}), ints({4}));
    EXPECT_EQ(intOf(18, {T(S), T("BC"), I(1)}), ints({4}));
    EXPECT_EQ(intOf(18, {T(S), T("BC"), I(0)}), ints({1}));
    EXPECT_EQ(intOf(19, {T(S), T("bc"), I(2), I(6), I(1)}), ints({-1})) << "must fit inside the range";
    EXPECT_EQ(intOf(19, {T(S), T("bc"), I(2), I(-1), I(1)}), ints({7}));
    EXPECT_EQ(intOf(20, {T(S), I('B')}), ints({1}));
    EXPECT_EQ(intOf(21, {T(S), I('B'), I(2), I(3)}), ints({4}));
    EXPECT_EQ(intOf(22, {T(S), I('B'), I(1)}), ints({4}));
    EXPECT_EQ(intOf(23, {T(S), I('b'), I(2), I(-1), I(1)}), ints({7}));
    EXPECT_EQ(intOf(20, {T(S), I('z')}), ints({-1}));
    EXPECT_EQ(intOf(17, {T(S), T("bc"), I(-1), I(3)}), error(5, "RangeException"));
    EXPECT_EQ(intOf(17, {T(S), T("bc"), I(5), I(10)}), error(5, "RangeException"));
}

TEST(StringSearch, BackwardShapes)
{
    EXPECT_EQ(intOf(24, {T(S), T("BC")}), ints({7}));
    EXPECT_EQ(intOf(25, {T(S), T("BC"), I(0), I(6)}), ints({4}));
    EXPECT_EQ(intOf(26, {T(S), T("BC"), I(1)}), ints({4}));
    EXPECT_EQ(intOf(27, {T(S), T("bc"), I(0), I(6), I(1)}), ints({1}));
    EXPECT_EQ(intOf(28, {T(S), I('b')}), ints({7}));
    EXPECT_EQ(intOf(29, {T(S), I('b'), I(0), I(5)}), ints({4}));
    EXPECT_EQ(intOf(30, {T(S), I('B'), I(1)}), ints({4}));
    EXPECT_EQ(intOf(31, {T(S), I('b'), I(2), I(3), I(1)}), ints({-1}));
    EXPECT_EQ(intOf(29, {T(S), I('b'), I(-2), I(3)}), error(5, "RangeException"));
}

TEST(StringSearch, CountsInEveryShape)
{
    EXPECT_EQ(intOf(36, {T(S), T("bc")}), ints({3}));
    EXPECT_EQ(intOf(37, {T(S), T("bc"), I(3), I(-1)}), ints({2}));
    EXPECT_EQ(intOf(38, {T(S), T("bc"), I(1)}), ints({2}));
    EXPECT_EQ(intOf(39, {T(S), T("BC"), I(0), I(6), I(1)}), ints({1}));
    EXPECT_EQ(intOf(40, {T(S), I('a')}), ints({3}));
    EXPECT_EQ(intOf(41, {T(S), I('a'), I(1), I(5)}), ints({1}));
    EXPECT_EQ(intOf(42, {T(S), I('a'), I(1)}), ints({2}));
    EXPECT_EQ(intOf(43, {T(S), I('A'), I(0), I(-1), I(1)}), ints({1}));
    EXPECT_EQ(intOf(36, {T("aaaa"), T("aa")}), ints({2})) << "occurrences do not overlap";
}

TEST(StringSearch, MostFrequentCharacter)
{
    EXPECT_EQ(intOf(32, {T("AAbba")}), ints({'a'}));
    EXPECT_EQ(intOf(33, {T("AAbba"), I(2), I(2)}), ints({'b'}));
    EXPECT_EQ(intOf(34, {T("AAbba"), I(1)}), ints({'A'})) << "ties go to the leftmost";
    EXPECT_EQ(intOf(35, {T("AAbba"), I(2), I(3), I(1)}), ints({'b'}));
    EXPECT_EQ(intOf(32, {T("")}), error(4, "DataFormatException: "));
}

TEST(StringSearch, PrefixesAndSuffixes)
{
    EXPECT_EQ(intOf(44, {T("Hello"), T("he")}), ints({1}));
    EXPECT_EQ(intOf(45, {T("Hello"), T("he"), I(1)}), ints({0}));
    EXPECT_EQ(intOf(45, {T("Hello"), T("He"), I(1)}), ints({1}));
    EXPECT_EQ(intOf(46, {T("Hello"), T("LO")}), ints({1}));
    EXPECT_EQ(intOf(47, {T("Hello"), T("LO"), I(1)}), ints({0}));
    EXPECT_EQ(intOf(44, {T("He"), T("Hello")}), ints({0}));
}

TEST(StringSearch, RangeFirstSearches)
{
    EXPECT_EQ(intOf(155, {T(S), I(2), I(-1), T("BC")}), ints({4}));
    EXPECT_EQ(intOf(156, {T(S), I(0), I(-1), T("BC"), I(1)}), ints({4}));
    EXPECT_EQ(intOf(156, {T(S), I(0), I(-1), T("BC"), I(0)}), ints({1}));
    EXPECT_EQ(intOf(157, {T(S), I(0), I(6), T("bc")}), ints({4}));
    EXPECT_EQ(intOf(158, {T(S), I(0), I(-1), T("bc"), I(1)}), ints({7}));
    EXPECT_EQ(intOf(155, {T(S), I(-1), I(-1), T("bc")}), error(5, "RangeException"));
}
