// Natives that the value-class groups (Position, Range, Rectangle)
// have in common, on variables of `words` words.
#pragma once

#include "ValueRef.h"
#include "stringNativeCall.h"

// (to, from): copies the variable at `from` into the one at `to`.
inline void copyValueNative(StringCall& call, int words)
{
    call.take(2);
    const Lumbra::Arena& arena = call.vm.arena();
    ValueRef(arena, call.arg(0), words).copyFrom(ValueRef(arena, call.arg(1), words), words);
    call.leaveNothing();
}

// Two values passed word by word: answers whether they are equal, or with
// `equal` false whether they differ.
inline void compareValuesNative(StringCall& call, int words, bool equal)
{
    call.take(2 * words);
    bool same = true;
    for (int i = 0; i < words; ++i)
        same = same && call.arg(i) == call.arg(words + i);
    call.leaveBool(same == equal);
}
