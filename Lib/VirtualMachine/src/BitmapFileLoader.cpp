#include "BitmapFileLoader.h"

#include "GraphicsInterfaces.h"
#include "fileNativeCall.h"

#include <memory>
#include <vector>

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
    std::vector<char> bytes(static_cast<size_t>(size));
    const bool read = stream->read(bytes.data(), size);
    stream.reset(); // the file is closed as soon as its bytes are in
    if (!read)
        ioFailure();
    const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
    vm.heap().objectAs<ByteVector>(vector)->insert(0, reinterpret_cast<const ByteElement*>(bytes.data()), size);
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
