// The Screen native group (31): screen size, orientation and repaint requests.
#include "machine/ListenerRoots.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeCallFrame.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"

void screenNative(VirtualMachine& vm, int function)
{
    if (function < 1 || function > 8)
        undefinedNativeFunction(vm, NATIVE_GROUP_OF<ScreenFn>);
    if (!vm.services())
        Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
    FrameworkServices& host = *vm.services();
    switch (ScreenFn(function)) {
    case ScreenFn::repaint: { // repaint everything
        int width = 0, height = 0;
        host.getScreenSize(width, height);
        host.updateArea(0, 0, width, height);
        break;
    }
    case ScreenFn::size: {
        int width = 0, height = 0;
        host.getScreenSize(width, height);
        vm.push(width);
        vm.push(height);
        break;
    }
    case ScreenFn::setOrientation:
        host.setOrientation(vm.pop());
        break;
    case ScreenFn::orientation:
        vm.push(host.getOrientation());
        break;
    case ScreenFn::setFlag:
        host.setScreenFlag(vm.pop() != 0);
        break;
    case ScreenFn::updateArea: { // [x, y, width, height]
        NativeCallFrame call(vm, ScreenFn::updateArea);
        call.take();
        const int x = call.arg(0), y = call.arg(1), width = call.arg(2), height = call.arg(3);
        call.leaveNothing();
        host.updateArea(x, y, width, height);
        break;
    }
    case ScreenFn::addOrientationListener: {
        const TWord listener = vm.top();
        host.orientationListenerAdded(listener);
        addListenerRoot(vm, listener);
        vm.pop();
        break;
    }
    case ScreenFn::removeOrientationListener: {
        const TWord listener = vm.top();
        host.orientationListenerRemoved(listener);
        removeListenerRoot(vm, listener);
        vm.pop();
        break;
    }
    }
}
