// Signed 32.32 fixed-point arithmetic on raw 64-bit values: the value is
// raw / 2^32. The least and greatest raw values stand for negative and
// positive overflow; every saturating operation answers one of them.
// Multiplication is integer-only; division and power go through double.
#pragma once

#include "LumbraTypes.h"

#include <cstdint>

class ORaw {
public:
    static constexpr TInt64 LEAST = INT64_MIN;
    static constexpr TInt64 GREATEST = INT64_MAX;
    static constexpr TInt64 ONE = TInt64(1) << 32;
    static constexpr TInt64 EPSILON = 1;
    static constexpr TInt64 PI = 0x3243F6A89LL;
    static constexpr TInt64 E = 0x2B7E15163LL;
    static constexpr TInt64 TWO_PI = 0x6487ED511LL;
    static constexpr TInt64 DEGREES_PER_RADIAN = 0x394BB834C7LL;
    static constexpr TInt64 RADIANS_PER_DEGREE = 0x00477D1A8LL;

    static constexpr TInt32 high(TInt64 raw) { return TInt32(raw >> 32); }
    static constexpr TUint32 low(TInt64 raw) { return TUint32(TUint64(raw)); }
    static constexpr TInt64 fromWords(TUint32 lowWord, TInt32 highWord)
    {
        return TInt64(TUint64(TUint32(highWord)) << 32 | lowWord);
    }
    static constexpr TInt64 fromInt(TInt32 value) { return fromWords(0, value); }

    // d as a fixed-point raw value: a non-zero `error` raises MathException,
    // values beyond +-2^31 saturate, the rest truncates toward zero. NaN
    // raises MathException whatever the flag says.
    static TInt64 toFixed(TReal d, TInt error);
    static TReal toReal(TInt64 raw) { return TReal(raw) / 4294967296.0; }

    static TInt64 add(TInt64 a, TInt64 b);
    static TInt64 sub(TInt64 a, TInt64 b);
    static TInt64 abs(TInt64 a) { return a >= 0 ? a : (a == LEAST ? GREATEST : -a); }
    static TInt64 neg(TInt64 a) { return a == GREATEST ? LEAST : (a == LEAST ? GREATEST : -a); }
    // Product truncated toward zero, saturating.
    static TInt64 mul(TInt64 a, TInt64 b);
    // Quotient through double; b == 0 raises MathException.
    static TInt64 div(TInt64 a, TInt64 b);
    // a raised to b; MathException for 0 to a negative power and for a
    // negative base with a fractional exponent.
    static TInt64 pow(TInt64 a, TInt64 b);

    // Halves round away from zero; the extreme integer parts stay.
    static TInt32 round(TInt64 raw);
    static TInt32 ceil(TInt64 raw);
    static TInt32 floor(TInt64 raw) { return high(raw); }
};
