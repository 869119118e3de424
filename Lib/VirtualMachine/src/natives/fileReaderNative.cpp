// The FileReader group (24): opening a file for reading into a holder
// with TYPEID 5, and positioning in it.
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"

void fileReaderNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, FileReaderFn(native));
    switch (FileReaderFn(native)) {
    case FileReaderFn::open: { // var, path
        call.take();
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
    case FileReaderFn::seek:
    case FileReaderFn::position:
    case FileReaderFn::size:
        runPositionNative(call, native, &StreamHolder::openReader);
        return;
    }
}
