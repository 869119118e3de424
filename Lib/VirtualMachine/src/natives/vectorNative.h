// Bytecode vectors: OVector<ObjectWrapper<TYPE, SIZE>> objects reached through
// handles (two words: the vector and its element size in bytes). One generic
// implementation serves the six vector groups; this header names the element
// kind of each group and the helpers other natives use to build vectors.
#pragma once

#include "heap/Heap.h"
#include "natives/NativeGroups.h"
#include "OVector.h"
#include "values/ObjectWrapper.h"

#include <cstring>
#include <typeinfo>

// VECTOR_GROUP(group, element type, element is a reference)
#define LUMBRA_VECTOR_GROUPS(VECTOR_GROUP)      \
    VECTOR_GROUP(1, ByteElement, false)         \
    VECTOR_GROUP(3, WordElement<1>, false)      \
    VECTOR_GROUP(4, WordElement<2>, false)      \
    VECTOR_GROUP(5, WordElement<3>, false)      \
    VECTOR_GROUP(6, WordElement<4>, false)      \
    VECTOR_GROUP(7, WordElement<1>, true)

// Sizes of the managed blocks, as in the 32-bit object layout.
inline constexpr TUint32 VECTOR_OBJECT_BYTES = 16;
inline constexpr TUint32 VECTOR_HANDLE_BYTES = 8;

// A new empty vector of `Element` in a GC_CODE_VECTOR block; answers its address.
template <class Element>
TAddr newVectorObject(VirtualMachine& vm);

// A new GC_CODE_OBJECT_VECTOR_HANDLE handle holding a new vector of the n
// references `elements`; answers the handle's address.
TAddr newObjectVectorHandle(VirtualMachine& vm, const TWord* elements, int n);

// The element read (8) and append (19) of the groups of one-word or byte
// elements, taken before the general dispatch: false for any other call.
bool vectorFastCall(VirtualMachine& vm, int group, int function);

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

// Host memory of the storage word at `at` when the storage is the vector's own.
inline TUint8* ownStorageWord(const VMHeap& heap, const Lumbra::Arena& mem, const WordVector& v, TAddr at)
{
    return at != 0 && heap.ownsStorage(v.storage()) && mem.contains(at, 4) ? mem.raw(at) : nullptr;
}

inline bool readWordElement(VMHeap& heap, const Lumbra::Arena& mem, TWord handle, TWord index, TWord& element)
{
    const WordVector* v = wordVectorAt(heap, mem, handle);
    if (!v || index >= v->size())
        return false;
    const TUint8* word = ownStorageWord(heap, mem, *v, v->storageAddress(index));
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
    TUint8* word = ownStorageWord(heap, mem, *v, v->storageAddress(v->size()));
    if (!word)
        return false;
    std::memcpy(word, &element, 4);
    v->countAppended();
    return true;
}
