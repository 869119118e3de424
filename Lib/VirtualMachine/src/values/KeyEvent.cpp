// Key events are native objects of the managed heap.
#include "values/KeyEvent.h"

#include "heap/Heap.h"

TAddr newKeyEvent(VMHeap& heap, int key, int scanCode, int modifiers, const OString& text)
{
    return heap.create<Lumbra::KeyEvent>(Lumbra::KeyEvent::BLOCK_SIZE, GC_CODE_NATIVE, key, scanCode, modifiers,
                                         text);
}
