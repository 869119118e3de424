#include "host/BitmapFileLoader.h"

#include "host/GraphicsInterfaces.h"
#include "host/ImageFormat.h"

TAddr decodeBitmapBytes(VirtualMachine& vm, const OVector<ByteElement>& bytes, TBool asFont)
{
    return decodeBitmapRange(vm, bytes.constData(), bytes.size(), asFont);
}

TAddr decodeBitmapRange(VirtualMachine& vm, const ByteElement* bytes, int count, TBool asFont)
{
    // Refused before any decoder runs: a format outside the four, or a scan bomb.
    if (count <= 0 || decodableImageFormat(reinterpret_cast<const TUint8*>(bytes), size_t(count)) == ImageFormat::None)
        return 0;
    if (asFont)
        return newFontBlock(vm, graphicsBackend(vm).decodeFont(bytes, count));
    VMBitmap* bitmap = graphicsBackend(vm).decodeBitmap(bytes, count);
    return bitmap ? newBitmapHolder(vm, bitmap) : 0;
}
