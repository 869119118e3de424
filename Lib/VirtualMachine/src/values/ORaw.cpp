#include "values/ORaw.h"

#include "VMError.h"

#include <cmath>

namespace {

constexpr TInt64 saturated(bool negative) { return negative ? ORaw::LEAST : ORaw::GREATEST; }

// a + b on 64 bits with the carry out reported.
inline bool addCarries(TUint64& sum, TUint64 b)
{
    sum += b;
    return sum < b;
}

} // namespace

TInt64 ORaw::toFixed(TReal d, TInt error)
{
    if (error != 0 || std::isnan(d))
        Lumbra::raiseError(Lumbra::EMath);
    if (d >= 2147483648.0)
        return GREATEST;
    if (d <= -2147483648.0)
        return LEAST;
    return TInt64(d * 4294967296.0); // |d * 2^32| < 2^63: exact scaling, defined truncation
}

TInt64 ORaw::add(TInt64 a, TInt64 b)
{
    const TInt64 s = TInt64(TUint64(a) + TUint64(b));
    if (a < 0 && b < 0 && s > a)
        return LEAST;
    if (a > 0 && b > 0 && s < a)
        return GREATEST;
    return s;
}

TInt64 ORaw::sub(TInt64 a, TInt64 b)
{
    const TInt64 d = TInt64(TUint64(a) - TUint64(b));
    if (a <= 0 && b > 0 && d > a)
        return LEAST;
    if (a >= 0 && b < 0 && d <= a)
        return GREATEST;
    return d;
}

TInt64 ORaw::mul(TInt64 a, TInt64 b)
{
    const bool negative = (a < 0) != (b < 0);
    const TUint64 A = TUint64(abs(a)), B = TUint64(abs(b));
    const TUint64 ah = A >> 32, al = A & 0xFFFFFFFFu, bh = B >> 32, bl = B & 0xFFFFFFFFu;
    const TUint64 hh = ah * bh;
    if (hh >> 31)
        return saturated(negative);
    TUint64 sum = hh << 32;
    if (addCarries(sum, ah * bl) || addCarries(sum, al * bh) || addCarries(sum, (al * bl) >> 32))
        return saturated(negative);
    if (sum >> 63)
        return saturated(negative);
    return negative ? -TInt64(sum) : TInt64(sum);
}

TInt64 ORaw::div(TInt64 a, TInt64 b)
{
    if (b == 0)
        Lumbra::raiseError(Lumbra::EMath);
    return toFixed(TReal(a) / TReal(b), 0);
}

TInt64 ORaw::pow(TInt64 a, TInt64 b)
{
    if (b == 0)
        return ONE;
    if (a == 0) {
        if (b < 0)
            Lumbra::raiseError(Lumbra::EMath);
        return 0;
    }
    bool negative = false;
    if (a < 0) {
        if (low(b) != 0)
            Lumbra::raiseError(Lumbra::EMath);
        negative = (high(b) & 1) != 0;
    }
    TReal x = std::pow(toReal(abs(a)), toReal(abs(b)));
    if (std::isnan(x))
        return b < 0 ? 0 : saturated(negative);
    if (b < 0)
        x = 1.0 / x; // an underflow to 0 before this saturates, one after it answers 0
    return toFixed(negative ? -x : x, 0);
}

TInt32 ORaw::round(TInt64 raw)
{
    const TInt32 h = high(raw);
    if (h == INT32_MAX || h == INT32_MIN)
        return h;
    const TUint32 l = low(raw);
    return h >= 0 ? h + (l >= 0x80000000u ? 1 : 0) : h + (l > 0x80000000u ? 1 : 0);
}

TInt32 ORaw::ceil(TInt64 raw)
{
    const TInt32 h = high(raw);
    return low(raw) != 0 && h != INT32_MAX ? h + 1 : h;
}
