// The standard-error lines with which a host ends a run that could not go
// on; each answers the process status to end with.
#pragma once

#include "VUvarString.h"
#include "machine/MachineStop.h"

#include <exception>

namespace Lumbra {

// "Failed to open '<path>'" for an image that did not open, then ": " and
// why, as the file system tells it: status 1.
int reportOpenFailure(const Str16& resolvedPath);
// A machine stop: an exit request is silent (status 0); a fatal error
// (status 1) prints "FATAL: " and the stop's message, any other stop its
// message alone.
int reportMachineStop(const MachineStop& stop);
// An ErrorHandlingException that reached the host: "FATAL: " and the last
// error's message as UTF-8, status 1.
int reportEscapedError();
// An exception of the host's own that reached the top of a run: "FATAL: host
// error: " and its text, status 1.
int reportHostError(const std::exception& error);

} // namespace Lumbra
