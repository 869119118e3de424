#include "BitmapFileLoader.h"

#include "fileNativeCall.h"

#include <memory>

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
    ByteElement* bytes = vm.heap().objectAs<ByteVector>(vector)->appendCleared(size);
    const bool read = stream->read(reinterpret_cast<char*>(bytes), size);
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

// No image decoder is linked in yet: every image reads as undecodable.
TAddr decodeBitmapBytes(VirtualMachine&, const OVector<ByteElement>&, TBool)
{
    return 0;
}
