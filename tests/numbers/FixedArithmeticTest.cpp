// Fixed-point arithmetic against exact 128-bit rational arithmetic on many
// random operands, with the saturation boundaries drawn on purpose.
#include "VMError.h"
#include "values/ORaw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

using Wide = __int128;
constexpr Wide LEAST = ORaw::LEAST, GREATEST = ORaw::GREATEST;

Wide clamp(Wide v) { return v < LEAST ? LEAST : (v > GREATEST ? GREATEST : v); }

// Operands: full-range words, small values, and values around every boundary.
class Operands {
public:
    TInt64 next()
    {
        static const TInt64 SPECIAL[] = {ORaw::LEAST, ORaw::LEAST + 1, ORaw::GREATEST, ORaw::GREATEST - 1, 0, 1, -1,
                                         ORaw::ONE, -ORaw::ONE, TInt64(0xB504F333F9LL) << 8 /* about sqrt(2^31) */};
        switch (rng() % 5) {
        case 0:
            return SPECIAL[rng() % std::size(SPECIAL)];
        case 1:
            return TInt64(rng()) % (TInt64(1) << 40); // small, both signs
        case 2: { // magnitudes whose products straddle the overflow limit
            const TInt64 m = TInt64(rng() % (TUint64(1) << 48)) + (TInt64(1) << 46);
            return rng() & 1 ? m : -m;
        }
        default:
            return TInt64(rng());
        }
    }

private:
    std::mt19937_64 rng{20240611};
};

constexpr int ROUNDS = 200000;

int mathCode(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::lastErrorCode();
    }
    return 0;
}

} // namespace

TEST(FixedArithmetic, AddAndSubtractSaturateExactly)
{
    Operands ops;
    for (int i = 0; i < ROUNDS; ++i) {
        const TInt64 a = ops.next(), b = ops.next();
        ASSERT_EQ(Wide(ORaw::add(a, b)), clamp(Wide(a) + b)) << a << " + " << b;
        ASSERT_EQ(Wide(ORaw::sub(a, b)), clamp(Wide(a) - b)) << a << " - " << b;
    }
}

TEST(FixedArithmetic, MultiplyTruncatesTheExactProductTowardZero)
{
    Operands ops;
    int saturated = 0;
    for (int i = 0; i < ROUNDS; ++i) {
        const TInt64 a = ops.next(), b = ops.next();
        // Magnitudes come from the saturating absolute value.
        const unsigned __int128 magnitude =
            (static_cast<unsigned __int128>(ORaw::abs(a)) * static_cast<unsigned __int128>(ORaw::abs(b))) >> 32;
        const bool negative = (a < 0) != (b < 0);
        Wide expected;
        if (magnitude > static_cast<unsigned __int128>(GREATEST)) {
            expected = negative ? LEAST : GREATEST;
            ++saturated;
        } else {
            expected = negative ? -Wide(magnitude) : Wide(magnitude);
        }
        ASSERT_EQ(Wide(ORaw::mul(a, b)), expected) << a << " * " << b;
    }
    EXPECT_GT(saturated, ROUNDS / 20) << "the boundary was exercised";
    EXPECT_LT(saturated, ROUNDS * 9 / 10);
}

TEST(FixedArithmetic, DivideAgreesWithTheRationalQuotient)
{
    Operands ops;
    for (int i = 0; i < ROUNDS; ++i) {
        const TInt64 a = ops.next(), b = ops.next();
        if (b == 0)
            continue;
        // exact raw quotient a * 2^32 / b, truncated toward zero
        const Wide exact = (Wide(a) << 32) / b;
        const TInt64 got = ORaw::div(a, b);
        if (exact >= (Wide(1) << 63) - (Wide(1) << 12)) {
            ASSERT_EQ(got, ORaw::GREATEST) << a << " / " << b;
        } else if (exact <= -(Wide(1) << 63) + (Wide(1) << 12)) {
            ASSERT_EQ(got, ORaw::LEAST) << a << " / " << b;
        } else {
            // Both operands pass through 53-bit doubles: a relative error of a few 2^-53.
            const double tolerance = std::max(1.0, std::fabs(double(exact)) * 0x1p-50);
            ASSERT_LE(std::fabs(double(Wide(got) - exact)), tolerance) << a << " / " << b;
        }
    }
}

TEST(FixedArithmetic, SpecialValuesAndRounding)
{
    const TInt64 one = ORaw::ONE, half = one / 2;
    EXPECT_EQ(ORaw::mul(3 * half, -2 * one), -3 * one);
    EXPECT_EQ(ORaw::add(ORaw::GREATEST, one), ORaw::GREATEST);
    EXPECT_EQ(ORaw::sub(ORaw::LEAST, one), ORaw::LEAST);
    EXPECT_EQ(ORaw::neg(ORaw::GREATEST), ORaw::LEAST);
    EXPECT_EQ(ORaw::neg(ORaw::LEAST), ORaw::GREATEST);
    EXPECT_EQ(ORaw::abs(ORaw::LEAST), ORaw::GREATEST);
    EXPECT_EQ(ORaw::div(7 * one, 2 * one), 7 * half);
    EXPECT_EQ(mathCode([&] { ORaw::div(one, 0); }), Lumbra::EMath);

    EXPECT_EQ(ORaw::round(5 * half), 3);
    EXPECT_EQ(ORaw::round(-5 * half), -3);
    EXPECT_EQ(ORaw::round(ORaw::toFixed(-2.4, 0)), -2);
    EXPECT_EQ(ORaw::round(ORaw::GREATEST), INT32_MAX);
    EXPECT_EQ(ORaw::ceil(ORaw::toFixed(2.000001, 0)), 3);
    EXPECT_EQ(ORaw::ceil(ORaw::GREATEST), INT32_MAX);
    EXPECT_EQ(ORaw::floor(-half), -1);

    EXPECT_EQ(ORaw::toFixed(3e9, 0), ORaw::GREATEST);
    EXPECT_EQ(ORaw::toFixed(-2147483648.0, 0), ORaw::LEAST);
    EXPECT_EQ(ORaw::toFixed(-0.75, 0), -3 * one / 4);
    EXPECT_EQ(mathCode([] { ORaw::toFixed(1.0, 1); }), Lumbra::EMath);
    EXPECT_EQ(mathCode([] { ORaw::toFixed(std::nan(""), 0); }), Lumbra::EMath);
}

TEST(FixedArithmetic, PowerCases)
{
    const TInt64 one = ORaw::ONE;
    EXPECT_EQ(mathCode([&] { ORaw::pow(0, -one); }), Lumbra::EMath);
    EXPECT_EQ(ORaw::pow(0, 0), one);
    EXPECT_EQ(ORaw::pow(0, 3 * one), 0);
    EXPECT_EQ(ORaw::pow(-2 * one, 3 * one), -8 * one);
    EXPECT_EQ(ORaw::pow(-2 * one, 2 * one), 4 * one);
    EXPECT_EQ(ORaw::pow(-2 * one, -3 * one), -one / 8);
    EXPECT_EQ(mathCode([&] { ORaw::pow(-2 * one, one / 2); }), Lumbra::EMath);
    EXPECT_EQ(ORaw::pow(2 * one, -one), one / 2);
    EXPECT_EQ(ORaw::pow(2 * one, 40 * one), ORaw::GREATEST);
    EXPECT_EQ(ORaw::pow(-2 * one, 41 * one), ORaw::LEAST);
    EXPECT_EQ(ORaw::pow(1, 1000 * one), 0) << "underflow answers 0";
    EXPECT_EQ(ORaw::pow(1, -1000 * one), ORaw::GREATEST);
}
