// The Color native group (13): one ARGB word per variable.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"
#include "values/ColorComponents.h"
#include "values/ValueRef.h"

namespace {
// Natives 4-7 and 8-11 name the components in this order.
constexpr int COMPONENT_OF_NATIVE[] = {LumbraColor::RED, LumbraColor::GREEN, LumbraColor::BLUE, LumbraColor::ALPHA};
constexpr int FIRST_CONSTANT = 14;
static_assert(int(ColorFn::constantOrange) - FIRST_CONSTANT + 1 ==
              int(sizeof LumbraColor::CONSTANTS / sizeof LumbraColor::CONSTANTS[0]));
} // namespace

void colorNative(VirtualMachine& vm, int native)
{
    using namespace LumbraColor;
    NativeCallFrame call(vm, ColorFn(native));
    const Lumbra::Arena& arena = vm.arena();
    switch (ColorFn(native)) {
    case ColorFn::constantRed:
    case ColorFn::constantGreen:
    case ColorFn::constantBlue:
    case ColorFn::constantBlack:
    case ColorFn::constantWhite:
    case ColorFn::constantCyan:
    case ColorFn::constantMagenta:
    case ColorFn::constantYellow:
    case ColorFn::constantGray:
    case ColorFn::constantBrown:
    case ColorFn::constantOrange:
        vm.push(TWord(CONSTANTS[native - FIRST_CONSTANT]));
        return;
    case ColorFn::clear:
        call.take();
        ValueRef(arena, call.arg(0), 1).set(0, TWord(White));
        call.leaveNothing();
        return;
    case ColorFn::copy:
        call.take();
        ValueRef(arena, call.arg(0), 1).copyFrom(ValueRef(arena, call.arg(1), 1), 1);
        call.leaveNothing();
        return;
    case ColorFn::set: {
        call.take();
        const ValueRef c(arena, call.arg(0), 1);
        TUint32 color = 0;
        for (int i = 0; i < 4; ++i)
            color = withComponent(color, COMPONENT_OF_NATIVE[i], call.arg(1 + i));
        c.set(0, TWord(color));
        call.leaveNothing();
        return;
    }
    case ColorFn::red:
    case ColorFn::green:
    case ColorFn::blue:
    case ColorFn::alpha:
        call.take();
        call.leave(component(TUint32(ValueRef(arena, call.arg(0), 1).get(0)), COMPONENT_OF_NATIVE[native - 4]));
        return;
    case ColorFn::setRed:
    case ColorFn::setGreen:
    case ColorFn::setBlue:
    case ColorFn::setAlpha: {
        call.take();
        const ValueRef c(arena, call.arg(0), 1);
        c.set(0, TWord(withComponent(TUint32(c.get(0)), COMPONENT_OF_NATIVE[native - 8], call.arg(1))));
        call.leaveNothing();
        return;
    }
    case ColorFn::equals:
    case ColorFn::notEquals:
        call.take();
        call.leaveOneOrZero((call.arg(0) == call.arg(1)) == (native == 12));
        return;
    }
}
