// A key press or release as the key entry points receive it.
#pragma once

#include "GCObject.h"
#include "OString.h"

namespace Lumbra {

class KeyEvent : public GCObject {
public:
    // Heap block size (the object's size in the machine's 32-bit layout).
    static constexpr TUint32 BLOCK_SIZE = 12 + 4 + OString::BLOCK_SIZE;

    KeyEvent(TInt32 keyCode, TInt32 scanCode, TInt32 modifiers, const OString& text)
        : keyCode(keyCode), scanCode(scanCode), modifiers(modifiers), text(text)
    {
    }

    TInt32 keyCode;
    TInt32 scanCode;
    TInt32 modifiers;
    OString text;
};

} // namespace Lumbra

class VMHeap;

// A new key event object on `heap` for the key entry points; 0 while key
// events are not available (the event is then not delivered).
TAddr newKeyEvent(VMHeap& heap, int key, int scanCode, int modifiers, const OString& text);
