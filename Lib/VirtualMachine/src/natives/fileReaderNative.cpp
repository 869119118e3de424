// The FileReader group (24): opening a file for reading into a holder
// with TYPEID 5, and positioning in it.
#include "natives/fileNativeCall.h"

void fileReaderNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    if (native == 1) { // var, path
        call.take(2);
        const OString& path = call.str(1);
        if (path.isEmpty())
            invalidArgument("Filename is empty");
        vm.wordAt(TAddr(call.arg(0))); // a bad variable fails before the file is touched
        std::unique_ptr<LUMBRA::Stream> stream(fileServices(vm).openFileForReading(path));
        if (!stream)
            couldNotOpen(path);
        StreamHolder::storeNew(vm, call.arg(0), FILE_READER_TYPE_ID, std::move(stream), path);
        call.leaveNothing();
        return;
    }
    if (!runPositionNative(call, native, &StreamHolder::openReader))
        undefinedNativeFunction(vm);
}
