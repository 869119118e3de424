// Decimal text of Fixed values and parsing, including round trips.
#include "VMError.h"
#include "values/OFixed.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }
OFixed parse(const std::string& s) { return OFixed::parse(u16(s)); }

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::lastErrorCode();
    }
    return 0;
}

constexpr TInt64 ONE = ORaw::ONE;

} // namespace

TEST(FixedText, ExactAndRoundedDigits)
{
    EXPECT_EQ(OFixed(ONE).toText(-1), "1.0");
    EXPECT_EQ(OFixed(ONE / 2).toText(-1), "0.5");
    EXPECT_EQ(OFixed(0x1999999A).toText(-1), "0.1000000000931322574615478515625");
    EXPECT_EQ(OFixed(ORaw::LEAST).toText(-1), "-2147483648.0");
    EXPECT_EQ(OFixed(1).toText(-1), "0.00000000023283064365386962890625");
    EXPECT_EQ(OFixed(5 * ONE / 2).toText(0), "3");
    EXPECT_EQ(OFixed(-ONE / 2).toText(0), "-1");
    EXPECT_EQ(OFixed(ONE / 8).toText(2), "0.13");
    EXPECT_EQ(OFixed::fromReal(9.96).toText(1), "10.0");
    EXPECT_EQ(OFixed(ORaw::GREATEST).toText(3), "2147483647.999") << "no carry beyond the greatest integer part";
    EXPECT_EQ(OFixed(ORaw::GREATEST).toText(0), "2147483647");
    EXPECT_EQ(OFixed(3 * ONE).toText(4), "3.0000");
    EXPECT_EQ(errorOf([] { OFixed(ONE).toText(-2); }), Lumbra::EInvalidArgument);
}

TEST(FixedText, ParsingRulesAndFailures)
{
    EXPECT_EQ(parse("  +3.25").raw, 13 * ONE / 4);
    EXPECT_EQ(parse("++-7").raw, -7 * ONE);
    EXPECT_EQ(parse("12abc").raw, 12 * ONE);
    EXPECT_EQ(parse("3000000000").raw, ORaw::GREATEST);
    EXPECT_EQ(parse("-3000000000").raw, ORaw::LEAST);
    EXPECT_EQ(parse("2147483647").raw, ORaw::fromInt(INT32_MAX));
    EXPECT_EQ(parse("0.1").raw, 0x19999999) << "floor of 2^32 / 10";
    EXPECT_EQ(OFixed::parse(u"\u3000\t7").raw, 7 * ONE) << "Unicode space";
    // digits past what fits in 32 bits are ignored
    EXPECT_EQ(parse("0.12345678901234").raw, parse("0.123456789").raw);
    for (const char* bad : {"-+2", "", "  ", "1.", "1.x", ".5", "abc", "-"})
        EXPECT_EQ(errorOf([&] { parse(bad); }), Lumbra::EDataFormat) << bad;
}

TEST(FixedText, DecimalTextRoundTrips)
{
    std::mt19937_64 rng(77);
    for (int i = 0; i < 20000; ++i) {
        // a decimal with k <= 9 digits comes back unchanged from its Fixed
        const int k = int(rng() % 10);
        const TInt64 integer = TInt64(rng() % 2147483647);
        TUint64 scale = 1;
        for (int j = 0; j < k; ++j)
            scale *= 10;
        const TUint64 fraction = rng() % scale;
        std::string digits = std::to_string(fraction);
        digits = std::string(size_t(k) - std::min(size_t(k), digits.size()), '0') + digits;
        const std::string text = (rng() & 1 ? "-" : "") + std::to_string(integer) + (k ? "." + digits : "");
        if (text[0] == '-' && integer == 0 && fraction == 0)
            continue; // negative zero prints without its sign
        ASSERT_EQ(parse(text).toText(k), text);

        // a Fixed comes back from its 9-digit text within the parse resolution
        const TInt64 raw = TInt64(rng()) >> 1;
        const TInt64 back = parse(OFixed(raw).toText(9)).raw;
        ASSERT_LE(std::abs(back - raw), 4) << raw;
        // and exactly from its full expansion when the fraction has few bits
        const TInt64 coarse = raw & ~TInt64(0xFFFFFF);
        ASSERT_EQ(parse(OFixed(coarse).toText(-1)).raw, coarse);
    }
}
