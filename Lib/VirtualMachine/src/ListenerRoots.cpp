#include "ListenerRoots.h"

#include "VirtualMachine.h"

void addListenerRoot(VirtualMachine& vm, TWord listener)
{
    if (listener == 0)
        return;
    VMHeap& heap = vm.heap();
    const TAddr block = VMHeap::entryOf(TAddr(listener));
    const bool liveBlock = heap.belongsToPools(block) == block && heap.entry(block).gcCode != GC_CODE_FREE &&
                           heap.entry(block).gcCode != GC_CODE_TERMINATOR;
    if (!liveBlock)
        Lumbra::throwError(Lumbra::EVM, std::string_view("listener is not a heap object"));
    heap.addRoot(TAddr(listener));
}

void removeListenerRoot(VirtualMachine& vm, TWord listener)
{
    if (listener != 0)
        vm.heap().removeRoot(TAddr(listener));
}
