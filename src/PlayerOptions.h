// The player's command line:
//   mcbplayer [OPTIONS] [--auto | APPDIR | IMAGE]
// Options may stand anywhere. The one application argument is an
// application directory or the path of its index.mcb; "--auto" names the
// application installed under /opt. Anything else is refused.
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
    // "--auto": the application directory is /opt/<name of this program>.
    bool installed = false;
    // The application directory named on the command line, absolute and
    // clean; empty: the working directory (or the installed one).
    QString applicationDirectory;
    // --speed: how much faster than real time the player's clock runs; 0: not given.
    double speed = 0;
    // --keymap: the file of key mappings; empty: not given.
    QString keymapFile;
    // --volume 0..100; negative: not given.
    int volume = -1;
    bool mute = false;
    // --reset-settings: what was remembered for the application is forgotten.
    bool resetSettings = false;
    // --record FILE: the run is recorded to FILE; empty: not given.
    QString recordFile;
    // --replay FILE: the run of FILE is replayed; empty: not given.
    QString replayFile;
    // --replay-fast: deliveries follow each other without waiting.
    bool replayFast = false;
    // --profile-ops[=FILE]: count the instructions run, reported at the end
    // to `profileFile` (empty: standard error).
    bool profileOps = false;
    QString profileFile;
    // --profile-top N: lines of each kind in the profile; 0: all.
    int profileTop = 20;
};

// The speed --speed takes, a decimal number in [0.25, 8]; false for anything else.
bool parseSpeed(const QString& text, double& speed);

// Fills `options` from the command line; false with a one-line `error`
// naming the problem when an option is unknown, given twice, lacks its
// value or has an unusable one, conflicts with another or does nothing in
// the chosen presentation, or when the application argument is a second
// one or names neither a directory nor an index.mcb.
bool parsePlayerOptions(int argc, char** argv, PlayerOptions& options, QString& error);

} // namespace Lumbra
