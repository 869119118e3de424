// How bytecode file names become host paths: a name is checked, its
// separators normalised, doubled separators collapsed, the result joined to
// the application directory and its "." and ".." components resolved as text.
// A name whose path would leave the application directory names nothing.
#pragma once

#include "OString.h"
#include "VUvarString.h"

namespace Lumbra {

// Not empty and free of ':' and '|'.
bool isValidFileName(const OString& name);

// The host path of `name` under `applicationDirectory`. A leading "/" still
// stays inside the directory; ".." components are resolved, so the result
// may lie outside it (see confineFileName).
Str16 resolveFileName(const Str16& applicationDirectory, const Str16& name);

// The resolved path of `name` when it is the application directory or lies
// inside it and holds no NUL unit (which would cut the path short on its way
// to the system); false otherwise.
bool confineFileName(const Str16& applicationDirectory, const Str16& name, Str16& path);

} // namespace Lumbra
