#include "machine/ListenerRoots.h"

#include "machine/VirtualMachine.h"

bool isLiveHeapObject(const VMHeap& heap, TWord word)
{
    if (TAddr(word) < VMHeap::HEADER)
        return false;
    const TAddr block = VMHeap::entryOf(TAddr(word));
    return heap.isBlockStart(block) && heap.entry(block).gcCode != GC_CODE_FREE &&
           heap.entry(block).gcCode != GC_CODE_TERMINATOR;
}

void addListenerRoot(VirtualMachine& vm, TWord listener)
{
    if (listener == 0)
        return;
    if (!isLiveHeapObject(vm.heap(), listener))
        Lumbra::throwError(Lumbra::EVM, std::string_view("listener is not a heap object"));
    vm.heap().addRoot(TAddr(listener));
}

void removeListenerRoot(VirtualMachine& vm, TWord listener)
{
    if (listener != 0)
        vm.heap().removeRoot(TAddr(listener));
}
