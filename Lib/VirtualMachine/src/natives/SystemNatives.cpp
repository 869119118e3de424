// The System native group (32), served by the machine itself.
#include "DateTime.h"
#include "NativeGroups.h"

#include "ListenerRoots.h"
#include "StreamHolder.h"
#include "VirtualMachine.h"

#include <string>

namespace {

// The process ends without unwinding: what open writers still buffer is
// written now, and a loss is logged instead of vanishing with the process.
void flushBeforeExit(VirtualMachine& vm, FrameworkServices& services)
{
    if (const int lost = flushOpenWriters(vm))
        services.log(OString::fromLatin1(
            ("IOException: " + std::to_string(lost) + " open file(s) could not be written before exit").c_str()));
}

} // namespace

void systemNative(VirtualMachine& vm, int function)
{
    FrameworkServices* services = vm.services();
    if (!services && function >= 1 && function <= 8 && function != 4 && function != 5)
        Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
    switch (function) {
    case 1:
        flushBeforeExit(vm, *services);
        services->exit();
        break;
    case 2:
        services->systemMessage(vm.stringFromBox(vm.top()));
        Lumbra::raiseError(Lumbra::EExitRequest);
    case 3:
        vm.push(TWord(services->uptimeMillis()));
        break;
    case 4:
        vm.push(vm.newStringBox(OString::fromLatin1("No Callstack available")));
        break;
    case 5: {
        const TWord object = vm.top();
        if (object != 0 && !isLiveHeapObject(vm.heap(), object))
            Lumbra::throwError(Lumbra::EVM, std::string_view("application object is not a heap object"));
        if (vm.application != 0)
            vm.heap().removeRoot(TAddr(vm.application));
        vm.application = object;
        if (object != 0)
            vm.heap().addRoot(TAddr(object));
        vm.pop();
        break;
    }
    case 6:
        vm.push(services->systemValueA(0));
        break;
    case 7:
        vm.push(services->systemValueB(0));
        break;
    case 8:
        vm.push(TWord(services->currentTimeMillis()));
        break;
    case 9:
        vm.top() = vm.newBox(TWord(newDateTime(vm, vm.top())));
        break;
    case 13:
        vm.pop();
        vm.pop();
        break;
    case 14:
    case 15:
        vm.top() = 0;
        break;
    default: // 10 to 12 come with the font group
        undefinedNativeFunction(vm);
    }
}
