// The FileWriter group (22): opening a file for writing (created, truncated
// or appended to) into a holder with TYPEID 6, and positioning in it.
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"

void fileWriterNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, FileWriterFn(native));
    switch (FileWriterFn(native)) {
    case FileWriterFn::open: { // var, path, append
        call.take();
        const OString& path = call.str(1);
        if (path.isEmpty())
            invalidArgument("Filename is empty");
        vm.wordAt(TAddr(call.arg(0))); // a bad variable fails before the file is touched
        // The host's overwrite argument is the opposite of the append flag.
        const int overwrite = call.flag(2) ? 0 : 1;
        std::unique_ptr<LUMBRA::Stream> stream(fileServices(vm).openFileForWriting(path, overwrite));
        if (!stream)
            ioFailure();
        StreamHolder::storeNew(vm, call.arg(0), FILE_WRITER_TYPE_ID, std::move(stream), path);
        call.leaveNothing();
        return;
    }
    case FileWriterFn::seek:
    case FileWriterFn::position:
    case FileWriterFn::size:
        runPositionNative(call, native, &StreamHolder::openWriter);
        return;
    }
}
