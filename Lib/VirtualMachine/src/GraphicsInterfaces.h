// What the graphics natives need from a drawing surface, and the graphics
// holder that hands a surface to bytecode. The concrete container (Qt
// painting) lives with the host; the machine only sees this interface.
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

class VirtualMachine;

// One drawing surface. Colours are 0xAARRGGBB; a rectangle (x, y, width,
// height) covers x .. x + width - 1 and y .. y + height - 1.
class MGraphicsContainer : public GCObject {
public:
    // Heap block size of a container (its size in the machine's 32-bit layout).
    static constexpr TUint32 BLOCK_SIZE = 20;

    virtual void fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour) = 0;
    virtual void fillAll(TUint32 colour) = 0;
    // Finishes the drawing; later operations draw nothing. Repeating it is harmless.
    virtual void endPainting() = 0;
};

// Graphics holder block (GC_CODE_GRAPHICS_HOLDER): TYPEID, the container's
// block, the bitmap's block.
namespace GraphicsHolder {
constexpr TUint32 BLOCK_SIZE = 12;
constexpr int TYPE_ID_WORD = 0;
constexpr int CONTAINER_WORD = 1;
constexpr int BITMAP_WORD = 2;
} // namespace GraphicsHolder

// A new screen holder (TYPEID 1) drawing through `container`; the heap owns
// the container from now on (also when this raises) and destroys it when
// the holder is no longer reachable.
TAddr newScreenHolder(VirtualMachine& vm, MGraphicsContainer* container);

// The TYPEID of the holder at `holder` (error 1 for null).
TInt32 holderTypeId(VirtualMachine& vm, TWord holder);

// The container a holder draws with. TYPEID other than 1 and 2 raises
// VMException "Invalid object type ID"; a container word that names no
// container raises VMException. Null for a bitmap holder without a
// container (nothing to draw on).
MGraphicsContainer* containerOfHolder(VirtualMachine& vm, TWord holder);

// Ends the painting of a bitmap holder's container and clears the holder's
// container word; TYPEID other than 2 raises VMException "Invalid bitmap handle".
void endPaintingOfHolder(VirtualMachine& vm, TWord holder);
