// Construction, buffer sharing and copy-on-write, capacity, character access.
#include "StringTestSupport.h"

#include "VUvarString.h"

#include <cstring>

using namespace Lumbra;

TEST_F(StringTest, CapacityRuleGivesAtLeastTenAndTwentyPercentMore)
{
    EXPECT_EQ(S(u"123456789").capacity(), 10);
    EXPECT_EQ(S(u"12345678901234567890").capacity(), 24);
    EXPECT_EQ(S(u"a").capacity(), 10);
    EXPECT_EQ(OString::filled(u'x', 100).capacity(), 120);
    EXPECT_EQ(StringData::capacityFor(0), 10);
    EXPECT_EQ(StringData::capacityFor(9), 10);
    EXPECT_EQ(StringData::capacityFor(10), 12);
    EXPECT_EQ(OString().capacity(), 0);
}

TEST_F(StringTest, EmptyStringsHaveNoBuffer)
{
    OString empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.constData(), nullptr);
    EXPECT_TRUE(OString::fromLatin1("").isEmpty());
    EXPECT_TRUE(OString::filled(u'a', 0).isEmpty());
    OString s = S(u"ab");
    s.removeRange(0, 1);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.constData(), nullptr);
}

TEST_F(StringTest, BuffersAreTerminatedArenaMemory)
{
    OString s = S(u"hello");
    const TAddr at = s.charAddress(1);
    EXPECT_TRUE(arena.contains(at, 2));
    EXPECT_EQ(reinterpret_cast<const char16_t*>(arena.raw(at)), s.constData() + 1);
    EXPECT_EQ(s.constData()[5], 0);
    s.append(S(u"!"));
    EXPECT_EQ(s.constData()[6], 0);
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.charAddress(6));
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.charAddress(-1));
}

TEST_F(StringTest, WriteThroughCharacterAddressIsSeenBySharers)
{
    OString a = S(u"abc");
    OString b = a;
    const TAddr at = a.charAddress(2);
    const char16_t z = u'z';
    std::memcpy(arena.resolve(at, 2), &z, 2);
    EXPECT_EQ(U(a), u"abz");
    EXPECT_EQ(U(b), u"abz");
}

TEST_F(StringTest, FreedBuffersGoBackToTheArena)
{
    TUint32 high = 0;
    for (int round = 0; round < 100; ++round) {
        OString s = OString::filled(u'q', 5000);
        s.append(s);
        if (round == 1)
            high = arena.highWater();
    }
    EXPECT_EQ(arena.highWater(), high);
}

TEST_F(StringTest, GrowthKeepsTheCapacityRuleWhereverTheBufferEndsUp)
{
    OString grown = OString::filled(u'g', 20000); // a buffer of pages at the arena's top
    const TAddr first = grown.charAddress(0);
    std::u16string model(20000, u'g');
    OString shared;
    for (int i = 0; i < 60000; ++i) {
        if (i == 30000)
            shared = grown; // a sharer: the next growth copies
        const int before = grown.capacity();
        const char16_t unit = char16_t(u'a' + i % 26);
        grown.append(unit);
        model.push_back(unit);
        if (grown.capacity() != before) {
            ASSERT_EQ(grown.capacity(), StringData::capacityFor(int(model.size()))) << i;
        }
        if (i < 30000) {
            ASSERT_EQ(grown.charAddress(0), first) << i; // grown where it lies
        }
    }
    EXPECT_NE(grown.charAddress(0), first);
    EXPECT_EQ(grown.toU16(), model);
    EXPECT_EQ(shared.toU16(), model.substr(0, 50000));
    // The two released buffers merge: a request larger than either fits them.
    grown.clear();
    shared.clear();
    const TUint32 high = arena.highWater();
    OString::filled(u'z', 120000).clear();
    EXPECT_EQ(arena.highWater(), high);
}

TEST_F(StringTest, CopiesShareAndEditsStayPrivate)
{
    OString a = S(u"abc");
    OString b = a;
    EXPECT_TRUE(a.sharesDataWith(b));
    b.append(u'd');
    EXPECT_FALSE(a.sharesDataWith(b));
    EXPECT_EQ(U(a), u"abc");
    EXPECT_EQ(U(b), u"abcd");

    OString c = a;
    a.toUpper();
    EXPECT_EQ(U(c), u"abc");
    EXPECT_EQ(U(a), u"ABC");

    OString d = c;
    d.removeAt(0);
    EXPECT_EQ(U(c), u"abc");
    EXPECT_EQ(U(d), u"bc");

    OString e = c;
    e.replaceAll(S(u"b"), S(u"XY"), 0, 2, true);
    EXPECT_EQ(U(c), u"abc");
    EXPECT_EQ(U(e), u"aXYc");
}

TEST_F(StringTest, SubstringOfWholeRangeSharesThenCopiesOnWrite)
{
    OString source = S(u"abc");
    OString whole = OString::substring(source, 0, 2);
    EXPECT_TRUE(whole.sharesDataWith(source));
    whole.replaceRange(1, 1, S(u"Z"));
    EXPECT_EQ(U(source), u"abc");
    EXPECT_EQ(U(whole), u"aZc");
    source.insertTo(0, S(u">"), 0, 0);
    EXPECT_EQ(U(whole), u"aZc");
    EXPECT_EQ(U(source), u">abc");
}

TEST_F(StringTest, AssignmentKeepsReferenceCountsRight)
{
    OString a = S(u"xyz");
    OString b;
    b = a;
    b = b; // self-assignment must not free the buffer
    a = OString();
    EXPECT_EQ(U(b), u"xyz");
    OString c = std::move(b);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(U(c), u"xyz");
    c.append(u'!'); // sole owner again: edits in place
    EXPECT_EQ(U(c), u"xyz!");
}

TEST_F(StringTest, HostTextConstructors)
{
    EXPECT_EQ(U(OString::fromLatin1("caf\xe9")), u"caf\u00e9");
    EXPECT_EQ(U(OString::fromLatin1("hello", 2)), u"llo");
    EXPECT_TRUE(OString::fromLatin1("hello", 5).isEmpty());
    EXPECT_TRUE(OString::fromLatin1("hello", -1).isEmpty());
    EXPECT_EQ(U(OString::fromLatin1("hello", 1, 3)), u"ell");
    EXPECT_TRUE(OString::fromLatin1("hello", 3, 2).isEmpty());
    EXPECT_TRUE(OString::fromLatin1("hello", -1, 2).isEmpty());
    EXPECT_EQ(U(OString::fromUtf16(u"w\u4e16rld", 1)), u"\u4e16rld");
    EXPECT_TRUE(OString::fromUtf16(u"abc", 3).isEmpty());
    EXPECT_EQ(U(OString::fromUtf16(u"abcdef", 2, 2)), u"c");
    EXPECT_TRUE(OString::fromUtf16(u"abcdef", 2, 1).isEmpty());
}

TEST_F(StringTest, VUvarStringRoundTrip)
{
    OString s = S(u"path/\u00e9");
    VUvarString host = s.toVUvar();
    EXPECT_EQ(host.size(), 6);
    EXPECT_EQ(host[5], 0xe9);
    EXPECT_EQ(U(OString::fromVUvar(host)), u"path/\u00e9");
    EXPECT_TRUE(OString::fromVUvar(VUvarString()).isEmpty());
}

TEST_F(StringTest, FilledAndRepeated)
{
    EXPECT_EQ(U(OString::filled(u'-', 3)), u"---");
    EXPECT_VM_ERROR(EInvalidArgument, OString::filled(u'-', -1));

    OString ab = S(u"ab");
    EXPECT_EQ(U(OString::repeated(ab, 3)), u"ababab");
    EXPECT_TRUE(OString::repeated(ab, 0).isEmpty());
    EXPECT_TRUE(OString::repeated(OString(), 5).isEmpty());
    EXPECT_TRUE(OString::repeated(ab, 1).sharesDataWith(ab));
    EXPECT_VM_ERROR(EInvalidArgument, OString::repeated(ab, -1));
}

TEST_F(StringTest, SubstringsAndTails)
{
    OString s = S(u"abcdef");
    EXPECT_EQ(U(OString::substring(s, 1, 3)), u"bcd");
    EXPECT_TRUE(OString::substring(s, 0, -1).isEmpty());
    EXPECT_VM_ERROR(ERange, OString::substring(s, 3, 2));
    EXPECT_VM_ERROR(ERange, OString::substring(s, 2, 6));
    EXPECT_VM_ERROR(ERange, OString::substring(s, -1, 2));
    EXPECT_TRUE(OString::substring(OString(), 0, -1).isEmpty());

    EXPECT_EQ(U(OString::tail(s, 4)), u"ef");
    EXPECT_TRUE(OString::tail(s, 0).sharesDataWith(s));
    EXPECT_TRUE(OString::tail(s, 6).isEmpty());
    EXPECT_TRUE(OString::tail(s, -1).isEmpty());
}

TEST_F(StringTest, SteppedSubstrings)
{
    OString s = S(u"0123456789");
    EXPECT_EQ(U(OString::stepped(s, 1, 8, 3)), u"147");
    EXPECT_EQ(U(OString::stepped(s, 0, 9, 1)), u"0123456789");
    EXPECT_EQ(U(OString::stepped(s, 2, 2, 5)), u"2");
    // The empty range is checked before the step.
    EXPECT_TRUE(OString::stepped(s, 0, -1, 0).isEmpty());
    EXPECT_VM_ERROR(EInvalidArgument, OString::stepped(s, 0, 3, 0));
    EXPECT_VM_ERROR(EInvalidArgument, OString::stepped(s, 0, 3, -2));
    EXPECT_VM_ERROR(ERange, OString::stepped(s, 5, 10, 2));
}

TEST_F(StringTest, CharacterAccess)
{
    OString s = S(u"xyz");
    EXPECT_EQ(s.charAt(0), u'x');
    EXPECT_EQ(s.first(), u'x');
    EXPECT_EQ(s.last(), u'z');
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.charAt(3));
    EXPECT_VM_ERROR(EIndexOutOfBounds, s.charAt(-1));
    EXPECT_VM_ERROR(EIndexOutOfBounds, OString().first());
    EXPECT_VM_ERROR(EIndexOutOfBounds, OString().last());
}

TEST_F(StringTest, IntegersToText)
{
    EXPECT_EQ(U(OString::fromInt(0)), u"0");
    EXPECT_EQ(U(OString::fromInt(-42)), u"-42");
    EXPECT_EQ(U(OString::fromInt(INT32_MIN)), u"-2147483648");
    EXPECT_EQ(U(OString::fromInt64(INT64_MIN)), u"-9223372036854775808");
    EXPECT_EQ(U(OString::fromInt64(1234567890123LL)), u"1234567890123");
    EXPECT_EQ(U(OString::fromUnsigned(255, 16)), u"ff");
    EXPECT_EQ(U(OString::fromUnsigned(TUint32(-1), 16)), u"ffffffff");
    EXPECT_EQ(U(OString::fromUnsigned(5, 2)), u"101");
    EXPECT_EQ(U(OString::fromUnsigned(35, 36)), u"z");
    EXPECT_EQ(U(OString::fromUnsigned(0, 8)), u"0");
    EXPECT_TRUE(OString::fromUnsigned(255, 37).isEmpty());
    EXPECT_TRUE(OString::fromUnsigned(255, 1).isEmpty());
}
