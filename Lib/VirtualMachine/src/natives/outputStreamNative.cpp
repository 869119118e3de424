// The OutputStream group (21): closing, querying and writing a FileWriter's
// stream. A holder of another kind raises VMException "Invalid TYPEID".
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"

namespace {

void writeBytes(LUMBRA::OutputStream& stream, const ByteVector& bytes, int first, int count)
{
    if (count > 0 && !stream.write(bytes.constData() + first, count))
        ioFailure();
}

} // namespace

void outputStreamNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, OutputStreamFn(native));
    switch (OutputStreamFn(native)) {
    case OutputStreamFn::close:
    case OutputStreamFn::isOpen:
        runStreamStateNative(call, native, &StreamHolder::attachedWriter);
        return;
    case OutputStreamFn::write: { // holder, bytes
        call.take();
        const ByteVector& bytes = byteVectorArg(vm, call.arg(1));
        const StreamHolder holder(vm, call.arg(0));
        if (holder.isNull())
            fileNotOpen();
        // A holder without a stream ignores the write; a closed one fails it.
        if (LUMBRA::OutputStream* stream = holder.attachedWriter())
            writeBytes(*stream, bytes, 0, bytes.size());
        call.leaveNothing();
        return;
    }
    case OutputStreamFn::writeRange: { // holder, bytes, first, count
        call.take();
        const ByteVector& bytes = byteVectorArg(vm, call.arg(1));
        const StreamHolder holder(vm, call.arg(0));
        if (holder.isNull())
            fileNotOpen();
        TInt32 first = call.arg(2), count = call.arg(3);
        Lumbra::checkRange(0, bytes.size(), first, count);
        writeBytes(holder.openWriter(), bytes, first, count);
        call.leaveNothing();
        return;
    }
    }
}
