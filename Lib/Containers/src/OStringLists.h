// Result types of the OString operations that produce lists. Split pieces and
// UTF-8 bytes are managed arrays; match positions stay on the host.
#pragma once

#include "OVector.h"
#include "Vec.h"

class OString;

// Strings hold host state, so their vector keeps them in host memory.
using OStringPieces = OVector<OString, false>;
using OStringBytes = OVector<unsigned char>;
using OStringPositions = Vec<int>;
