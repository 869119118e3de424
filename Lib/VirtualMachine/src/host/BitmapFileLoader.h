// Decoding images and bitmap fonts for the Bitmap and Font natives: the
// bytes (read from a file or held in a byte vector) go to the host's
// graphics backend, and what it makes is handed to the heap.
#pragma once

#include "OVector.h"
#include "values/ObjectWrapper.h"

class VirtualMachine;

// Decodes image bytes (format detected from the data): a bitmap holder, or a
// bitmap font with `asFont`; 0 when undecodable. The bitmap is made by the
// host's graphics backend.
TAddr decodeBitmapBytes(VirtualMachine& vm, const OVector<ByteElement>& bytes, TBool asFont);
// The same for the `count` bytes at `bytes`.
TAddr decodeBitmapRange(VirtualMachine& vm, const ByteElement* bytes, int count, TBool asFont);
