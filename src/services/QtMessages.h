// Qt's warning that XDG_RUNTIME_DIR is not set says nothing about a run of
// the player or the tools: they keep nothing in that directory. The
// variable itself is left alone, since the sound server and the message
// bus find their sockets through it.
#pragma once

namespace Lumbra {

// From here on that warning is dropped; every other message goes to the
// handler that was installed before.
void dropRuntimeDirWarning();

} // namespace Lumbra
