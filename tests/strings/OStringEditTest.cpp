// Editing operations: positions and ranges, pattern edits, the in-place rules,
// trimming and case mapping.
#include "StringTestSupport.h"

using namespace Lumbra;

TEST_F(StringTest, EmptyRangeIsAcceptedEverywhereButRemoval)
{
    OString s = S(u"abc");
    s.insertTo(1, S(u"xyz"), 0, -1);
    s.replaceRange(0, -1, S(u"Q"));
    s.removeFirst(S(u"a"), 0, -1, true);
    s.removeAll(S(u"a"), 0, -1, true);
    s.replaceAll(S(u"a"), S(u"b"), 0, -1, true);
    EXPECT_EQ(U(s), u"abc");
    EXPECT_VM_ERROR(ERange, s.removeRange(0, -1));
    EXPECT_VM_ERROR(ERange, s.replaceRange(0, -1, OString()));
    EXPECT_VM_ERROR(ERange, s.replaceRange(3, 2, S(u"x")));
    EXPECT_VM_ERROR(ERange, s.removeRange(1, 3));
    EXPECT_EQ(U(s), u"abc");
}

TEST_F(StringTest, InsertAppendPrepend)
{
    OString s = S(u"ac");
    s.insertTo(1, S(u"xbx"), 1, 1);
    EXPECT_EQ(U(s), u"abc");
    s.append(S(u"de"));
    s.prepend(S(u">"));
    s.append(u'!');
    EXPECT_EQ(U(s), u">abcde!");
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.insertTo(8, S(u"x"), 0, 0));
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.insertTo(-1, S(u"x"), 0, 0));
    EXPECT_VM_ERROR(ERange, s.insertTo(0, S(u"x"), 0, 1));
    EXPECT_EQ(U(s), u">abcde!");
}

TEST_F(StringTest, InsertingAStringIntoItself)
{
    OString s = S(u"abc");
    s.insertTo(1, s, 0, 2);
    EXPECT_EQ(U(s), u"aabcbc");
    s.append(s);
    EXPECT_EQ(U(s), u"aabcbcaabcbc");
}

TEST_F(StringTest, InsertIntoEmptySharesWholeOther)
{
    OString other = S(u"shared");
    OString s;
    s.append(other);
    EXPECT_TRUE(s.sharesDataWith(other));
    OString part;
    part.append(S(u"x"));
    part.insertTo(0, other, 1, 2);
    EXPECT_EQ(U(part), u"hax");
}

TEST_F(StringTest, GrowingUsesTheWriteRule)
{
    OString s = S(u"abc");
    const char16_t* before = s.constData();
    s.append(S(u"defghij")); // 10 characters fit the capacity of 10
    EXPECT_EQ(s.constData(), before);
    EXPECT_EQ(s.capacity(), 10);
    s.append(u'k');
    EXPECT_EQ(s.capacity(), 13);
    EXPECT_EQ(U(s), u"abcdefghijk");
}

TEST_F(StringTest, RemovingShrinksOnlyBelowHalfTheCapacity)
{
    OString s = OString::filled(u'x', 20); // capacity 24
    const char16_t* before = s.constData();
    s.removeRange(0, 6); // 13 left: 12 < 13 stays in place
    EXPECT_EQ(s.constData(), before);
    EXPECT_EQ(s.capacity(), 24);
    s.removeAt(0); // 12 left: rebuilt at the capacity of 12
    EXPECT_EQ(s.capacity(), 14);
    EXPECT_EQ(U(s), std::u16string(12, u'x'));

    OString shared = OString::filled(u'y', 20);
    OString keeper = shared;
    shared.removeTail(1); // shared buffers are never changed
    EXPECT_EQ(keeper.length(), 20);
    EXPECT_EQ(shared.length(), 19);
    EXPECT_EQ(shared.capacity(), 22);
}

TEST_F(StringTest, ReplaceRange)
{
    OString s = S(u"hello world");
    s.replaceRange(0, 4, S(u"HELLO!"));
    EXPECT_EQ(U(s), u"HELLO! world");
    s.replaceRange(6, 11, S(u"?"));
    EXPECT_EQ(U(s), u"HELLO!?");
    OString r = S(u"new");
    s.replaceRange(0, 6, r);
    EXPECT_TRUE(s.sharesDataWith(r));
    s.replaceRange(1, 1, OString()); // empty replacement removes
    EXPECT_EQ(U(s), u"nw");
    EXPECT_EQ(U(r), u"new");
}

TEST_F(StringTest, RemoveAtHeadTailClear)
{
    OString s = S(u"abcdef");
    s.removeAt(2);
    EXPECT_EQ(U(s), u"abdef");
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.removeAt(5));
    s.removeHead(2);
    EXPECT_EQ(U(s), u"def");
    s.removeTail(1);
    EXPECT_EQ(U(s), u"de");
    EXPECT_VM_ERROR(EInvalidArgument, s.removeHead(3));
    EXPECT_VM_ERROR(EInvalidArgument, s.removeTail(-1));
    s.removeHead(0);
    EXPECT_EQ(U(s), u"de");
    s.removeTail(2);
    EXPECT_TRUE(s.isEmpty());
    s = S(u"x");
    s.clear();
    EXPECT_TRUE(s.isEmpty());
}

TEST_F(StringTest, RepeatInPlace)
{
    OString s = S(u"ab");
    s.repeat(3);
    EXPECT_EQ(U(s), u"ababab");
    s.repeat(1);
    EXPECT_EQ(U(s), u"ababab");
    OString copy = s;
    s.repeat(2);
    EXPECT_EQ(U(s), u"abababababab");
    EXPECT_EQ(U(copy), u"ababab");
    EXPECT_VM_ERROR(EInvalidArgument, s.repeat(-1));
    s.repeat(0);
    EXPECT_TRUE(s.isEmpty());
}

TEST_F(StringTest, RemoveAndReplaceFirstAndLast)
{
    OString s = S(u"one two one two");
    s.removeFirst(S(u"ONE "), 0, 14, false);
    EXPECT_EQ(U(s), u"two one two");
    s.removeLast(S(u" two"), 0, 10, true);
    EXPECT_EQ(U(s), u"two one");
    s.replaceFirst(S(u"o"), S(u"0"), 0, 6, true);
    EXPECT_EQ(U(s), u"tw0 one");
    s.replaceLast(S(u"O"), S(u"[o]"), 0, 6, false);
    EXPECT_EQ(U(s), u"tw0 [o]ne");
    s.replaceLast(S(u"n"), OString(), 0, 8, true);
    EXPECT_EQ(U(s), u"tw0 [o]e");
    s.replaceFirst(S(u"zz"), S(u"y"), 0, 7, true);
    s.removeFirst(S(u"zz"), 0, 7, true);
    EXPECT_EQ(U(s), u"tw0 [o]e");
}

TEST_F(StringTest, RemoveAllAndReplaceAll)
{
    OString s = S(u"a-b--c---");
    s.removeAll(S(u"--"), 0, 8, true);
    EXPECT_EQ(U(s), u"a-bc-");
    s = S(u"xAxax");
    s.replaceAll(S(u"a"), S(u"<>"), 0, 4, false);
    EXPECT_EQ(U(s), u"x<>x<>x");
    s.replaceAll(S(u"<>"), S(u"."), 1, 3, true); // only matches wholly inside
    EXPECT_EQ(U(s), u"x.x<>x");
    s.replaceAll(OString(), S(u"y"), 0, 5, true);
    EXPECT_EQ(U(s), u"x.x<>x");
    s.replaceAll(S(u"x"), OString(), 0, 5, true);
    EXPECT_EQ(U(s), u".<>");
    s.removeAll(S(u".<>"), 0, 2, true);
    EXPECT_TRUE(s.isEmpty());
    OString self = S(u"ab");
    self.replaceAll(S(u"b"), self, 0, 1, true);
    EXPECT_EQ(U(self), u"aab");
}

TEST_F(StringTest, ReplaceAllLongerReplacementInPlace)
{
    OString s = S(u"aaaaaa"); // capacity 10: the result of 10 units fits
    const char16_t* before = s.constData();
    s.replaceAll(S(u"a"), S(u"bc"), 1, 4, true);
    EXPECT_EQ(s.constData(), before);
    EXPECT_EQ(U(s), u"abcbcbcbca");
}

TEST_F(StringTest, TrimCollapsesInnerWhitespace)
{
    OString s = S(u"  a \t b  ");
    s.trim();
    EXPECT_EQ(U(s), u"a b");
    s = S(u"  a\t  b  ");
    s.trim();
    EXPECT_EQ(U(s), u"a\tb");
    s = S(u" \t\n ");
    s.trim();
    EXPECT_TRUE(s.isEmpty());
    OString unchanged = S(u"a b");
    OString copy = unchanged;
    unchanged.trim();
    EXPECT_TRUE(unchanged.sharesDataWith(copy));
    s = S(u"x\u00a0\u00a0y");
    s.trim();
    EXPECT_EQ(U(s), u"x\u00a0y");
}

TEST_F(StringTest, TrimStartAndEnd)
{
    OString s = S(u" \t ab c \n");
    OString copy = s;
    s.trimStart();
    EXPECT_EQ(U(s), u"ab c \n");
    s.trimEnd();
    EXPECT_EQ(U(s), u"ab c");
    EXPECT_EQ(U(copy), u" \t ab c \n");
    s = S(u"   ");
    s.trimEnd();
    EXPECT_TRUE(s.isEmpty());
    s = S(u"   ");
    s.trimStart();
    EXPECT_TRUE(s.isEmpty());
}

TEST_F(StringTest, CaseMapping)
{
    OString s = S(u"Hello \u00c9t\u00e9 \u03a3!");
    OString copy = s;
    s.toUpper();
    EXPECT_EQ(U(s), u"HELLO \u00c9T\u00c9 \u03a3!");
    s.toLower();
    EXPECT_EQ(U(s), u"hello \u00e9t\u00e9 \u03c3!");
    EXPECT_EQ(U(copy), u"Hello \u00c9t\u00e9 \u03a3!");
}
