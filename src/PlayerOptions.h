// The player's command line. Its options are taken out wherever they
// stand; of the arguments left, only a first "--auto" means anything (the
// application installed under /opt), every other one is left to launchers.
#pragma once

#include <QString>

namespace Lumbra {

enum class Presentation {
    Handset,    // the screen's whole area, as on the handset (no option)
    Window,     // the logical screen scaled in a normal window
    FullScreen, // the same scaling over the whole screen
};

struct PlayerOptions {
    Presentation presentation = Presentation::Handset;
    bool help = false;
    bool trace = false;
    // Milliseconds after which the logical screen goes to `screenshotFile`
    // and the player ends; negative: run until the application ends.
    int screenshotAfterMs = -1;
    QString screenshotFile;
    // Where the screenshot key saves; empty: the default place.
    QString screenshotDir;
    // The first argument that is no option was "--auto".
    bool installed = false;
};

// Fills `options` from the command line; false with a one-line `error` when
// an option lacks its value or the value is unusable (a number that is none,
// a file that cannot be written, a directory that is none).
bool parsePlayerOptions(int argc, char** argv, PlayerOptions& options, QString& error);

} // namespace Lumbra
