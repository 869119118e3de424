// The Math native group (26): the C library's functions on Fixed arguments
// converted to double and back, degree conversions, random numbers from the
// machine's MT19937, minimum, maximum and constants.
#include "machine/VirtualMachine.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/NumericCall.h"
#include "values/MersenneTwister.h"

#include <algorithm>
#include <cmath>

namespace {

using Lumbra::EMath;
using Lumbra::raiseError;


OFixed viaDouble(TReal (*function)(TReal), OFixed x)
{
    const TReal r = function(x.toReal());
    return OFixed(ORaw::toFixed(r, std::isnan(r) ? 1 : 0));
}

OFixed naturalLog(OFixed x)
{
    if (x.raw <= 0)
        raiseError(EMath);
    return viaDouble(std::log, x);
}

OFixed logarithm(OFixed x, OFixed base)
{
    if (base.raw == 0 || base.raw == ORaw::ONE || base.raw == -ORaw::ONE)
        raiseError(EMath);
    if (x == base)
        return OFixed::fromInt(1);
    return naturalLog(x) / naturalLog(base);
}

// Arcsine and arccosine take -1.0 to 1.0 inclusive.
OFixed inverseSine(TReal (*function)(TReal), OFixed x)
{
    const TInt32 h = ORaw::high(x.raw);
    if (h != -1 && h != 0 && x.raw != ORaw::ONE)
        raiseError(EMath);
    return viaDouble(function, x);
}

OFixed tangent(OFixed x)
{
    const OFixed t = viaDouble(std::tan, x);
    if (t.raw == ORaw::LEAST || t.raw == ORaw::GREATEST)
        raiseError(EMath);
    return t;
}

// Degree conversions work on the magnitude and restore the sign.
OFixed withSignOf(OFixed x, OFixed magnitude) { return x.raw < 0 ? -magnitude : magnitude; }

OFixed radiansToDegrees(OFixed x)
{
    TInt64 m = ORaw::abs(x.raw);
    if (m > ORaw::TWO_PI) {
        // Within the rounding slack of 2*pi the angle counts as 2*pi.
        if (ORaw::high(m) != 6 || ORaw::low(m) > 0x487EFFFFu)
            raiseError(EMath);
        m = ORaw::TWO_PI;
    }
    return withSignOf(x, OFixed(m) * OFixed(ORaw::DEGREES_PER_RADIAN));
}

OFixed degreesToRadians(OFixed x)
{
    const OFixed m(ORaw::abs(x.raw));
    if (m > OFixed::fromInt(360))
        raiseError(EMath);
    return withSignOf(x, m * OFixed(ORaw::RADIANS_PER_DEGREE));
}

TInt32 randomInt(MersenneTwister& random, TInt32 a, TInt32 b)
{
    const TInt64 lo = std::min(a, b), hi = std::max(a, b);
    const TInt64 span = hi - lo + 1;
    return TInt32(lo + TInt64(random.next() % TUint64(span)));
}

// A draw in [lo, hi): lo plus a random fraction of the span.
OFixed randomBetween(MersenneTwister& random, OFixed lo, OFixed hi)
{
    const OFixed span = hi - lo;
    const OFixed u(TInt64(random.next()));
    return lo + u * span;
}

OFixed randomFixed(MersenneTwister& random, OFixed a, OFixed b)
{
    const OFixed lo = std::min(a, b), hi = std::max(a, b);
    // A span beyond 64 bits: one draw on each side of zero, a third output picks.
    const bool spanOverflows = TUint64(hi.raw) - TUint64(lo.raw) > TUint64(INT64_MAX);
    if (lo.raw < 0 && hi.raw >= 0 && spanOverflows) {
        const OFixed negative = randomBetween(random, lo, OFixed());
        const OFixed positive = randomBetween(random, OFixed(), hi);
        return (random.next() & 1) ? negative : positive;
    }
    return randomBetween(random, lo, hi);
}

TInt32 signedByte(TWord w) { return TInt32(static_cast<signed char>(w)); }

} // namespace

void mathNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, MathFn(native));
    switch (MathFn(native)) {
    case MathFn::sin:
    case MathFn::cos:
    case MathFn::tan:
    case MathFn::asin:
    case MathFn::acos:
    case MathFn::atan:
    case MathFn::toDegrees:
    case MathFn::toRadians:
    case MathFn::sqrt:
    case MathFn::ln: {
        call.take();
        const OFixed x = fixedArg(call, 0);
        OFixed r;
        switch (native) {
        case 1: r = viaDouble(std::sin, x); break;
        case 2: r = viaDouble(std::cos, x); break;
        case 3: r = tangent(x); break;
        case 4: r = inverseSine(std::asin, x); break;
        case 5: r = inverseSine(std::acos, x); break;
        case 6: r = viaDouble(std::atan, x); break;
        case 7: r = radiansToDegrees(x); break;
        case 8: r = degreesToRadians(x); break;
        case 9:
            if (x.raw < 0)
                raiseError(EMath);
            r = viaDouble(std::sqrt, x);
            break;
        default: r = naturalLog(x); break;
        }
        leaveFixed(call, r);
        return;
    }
    case MathFn::log:
        call.take();
        leaveFixed(call, logarithm(fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case MathFn::randomInt:
        call.take();
        call.leave(randomInt(vm.random(), call.arg(0), call.arg(1)));
        return;
    case MathFn::randomFixed:
        call.take();
        leaveFixed(call, randomFixed(vm.random(), fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case MathFn::minByte:
    case MathFn::maxByte: {
        call.take();
        const TInt32 a = signedByte(call.arg(0)), b = signedByte(call.arg(1));
        call.leave(native == 14 ? std::min(a, b) : std::max(a, b));
        return;
    }
    case MathFn::minInt:
    case MathFn::maxInt:
        call.take();
        call.leave(native == 15 ? std::min(call.arg(0), call.arg(1)) : std::max(call.arg(0), call.arg(1)));
        return;
    case MathFn::minFixed:
    case MathFn::maxFixed: {
        call.take();
        const OFixed a = fixedArg(call, 0), b = fixedArg(call, 2);
        leaveFixed(call, native == 16 ? std::min(a, b) : std::max(a, b));
        return;
    }
    case MathFn::e:
    case MathFn::pi:
    case MathFn::epsilon:
        replaceByFixed(call, 0, OFixed(native == 20 ? ORaw::E : native == 21 ? ORaw::PI : ORaw::EPSILON));
        return;
    }
}
