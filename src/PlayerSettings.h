// What the desktop presentation remembers of an application between runs:
// the volume, mute, keymap and window size, in one small file per
// application directory under the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, then mcbplayer/). The presentation is
// never remembered, and the handset presentation reads and writes nothing.
#pragma once

#include <QSize>
#include <QString>

namespace Lumbra {

struct PlayerSettings {
    int volume = 100;
    bool muted = false;
    // Absolute path of the keymap file; empty: none.
    QString keymapFile;
    // The scaled window's size; invalid: none remembered.
    QSize windowSize;

    // Files larger than this are taken as damaged and ignored.
    static constexpr qint64 MAX_FILE_BYTES = 16 * 1024;

    // The file that holds the settings of the application in `directory`.
    static QString fileFor(const QString& directory);
    // Reads the settings of `directory`; values that are missing, damaged or
    // out of range keep their defaults. False when nothing was remembered.
    bool load(const QString& directory);
    // Writes them; false with one line on standard error when that fails.
    bool save(const QString& directory) const;
    // Forgets the settings of `directory`; true when there were some.
    static bool forget(const QString& directory);
};

} // namespace Lumbra
