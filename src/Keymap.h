// Key remapping for the desktop presentation: a file of lines
//   desktop key = application key
// The left side is a Qt key name (W, Space, F1); the right side a Qt key
// name, translated as every key is, a number (decimal or 0x hex) delivered
// as it is with empty text, or "none", which drops the key. Blank lines and
// lines starting with '#' are skipped.
#pragma once

#include <QHash>
#include <QString>

namespace Lumbra {

class Keymap {
public:
    // What a desktop key becomes for the application.
    struct Target {
        bool dropped = false;
        int code = 0;
        QString text;
    };

    // Files larger than this are refused unread.
    static constexpr qint64 MAX_FILE_BYTES = 64 * 1024;

    // Reads `path`; false with "path:line: problem" (or "path: problem") in
    // `error`, the keymap left as it was.
    bool load(const QString& path, QString& error);
    // Parses the text of a keymap file named `name` in messages.
    bool parse(const QByteArray& text, const QString& name, QString& error);

    bool isEmpty() const { return targets.isEmpty(); }
    // The mapping of Qt key `qtKey`, null when it passes as it is.
    const Target* find(int qtKey) const;

private:
    QHash<int, Target> targets;
};

// A key a keymap cannot take: the player's own, without modifiers.
bool isPlayerOwnedKey(int qtKey);

} // namespace Lumbra
