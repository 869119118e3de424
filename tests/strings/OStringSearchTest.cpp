// Comparing and searching, with both case modes and the range rules.
#include "StringTestSupport.h"

using namespace Lumbra;

TEST_F(StringTest, CompareSigns)
{
    EXPECT_LT(S(u"abc").compare(S(u"abd"), true), 0);
    EXPECT_GT(S(u"abd").compare(S(u"abc"), true), 0);
    EXPECT_EQ(S(u"abc").compare(S(u"abc"), true), 0);
    EXPECT_EQ(S(u"ab").compare(S(u"abcd"), true), -2);
    EXPECT_EQ(S(u"abcd").compare(S(u"ab"), true), 2);
    EXPECT_EQ(S(u"b").compare(S(u"a"), true), 1);
    // Units compare unsigned: a high unit is greater than any ASCII one.
    EXPECT_GT(S(u"\uffff").compare(S(u"a"), true), 0);
    EXPECT_GT(S(u"a").compare(S(u"B"), true), 0);
    EXPECT_LT(S(u"a").compare(S(u"B"), false), 0);
    EXPECT_EQ(S(u"HeLLo").compare(S(u"hello"), false), 0);
    EXPECT_GT(S(u"x").compare(OString(), true), 0);
    EXPECT_EQ(OString().compare(OString(), true), 0);
    EXPECT_TRUE(S(u"a") < S(u"b"));
    EXPECT_TRUE(S(u"a") <= S(u"a"));
    EXPECT_TRUE(S(u"b") > S(u"a"));
    EXPECT_TRUE(S(u"b") >= S(u"b"));
    EXPECT_TRUE(S(u"A") != S(u"a"));
    EXPECT_TRUE(S(u"a") == S(u"a"));
}

TEST_F(StringTest, EqualsWithCase)
{
    EXPECT_TRUE(S(u"ABC").equals(S(u"abc"), false));
    EXPECT_FALSE(S(u"ABC").equals(S(u"abc"), true));
    EXPECT_FALSE(S(u"abc").equals(S(u"abcd"), false));
    EXPECT_TRUE(OString().equals(OString(), true));
    EXPECT_TRUE(S(u"\u00c9t\u00c9").equals(S(u"\u00e9T\u00e9"), false));
}

TEST_F(StringTest, RegionsCompareAgainstTheWholeOther)
{
    OString s = S(u"Hello World");
    EXPECT_EQ(s.compareRegion(S(u"World"), 6, 10, true), 0);
    EXPECT_EQ(s.compareRegion(S(u"world"), 6, 10, false), 0);
    EXPECT_GT(s.compareRegion(S(u"Wo"), 6, 10, true), 0);
    EXPECT_EQ(s.compareRegion(S(u"Wo"), 6, 10, true), 3);
    EXPECT_EQ(s.compareRegion(OString(), 6, 10, true), 5);
    EXPECT_EQ(s.compareRegion(S(u"Hello World"), 0, 10, true), 0);
    EXPECT_VM_ERROR(ERange, s.compareRegion(S(u"x"), 6, 11, true));

    EXPECT_TRUE(s.regionEquals(S(u"WORLD"), 6, 10, false));
    EXPECT_FALSE(s.regionEquals(S(u"WORLD"), 6, 10, true));
    EXPECT_FALSE(s.regionEquals(S(u"Wor"), 6, 10, true));
    EXPECT_FALSE(s.regionEquals(S(u"x"), 0, -1, true));
    EXPECT_VM_ERROR(EInvalidArgument, s.regionEquals(OString(), 1, 2, true));
    EXPECT_VM_ERROR(ERange, s.regionEquals(S(u"x"), 4, 3, true));
    // The whole range is plain equals, which accepts an empty other.
    EXPECT_FALSE(s.regionEquals(OString(), 0, 10, true));
    EXPECT_TRUE(OString().regionEquals(OString(), 0, -1, true));
}

TEST_F(StringTest, PrefixesAndSuffixes)
{
    OString s = S(u"filename.TXT");
    EXPECT_TRUE(s.startsWith(S(u"file"), true));
    EXPECT_FALSE(s.startsWith(S(u"FILE"), true));
    EXPECT_TRUE(s.startsWith(S(u"FILE"), false));
    EXPECT_TRUE(s.endsWith(S(u".txt"), false));
    EXPECT_FALSE(s.endsWith(S(u".txt"), true));
    EXPECT_FALSE(s.startsWith(OString(), true));
    EXPECT_FALSE(OString().endsWith(S(u"a"), true));
    EXPECT_FALSE(S(u"ab").startsWith(S(u"abc"), true));
    EXPECT_FALSE(S(u"ab").endsWith(S(u"xab"), true));
}

TEST_F(StringTest, IndexOfStaysInsideTheRange)
{
    OString s = S(u"abcabcab");
    EXPECT_EQ(s.indexOf(S(u"ca"), 0, 7, true), 2);
    EXPECT_EQ(s.indexOf(S(u"ca"), 3, 7, true), 5);
    EXPECT_EQ(s.indexOf(S(u"ca"), 3, 5, true), -1); // would end past the range
    EXPECT_EQ(s.indexOf(S(u"b"), 2, 7, true), 4);
    EXPECT_EQ(s.indexOf(S(u"B"), 0, 7, true), -1);
    EXPECT_EQ(s.indexOf(S(u"B"), 0, 7, false), 1);
    EXPECT_EQ(s.indexOf(S(u"CAB"), 0, 7, false), 2);
    EXPECT_EQ(s.indexOf(S(u"abcabcabc"), 0, 7, true), -1);
    EXPECT_EQ(s.indexOf(OString(), 0, 7, true), -1);
    EXPECT_EQ(s.indexOf(S(u"a"), 0, -1, true), -1);
    EXPECT_EQ(OString().indexOf(S(u"a"), 0, -1, true), -1);
    EXPECT_VM_ERROR(ERange, s.indexOf(S(u"a"), 3, 2, true));
    EXPECT_VM_ERROR(ERange, s.indexOf(S(u"a"), 0, 8, true));

    EXPECT_EQ(s.lastIndexOf(S(u"ab"), 0, 7, true), 6);
    EXPECT_EQ(s.lastIndexOf(S(u"ab"), 0, 6, true), 3);
    EXPECT_EQ(s.lastIndexOf(S(u"AB"), 0, 7, false), 6);
    EXPECT_EQ(s.lastIndexOf(S(u"c"), 0, 4, true), 2);
    EXPECT_EQ(s.lastIndexOf(S(u"x"), 0, 7, true), -1);
    EXPECT_EQ(s.lastIndexOf(S(u"a"), 0, -1, true), -1);
}

TEST_F(StringTest, SearchingAStringInItself)
{
    OString s = S(u"same");
    EXPECT_EQ(s.indexOf(s, 0, 3, true), 0);
    EXPECT_EQ(s.lastIndexOf(s, 0, 3, true), 0);
    OString copy = s;
    EXPECT_EQ(s.indexOf(copy, 0, 3, false), 0);
}

TEST_F(StringTest, CountIsNonOverlapping)
{
    OString s = S(u"aaaaa");
    EXPECT_EQ(s.count(S(u"aa"), 0, 4, true), 2);
    EXPECT_EQ(s.count(S(u"a"), 0, 4, true), 5);
    EXPECT_EQ(s.count(S(u"A"), 1, 3, false), 3);
    EXPECT_EQ(s.count(S(u"A"), 1, 3, true), 0);
    EXPECT_EQ(s.count(S(u"a"), 0, -1, true), 0);
    EXPECT_EQ(s.count(OString(), 0, 4, true), 0);
    EXPECT_EQ(S(u"abXabxab").count(S(u"ABX"), 0, 7, false), 2);
}

TEST_F(StringTest, MostFrequentCharacter)
{
    OString s = S(u"aAbBBc");
    EXPECT_EQ(s.mostFrequentChar(0, 5, true), u'B');
    EXPECT_EQ(s.mostFrequentChar(0, 5, false), u'b');
    EXPECT_EQ(s.mostFrequentChar(0, 1, false), u'a');
    // Ties go to the leftmost character.
    EXPECT_EQ(S(u"xyyx").mostFrequentChar(0, 3, true), u'x');
    EXPECT_EQ(S(u"xyyx").mostFrequentChar(1, 3, true), u'y');
    EXPECT_EQ(s.mostFrequentChar(0, -1, true), -1);
    EXPECT_VM_ERROR(EDataFormat, OString().mostFrequentChar(0, -1, true));
    EXPECT_VM_ERROR(ERange, s.mostFrequentChar(0, 6, true));
}

TEST_F(StringTest, AdversarialPatternsAreFoundInOnePass)
{
    // Nearly every start matches all but one end of the pattern: searching
    // again from each start would take some 10^10 comparisons.
    const std::u16string half(200000, u'a');
    const OString text = S(half + half), tailB = S(half + u'b'), headB = S(u'B' + half);
    for (bool cs : {true, false}) {
        EXPECT_EQ(text.indexOf(tailB, 0, 399999, cs), -1);
        EXPECT_EQ(text.lastIndexOf(headB, 0, 399999, cs), -1);
        EXPECT_EQ(text.count(tailB, 0, 399999, cs), 0);
    }
    OString hit = S(half + half + u'B' + half);
    EXPECT_EQ(hit.indexOf(tailB, 0, 600000, false), 200000);
    EXPECT_EQ(hit.lastIndexOf(headB, 0, 600000, true), 400000);
    hit.replaceAll(tailB, S(u"x"), 0, 600000, false);
    EXPECT_EQ(U(hit), half + u'x' + half);
}
