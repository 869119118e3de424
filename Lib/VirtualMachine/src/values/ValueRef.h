// A variable of a value class (Rectangle, Position, Range, Color) reached
// through an address from bytecode: the whole variable is validated once,
// then its words are read and written without alignment assumptions.
#pragma once

#include "Arena.h"
#include "VMError.h"

class ValueRef {
public:
    ValueRef(const Lumbra::Arena& arena, TWord address, int words) : arena(arena), at(TAddr(address))
    {
        arena.resolve(at, TUint32(words) * 4);
    }
    TWord get(int i) const { return arena.loadWord(at + TAddr(i) * 4); }
    void set(int i, TWord v) const { arena.storeWord(at + TAddr(i) * 4, v); }
    void clear(int words) const
    {
        for (int i = 0; i < words; ++i)
            set(i, 0);
    }
    void copyFrom(const ValueRef& other, int words) const
    {
        for (int i = 0; i < words; ++i)
            set(i, other.get(i));
    }

private:
    const Lumbra::Arena& arena;
    TAddr at;
};

// Value checks of the value classes raise InvalidArgumentException without detail.
inline void requireValue(bool ok)
{
    if (!ok)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
}
