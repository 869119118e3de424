#include "QtGraphicsBackend.h"

#include "BitmapContainer.h"
#include "GraphicsContainer.h"
#include "LumbraFont.h"
#include "NativeFont.h"
#include "VMError.h"

#include <QGuiApplication>

namespace {

void requireGuiApplication()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        Lumbra::throwError(Lumbra::EUnsupportedFeature, std::string_view("no graphics device"));
}

// Bitmaps of another backend are not drawable here.
BitmapContainer& ownBitmap(VMBitmap& bitmap)
{
    auto* own = dynamic_cast<BitmapContainer*>(&bitmap);
    if (!own)
        Lumbra::throwError(Lumbra::EVM, std::string_view("object of the wrong kind"));
    return *own;
}

} // namespace

VMBitmap* QtGraphicsBackend::newBitmap(TInt32 width, TInt32 height)
{
    requireGuiApplication();
    return new BitmapContainer(width, height);
}

VMBitmap* QtGraphicsBackend::decodeBitmap(const void* bytes, int count)
{
    requireGuiApplication();
    return BitmapContainer::decode(bytes, count);
}

VMBitmap* QtGraphicsBackend::copyBitmap(VMBitmap& other)
{
    requireGuiApplication();
    return new BitmapContainer(ownBitmap(other));
}

MGraphicsContainer* QtGraphicsBackend::newContainer(VMBitmap& bitmap)
{
    requireGuiApplication();
    return new GraphicsContainer(ownBitmap(bitmap));
}

VUvarFont* QtGraphicsBackend::newNativeFont()
{
    requireGuiApplication();
    return new NativeFont();
}

VUvarFont* QtGraphicsBackend::decodeFont(const void* bytes, int count)
{
    requireGuiApplication();
    return LumbraFont::decode(bytes, count);
}
