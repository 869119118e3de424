// Result types of the OString operations that produce lists. Splitting and
// UTF-8 conversion hand back host arrays; match positions stay on the host.
#pragma once

#include "Vec.h"

class OString;

using OStringPieces = Vec<OString>;
using OStringBytes = Vec<unsigned char>;
using OStringPositions = Vec<int>;
