// The interpreter's own element read and append of one-word primitive
// vectors (the combined instructions behind the vector group's functions 8
// and 19). One of the three places where a word from bytecode becomes host
// memory without Arena::resolve: every word is checked here before it is used.
#pragma once

#include "OVector.h"
#include "heap/Heap.h"
#include "values/ObjectWrapper.h"

#include <cstring>
#include <typeinfo>

// The element read and append of one-word primitive vectors (group 3) for
// the interpreter's own fast path, through the vector handle at `handle`:
// false, with nothing changed, wherever the native call would do anything
// else (raise an error, grow the storage), so that call can run instead.
using WordVector = OVector<WordElement<1>>;

// The vector a handle refers to when it is a one-word primitive vector.
inline WordVector* wordVectorAt(VMHeap& heap, const Lumbra::Arena& mem, TWord handle)
{
    if (!mem.contains(TAddr(handle), 4))
        return nullptr;
    GCObject* object = heap.findObject(TAddr(mem.loadWord(TAddr(handle))));
    return object && typeid(*object) == typeid(WordVector) ? static_cast<WordVector*>(object) : nullptr;
}

// Host memory of word `index` of the vector's storage when the index is
// below `end` (the size to read, the size plus one to append) and the
// capacity, the storage is a block the heap handed out as storage, and the
// word lies in the arena. An unsigned compare also refuses a negative index;
// the address is computed in 64 bits, so it cannot wrap into the arena.
inline TUint8* ownStorageWord(const VMHeap& heap, const Lumbra::Arena& mem, const WordVector& v, TWord index,
                              TUint32 end)
{
    if (TUint32(index) >= end || TUint32(index) >= TUint32(v.capacityOf()) || !heap.ownsStorage(v.storage()))
        return nullptr;
    const TUint64 at = TUint64(v.storage()) + TUint64(TUint32(index)) * 4;
    return at <= 0xFFFFFFFFu && mem.contains(TAddr(at), 4) ? mem.raw(TAddr(at)) : nullptr;
}

__attribute__((always_inline)) inline bool readWordElement(VMHeap& heap, const Lumbra::Arena& mem, TWord handle, TWord index, TWord& element)
{
    const WordVector* v = wordVectorAt(heap, mem, handle);
    if (!v)
        return false;
    const TUint8* word = ownStorageWord(heap, mem, *v, index, TUint32(v->size()));
    if (!word)
        return false;
    std::memcpy(&element, word, 4);
    return true;
}

inline bool appendWordElement(VMHeap& heap, const Lumbra::Arena& mem, TWord handle, TWord element)
{
    WordVector* v = wordVectorAt(heap, mem, handle);
    if (!v)
        return false;
    TUint8* word = ownStorageWord(heap, mem, *v, v->size(), TUint32(v->size()) + 1);
    if (!word)
        return false;
    std::memcpy(word, &element, 4);
    v->countAppended();
    return true;
}
