// The Range native group (14): first and count in a two-word variable; a
// count of -1 runs from first to the end.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
enum { FIRST, COUNT, WORDS };

void setRange(const ValueRef& r, TWord first, TWord count)
{
    r.set(FIRST, first);
    r.set(COUNT, count);
}
} // namespace

void rangeNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, RangeFn(native));
    const Lumbra::Arena& arena = vm.arena();
    switch (RangeFn(native)) {
    case RangeFn::clear:
    case RangeFn::copy:
        runClearOrCopyValueNative(call, native, WORDS);
        return;
    case RangeFn::set:
    case RangeFn::first:
    case RangeFn::count:
    case RangeFn::setFirst:
    case RangeFn::setCount:
        runWordPairNative(call, native, 4, true);
        return;
    case RangeFn::setFirstLast: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        const TWord first = call.arg(1), last = call.arg(2);
        // last - first + 1 fits: both are non-negative and last >= first
        requireValue(first >= 0 && last >= first && TInt64(last) - first + 1 <= INT32_MAX);
        setRange(r, first, last - first + 1);
        call.leaveNothing();
        return;
    }
    case RangeFn::equals:
    case RangeFn::notEquals:
        compareValuesNative(call, WORDS, native == 9);
        return;
    case RangeFn::setFrom:
    case RangeFn::setFromAlt: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        requireValue(call.arg(1) >= 0);
        setRange(r, call.arg(1), -1);
        call.leaveNothing();
        return;
    }
    }
}
