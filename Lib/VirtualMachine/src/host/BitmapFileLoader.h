// Loading images and bitmap fonts from files for the Bitmap and Font
// natives: the file is read whole into a managed byte vector, then decoded.
#pragma once

#include "values/ObjectWrapper.h"
#include "OString.h"
#include "OVector.h"

class VirtualMachine;

// The decoded bitmap (wrapped in its graphics holder) or bitmap font, or 0
// when the data is not an image. Raises InvalidArgumentException "Filename
// is empty", IOException "Could not open file: <path>", InvalidArgumentException
// "File is empty", or IOException when the read fails. Runs on the current machine.
TAddr LoadBitmapFromFile(const OString& path, TBool asFont);

// The whole file `path` as a new managed byte vector (its address).
TAddr readFileIntoByteVector(VirtualMachine& vm, const OString& path);

// Decodes image bytes (format detected from the data): a bitmap holder, or a
// bitmap font with `asFont`; 0 when undecodable. The bitmap is made by the
// host's graphics backend.
TAddr decodeBitmapBytes(VirtualMachine& vm, const OVector<ByteElement>& bytes, TBool asFont);
// The same for the `count` bytes at `bytes`.
TAddr decodeBitmapRange(VirtualMachine& vm, const ByteElement* bytes, int count, TBool asFont);
