// The Fixed native group (11). Values travel in two slots; "ref" arguments
// are arena addresses of 8-byte Fixed variables, checked like every other
// address from bytecode (null raises NullPointerException "NULL pointer").
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/NumericCall.h"

namespace {

// Ops 7-10 and, through the assignments 12-15, their in-place forms.
OFixed arithmetic(int op, OFixed a, OFixed b)
{
    switch (op) {
    case 7:
        return a + b;
    case 8:
        return a - b;
    case 9:
        return a * b;
    default:
        return a / b;
    }
}

bool compare(int op, OFixed a, OFixed b)
{
    switch (op) {
    case 18:
        return a == b;
    case 19:
        return a != b;
    case 20:
        return a < b;
    case 21:
        return a <= b;
    case 22:
        return a > b;
    default:
        return a >= b;
    }
}

void leaveText(NativeCallFrame& call, OFixed f, int digits)
{
    call.leaveString(OString::fromLatin1(f.toText(digits).c_str()));
}

} // namespace

void fixedNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, FixedFn(native));
    const Lumbra::Arena& arena = vm.arena();
    switch (FixedFn(native)) {
    case FixedFn::load:
        call.take();
        leaveFixed(call, OFixed::at(arena, TAddr(call.arg(0))));
        return;
    case FixedFn::fromByte:
        call.take();
        leaveFixed(call, OFixed::fromInt(TInt32(static_cast<signed char>(call.arg(0)))));
        return;
    case FixedFn::fromInt:
        call.take();
        leaveFixed(call, OFixed::fromInt(call.arg(0)));
        return;
    case FixedFn::parse: {
        call.take();
        const std::u16string text = call.str(0).toU16();
        leaveFixed(call, OFixed::parse(text));
        return;
    }
    case FixedFn::abs:
        call.take();
        leaveFixed(call, OFixed(ORaw::abs(fixedArg(call, 0).raw)));
        return;
    case FixedFn::negate:
        call.take();
        leaveFixed(call, -fixedArg(call, 0));
        return;
    case FixedFn::add:
    case FixedFn::subtract:
    case FixedFn::multiply:
    case FixedFn::divide:
        call.take();
        leaveFixed(call, arithmetic(native, fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case FixedFn::power:
        call.take();
        leaveFixed(call, OFixed(ORaw::pow(fixedArg(call, 0).raw, fixedArg(call, 2).raw)));
        return;
    case FixedFn::addTo:
    case FixedFn::subtractFrom:
    case FixedFn::multiplyBy:
    case FixedFn::divideBy: {
        call.take();
        const TAddr ref = TAddr(call.arg(0));
        arithmetic(native - 5, OFixed::at(arena, ref), fixedArg(call, 1)).storeAt(arena, ref);
        call.leaveNothing();
        return;
    }
    case FixedFn::increment:
    case FixedFn::decrement: {
        call.take();
        const TAddr ref = TAddr(call.arg(0));
        const OFixed one = OFixed::fromInt(1);
        const OFixed v = OFixed::at(arena, ref);
        (native == 16 ? v + one : v - one).storeAt(arena, ref);
        call.leaveNothing();
        return;
    }
    case FixedFn::equals:
    case FixedFn::notEquals:
    case FixedFn::less:
    case FixedFn::lessOrEqual:
    case FixedFn::greater:
    case FixedFn::greaterOrEqual:
        call.take();
        call.leaveOneOrZero(compare(native, fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case FixedFn::toStringDigits:
        call.take();
        leaveText(call, OFixed::at(arena, TAddr(call.arg(0))), call.arg(1));
        return;
    case FixedFn::toString:
        call.take();
        leaveText(call, OFixed::at(arena, TAddr(call.arg(0))), -1);
        return;
    case FixedFn::round:
    case FixedFn::ceiling:
    case FixedFn::floor: {
        call.take();
        const TInt64 raw = fixedArg(call, 0).raw;
        call.leave(native == 26 ? ORaw::round(raw) : native == 27 ? ORaw::ceil(raw) : ORaw::floor(raw));
        return;
    }
    case FixedFn::least:
    case FixedFn::greatest:
        replaceByFixed(call, 0, OFixed(native == 29 ? ORaw::LEAST : ORaw::GREATEST));
        return;
    }
}
