#include "natives/fileNativeCall.h"

#include "host/BitmapFileLoader.h"

#include <memory>
#include <string_view>

FrameworkServices& fileServices(VirtualMachine& vm)
{
    FrameworkServices* services = vm.services();
    if (!services)
        ioFailure();
    return *services;
}

const ByteVector& byteVectorArg(VirtualMachine& vm, TWord box)
{
    const TWord vector = vm.wordAt(TAddr(box));
    if (vector == 0)
        Lumbra::Arena::nullAddress();
    return *vm.heap().objectAs<ByteVector>(TAddr(vector));
}

TWord newByteVectorBox(VirtualMachine& vm, const void* bytes, int count)
{
    const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
    vm.heap().objectAs<ByteVector>(vector)->insert(0, static_cast<const ByteElement*>(bytes), count);
    return vm.newBox(TWord(vector));
}

void invalidArgument(const char* detail)
{
    Lumbra::throwError(Lumbra::EInvalidArgument, std::string_view(detail));
}

void ioFailure()
{
    Lumbra::raiseError(Lumbra::EIOError);
}

void couldNotOpen(const OString& path)
{
    Lumbra::throwError(Lumbra::EIOError, u"Could not open file: " + path.toU16());
}

TAddr readFileIntoByteVector(VirtualMachine& vm, const OString& path)
{
    if (path.isEmpty())
        invalidArgument("Filename is empty");
    std::unique_ptr<LUMBRA::InputStream> stream(fileServices(vm).openFileForReading(path));
    if (!stream)
        couldNotOpen(path);
    const int size = stream->size();
    if (size == 0)
        invalidArgument("File is empty");
    // Read in place: the arena's limit holds, with no host copy on the way.
    const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
    const bool read = vm.heap().objectAs<ByteVector>(vector)->appendFilled(
        size, [&stream](ByteElement* bytes, int n) { return stream->read(reinterpret_cast<char*>(bytes), n); });
    stream.reset(); // the file is closed as soon as its bytes are in
    if (!read)
        ioFailure();
    return vector;
}

TAddr LoadBitmapFromFile(const OString& path, TBool asFont)
{
    VirtualMachine& vm = *VirtualMachine::current();
    const TAddr bytes = readFileIntoByteVector(vm, path);
    return decodeBitmapBytes(vm, *vm.heap().objectAs<ByteVector>(bytes), asFont);
}
