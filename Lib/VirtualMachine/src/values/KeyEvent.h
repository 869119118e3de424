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
