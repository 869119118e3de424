// Encoder natives: UTF-8 bytes of Strings, one sequence per UTF-16 unit, and
// decoding with DataFormatException for malformed input.
#include "FileTestSupport.h"

using namespace FileTest;
using NativeTest::error;
using NativeTest::ints;

namespace {

Lines encoded(const std::string& utf8, int shown)
{
    AppDirectory app;
    Program p;
    bytesOf(p, utf8);
    p.logVector(p.depth() - 1, 1, shown);
    return app.log(p);
}

// Decodes the bytes (as signed byte elements) and logs the text.
Lines decoded(std::initializer_list<TWord> bytes)
{
    AppDirectory app;
    Program p;
    p.integer(0); // receiver
    const int v = p.vector(1);
    for (TWord b : bytes) {
        p.copy(v);
        p.integer(b);
        p.vec(1, 19, 2, 0);
    }
    p.vec(ENCODER, 2, 2, 1);
    p.logText();
    return app.log(p);
}

} // namespace

TEST(EncoderNatives, EncodesEachUnitInOneToThreeBytes)
{
    EXPECT_EQ(encoded("\xC3\xA9", 2), ints({2, -61, -87}));      // é
    EXPECT_EQ(encoded("A\xE2\x82\xAC", 4), ints({4, 65, -30, -126, -84})); // A€
    EXPECT_EQ(encoded("", 0), ints({0}));
    EXPECT_EQ(encoded("\xEF\xBF\xBF", 3), ints({3, -17, -65, -65})); // U+FFFF
}

TEST(EncoderNatives, DecodesValidSequencesAndRefusesMalformedOnes)
{
    EXPECT_EQ(decoded({0xC3, 0xA9}), Lines({"\xC3\xA9"}));
    EXPECT_EQ(decoded({'o', 'k'}), Lines({"ok"}));
    EXPECT_EQ(decoded({}), Lines({""}));
    const Lines MALFORMED = error(4, "DataFormatException: ");
    EXPECT_EQ(decoded({0xFF}), MALFORMED);
    EXPECT_EQ(decoded({-1}), MALFORMED);
    EXPECT_EQ(decoded({0xC3}), MALFORMED);       // cut short
    EXPECT_EQ(decoded({0xC0, 0x80}), MALFORMED); // overlong
    EXPECT_EQ(decoded({'a', 0x80}), MALFORMED);  // stray continuation
}

TEST(EncoderNatives, NullArgumentsRaiseNullPointer)
{
    AppDirectory app;
    for (int native : {1, 2}) {
        Program p;
        p.integer(0); // receiver
        p.integer(0); // null reference
        p.vec(ENCODER, native, 2, 1);
        EXPECT_EQ(app.log(p), error(1, "NullPointerException: NULL pointer")) << native;
    }
}
