// Key events are native objects of the managed heap.
#include "values/KeyEvent.h"

#include "natives/NativeGroups.h"
#include "machine/VirtualMachine.h"

TAddr newKeyEvent(VirtualMachine& vm, int key, int scanCode, int modifiers, const OString& text)
{
    return vm.heap().create<Lumbra::KeyEvent>(Lumbra::KeyEvent::BLOCK_SIZE, GC_CODE_NATIVE, key, scanCode,
                                              modifiers, text);
}
