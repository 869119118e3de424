// The Graphics native group (18): drawing on a canvas (a graphics holder).
// Filling is available on screen canvases; the other drawing functions are
// not implemented yet and raise the group's undefined-function error.
#include "GraphicsInterfaces.h"
#include "NativeGroups.h"
#include "VirtualMachine.h"

namespace {

// The holder in the reference box at stack slot `index` (null box: error 1).
TWord canvasAt(VirtualMachine& vm, int index)
{
    return vm.wordAt(TAddr(vm.slot(index)));
}

void fillRect(VirtualMachine& vm) // [canvas*, x, y, width, height, colour]
{
    const int base = vm.sp - 5;
    const TWord canvas = canvasAt(vm, base);
    if (canvas != 0) {
        if (MGraphicsContainer* container = containerOfHolder(vm, canvas))
            container->fillRect(vm.slot(base + 1), vm.slot(base + 2), vm.slot(base + 3), vm.slot(base + 4),
                                TUint32(vm.slot(base + 5)));
    }
    vm.sp = base - 1;
}

void fillAll(VirtualMachine& vm) // [canvas*, colour]
{
    const TWord canvas = canvasAt(vm, vm.sp - 1);
    const TUint32 colour = TUint32(vm.top());
    if (canvas != 0 && holderTypeId(vm, canvas) == BITMAP_TYPE_ID) {
        endPaintingOfHolder(vm, canvas);
        // An empty bitmap has nothing to fill; bitmap contents are not available yet.
        if (vm.wordAt(TAddr(canvas), GraphicsHolder::BITMAP_WORD) != 0)
            Lumbra::throwError(Lumbra::EUnsupportedFeature, std::string_view("bitmap fill"));
    } else if (canvas != 0) {
        if (MGraphicsContainer* container = containerOfHolder(vm, canvas))
            container->fillAll(colour);
    }
    vm.sp -= 2;
}

} // namespace

void graphicsNative(VirtualMachine& vm, int function)
{
    switch (function) {
    case 4:
        fillRect(vm);
        break;
    case 8:
        fillAll(vm);
        break;
    default:
        undefinedNativeFunction(vm);
    }
}
