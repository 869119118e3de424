// The Screen native group (31): screen size, orientation and repaint requests.
#include "machine/ListenerRoots.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeGroups.h"

void screenNative(VirtualMachine& vm, int function)
{
    if (function < 1 || function > 8)
        undefinedNativeFunction(vm);
    if (!vm.services())
        Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
    FrameworkServices& host = *vm.services();
    switch (function) {
    case 1: { // repaint everything
        int width = 0, height = 0;
        host.getScreenSize(width, height);
        host.updateArea(0, 0, width, height);
        break;
    }
    case 2: {
        int width = 0, height = 0;
        host.getScreenSize(width, height);
        vm.push(width);
        vm.push(height);
        break;
    }
    case 3:
        host.setOrientation(vm.pop());
        break;
    case 4:
        vm.push(host.getOrientation());
        break;
    case 5:
        host.setScreenFlag(vm.pop() != 0);
        break;
    case 6: { // [x, y, width, height]
        const int x = vm.slot(vm.sp - 3), y = vm.slot(vm.sp - 2);
        const int width = vm.slot(vm.sp - 1), height = vm.top();
        vm.sp -= 4;
        host.updateArea(x, y, width, height);
        break;
    }
    case 7: {
        const TWord listener = vm.top();
        host.orientationListenerAdded(listener);
        addListenerRoot(vm, listener);
        vm.pop();
        break;
    }
    default: { // 8
        const TWord listener = vm.top();
        host.orientationListenerRemoved(listener);
        removeListenerRoot(vm, listener);
        vm.pop();
        break;
    }
    }
}
