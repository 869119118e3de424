// The Position native group (16): x and y in a two-word variable.
#include "NativeGroups.h"
#include "valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void positionNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    const Lumbra::Arena& arena = vm.arena();
    if (runClearOrCopyValueNative(call, native, WORDS))
        return;
    switch (native) {
    case 3: {
        call.take(3);
        const ValueRef p(arena, call.arg(0), WORDS);
        p.set(0, call.arg(1));
        p.set(1, call.arg(2));
        call.leaveNothing();
        return;
    }
    case 4:
    case 5:
        call.take(1);
        call.leave(ValueRef(arena, call.arg(0), WORDS).get(native - 4));
        return;
    case 6:
    case 7:
        call.take(2);
        ValueRef(arena, call.arg(0), WORDS).set(native - 6, call.arg(1));
        call.leaveNothing();
        return;
    case 8:
    case 9:
        compareValuesNative(call, WORDS, native == 8);
        return;
    default:
        undefinedNativeFunction(vm);
    }
}
