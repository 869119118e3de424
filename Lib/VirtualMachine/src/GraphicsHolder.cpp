// Graphics holders: the blocks through which bytecode reaches a drawing surface.
#include "GraphicsInterfaces.h"

#include "VirtualMachine.h"

namespace {

TWord holderWord(VirtualMachine& vm, TWord holder, int index)
{
    return vm.wordAt(TAddr(holder), index);
}

} // namespace

TAddr newScreenHolder(VirtualMachine& vm, MGraphicsContainer* container)
{
    TAddr containerBlock;
    try {
        containerBlock = vm.heap().adopt(container, MGraphicsContainer::BLOCK_SIZE, GC_CODE_NATIVE);
    } catch (...) {
        delete container;
        throw;
    }
    // An allocation never collects, so the container block survives until the holder refers to it.
    const TAddr holder = vm.heap().allocate(GraphicsHolder::BLOCK_SIZE, 0, GC_CODE_GRAPHICS_HOLDER);
    Lumbra::Arena& arena = vm.arena();
    arena.storeWord(holder + 4 * GraphicsHolder::TYPE_ID_WORD, GRAPHICS_CONTEXT_TYPE_ID);
    arena.storeWord(holder + 4 * GraphicsHolder::CONTAINER_WORD, TWord(containerBlock));
    arena.storeWord(holder + 4 * GraphicsHolder::BITMAP_WORD, 0);
    return holder;
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
    if (container == 0 && typeId == BITMAP_TYPE_ID)
        return nullptr;
    // objectAs validates the word against the heap's native-object table.
    return vm.heap().objectAs<MGraphicsContainer>(TAddr(container));
}

void endPaintingOfHolder(VirtualMachine& vm, TWord holder)
{
    if (holderTypeId(vm, holder) != BITMAP_TYPE_ID)
        Lumbra::throwError(Lumbra::EVM, std::string_view("Invalid bitmap handle"));
    const TWord container = holderWord(vm, holder, GraphicsHolder::CONTAINER_WORD);
    if (container == 0)
        return;
    vm.heap().objectAs<MGraphicsContainer>(TAddr(container))->endPainting();
    vm.arena().storeWord(TAddr(holder) + 4 * GraphicsHolder::CONTAINER_WORD, 0);
}
