// Bytecode vectors: OVector<ObjectWrapper<TYPE, SIZE>> objects reached through
// handles (two words: the vector and its element size in bytes). One generic
// implementation serves the six vector groups; this header names the element
// kind of each group and the helpers other natives use to build vectors.
#pragma once

#include "OVector.h"
#include "heap/Heap.h"
#include "natives/NativeGroups.h"
#include "values/ObjectWrapper.h"

#include <typeinfo>

// Sizes of the managed blocks, as in the 32-bit object layout.
inline constexpr TUint32 VECTOR_OBJECT_BYTES = 16;
inline constexpr TUint32 VECTOR_HANDLE_BYTES = 8;

// A new empty vector of `Element` in a GC_CODE_VECTOR block; answers its address.
template <class Element>
TAddr newVectorObject(VirtualMachine& vm);

// A new GC_CODE_OBJECT_VECTOR_HANDLE handle holding a new vector of the n
// references `elements`; answers the handle's address.
TAddr newObjectVectorHandle(VirtualMachine& vm, const TWord* elements, int n);

