// Natives that the value-class groups (Position, Range, Rectangle)
// have in common, on variables of `words` words.
#pragma once

#include "natives/stringNativeCall.h"
#include "values/ValueRef.h"

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

// The five natives from `first` on a two-word variable: (variable, a, b)
// sets both words, (variable) reads word 0 or word 1, (variable, value)
// sets word 0 or word 1. With `nonNegative` a negative value is refused
// (InvalidArgumentException). False when `native` is none of them.
inline bool runWordPairNative(NativeCallFrame& call, int native, int first, bool nonNegative)
{
    const int n = native - first;
    if (n < 0 || n > 4)
        return false;
    const Lumbra::Arena& arena = call.vm.arena();
    const int args = n == 0 ? 3 : (n <= 2 ? 1 : 2);
    call.take(args);
    const ValueRef pair(arena, call.arg(0), 2);
    if (n == 1 || n == 2) {
        call.leave(pair.get(n - 1));
        return true;
    }
    for (int i = 1; i < args; ++i)
        requireValue(!nonNegative || call.arg(i) >= 0);
    if (n == 0) {
        pair.set(0, call.arg(1));
        pair.set(1, call.arg(2));
    } else {
        pair.set(n - 3, call.arg(1));
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
