// The Debug native group (30): bytecode's log lines and log file.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"

#include "machine/VirtualMachine.h"

void debugNative(VirtualMachine& vm, int function)
{
    switch (DebugFn(function)) {
    case DebugFn::log:
    case DebugFn::setLogFile: {
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
    case DebugFn::nop:
        break;
    }
}
