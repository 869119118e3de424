// The Fixed native group (11). Values travel in two slots; "ref" arguments
// are arena addresses of 8-byte Fixed variables, checked like every other
// address from bytecode (null raises NullPointerException "NULL pointer").
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
    NativeCallFrame call(vm);
    const Lumbra::Arena& arena = vm.arena();
    switch (native) {
    case 1:
        call.take(1);
        leaveFixed(call, OFixed::at(arena, TAddr(call.arg(0))));
        return;
    case 2:
        call.take(1);
        leaveFixed(call, OFixed::fromInt(TInt32(static_cast<signed char>(call.arg(0)))));
        return;
    case 3:
        call.take(1);
        leaveFixed(call, OFixed::fromInt(call.arg(0)));
        return;
    case 4: {
        call.take(1);
        const std::u16string text = call.str(0).toU16();
        leaveFixed(call, OFixed::parse(text));
        return;
    }
    case 5:
        call.take(2);
        leaveFixed(call, OFixed(ORaw::abs(fixedArg(call, 0).raw)));
        return;
    case 6:
        call.take(2);
        leaveFixed(call, -fixedArg(call, 0));
        return;
    case 7: case 8: case 9: case 10:
        call.take(4);
        leaveFixed(call, arithmetic(native, fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case 11:
        call.take(4);
        leaveFixed(call, OFixed(ORaw::pow(fixedArg(call, 0).raw, fixedArg(call, 2).raw)));
        return;
    case 12: case 13: case 14: case 15: {
        call.take(3);
        const TAddr ref = TAddr(call.arg(0));
        arithmetic(native - 5, OFixed::at(arena, ref), fixedArg(call, 1)).storeAt(arena, ref);
        call.leaveNothing();
        return;
    }
    case 16:
    case 17: {
        call.take(1);
        const TAddr ref = TAddr(call.arg(0));
        const OFixed one = OFixed::fromInt(1);
        const OFixed v = OFixed::at(arena, ref);
        (native == 16 ? v + one : v - one).storeAt(arena, ref);
        call.leaveNothing();
        return;
    }
    case 18: case 19: case 20: case 21: case 22: case 23:
        call.take(4);
        call.leaveOneOrZero(compare(native, fixedArg(call, 0), fixedArg(call, 2)));
        return;
    case 24:
        call.take(2);
        leaveText(call, OFixed::at(arena, TAddr(call.arg(0))), call.arg(1));
        return;
    case 25:
        call.take(1);
        leaveText(call, OFixed::at(arena, TAddr(call.arg(0))), -1);
        return;
    case 26:
    case 27:
    case 28: {
        call.take(2);
        const TInt64 raw = fixedArg(call, 0).raw;
        call.leave(native == 26 ? ORaw::round(raw) : native == 27 ? ORaw::ceil(raw) : ORaw::floor(raw));
        return;
    }
    case 29:
    case 30:
        replaceByFixed(call, 0, OFixed(native == 29 ? ORaw::LEAST : ORaw::GREATEST));
        return;
    default:
        undefinedNativeFunction(vm);
    }
}
