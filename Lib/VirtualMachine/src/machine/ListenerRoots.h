// Heap roots for the listener objects that the host keeps beyond a call
// (timer and orientation listeners).
#pragma once

#include "LumbraTypes.h"

class VirtualMachine;
class VMHeap;

// True when `word` is the data address of a block in use: only such a word
// may become a root, since any other would break every later collection.
bool isLiveHeapObject(const VMHeap& heap, TWord word);

// Keeps `listener` alive across collections. Null needs no root; a word that
// is not the data address of a live heap block raises VMException, since as
// a root it would break every later collection.
void addListenerRoot(VirtualMachine& vm, TWord listener);
// Undoes one addListenerRoot of the same word.
void removeListenerRoot(VirtualMachine& vm, TWord listener);
