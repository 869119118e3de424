#include "VUvarString.h"
#include "VmErrorExpect.h"

#include <QString>

#include <climits>

namespace {

Str16 s(const char* text)
{
    return Str16(text);
}

std::string latin1(const Str16& str)
{
    return str.toLatin1();
}

TEST(VUvarString, CapacityRulesOfTheConstructors)
{
    Str16 empty("");
    EXPECT_EQ(empty.capacity(), 10);
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(s("abc").capacity(), 14);
    const unsigned short units[] = {'h', 'i', 0};
    EXPECT_EQ(Str16(units).capacity(), 13);
    EXPECT_EQ(Str16(units).count(), 2);
    EXPECT_EQ(Str16(5).capacity(), 11);
    EXPECT_EQ(Str16(5).count(), 0);
    EXPECT_EQ(Str16(0).capacity(), 7);
    EXPECT_EQ(Str16(-3).capacity(), 7);
    EXPECT_EQ(Str16("abcd", 4).capacity(), 10);
}

TEST(VUvarString, NullTextsRaiseNullPointer)
{
    EXPECT_VM_ERROR(Lumbra::ENullPointer, Str16(static_cast<const char*>(nullptr)));
    EXPECT_VM_ERROR(Lumbra::ENullPointer, Str16(static_cast<const unsigned short*>(nullptr)));
    EXPECT_VM_ERROR(Lumbra::ENullPointer, Str16(static_cast<const char*>(nullptr), 3));
}

TEST(VUvarString, BytesBecomeUnitsOfTheSameValue)
{
    const Str16 text("caf\xE9\xFF");
    ASSERT_EQ(text.count(), 5);
    EXPECT_EQ(text[3], 0xE9);
    EXPECT_EQ(text[4], 0xFF);
    const Str16 withZero("a\0b", 3);
    EXPECT_EQ(withZero.count(), 3);
    EXPECT_EQ(withZero[1], 0);
}

TEST(VUvarString, DecimalTextOfIntegers)
{
    EXPECT_EQ(latin1(Str16::fromInt(0)), "0");
    EXPECT_EQ(latin1(Str16::fromInt(-123)), "-123");
    EXPECT_EQ(latin1(Str16::fromInt(INT_MAX)), "2147483647");
    EXPECT_EQ(latin1(Str16::fromInt(INT_MIN)), "-2147483648");
}

TEST(VUvarString, MidChecksItsArguments)
{
    const Str16 text("hello");
    EXPECT_EQ(text.mid(1, 3), s("ell"));
    EXPECT_EQ(text.mid(2), s("llo"));
    EXPECT_EQ(text.mid(5).count(), 0);
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, text.mid(-1, 2));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, text.mid(1, -1));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, text.mid(3, 3));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, text.mid(6));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, text.mid(1, INT_MAX));
}

TEST(VUvarString, AppendReservesExactlyAndHandlesItself)
{
    Str16 text("abcdefgh"); // capacity 19
    text.append(s("0123456789ab"));
    EXPECT_EQ(text.capacity(), 20);
    EXPECT_EQ(text, s("abcdefgh0123456789ab"));
    Str16 twice("xy");
    twice.append(twice);
    twice.append(twice);
    EXPECT_EQ(twice, s("xyxyxyxy"));
}

TEST(VUvarString, IndexOfRestartsAfterFailedPartialMatch)
{
    EXPECT_EQ(s("aab").indexOf(s("ab")), 1);
    EXPECT_EQ(s("abababc").indexOf(s("ababc")), 2);
    EXPECT_EQ(s("abc").indexOf(s("abcd")), -1);
    EXPECT_EQ(s("xaXA").indexOf(s("xa"), 1), -1);
}

TEST(VUvarString, IndexOfRangeAndCase)
{
    const Str16 text("xabXAB");
    EXPECT_EQ(text.indexOf(s("AB")), 4);
    EXPECT_EQ(text.indexOf(s("AB"), 0, -1, false), 1);
    EXPECT_EQ(text.indexOf(s("ab"), 2, -1, false), 4);
    EXPECT_EQ(text.indexOf(s("ab"), 0, 2), -1); // match would end past the range
    EXPECT_EQ(text.indexOf(s("ab"), 0, 3), 1);
    EXPECT_EQ(text.indexOf(s("")), -1);
    EXPECT_EQ(Str16().indexOf(s("a")), -1);
    EXPECT_EQ(text.indexOf(s("b"), 6), -1);
    EXPECT_VM_ERROR(Lumbra::EIndexOutOfBounds, text.indexOf(s("a"), -1));
    EXPECT_VM_ERROR(Lumbra::EIndexOutOfBounds, text.indexOf(s("a"), 7));
    EXPECT_VM_ERROR(Lumbra::EIndexOutOfBounds, text.indexOf(s("a"), 2, 5));
}

TEST(VUvarString, PrefixSuffixAndUpperCase)
{
    const Str16 text("Index.MCB");
    EXPECT_TRUE(text.startsWith(s("Index")));
    EXPECT_FALSE(text.startsWith(s("index")));
    EXPECT_TRUE(text.startsWith(s("index"), false));
    EXPECT_TRUE(text.endsWith(s(".mcb"), false));
    EXPECT_FALSE(s("ab").endsWith(s("xab")));

    Str16 upper("a\xE9z1");
    upper.toUpper();
    EXPECT_EQ(upper, s("A\xC9Z1"));
}

TEST(VUvarString, ReplaceAllBuildsFromPieces)
{
    Str16 path("a///b");
    path.replaceAll(s("//"), s("/"));
    EXPECT_EQ(path, s("a//b"));

    Str16 dotted("a.b.c");
    dotted.replaceAll(s("."), s("::"));
    EXPECT_EQ(dotted, s("a::b::c"));

    Str16 gone("xAyaz");
    gone.replaceAll(s("a"), Str16(), false);
    EXPECT_EQ(gone, s("xyz"));

    Str16 untouched("abc");
    untouched.replaceAll(s("zz"), s("y"));
    EXPECT_EQ(untouched, s("abc"));
}

TEST(VUvarString, OneUnitReplaceAllWorksInPlaceAndEnds)
{
    Str16 text("banana");
    const unsigned short* buffer = text.data();
    text.replaceAll(s("a"), s("o"));
    EXPECT_EQ(text, s("bonono"));
    EXPECT_EQ(text.data(), buffer);

    Str16 same("aXa");
    same.replaceAll(s("a"), s("a"));
    EXPECT_EQ(same, s("aXa"));

    Str16 folded("aAxa");
    folded.replaceAll(s("a"), s("A"), false);
    EXPECT_EQ(folded, s("AAxA"));
}

TEST(VUvarString, Conversions)
{
    const unsigned short units[] = {0x141, 'b', 0xD83D, 0xDE00};
    const Str16 text(units, 4);
    const std::string low = text.toLatin1();
    ASSERT_EQ(low.size(), 4u);
    EXPECT_EQ(low[0], 'A');
    EXPECT_EQ(text.toUtf8(), "\xC5\x81" "b" "\xF0\x9F\x98\x80");
    EXPECT_EQ(Str16::fromU16(text.toU16()), text);
    EXPECT_EQ(Str16::fromQString(text.toQString()), text);
}

} // namespace
