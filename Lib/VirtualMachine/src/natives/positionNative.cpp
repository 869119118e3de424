// The Position native group (16): x and y in a two-word variable.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void positionNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, PositionFn(native));
    switch (PositionFn(native)) {
    case PositionFn::clear:
    case PositionFn::copy:
        runClearOrCopyValueNative(call, native, WORDS);
        return;
    case PositionFn::set:
    case PositionFn::x:
    case PositionFn::y:
    case PositionFn::setX:
    case PositionFn::setY:
        runWordPairNative(call, native, 3, false);
        return;
    case PositionFn::equals:
    case PositionFn::notEquals:
        compareValuesNative(call, WORDS, native == 8);
        return;
    }
}
