// What the graphics natives need from the drawing backend, and the graphics
// holder that hands a surface or a bitmap to bytecode. The concrete classes
// (Qt painting and pixmaps) live with the host; the machine only sees these
// interfaces and reaches the backend through FrameworkServices::graphics().
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <vector>

class OString;
class VirtualMachine;

// A font the bytecode measures and draws text with. Characters are the
// UTF-16 code units of a string; (start, count) lies inside the string.
class VUvarFont : public GCObject {
public:
    enum Type { NATIVE_TYPE = 0, BITMAP_TYPE = 1 };

    virtual TInt32 ascent() = 0;
    virtual TInt32 height() = 0;
    // The advance of the `count` characters from `start`; 0 when count <= 0.
    virtual TInt32 width(const OString& text, TInt32 start, TInt32 count) = 0;
    // How many of those characters, taken from the first, fit in `maxWidth`.
    virtual TInt32 fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth) = 0;
    virtual TInt32 type() = 0;
};

// An off-screen ARGB image. Colours are 0xAARRGGBB, not premultiplied.
// Callers keep coordinates inside size(); empty bitmaps do not exist (a
// holder without a bitmap stands for one).
class VMBitmap : public GCObject {
public:
    // Heap block size of a bitmap (its size in the machine's 32-bit layout).
    static constexpr TUint32 BLOCK_SIZE = 16;

    // The bitmap in `format` ("jpg", "png", "gif", "bmp"); false (and `out`
    // empty) when it cannot be written so.
    virtual bool encode(std::vector<char>& out, const char* format) = 0;
    // Replaces the pixels by `source` scaled to this bitmap's size; quality
    // 10 smooths, any other value picks the nearest pixels.
    virtual void scaleFrom(VMBitmap& source, int quality) = 0;
    // Replaces the pixels by the rectangle of `source` (inside its bounds).
    virtual void copyRegionFrom(VMBitmap& source, TInt32 x, TInt32 y, TInt32 width, TInt32 height) = 0;
    virtual void fill(TUint32 colour) = 0;
    virtual TUint32 getPixel(TInt32 x, TInt32 y) = 0;
    virtual void setPixel(TInt32 x, TInt32 y, TUint32 colour) = 0;
    virtual void size(TInt32& width, TInt32& height) = 0;
};

// One drawing surface. A rectangle (x, y, width, height) covers x .. x +
// width - 1 and y .. y + height - 1. Bitmap arguments may be null (nothing
// is drawn). Once painting has ended every operation draws nothing.
class MGraphicsContainer : public GCObject {
public:
    // Heap block size of a container (its size in the machine's 32-bit layout).
    static constexpr TUint32 BLOCK_SIZE = 20;

    virtual void fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour) = 0;
    virtual void fillAll(TUint32 colour) = 0;
    virtual void drawLine(TInt32 x1, TInt32 y1, TInt32 x2, TInt32 y2, TUint32 colour) = 0;
    // Alpha 0..255 scales the bitmap's own opacity.
    virtual void drawBitmap(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 alpha) = 0;
    virtual void drawBitmapRegion(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 sourceX, TInt32 sourceY,
                                  TInt32 sourceWidth, TInt32 sourceHeight, TInt32 alpha) = 0;
    // Fills the rectangle with copies of the bitmap, the pattern starting at (-offsetX, -offsetY).
    virtual void drawTiled(TInt32 x, TInt32 y, TInt32 width, TInt32 height, VMBitmap* bitmap, TInt32 offsetX,
                           TInt32 offsetY, TInt32 alpha) = 0;
    // The bitmap centred on (x, y), turned by `angle` radians counter-clockwise and scaled.
    virtual void drawTransformed(VMBitmap* bitmap, TInt32 x, TInt32 y, double angle, double scaleX, double scaleY,
                                 TInt32 alpha) = 0;
    // The `count` characters from `start` (inside the string) with the
    // canvas's own 40-pixel font, top left at (x, y).
    virtual void drawTextNative(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y,
                                TUint32 colour) = 0;
    // The same characters with a bitmap font, glyph by glyph, at the
    // colour's opacity; characters the font lacks draw nothing and take no room.
    virtual void drawTextBitmap(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y, TUint32 colour,
                                VUvarFont& font) = 0;
    // Finishes the drawing; later operations draw nothing. Repeating it is harmless.
    virtual void endPainting() = 0;
};

// Makes bitmaps and the containers that paint on them.
class MGraphicsBackend {
public:
    virtual ~MGraphicsBackend() = default;
    // A bitmap of that size (both positive and within the backend's limits),
    // its pixels undefined until filled.
    virtual VMBitmap* newBitmap(TInt32 width, TInt32 height) = 0;
    // The image in `bytes` (format taken from the data), or null.
    virtual VMBitmap* decodeBitmap(const void* bytes, int count) = 0;
    virtual VMBitmap* copyBitmap(VMBitmap& other) = 0;
    // A container painting on `bitmap` until it ends or is destroyed.
    virtual MGraphicsContainer* newContainer(VMBitmap& bitmap) = 0;
    // The default font at 40 pixels.
    virtual VUvarFont* newNativeFont() = 0;
    // The bitmap font cut from the image in `bytes`, or null when they hold
    // no image; InvalidArgumentException when its glyph markers do not add up.
    virtual VUvarFont* decodeFont(const void* bytes, int count) = 0;
};

// Graphics holder block (GC_CODE_GRAPHICS_HOLDER): TYPEID, the container's
// block, the bitmap's block.
namespace GraphicsHolder {
constexpr TUint32 BLOCK_SIZE = 12;
constexpr int TYPE_ID_WORD = 0;
constexpr int CONTAINER_WORD = 1;
constexpr int BITMAP_WORD = 2;
} // namespace GraphicsHolder

// The machine's graphics backend; UnsupportedFeatureException when its host has none.
MGraphicsBackend& graphicsBackend(VirtualMachine& vm);

// Font blocks (GC_CODE_FONT) of a native and of a bitmap font (their sizes
// in the machine's 32-bit layout).
constexpr TUint32 NATIVE_FONT_BLOCK_SIZE = 12;
constexpr TUint32 BITMAP_FONT_BLOCK_SIZE = 56;

// A new native font block; `sizeCode` must be 0, 1 or 2 (all give the same
// font), else InvalidArgumentException "Unknown font size" before anything is made.
TAddr newNativeFont(VirtualMachine& vm, TInt32 sizeCode);
// A new block owning `font` (null: 0); the heap owns the font from now on.
TAddr newFontBlock(VirtualMachine& vm, VUvarFont* font);
// The font held in the reference box `box`: null for a null font; a null box
// raises NullPointerException, a word that names no font a VM error.
VUvarFont* fontFromBox(VirtualMachine& vm, TWord box);
// Charges the font in `box` with the host memory it holds now (a glyph
// pixmap made at a draw), as rechargeBitmapOfHolder does.
void rechargeFontInBox(VirtualMachine& vm, TWord box);

// A new screen holder (TYPEID 1) drawing through `container`; the heap owns
// the container from now on (also when this raises) and destroys it when
// the holder is no longer reachable.
TAddr newScreenHolder(VirtualMachine& vm, MGraphicsContainer* container);

// A new bitmap holder (TYPEID 2) without a container, holding `bitmap` (null:
// the empty bitmap); the heap owns the bitmap from now on, also when this raises.
TAddr newBitmapHolder(VirtualMachine& vm, VMBitmap* bitmap);

// The TYPEID of the holder at `holder` (error 1 for null).
TInt32 holderTypeId(VirtualMachine& vm, TWord holder);

// The container a holder draws with. TYPEID other than 1 and 2 raises
// VMException "Invalid object type ID"; a container word that names no
// container raises VMException. A bitmap holder without a container gets
// one on its bitmap; null for the empty bitmap (nothing to draw on).
MGraphicsContainer* containerOfHolder(VirtualMachine& vm, TWord holder);

// Ends the painting of a bitmap holder's container and clears the holder's
// container word; TYPEID other than 2 raises VMException "Invalid bitmap handle".
void endPaintingOfHolder(VirtualMachine& vm, TWord holder);

// The bitmap of a bitmap holder, null when empty; TYPEID other than 2 raises
// VMException "Invalid typeid on bitmap".
VMBitmap* bitmapOfHolder(VirtualMachine& vm, TWord holder);

// Charges a bitmap holder's bitmap with the host memory it holds now (a
// pixel copy made since); past the host limit std::bad_alloc, see
// VMHeap::rechargeHostBytes.
void rechargeBitmapOfHolder(VirtualMachine& vm, TWord holder);

// Replaces a bitmap holder's bitmap (null: empty); the heap owns `bitmap`
// from now on. TYPEID other than 2 raises VMException with an empty message.
void setBitmapOfHolder(VirtualMachine& vm, TWord holder, VMBitmap* bitmap);
