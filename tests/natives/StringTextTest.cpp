// String natives on numbers and radixes, comparisons, and splitting into
// new object vectors.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {
using Lines = std::vector<std::string>;

Lines textOf(int native, std::initializer_list<Arg> args)
{
    Program p;
    pushArgs(p, args);
    p.string(native, int(args.size()), 1);
    p.logText();
    return run(p).log;
}

// Splits with `native` and logs the count and every piece.
Lines piecesOf(int native, std::initializer_list<Arg> args, int expectedPieces)
{
    Program p;
    pushArgs(p, args);
    p.string(native, int(args.size()), 1);
    const int handle = p.depth() - 1;
    p.logVector(handle, 7, expectedPieces);
    return run(p).log;
}
} // namespace

TEST(StringNumbers, DecimalAndRadixText)
{
    EXPECT_EQ(textOf(134, {I(-1234)}), Lines{"-1234"});
    EXPECT_EQ(textOf(134, {I(INT32_MIN)}), Lines{"-2147483648"});
    EXPECT_EQ(textOf(135, {I(255), I(16)}), Lines{"ff"});
    EXPECT_EQ(textOf(135, {I(-1), I(2)}), Lines{std::string(32, '1')}) << "unsigned";
    EXPECT_EQ(textOf(135, {I(35), I(36)}), Lines{"z"});
    EXPECT_EQ(textOf(135, {I(5), I(37)}), Lines{""});
    EXPECT_EQ(textOf(135, {I(5), I(1)}), Lines{""});
}

TEST(StringNumbers, ParsingWithAndWithoutRadix)
{
    EXPECT_EQ(intOf(136, {T("-42")}), ints({-42}));
    EXPECT_EQ(intOf(136, {T("x")}), error(4, "DataFormatException: "));
    EXPECT_EQ(intOf(137, {T("ff"), I(16)}), ints({255}));
    EXPECT_EQ(intOf(137, {T("-12"), I(10)}), ints({-12}));
    EXPECT_EQ(intOf(137, {T("-1"), I(16)}), error(4, "DataFormatException: "));
    EXPECT_EQ(intOf(137, {T("101"), I(2)}), ints({5}));
}

TEST(StringComparison, SignsAndCaseFlags)
{
    EXPECT_EQ(intOf(138, {T("abc"), T("abd"), I(1)}), ints({-1}));
    EXPECT_EQ(intOf(138, {T("b"), T("abc"), I(1)}), ints({1}));
    EXPECT_EQ(intOf(138, {T("ABC"), T("abc"), I(0)}), ints({0}));
    EXPECT_EQ(intOf(138, {T("abcdef"), T("abc"), I(1)}), ints({1})) << "a sign, not the length difference";
    EXPECT_EQ(intOf(139, {T("xxabcxx"), T("ABC"), I(2), I(3), I(0)}), ints({0}));
    EXPECT_EQ(intOf(139, {T("xxabcxx"), T("ABC"), I(2), I(3), I(1)}), ints({1}));
    EXPECT_EQ(intOf(139, {T("abc"), T("abd"), I(0), I(-1), I(1)}), ints({-1})) << "whole string";
    EXPECT_EQ(intOf(139, {T("abc"), T("abd"), I(-1), I(2), I(1)}), error(5, "RangeException"));
}

TEST(StringComparison, ExactOrderingNatives)
{
    // 140 ==, 141 !=, 142 <, 143 <=, 144 >, 145 >=
    const std::vector<std::pair<std::string, std::string>> pairs = {{"abc", "abc"}, {"abc", "abd"}, {"b", "a"},
                                                                    {"abc", "ABC"}};
    const int expected[4][6] = {{1, 0, 0, 1, 0, 1}, {0, 1, 1, 1, 0, 0}, {0, 1, 0, 0, 1, 1}, {0, 1, 0, 0, 1, 1}};
    for (size_t i = 0; i < pairs.size(); ++i)
        for (int n = 140; n <= 145; ++n)
            EXPECT_EQ(intOf(n, {T(pairs[i].first), T(pairs[i].second)}), ints({expected[i][n - 140]}))
                << pairs[i].first << " " << n;
}

TEST(StringComparison, EqualityAndRegions)
{
    EXPECT_EQ(intOf(146, {T("Abc"), T("aBC")}), ints({1}));
    EXPECT_EQ(intOf(147, {T("Abc"), T("aBC"), I(1)}), ints({0}));
    EXPECT_EQ(intOf(147, {T("Abc"), T("aBC"), I(0)}), ints({1}));
    EXPECT_EQ(intOf(148, {T("xxABCxx"), T("abc"), I(2), I(3)}), ints({1}));
    EXPECT_EQ(intOf(148, {T("xxABCxx"), T("abc"), I(2), I(4)}), ints({0}));
    EXPECT_EQ(intOf(148, {T("abc"), T("ABC"), I(0), I(-1)}), ints({1})) << "whole string";
    EXPECT_EQ(intOf(148, {T("abc"), T(""), I(0), I(-1)}), ints({0})) << "plain equals accepts empty";
    EXPECT_EQ(intOf(148, {T("abc"), T(""), I(1), I(1)}), error(6, "InvalidArgumentException"));
    EXPECT_EQ(intOf(149, {T("xxABCxx"), T("abc"), I(2), I(3), I(1)}), ints({0}));
    EXPECT_EQ(intOf(149, {T("xxABCxx"), T("ABC"), I(2), I(3), I(1)}), ints({1}));
}

TEST(StringSplit, PiecesBecomeFreshReferencesInAnObjectVector)
{
    EXPECT_EQ(piecesOf(50, {T("a;b;;c"), T(";")}, 3), (Lines{"3", "a", "b", "c"}));
    EXPECT_EQ(piecesOf(50, {T("abc"), T(";")}, 0), (Lines{"0"}));
    EXPECT_EQ(piecesOf(50, {T("abc"), T("")}, 0), error(6, "InvalidArgumentException"));
    EXPECT_EQ(piecesOf(50, {T("oneANDtwoandthree"), T("and")}, 3), (Lines{"3", "one", "two", "three"}));
    EXPECT_EQ(piecesOf(51, {T("oneANDtwoandthree"), T("and"), I(1)}, 2), (Lines{"2", "oneANDtwo", "three"}));
    EXPECT_EQ(piecesOf(52, {T("xAyaz"), I('a')}, 3), (Lines{"3", "x", "y", "z"}));
    EXPECT_EQ(piecesOf(53, {T("xAyaz"), I('a'), I(1)}, 2), (Lines{"2", "xAy", "z"}));
}

TEST(StringSplit, PiecesAreIndependentAndTheVectorGrows)
{
    Program p;
    p.text("k=v");
    p.text("=");
    p.string(50, 2, 1);
    const int handle = p.depth() - 1;
    p.copy(handle);
    p.integer(0);
    p.vec(7, 8, 2, 1); // the first piece
    p.integer('!');
    p.string(63, 2, 0);
    p.copy(handle);
    p.text("w");
    p.vec(7, 19, 2, 0); // append one more reference
    p.logVector(handle, 7, 3);
    EXPECT_EQ(run(p).log, (Lines{"3", "k!", "v", "w"}));
}
