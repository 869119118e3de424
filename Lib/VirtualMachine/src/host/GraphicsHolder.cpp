// Graphics holders: the blocks through which bytecode reaches a drawing
// surface or a bitmap.
#include "host/GraphicsInterfaces.h"

#include "host/FrameworkServices.h"
#include "machine/VirtualMachine.h"

namespace {

TWord holderWord(VirtualMachine& vm, TWord holder, int index)
{
    return vm.wordAt(TAddr(holder), index);
}

void storeHolderWord(VirtualMachine& vm, TWord holder, int index, TWord value)
{
    vm.arena().storeWord(TAddr(holder) + 4 * TAddr(index), value);
}

// A block owning `object`; the object is deleted when that fails.
TAddr adoptOrDelete(VirtualMachine& vm, GCObject* object, TUint32 blockSize)
{
    return vm.heap().adoptOrDelete(object, blockSize, GC_CODE_NATIVE);
}

TAddr newHolder(VirtualMachine& vm, TInt32 typeId, TAddr container, TAddr bitmap)
{
    // An allocation never collects, so the blocks made before survive until the holder refers to them.
    const TAddr holder = vm.heap().allocate(GraphicsHolder::BLOCK_SIZE, 0, GC_CODE_GRAPHICS_HOLDER);
    storeHolderWord(vm, TWord(holder), GraphicsHolder::TYPE_ID_WORD, typeId);
    storeHolderWord(vm, TWord(holder), GraphicsHolder::CONTAINER_WORD, TWord(container));
    storeHolderWord(vm, TWord(holder), GraphicsHolder::BITMAP_WORD, TWord(bitmap));
    return holder;
}

void requireBitmapHolder(VirtualMachine& vm, TWord holder, const char* message)
{
    if (holderTypeId(vm, holder) != BITMAP_TYPE_ID)
        Lumbra::throwError(Lumbra::EVM, std::string_view(message));
}

} // namespace

MGraphicsBackend& graphicsBackend(VirtualMachine& vm)
{
    MGraphicsBackend* backend = vm.services() ? vm.services()->graphics() : nullptr;
    if (!backend)
        Lumbra::throwError(Lumbra::EUnsupportedFeature, std::string_view("no graphics device"));
    return *backend;
}

TAddr newScreenHolder(VirtualMachine& vm, MGraphicsContainer* container)
{
    const TAddr block = adoptOrDelete(vm, container, MGraphicsContainer::BLOCK_SIZE);
    return newHolder(vm, GRAPHICS_CONTEXT_TYPE_ID, block, 0);
}

TAddr newBitmapHolder(VirtualMachine& vm, VMBitmap* bitmap)
{
    const TAddr block = bitmap ? adoptOrDelete(vm, bitmap, VMBitmap::BLOCK_SIZE) : 0;
    return newHolder(vm, BITMAP_TYPE_ID, 0, block);
}

TInt32 holderTypeId(VirtualMachine& vm, TWord holder)
{
    return holderWord(vm, holder, GraphicsHolder::TYPE_ID_WORD);
}

MGraphicsContainer* containerOfHolder(VirtualMachine& vm, TWord holder)
{
    const TInt32 typeId = holderTypeId(vm, holder);
    if (typeId != GRAPHICS_CONTEXT_TYPE_ID && typeId != BITMAP_TYPE_ID)
        Lumbra::throwError(Lumbra::EVM, std::string_view("Invalid object type ID"));
    const TWord container = holderWord(vm, holder, GraphicsHolder::CONTAINER_WORD);
    if (container == 0 && typeId == BITMAP_TYPE_ID) {
        VMBitmap* bitmap = bitmapOfHolder(vm, holder);
        if (!bitmap)
            return nullptr;
        MGraphicsContainer* created = graphicsBackend(vm).newContainer(*bitmap);
        const TAddr block = adoptOrDelete(vm, created, MGraphicsContainer::BLOCK_SIZE);
        storeHolderWord(vm, holder, GraphicsHolder::CONTAINER_WORD, TWord(block));
        return created;
    }
    // objectAs validates the word against the heap's native-object table.
    return vm.heap().objectAs<MGraphicsContainer>(TAddr(container));
}

void endPaintingOfHolder(VirtualMachine& vm, TWord holder)
{
    requireBitmapHolder(vm, holder, "Invalid bitmap handle");
    const TWord container = holderWord(vm, holder, GraphicsHolder::CONTAINER_WORD);
    if (container == 0)
        return;
    vm.heap().objectAs<MGraphicsContainer>(TAddr(container))->endPainting();
    storeHolderWord(vm, holder, GraphicsHolder::CONTAINER_WORD, 0);
}

VMBitmap* bitmapOfHolder(VirtualMachine& vm, TWord holder)
{
    requireBitmapHolder(vm, holder, "Invalid typeid on bitmap");
    const TWord bitmap = holderWord(vm, holder, GraphicsHolder::BITMAP_WORD);
    return bitmap == 0 ? nullptr : vm.heap().objectAs<VMBitmap>(TAddr(bitmap));
}

void rechargeBitmapOfHolder(VirtualMachine& vm, TWord holder)
{
    requireBitmapHolder(vm, holder, "Invalid typeid on bitmap");
    vm.heap().rechargeHostBytes(TAddr(holderWord(vm, holder, GraphicsHolder::BITMAP_WORD)));
}

void setBitmapOfHolder(VirtualMachine& vm, TWord holder, VMBitmap* bitmap)
{
    if (holderTypeId(vm, holder) != BITMAP_TYPE_ID) {
        delete bitmap;
        Lumbra::raiseError(Lumbra::EVM);
    }
    const TAddr block = bitmap ? adoptOrDelete(vm, bitmap, VMBitmap::BLOCK_SIZE) : 0;
    storeHolderWord(vm, holder, GraphicsHolder::BITMAP_WORD, TWord(block));
}
