// The Rectangle native group (17): x, y, width, height in a four-word variable.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/valueNativeCall.h"

namespace {
enum { X, Y, WIDTH, HEIGHT, WORDS };
}

void rectangleNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, RectangleFn(native));
    const Lumbra::Arena& arena = vm.arena();
    switch (RectangleFn(native)) {
    case RectangleFn::clear:
    case RectangleFn::copy:
        runClearOrCopyValueNative(call, native, WORDS);
        return;
    case RectangleFn::x:
    case RectangleFn::y:
    case RectangleFn::width:
    case RectangleFn::height:
    case RectangleFn::right:
    case RectangleFn::bottom: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        if (native <= 9) {
            call.leave(r.get(native - 6));
        } else { // right and bottom edges, exclusive
            const int start = native == 10 ? X : Y;
            call.leave(TWord(TUint32(r.get(start)) + TUint32(r.get(start + 2))));
        }
        return;
    }
    case RectangleFn::set: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        for (int i = 0; i < WORDS; ++i)
            r.set(i, call.arg(1 + i));
        call.leaveNothing();
        return;
    }
    case RectangleFn::position:
    case RectangleFn::size: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        const int first = native == 4 ? X : WIDTH;
        call.leave(r.get(first));
        vm.push(r.get(first + 1));
        return;
    }
    case RectangleFn::setPosition:
    case RectangleFn::setSize: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        const int first = native == 12 ? X : WIDTH;
        r.set(first, call.arg(1));
        r.set(first + 1, call.arg(2));
        call.leaveNothing();
        return;
    }
    case RectangleFn::setX:
    case RectangleFn::setY:
    case RectangleFn::setWidth:
    case RectangleFn::setHeight:
    case RectangleFn::setRight:
    case RectangleFn::setBottom: {
        call.take();
        const ValueRef r(arena, call.arg(0), WORDS);
        const TWord v = call.arg(1);
        if (native <= 17) {
            requireValue(native <= 15 || v >= 0);
            r.set(native - 14, v);
        } else { // width from the right edge, height from the bottom edge
            const int origin = native == 18 ? X : Y;
            const TInt64 size = TInt64(v) - r.get(origin);
            requireValue(size >= 0 && size <= INT32_MAX);
            r.set(origin + 2, TWord(size));
        }
        call.leaveNothing();
        return;
    }
    case RectangleFn::equals:
    case RectangleFn::notEquals:
        compareValuesNative(call, WORDS, native == 20);
        return;
    }
}
