#include "host/BitmapFileLoader.h"

#include "host/GraphicsInterfaces.h"

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
