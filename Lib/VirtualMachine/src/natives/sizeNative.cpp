// The Size native group (15): width and height in a two-word variable; a
// negative dimension raises InvalidArgumentException without detail.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
constexpr int WORDS = 2;
}

void sizeNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, SizeFn(native));
    switch (SizeFn(native)) {
    case SizeFn::clear:
    case SizeFn::copy:
        runClearOrCopyValueNative(call, native, WORDS);
        return;
    case SizeFn::set:
    case SizeFn::width:
    case SizeFn::height:
    case SizeFn::setWidth:
    case SizeFn::setHeight:
        runWordPairNative(call, native, 3, true);
        return;
    case SizeFn::equals:
    case SizeFn::notEquals:
        compareValuesNative(call, WORDS, native == 8);
        return;
    }
}
