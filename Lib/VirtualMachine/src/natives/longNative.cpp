// The Long native group (12): 64-bit integers in 8-byte managed blocks
// (GC_CODE_NATIVE, object flag 0). Results are new blocks; the assignment
// natives write into the block of their left operand. Arithmetic wraps.
// Division by zero raises DivisionByZeroException, as the interpreter's own
// division does; shift counts of 64 or more shift every bit out (right
// shifts fill with the sign) and negative counts shift the other way.
#include "natives/NativeFunctions.h"
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

// The binary operation behind an assignment operator (13-17, 29-33).
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
    NativeCallFrame call(vm, LongFn(native));
    switch (LongFn(native)) {
    case LongFn::addTo:
    case LongFn::subtractFrom:
    case LongFn::multiplyBy:
    case LongFn::divideBy:
    case LongFn::remainderBy:
    case LongFn::andWith:
    case LongFn::orWith:
    case LongFn::xorWith:
    case LongFn::shiftLeftBy:
    case LongFn::shiftRightBy: {
        call.take();
        const TInt64 b = isShift(native) ? TInt64(call.arg(1)) : longAt(vm, call.arg(1));
        storeLong(vm, call.arg(0), binary(assignedOperation(native), longAt(vm, call.arg(0)), b));
        call.leaveNothing();
        return;
    }
    case LongFn::clear:
        call.take();
        storeLong(vm, call.arg(0), 0);
        call.leaveNothing();
        return;
    case LongFn::assign:
    case LongFn::assignAlt:
        call.take();
        storeLong(vm, call.arg(0), longAt(vm, call.arg(1)));
        call.leaveNothing();
        return;
    case LongFn::add:
    case LongFn::subtract:
    case LongFn::multiply:
    case LongFn::divide:
    case LongFn::remainder:
    case LongFn::and_:
    case LongFn::or_:
    case LongFn::xor_:
    case LongFn::shiftLeft:
    case LongFn::shiftRight: {
        call.take();
        const TInt64 b = isShift(native) ? TInt64(call.arg(1)) : longAt(vm, call.arg(1));
        call.leave(newLong(vm, binary(native, longAt(vm, call.arg(0)), b)));
        return;
    }
    case LongFn::negate:
        call.take();
        call.leave(newLong(vm, TInt64(0 - TUint64(longAt(vm, call.arg(0))))));
        return;
    case LongFn::increment:
    case LongFn::decrement:
        call.take();
        storeLong(vm, call.arg(0), binary(native == 11 ? 5 : 6, longAt(vm, call.arg(0)), 1));
        call.leaveNothing();
        return;
    case LongFn::equals:
    case LongFn::less:
    case LongFn::lessOrEqual:
    case LongFn::notEquals:
    case LongFn::greater:
    case LongFn::greaterOrEqual: {
        // The result lies just above the new top, in the slot that held b.
        call.take();
        const bool result = compare(native, longAt(vm, call.arg(0)), longAt(vm, call.arg(1)));
        vm.slot(call.base + 1) = oneOrZero(result);
        vm.setTopIndex(call.base);
        return;
    }
    case LongFn::toString:
        call.take();
        call.leaveString(OString::fromInt64(longAt(vm, call.arg(0))));
        return;
    case LongFn::nop:
    case LongFn::nopAlt:
        return;
    case LongFn::lowWord:
        call.take();
        call.leave(TWord(TUint32(TUint64(longAt(vm, call.arg(0))))));
        return;
    case LongFn::fromInt:
        call.take();
        call.leave(newLong(vm, TInt64(call.arg(0))));
        return;
    }
}
