// The Position native group (16): x and y in a two-word variable.
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void positionNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    if (runClearOrCopyValueNative(call, native, WORDS) || runWordPairNative(call, native, 3, false))
        return;
    switch (native) {
    case 8:
    case 9:
        compareValuesNative(call, WORDS, native == 8);
        return;
    default:
        undefinedNativeFunction(vm);
    }
}
