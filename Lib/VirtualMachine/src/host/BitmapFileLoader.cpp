#include "host/BitmapFileLoader.h"

#include "host/GraphicsInterfaces.h"
#include "natives/fileNativeCall.h"

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

TAddr decodeBitmapBytes(VirtualMachine& vm, const OVector<ByteElement>& bytes, TBool asFont)
{
    return decodeBitmapRange(vm, bytes.constData(), bytes.size(), asFont);
}

TAddr decodeBitmapRange(VirtualMachine& vm, const ByteElement* bytes, int count, TBool asFont)
{
    if (count <= 0)
        return 0;
    if (asFont)
        return newFontBlock(vm, graphicsBackend(vm).decodeFont(bytes, count));
    VMBitmap* bitmap = graphicsBackend(vm).decodeBitmap(bytes, count);
    return bitmap ? newBitmapHolder(vm, bitmap) : 0;
}
