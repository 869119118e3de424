// The InputStream group (23): closing, querying and reading a FileReader's
// stream. A holder of another kind raises VMException "Invalid TYPEID".
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"

#include <algorithm>

namespace {

// Reads exactly `count` bytes, straight into the new vector: the arena's
// limit holds, with no host copy of the file on the way, and storage is not
// cleared before the read overwrites it. Never asks for more
// than the file still holds, so a huge count cannot allocate beyond the file;
// a short read still consumes what was there and raises IOException.
TWord readBytes(VirtualMachine& vm, LUMBRA::InputStream& stream, int count)
{
    const TInt64 left = TInt64(stream.size()) - stream.position();
    const int available = int(std::max<TInt64>(0, std::min<TInt64>(left, count)));
    const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
    const bool read = vm.heap().objectAs<ByteVector>(vector)->appendFilled(
        available, [&stream](ByteElement* bytes, int n) { return stream.read(reinterpret_cast<char*>(bytes), n); });
    if (!read || available < count)
        ioFailure();
    return vm.newBox(TWord(vector));
}

} // namespace

void inputStreamNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, InputStreamFn(native));
    switch (InputStreamFn(native)) {
    case InputStreamFn::close:
    case InputStreamFn::isOpen:
        runStreamStateNative(call, native, &StreamHolder::attachedReader);
        return;
    case InputStreamFn::read: { // holder, count
        call.take();
        const TWord count = call.arg(1);
        if (count < 0)
            invalidArgument("The number of bytes should be non-negative");
        LUMBRA::InputStream& stream = StreamHolder(vm, call.arg(0)).openReader();
        call.leave(readBytes(vm, stream, count));
        return;
    }
    }
}
