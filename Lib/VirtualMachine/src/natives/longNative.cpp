// The Long native group (12): 64-bit integers in 8-byte managed blocks
// (GC_CODE_NATIVE, object flag 0). Results are new blocks; the assignment
// natives write into the block of their left operand. Arithmetic wraps.
// Division by zero raises DivisionByZeroException, as the interpreter's own
// division does; shift counts of 64 or more shift every bit out (right
// shifts fill with the sign) and negative counts shift the other way.
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"

#include <cstring>

namespace {

TInt64 longAt(VirtualMachine& vm, TWord ref)
{
    TInt64 v;
    std::memcpy(&v, vm.arena().resolve(TAddr(ref), 8), 8);
    return v;
}

void storeLong(VirtualMachine& vm, TWord ref, TInt64 v)
{
    std::memcpy(vm.arena().resolve(TAddr(ref), 8), &v, 8);
}

TWord newLong(VirtualMachine& vm, TInt64 v)
{
    const TAddr block = vm.heap().allocate(8, 0, GC_CODE_NATIVE);
    storeLong(vm, TWord(block), v);
    return TWord(block);
}

TInt64 shiftRight(TInt64 a, TInt64 n);

TInt64 shiftLeft(TInt64 a, TInt64 n)
{
    if (n < 0)
        return shiftRight(a, -n);
    return n >= 64 ? 0 : TInt64(TUint64(a) << n);
}

TInt64 shiftRight(TInt64 a, TInt64 n)
{
    if (n < 0)
        return shiftLeft(a, -n);
    return n >= 64 ? (a < 0 ? -1 : 0) : a >> n;
}

TInt64 quotient(TInt64 a, TInt64 b)
{
    if (b == 0)
        Lumbra::raiseError(Lumbra::EDivisionByZero);
    return b == -1 ? TInt64(0 - TUint64(a)) : a / b;
}

TInt64 remainder(TInt64 a, TInt64 b)
{
    if (b == 0)
        Lumbra::raiseError(Lumbra::EDivisionByZero);
    return b == -1 ? 0 : a % b;
}

// The operations with a new result (5-9, 24-28); shifts take an int count.
TInt64 binary(int op, TInt64 a, TInt64 b)
{
    switch (op) {
    case 5:
        return TInt64(TUint64(a) + TUint64(b));
    case 6:
        return TInt64(TUint64(a) - TUint64(b));
    case 7:
        return TInt64(TUint64(a) * TUint64(b));
    case 8:
        return quotient(a, b);
    case 9:
        return remainder(a, b);
    case 24:
        return a & b;
    case 25:
        return a | b;
    case 26:
        return a ^ b;
    case 27:
        return shiftLeft(a, b);
    default:
        return shiftRight(a, b);
    }
}

// The binary operation behind an assignment operator (11-17, 29-33), 0 for none.
int assignedOperation(int op)
{
    if (op >= 13 && op <= 17)
        return op - 8;
    if (op >= 29 && op <= 33)
        return op - 5;
    return 0;
}

bool compare(int op, TInt64 a, TInt64 b)
{
    switch (op) {
    case 18:
        return a == b;
    case 19:
        return a < b;
    case 20:
        return a <= b;
    case 21:
        return a != b;
    case 22:
        return a > b;
    default:
        return a >= b;
    }
}

bool isShift(int op) { return op == 27 || op == 28 || op == 32 || op == 33; }

} // namespace

void longNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    if (const int op = assignedOperation(native)) {
        call.take(2);
        const TInt64 b = isShift(native) ? TInt64(call.arg(1)) : longAt(vm, call.arg(1));
        storeLong(vm, call.arg(0), binary(op, longAt(vm, call.arg(0)), b));
        call.leaveNothing();
        return;
    }
    switch (native) {
    case 1:
        call.take(1);
        storeLong(vm, call.arg(0), 0);
        call.leaveNothing();
        return;
    case 2:
    case 3:
        call.take(2);
        storeLong(vm, call.arg(0), longAt(vm, call.arg(1)));
        call.leaveNothing();
        return;
    case 5: case 6: case 7: case 8: case 9: case 24: case 25: case 26: case 27: case 28: {
        call.take(2);
        const TInt64 b = isShift(native) ? TInt64(call.arg(1)) : longAt(vm, call.arg(1));
        call.leave(newLong(vm, binary(native, longAt(vm, call.arg(0)), b)));
        return;
    }
    case 10:
        call.take(1);
        call.leave(newLong(vm, TInt64(0 - TUint64(longAt(vm, call.arg(0))))));
        return;
    case 11:
    case 12:
        call.take(1);
        storeLong(vm, call.arg(0), binary(native == 11 ? 5 : 6, longAt(vm, call.arg(0)), 1));
        call.leaveNothing();
        return;
    case 18: case 19: case 20: case 21: case 22: case 23: {
        // The result lies just above the new top, in the slot that held b.
        call.take(2);
        const bool result = compare(native, longAt(vm, call.arg(0)), longAt(vm, call.arg(1)));
        vm.slot(call.base + 1) = oneOrZero(result);
        vm.sp = call.base;
        return;
    }
    case 34:
        call.take(1);
        call.leaveString(OString::fromInt64(longAt(vm, call.arg(0))));
        return;
    case 35:
    case 36:
        return;
    case 37:
        call.take(1);
        call.leave(TWord(TUint32(TUint64(longAt(vm, call.arg(0))))));
        return;
    case 38:
        call.take(1);
        call.leave(newLong(vm, TInt64(call.arg(0))));
        return;
    default: // 4 included: it names no operation
        undefinedNativeFunction(vm);
    }
}
