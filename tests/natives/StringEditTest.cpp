// Mutating String natives: insertion, the three replace families, removal,
// case and trimming. Every edit is observed through a second reference to
// the same string object.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {
using Lines = std::vector<std::string>;
const std::string S = "abcABCabc";
} // namespace

TEST(StringEdit, InsertPrependAppendAndRepeat)
{
    EXPECT_EQ(afterEdit(57, {T("abef"), T("cd"), I(2)}), Lines{"abcdef"});
    EXPECT_EQ(afterEdit(57, {T("ab"), T("x"), I(3)}), error(2, "IndexOutOfBoundsException"));
    EXPECT_EQ(afterEdit(58, {T("ac"), I('b'), I(1)}), Lines{"abc"});
    EXPECT_EQ(afterEdit(59, {T("ad"), T("xbcx"), I(1), I(2), I(1)}), Lines{"abcd"});
    EXPECT_EQ(afterEdit(59, {T("ad"), T("xbcx"), I(1), I(-1), I(1)}), Lines{"abcxd"});
    EXPECT_EQ(afterEdit(59, {T("ad"), T("xbcx"), I(-1), I(2), I(1)}), error(5, "RangeException"));
    EXPECT_EQ(afterEdit(60, {T("def"), T("abc")}), Lines{"abcdef"});
    EXPECT_EQ(afterEdit(61, {T("bc"), I('a')}), Lines{"abc"});
    EXPECT_EQ(afterEdit(62, {T("ab"), T("cd")}), Lines{"abcd"});
    EXPECT_EQ(afterEdit(64, {T(""), T("cd")}), Lines{"cd"});
    EXPECT_EQ(afterEdit(63, {T("ab"), I('c')}), Lines{"abc"});
    EXPECT_EQ(afterEdit(65, {T("ab"), I('c')}), Lines{"abc"});
    EXPECT_EQ(afterEdit(66, {T("ab"), I(3)}), Lines{"ababab"});
    EXPECT_EQ(afterEdit(66, {T("ab"), I(-1)}), error(6, "InvalidArgumentException"));
}

TEST(StringEdit, AppendingAStringToItself)
{
    Program p;
    const int s = p.text("ab");
    p.copy(s);
    p.copy(s);
    p.string(62, 2, 0);
    p.copy(s);
    p.copy(s);
    p.string(60, 2, 0);
    p.copy(s);
    p.logText();
    EXPECT_EQ(run(p).log, Lines{"abababab"});
}

TEST(StringEdit, ReplaceRangeAndItsZeroCountVariants)
{
    EXPECT_EQ(afterEdit(67, {T("abcdef"), I(1), I(2), T("XYZ")}), Lines{"aXYZdef"});
    EXPECT_EQ(afterEdit(67, {T("abcdef"), I(1), I(2), T("")}), Lines{"adef"}) << "empty replacement removes";
    EXPECT_EQ(afterEdit(67, {T("abcdef"), I(-1), I(2), T("X")}), error(5, "RangeException"));
    EXPECT_EQ(afterEdit(68, {T("abcdef"), I(3), I(-1), I('!')}), Lines{"abc!"});
    EXPECT_EQ(afterEdit(152, {T("abcdef"), I(1), I(2), T("XY")}), Lines{"aXYdef"});
    EXPECT_EQ(afterEdit(152, {T("abcdef"), I(1), I(0), T("XY")}), Lines{"aXYbcdef"});
    EXPECT_EQ(afterEdit(152, {T("abc"), I(-1), I(0), T("XY")}), error(5, "RangeException"));
    // 154: s, from, to, other, start, count
    EXPECT_EQ(afterEdit(154, {T("abcdef"), I(0), I(0), T("XY"), I(1), I(2)}), Lines{"aXYdef"});
    EXPECT_EQ(afterEdit(154, {T("abcdef"), I(1), I(2), T("WXYZ"), I(1), I(0)}), Lines{"aXYbcdef"});
    EXPECT_EQ(afterEdit(154, {T("abcdef"), I(-1), I(2), T("WXYZ"), I(1), I(0)}), error(5, "RangeException"));
    EXPECT_EQ(afterEdit(154, {T("abcdef"), I(0), I(2), T("WXYZ"), I(-1), I(0)}), error(5, "RangeException"));
}

TEST(StringEdit, ReplaceFirstLastAndAllInEveryShape)
{
    // Shapes: 1 (s, old, new) 2 (+cs) 3 (s, old, ch) 4 (+cs) 5 (s, old, start, count, new) 6 (+cs) 7 8.
    const int families[] = {69, 77, 85};
    const Lines shape1[] = {{"a-ABCabc"}, {"abcABCa-"}, {"a-A-a-"}};
    const Lines shape2[] = {{"abcA-abc"}, {"abcA-abc"}, {"abcA-abc"}};
    const Lines shape3[] = {{"a#ABCabc"}, {"abcABCa#"}, {"a#A#a#"}};
    const Lines shape4[] = {{"a#ABCabc"}, {"abcABCa#"}, {"a#ABCa#"}};
    const Lines shape5[] = {{"abcA-abc"}, {"abcA-abc"}, {"abcA-abc"}};
    const Lines shape6[] = {{"abcABCa-"}, {"abcABCa-"}, {"abcABCa-"}};
    const Lines shape7[] = {{"abcA#abc"}, {"abcABCa#"}, {"abcA#a#"}};
    const Lines shape8[] = {{"abcABCabc"}, {"abcABCabc"}, {"abcABCabc"}};
    for (int f = 0; f < 3; ++f) {
        const int n = families[f];
        EXPECT_EQ(afterEdit(n, {T(S), T("bc"), T("-")}), shape1[f]) << n;
        EXPECT_EQ(afterEdit(n + 1, {T(S), T("BC"), T("-"), I(1)}), shape2[f]) << n + 1;
        EXPECT_EQ(afterEdit(n + 2, {T(S), T("bc"), I('#')}), shape3[f]) << n + 2;
        EXPECT_EQ(afterEdit(n + 3, {T(S), T("bc"), I('#'), I(1)}), shape4[f]) << n + 3;
        EXPECT_EQ(afterEdit(n + 4, {T(S), T("bc"), I(2), I(5), T("-")}), shape5[f]) << n + 4;
        EXPECT_EQ(afterEdit(n + 5, {T(S), T("bc"), I(2), I(-1), T("-"), I(1)}), shape6[f]) << n + 5;
        EXPECT_EQ(afterEdit(n + 6, {T(S), T("bc"), I(f == 1 ? 5 : 2), I(-1), I('#')}), shape7[f]) << n + 6;
        EXPECT_EQ(afterEdit(n + 7, {T(S), T("bc"), I(0), I(6), I('#'), I(1)}), Lines{"a#ABCabc"}) << n + 7;
        EXPECT_EQ(afterEdit(n + 4, {T(S), T("bc"), I(-1), I(5), T("-")}), error(5, "RangeException")) << n + 4;
        EXPECT_EQ(afterEdit(n + 7, {T(S), T("bc"), I(2), I(5), I('#'), I(1)}), shape8[f]) << n + 7;
    }
}

TEST(StringEdit, RangeReplaceAll)
{
    EXPECT_EQ(afterEdit(159, {T(S), I(1), I(7), T("BC"), T("_")}), Lines{"a_A_abc"});
    EXPECT_EQ(afterEdit(160, {T(S), I(1), I(7), T("BC"), T("_"), I(1)}), Lines{"abcA_abc"});
    EXPECT_EQ(afterEdit(160, {T(S), I(0), I(-1), T("bc"), T(""), I(1)}), Lines{"aABCa"});
    EXPECT_EQ(afterEdit(159, {T(S), I(-1), I(7), T("BC"), T("_")}), error(5, "RangeException"));
}

TEST(StringEdit, RemovalByPositionAndPattern)
{
    EXPECT_EQ(afterEdit(93, {T("abc"), I(1)}), Lines{"ac"});
    EXPECT_EQ(afterEdit(93, {T("abc"), I(3)}), error(2, "IndexOutOfBoundsException"));
    EXPECT_EQ(afterEdit(94, {T("abcdef"), I(1), I(3)}), Lines{"aef"});
    EXPECT_EQ(afterEdit(94, {T("abcdef"), I(2), I(-1)}), Lines{"ab"});
    EXPECT_EQ(afterEdit(94, {T("abcdef"), I(2), I(0)}), error(5, "RangeException"));
    EXPECT_EQ(afterEdit(94, {T("abcdef"), I(-2), I(1)}), error(5, "RangeException"));
    // removeFirst / removeLast / removeAll, shapes 1, 4, 5 and 8.
    EXPECT_EQ(afterEdit(95, {T(S), T("BC")}), Lines{"aABCabc"});
    EXPECT_EQ(afterEdit(98, {T(S), T("bc"), I(2), I(-1), I(1)}), Lines{"abcABCa"});
    EXPECT_EQ(afterEdit(99, {T(S), I('A')}), Lines{"bcABCabc"});
    EXPECT_EQ(afterEdit(102, {T(S), I('a'), I(1), I(5), I(1)}), Lines{S}) << "no exact 'a' in 1..5";
    EXPECT_EQ(afterEdit(103, {T(S), T("BC")}), Lines{"abcABCa"});
    EXPECT_EQ(afterEdit(106, {T(S), T("bc"), I(0), I(6), I(1)}), Lines{"aABCabc"});
    EXPECT_EQ(afterEdit(107, {T(S), I('A')}), Lines{"abcABCbc"});
    EXPECT_EQ(afterEdit(110, {T(S), I('B'), I(0), I(6), I(1)}), Lines{"abcACabc"});
    EXPECT_EQ(afterEdit(111, {T(S), T("BC")}), Lines{"aAa"});
    EXPECT_EQ(afterEdit(113, {T(S), T("BC"), I(1)}), Lines{"abcAabc"});
    EXPECT_EQ(afterEdit(115, {T(S), I('c')}), Lines{"abABab"});
    EXPECT_EQ(afterEdit(118, {T(S), I('c'), I(3), I(-1), I(1)}), Lines{"abcABCab"});
    EXPECT_EQ(afterEdit(112, {T(S), T("bc"), I(-1), I(2)}), error(5, "RangeException"));
}

TEST(StringEdit, HeadTailAndClear)
{
    EXPECT_EQ(afterEdit(119, {T("abc")}), Lines{"bc"});
    EXPECT_EQ(afterEdit(120, {T("abc"), I(2)}), Lines{"c"});
    EXPECT_EQ(afterEdit(120, {T("abc"), I(4)}), error(6, "InvalidArgumentException"));
    EXPECT_EQ(afterEdit(121, {T("abc")}), Lines{"ab"});
    EXPECT_EQ(afterEdit(122, {T("abc"), I(3)}), Lines{""});
    EXPECT_EQ(afterEdit(122, {T("abc"), I(-1)}), error(6, "InvalidArgumentException"));
    EXPECT_EQ(afterEdit(123, {T("abc")}), Lines{""});
}

TEST(StringEdit, CaseAndTrimming)
{
    EXPECT_EQ(afterEdit(124, {T("  a b  ")}), Lines{"a b  "});
    EXPECT_EQ(afterEdit(125, {T("  a b  ")}), Lines{"  a b"});
    EXPECT_EQ(afterEdit(126, {T(" \t a \t b  ")}), Lines{"a b"});
    EXPECT_EQ(afterEdit(127, {T("MiXeD \xC3\x84")}), Lines{"mixed \xC3\xA4"});
    EXPECT_EQ(afterEdit(128, {T("MiXeD \xC3\xA4")}), Lines{"MIXED \xC3\x84"});
    EXPECT_EQ(intOf(129, {I('Q')}), ints({'q'}));
    EXPECT_EQ(intOf(129, {I(0x10000 + 0xC4)}), ints({0xE4})) << "only the low 16 bits count";
    EXPECT_EQ(intOf(130, {I('q')}), ints({'Q'}));
    EXPECT_EQ(intOf(131, {I(0xE4)}), ints({1}));
    EXPECT_EQ(intOf(131, {I('1')}), ints({0}));
    EXPECT_EQ(intOf(132, {I('7')}), ints({1}));
    EXPECT_EQ(intOf(132, {I('x')}), ints({0}));
    EXPECT_EQ(intOf(133, {I('\t')}), ints({1}));
    EXPECT_EQ(intOf(133, {I('_')}), ints({0}));
}
