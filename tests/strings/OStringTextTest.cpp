// Text formats: parsing integers, UTF-8 in both directions, splitting.
#include "StringTestSupport.h"

#include <vector>

using namespace Lumbra;

namespace {

OStringBytes bytesOf(std::initializer_list<int> values)
{
    OStringBytes bytes;
    for (int v : values)
        bytes.append((unsigned char)v);
    return bytes;
}

std::vector<int> asInts(const OStringBytes& bytes)
{
    return std::vector<int>(bytes.begin(), bytes.end());
}

std::vector<std::u16string> piecesOf(const OStringPieces& pieces)
{
    std::vector<std::u16string> out;
    for (const OString& piece : pieces)
        out.push_back(piece.toU16());
    return out;
}

} // namespace

TEST_F(StringTest, ParseDecimal)
{
    EXPECT_EQ(S(u" 42xyz").parseInt(), 42);
    EXPECT_EQ(S(u"-7").parseInt(), -7);
    EXPECT_EQ(S(u"+15").parseInt(), 15);
    EXPECT_EQ(S(u"+-0").parseInt(), 0);
    EXPECT_EQ(S(u"\t\n 007").parseInt(), 7);
    EXPECT_EQ(S(u"2147483648").parseInt(), INT32_MIN); // wraps, no overflow check
    EXPECT_EQ(S(u"-2147483648").parseInt(), INT32_MIN);
    EXPECT_EQ(S(u"4294967297").parseInt(), 1);
    EXPECT_VM_ERROR(EDataFormat, S(u"+-5").parseInt());
    EXPECT_VM_ERROR(EDataFormat, S(u"+-").parseInt());
    EXPECT_VM_ERROR(EDataFormat, OString().parseInt());
    EXPECT_VM_ERROR(EDataFormat, S(u"   ").parseInt());
    EXPECT_VM_ERROR(EDataFormat, S(u"-").parseInt());
    EXPECT_VM_ERROR(EDataFormat, S(u"x1").parseInt());
    EXPECT_VM_ERROR(EDataFormat, S(u"--1").parseInt());
    EXPECT_EQ(S(u"12").parseInt(10), 12);
}

TEST_F(StringTest, ParseWithRadix)
{
    EXPECT_EQ(S(u"ff").parseInt(16), 255);
    EXPECT_EQ(S(u"  FFzz").parseInt(16), 255);
    EXPECT_EQ(S(u"-12").parseInt(10), -12);
    EXPECT_EQ(S(u"101").parseInt(2), 5);
    EXPECT_EQ(S(u"Zz").parseInt(36), 35 * 36 + 35);
    EXPECT_EQ(S(u"ffffffff").parseInt(16), -1);
    EXPECT_EQ(S(u"100000001").parseInt(16), 1); // 32-bit wrap-around
    EXPECT_EQ(S(u"12").parseInt(2), 1);
    EXPECT_VM_ERROR(EDataFormat, S(u"-1").parseInt(16));
    EXPECT_VM_ERROR(EDataFormat, S(u"+1").parseInt(16));
    EXPECT_VM_ERROR(EDataFormat, S(u"2").parseInt(2));
    EXPECT_VM_ERROR(EDataFormat, S(u" ").parseInt(16));
    EXPECT_VM_ERROR(EDataFormat, OString().parseInt(16));
    EXPECT_VM_ERROR(EInvalidArgument, S(u"1").parseInt(37));
    EXPECT_VM_ERROR(EInvalidArgument, S(u"1").parseInt(1));
    EXPECT_VM_ERROR(EInvalidArgument, OString().parseInt(0));
}

TEST_F(StringTest, EncodeUtf8UnitByUnit)
{
    EXPECT_EQ(asInts(S(u"A\u00e9\u20ac").toUtf8()),
              (std::vector<int>{0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
    EXPECT_EQ(asInts(S(u"\u07ff\u0800").toUtf8()), (std::vector<int>{0xDF, 0xBF, 0xE0, 0xA0, 0x80}));
    // A surrogate pair becomes two three-byte sequences.
    EXPECT_EQ(asInts(S(u"\U0001F600").toUtf8()),
              (std::vector<int>{0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}));
    EXPECT_TRUE(OString().toUtf8().isEmpty());
}

TEST_F(StringTest, DecodeValidUtf8)
{
    EXPECT_EQ(U(OString::fromUtf8(bytesOf({0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}))), u"A\u00e9\u20ac");
    EXPECT_EQ(U(OString::fromUtf8(bytesOf({0xE0, 0xA0, 0x80, 0xED, 0x9F, 0xBF}))), u"\u0800\ud7ff");
    EXPECT_EQ(U(OString::fromUtf8(bytesOf({0xEF, 0xBF, 0xBF}))), u"\uffff");
    EXPECT_EQ(U(OString::fromUtf8(bytesOf({0xF0, 0x9F, 0x98, 0x80}))), u"\U0001F600");
    EXPECT_EQ(U(OString::fromUtf8(bytesOf({0xF4, 0x8F, 0xBF, 0xBF}))), u"\U0010FFFF");
    EXPECT_TRUE(OString::fromUtf8(OStringBytes()).isEmpty());
    OString round = S(u"x\u00ff\u0100\u7fff\uabcd");
    EXPECT_EQ(U(OString::fromUtf8(round.toUtf8())), U(round));
}

TEST_F(StringTest, DecodeRejectsEveryInvalidSequence)
{
    const std::vector<std::vector<int>> invalid = {
        {0x80},             // continuation byte as lead
        {0xBF},
        {0xC0, 0x80},       // overlong lead bytes
        {0xC1, 0xBF},
        {0xF5, 0x80, 0x80, 0x80}, // lead bytes above 0xF4
        {0xFF},
        {0xC3},             // cut short by the end
        {0xE2, 0x82},
        {0xF0, 0x9F, 0x98},
        {0xC3, 0x41},       // continuation byte outside 0x80-0xBF
        {0xC3, 0xC0},
        {0xE0, 0x9F, 0x80}, // second byte below 0xA0 after 0xE0
        {0xED, 0xA0, 0x80}, // second byte above 0x9F after 0xED
        {0xF0, 0x8F, 0x80, 0x80}, // second byte below 0x90 after 0xF0
        {0xF4, 0x90, 0x80, 0x80}, // second byte above 0x8F after 0xF4
        {0xE2, 0x82, 0x41}, // bad third byte
        {0xF0, 0x9F, 0x98, 0xC0}, // bad fourth byte
        {0x41, 0x42, 0xE2}, // good text, then a cut sequence
    };
    for (const auto& sequence : invalid) {
        OStringBytes bytes;
        for (int b : sequence)
            bytes.append((unsigned char)b);
        EXPECT_VM_ERROR(EDataFormat, OString::fromUtf8(bytes));
    }
}

TEST_F(StringTest, SplitDropsEmptyPieces)
{
    EXPECT_EQ(piecesOf(S(u"a,,b,").split(S(u","), true)), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(piecesOf(S(u",x,y").split(S(u","), true)), (std::vector<std::u16string>{u"x", u"y"}));
    EXPECT_EQ(piecesOf(S(u"oneANDtwoandthree").split(S(u"and"), false)),
              (std::vector<std::u16string>{u"one", u"two", u"three"}));
    EXPECT_EQ(piecesOf(S(u"oneANDtwoandthree").split(S(u"and"), true)),
              (std::vector<std::u16string>{u"oneANDtwo", u"three"}));
    EXPECT_TRUE(S(u",,,").split(S(u","), true).isEmpty());
}

TEST_F(StringTest, SplitWithoutSeparatorGivesEmptyList)
{
    EXPECT_TRUE(S(u"abc").split(S(u","), true).isEmpty());
    EXPECT_TRUE(S(u"ab").split(S(u"abc"), true).isEmpty());
    EXPECT_TRUE(OString().split(OString(), true).isEmpty());
    EXPECT_VM_ERROR(EInvalidArgument, S(u"abc").split(OString(), true));
}

TEST_F(StringTest, Utf8BytesLiveInManagedStorage)
{
    const OStringBytes bytes = S(u"\u00e9").toUtf8();
    ASSERT_EQ(bytes.size(), 2);
    EXPECT_NE(bytes.storage(), 0u);
    EXPECT_EQ(bytes.capacityOf(), 10);
    EXPECT_EQ(arena.raw(bytes.storage())[0], 0xC3);
    EXPECT_EQ(arena.raw(bytes.storage())[1], 0xA9);
    EXPECT_EQ(OString().toUtf8().storage(), 0u);
}

TEST_F(StringTest, SplitPiecesAreIndependentStrings)
{
    OStringPieces pieces = S(u"k=v").split(S(u"="), true);
    ASSERT_EQ(pieces.size(), 2);
    pieces[0].append(u'!');
    EXPECT_EQ(U(pieces[0]), u"k!");
    EXPECT_EQ(U(pieces[1]), u"v");
}
