// Natives that the value-class groups (Position, Range, Rectangle)
// have in common, on variables of `words` words.
#pragma once

#include "ValueRef.h"
#include "stringNativeCall.h"

// Natives 1 (variable): zeroes every word, and 2 (to, from): copies the
// variable at `from` into the one at `to`. False when `native` is neither.
inline bool runClearOrCopyValueNative(NativeCallFrame& call, int native, int words)
{
    const Lumbra::Arena& arena = call.vm.arena();
    if (native == 1) {
        call.take(1);
        ValueRef(arena, call.arg(0), words).clear(words);
    } else if (native == 2) {
        call.take(2);
        ValueRef(arena, call.arg(0), words).copyFrom(ValueRef(arena, call.arg(1), words), words);
    } else {
        return false;
    }
    call.leaveNothing();
    return true;
}

// Two values passed word by word: answers whether they are equal, or with
// `equal` false whether they differ.
inline void compareValuesNative(NativeCallFrame& call, int words, bool equal)
{
    call.take(2 * words);
    bool same = true;
    for (int i = 0; i < words; ++i)
        same = same && call.arg(i) == call.arg(words + i);
    call.leaveOneOrZero(same == equal);
}
