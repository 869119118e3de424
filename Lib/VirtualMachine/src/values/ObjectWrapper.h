// The element record of a bytecode vector: SIZE consecutive values of TYPE.
// On the stack every value takes one word, the first value deepest.
#pragma once

#include "LumbraTypes.h"

template <class TYPE, int SIZE>
struct ObjectWrapper {
    static constexpr int SLOTS = SIZE;

    TYPE values[SIZE];

    // Stack word `i` of the element (bytes are sign-extended).
    TWord word(int i) const { return TWord(values[i]); }
    // Stores stack word `i` (bytes keep their low 8 bits).
    void setWord(int i, TWord w) { values[i] = TYPE(w); }
};

using ByteElement = ObjectWrapper<signed char, 1>;
template <int SIZE>
using WordElement = ObjectWrapper<int, SIZE>;
