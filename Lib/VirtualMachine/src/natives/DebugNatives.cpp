// The Debug native group (30): bytecode's log lines and log file.
#include "natives/NativeGroups.h"

#include "machine/VirtualMachine.h"

void debugNative(VirtualMachine& vm, int function)
{
    switch (function) {
    case 1:
    case 2: {
        if (!vm.services())
            Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
        const OString text = vm.stringFromBox(vm.top());
        vm.pop();
        if (function == 1)
            vm.services()->log(text);
        else
            vm.services()->setLogFile(text);
        break;
    }
    case 3:
        break;
    default:
        undefinedNativeFunction(vm);
    }
}
