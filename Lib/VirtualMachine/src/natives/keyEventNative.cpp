// The KeyEvent native group (35): the fields of a key event.
#include "machine/VirtualMachine.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "values/KeyEvent.h"

void keyEventNative(VirtualMachine& vm, int function)
{
    if (function < 1 || function > 4)
        undefinedNativeFunction(vm, NATIVE_GROUP_OF<KeyEventFn>);
    // The operand is a reference box holding the event.
    const TWord event = vm.wordAt(TAddr(vm.top()));
    const Lumbra::KeyEvent& e = *vm.heap().objectAs<Lumbra::KeyEvent>(TAddr(event));
    switch (KeyEventFn(function)) {
    case KeyEventFn::keyCode:
        vm.top() = e.keyCode;
        break;
    case KeyEventFn::modifiers:
        vm.top() = e.modifiers;
        break;
    case KeyEventFn::scanCode:
        vm.top() = e.scanCode;
        break;
    case KeyEventFn::text:
        vm.top() = vm.newStringBox(e.text);
        break;
    }
}
