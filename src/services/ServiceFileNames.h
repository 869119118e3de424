// How bytecode file names become host paths: a name is checked, its
// separators normalised, doubled separators collapsed, and the result joined
// to the application directory.
#pragma once

#include "OString.h"
#include "VUvarString.h"

namespace Lumbra {

// Not empty and free of ':' and '|'.
bool isValidFileName(const OString& name);

// The host path of `name` under `applicationDirectory`. A leading "/" still
// stays inside the directory; ".." components are kept as they are.
Str16 resolveFileName(const Str16& applicationDirectory, const Str16& name);

} // namespace Lumbra
