// The Size native group (15): width and height in a two-word variable; a
// negative dimension raises InvalidArgumentException without detail.
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void sizeNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    if (runClearOrCopyValueNative(call, native, WORDS) || runWordPairNative(call, native, 3, true))
        return;
    if (native == 8 || native == 9)
        compareValuesNative(call, WORDS, native == 8);
    else
        undefinedNativeFunction(vm);
}
