// The Size native group (15): width and height in a two-word variable; a
// negative dimension raises InvalidArgumentException without detail.
#include "NativeGroups.h"
#include "valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void sizeNative(VirtualMachine& vm, int native)
{
    StringCall call(vm);
    const Lumbra::Arena& arena = vm.arena();
    if (runClearOrCopyValueNative(call, native, WORDS))
        return;
    switch (native) {
    case 3: {
        call.take(3);
        const ValueRef size(arena, call.arg(0), WORDS);
        requireValue(call.arg(1) >= 0 && call.arg(2) >= 0);
        size.set(0, call.arg(1));
        size.set(1, call.arg(2));
        call.leaveNothing();
        return;
    }
    case 4:
    case 5:
        call.take(1);
        call.leave(ValueRef(arena, call.arg(0), WORDS).get(native - 4));
        return;
    case 6:
    case 7: {
        call.take(2);
        const ValueRef size(arena, call.arg(0), WORDS);
        requireValue(call.arg(1) >= 0);
        size.set(native - 6, call.arg(1));
        call.leaveNothing();
        return;
    }
    case 8:
    case 9:
        compareValuesNative(call, WORDS, native == 8);
        return;
    default:
        vm.undefinedNative(nativeGroupPrefix(15));
    }
}
