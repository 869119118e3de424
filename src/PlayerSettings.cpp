#include "PlayerSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace Lumbra {

namespace {

constexpr int MIN_WINDOW_SIDE = 64;
constexpr int MAX_WINDOW_SIDE = 16384;

QString configurationFolder()
{
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
    const QString chosen = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!chosen.isEmpty() && QDir::isAbsolutePath(chosen))
        return chosen;
    return QDir::homePath() + QStringLiteral("/.config");
}

bool wholeNumber(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

QString PlayerSettings::fileFor(const QString& directory)
{
    // One file per directory; the name is a digest, as a path may hold any character.
    const QByteArray digest = QCryptographicHash::hash(QDir::cleanPath(directory).toUtf8(), QCryptographicHash::Sha256);
    return configurationFolder() + QStringLiteral("/mcbplayer/") + QString::fromLatin1(digest.toHex().left(32)) +
           QStringLiteral(".conf");
}

bool PlayerSettings::load(const QString& directory)
{
    QFile file(fileFor(directory));
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(MAX_FILE_BYTES + 1);
    if (bytes.size() > MAX_FILE_BYTES)
        return false;
    // Lines of "name=value"; the first line names the directory, so that a
    // file of another directory whose digest matched is not taken.
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines[0] != QStringLiteral("directory=") + QDir::cleanPath(directory))
        return false;
    int width = 0, height = 0;
    for (const QString& line : lines) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString name = line.left(equals), value = line.mid(equals + 1);
        int number = 0;
        if (name == QLatin1String("volume") && wholeNumber(value, 0, 100, number))
            volume = number;
        else if (name == QLatin1String("muted") && (value == QLatin1String("1") || value == QLatin1String("0")))
            muted = value == QLatin1String("1");
        else if (name == QLatin1String("keymap") && QDir::isAbsolutePath(value))
            keymapFile = value;
        else if (name == QLatin1String("width"))
            wholeNumber(value, MIN_WINDOW_SIDE, MAX_WINDOW_SIDE, width);
        else if (name == QLatin1String("height"))
            wholeNumber(value, MIN_WINDOW_SIDE, MAX_WINDOW_SIDE, height);
    }
    if (width > 0 && height > 0)
        windowSize = QSize(width, height);
    return true;
}

bool PlayerSettings::save(const QString& directory) const
{
    const QString path = fileFor(directory);
    QSaveFile file(path);
    bool saved = QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly);
    if (saved) {
        QString text = QStringLiteral("directory=%1\nvolume=%2\nmuted=%3\n")
                           .arg(QDir::cleanPath(directory))
                           .arg(volume)
                           .arg(muted ? 1 : 0);
        // A path with a line break could not be read back: it is left out.
        if (!keymapFile.isEmpty() && !keymapFile.contains(QLatin1Char('\n')))
            text += QStringLiteral("keymap=%1\n").arg(keymapFile);
        if (windowSize.isValid())
            text += QStringLiteral("width=%1\nheight=%2\n").arg(windowSize.width()).arg(windowSize.height());
        file.write(text.toUtf8());
        saved = file.commit();
    }
    if (!saved)
        std::fprintf(stderr, "mcbplayer: could not remember the settings in '%s'\n", path.toLocal8Bit().constData());
    return saved;
}

bool PlayerSettings::forget(const QString& directory)
{
    return QFile::remove(fileFor(directory));
}

} // namespace Lumbra
