// The System native group (32), served by the machine itself.
#include "host/BitmapFileLoader.h"
#include "host/GraphicsInterfaces.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/fileNativeCall.h"
#include "values/DateTime.h"

#include "host/StreamHolder.h"
#include "machine/ListenerRoots.h"
#include "machine/VirtualMachine.h"

#include <string>
#include <vector>

namespace {

// The process ends without unwinding: what open writers still buffer is
// written now, and a loss is logged instead of vanishing with the process.
// Answers the exit status: 1 after a loss.
int flushBeforeExit(VirtualMachine& vm, FrameworkServices& services)
{
    const std::vector<std::u16string> lost = flushOpenWriters(vm);
    if (lost.empty())
        return 0;
    services.log(lostWritersMessage(lost));
    return 1;
}

// The box for a bitmap font just built; InvalidArgumentException without a
// message when there is none.
TWord boxedBitmapFont(VirtualMachine& vm, TAddr font)
{
    if (font == 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return vm.newBox(TWord(font));
}

} // namespace

void systemNative(VirtualMachine& vm, int function)
{
    FrameworkServices* services = vm.services();
    if (!services && function >= 1 && function <= 8 && function != 4 && function != 5)
        Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
    switch (SystemFn(function)) {
    case SystemFn::exit:
        services->exit(flushBeforeExit(vm, *services));
        break;
    case SystemFn::message:
        services->systemMessage(vm.stringFromBox(vm.top()));
        Lumbra::raiseError(Lumbra::EExitRequest);
    case SystemFn::uptime:
        vm.push(TWord(services->uptimeMillis()));
        break;
    case SystemFn::callStack:
        vm.push(vm.newStringBox(OString::fromLatin1("No Callstack available")));
        break;
    case SystemFn::setApplication: {
        vm.setApplication(vm.top());
        vm.pop();
        break;
    }
    case SystemFn::valueA:
        vm.push(services->systemValueA(0));
        break;
    case SystemFn::valueB:
        vm.push(services->systemValueB(0));
        break;
    case SystemFn::currentTime:
        vm.push(TWord(services->currentTimeMillis()));
        break;
    case SystemFn::dateTime:
        vm.top() = vm.newBox(TWord(newDateTime(vm, vm.top())));
        break;
    case SystemFn::nativeFont:
        vm.push(vm.newBox(TWord(newNativeFont(vm, 0))));
        break;
    case SystemFn::loadFont:
        vm.top() = boxedBitmapFont(vm, LoadBitmapFromFile(vm.stringFromBox(vm.top()), true));
        break;
    case SystemFn::decodeFont: {
        const ByteVector& bytes = byteVectorArg(vm, vm.top());
        if (bytes.size() == 0)
            invalidArgument("byte[] is empty");
        vm.top() = boxedBitmapFont(vm, decodeBitmapBytes(vm, bytes, true));
        break;
    }
    case SystemFn::drop2:
        vm.pop();
        vm.pop();
        break;
    case SystemFn::zeroTop:
    case SystemFn::zeroTopAlt:
        vm.top() = 0;
        break;
    }
}
