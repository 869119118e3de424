// Qt ends the process with an abort when its platform plugin cannot start,
// for one when there is no display to connect to. While the application
// object is built, the player holds Qt's messages back and turns that end
// into one line and status 1.
#pragma once

namespace Lumbra {

// From here on a fatal Qt message ends the process with the line
// "<program>: cannot open the display ...; <hint>".
void guardPlatformStart(const char* program, const char* hint);
// The platform started: Qt's held-back messages go out as usual.
void platformStarted();

} // namespace Lumbra
