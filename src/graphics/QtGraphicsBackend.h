// The graphics backend of the Qt hosts: bitmaps are pixmaps, containers
// paint with QPainter. Pixmaps need a Qt GUI application; without one every
// request raises UnsupportedFeatureException instead of aborting.
#pragma once

#include "host/GraphicsInterfaces.h"

class QtGraphicsBackend : public MGraphicsBackend {
public:
    VMBitmap* newBitmap(TInt32 width, TInt32 height) override;
    VMBitmap* decodeBitmap(const void* bytes, int count) override;
    VMBitmap* copyBitmap(VMBitmap& other) override;
    MGraphicsContainer* newContainer(VMBitmap& bitmap) override;
    VUvarFont* newNativeFont() override;
    VUvarFont* decodeFont(const void* bytes, int count) override;
};
