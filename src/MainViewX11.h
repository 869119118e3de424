// The window-manager side of the view, through the X connection Qt already
// has. Every helper does nothing (or answers "no") unless the platform is xcb.
#pragma once

#include "LumbraTypes.h"

#include <cstdint>

namespace Lumbra::X11 {

// True when Qt runs on an X server.
bool available();
// The root window of the first screen, 0 without X.
std::uint32_t rootWindow();
// The atom named `name`; 0 when it does not exist and `onlyIfExists` is set.
std::uint32_t internAtom(const char* name, bool onlyIfExists);
// Makes sure the root window's property changes reach this client.
void watchRootProperties();
// Sets "_HILDON_PORTRAIT_MODE_REQUEST" on the root window to 1 or 0, when
// the window manager created that atom.
void requestPortrait(bool portrait);
// The first 32-bit item of a WINDOW property of `window`; false when the
// property is missing, of another type or empty.
bool readWindowProperty(std::uint32_t window, std::uint32_t atom, TUint32& firstItem);

} // namespace Lumbra::X11
