#include "PlayerOptions.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <cstring>

namespace Lumbra {

namespace {

// A whole number of milliseconds from 0 to INT_MAX, digits only.
bool parseMilliseconds(const QString& text, int& value)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const qlonglong number = text.toLongLong();
    if (number > INT_MAX)
        return false;
    value = int(number);
    return true;
}

// A value that looks like the next option is a missing value.
bool isValue(const QString& text)
{
    return !text.isEmpty() && !text.startsWith(QLatin1String("--"));
}

bool writableFile(const QString& path, QString& error)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.exists() ? file.isDir() || !file.isWritable() : !folder.isDir() || !folder.isWritable()) {
        error = QStringLiteral("cannot write the screenshot file '%1'").arg(path);
        return false;
    }
    return true;
}

} // namespace

bool parsePlayerOptions(int argc, char** argv, PlayerOptions& options, QString& error)
{
    bool sawOther = false;
    const char* option = nullptr;
    // The next argument as a value of `option`.
    auto valueAfter = [&](int& i, QString& value) {
        if (i + 1 >= argc || !isValue(QString::fromLocal8Bit(argv[i + 1]))) {
            error = QStringLiteral("%1 needs a value").arg(QLatin1String(option));
            return false;
        }
        value = QString::fromLocal8Bit(argv[++i]);
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        option = arg;
        QString value;
        if (std::strcmp(arg, "--help") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--window") == 0) {
            options.presentation = Presentation::Window;
        } else if (std::strcmp(arg, "--fullscreen") == 0) {
            options.presentation = Presentation::FullScreen;
        } else if (std::strcmp(arg, "--trace") == 0) {
            options.trace = true;
        } else if (std::strcmp(arg, "--screenshot-after") == 0) {
            if (!valueAfter(i, value))
                return false;
            if (!parseMilliseconds(value, options.screenshotAfterMs)) {
                error = QStringLiteral("--screenshot-after needs a whole number of milliseconds, not '%1'").arg(value);
                return false;
            }
            if (!valueAfter(i, options.screenshotFile) || !writableFile(options.screenshotFile, error))
                return false;
        } else if (std::strcmp(arg, "--screenshot-dir") == 0) {
            if (!valueAfter(i, options.screenshotDir))
                return false;
            const QFileInfo folder(options.screenshotDir);
            if (!folder.isDir() || !folder.isWritable()) {
                error = QStringLiteral("'%1' is no directory the player can write to").arg(options.screenshotDir);
                return false;
            }
        } else if (!sawOther) {
            sawOther = true;
            options.installed = std::strcmp(arg, "--auto") == 0;
        }
    }
    return true;
}

} // namespace Lumbra
