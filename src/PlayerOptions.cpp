#include "PlayerOptions.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <cstring>

namespace Lumbra {

namespace {

const QLatin1String IMAGE_NAME("index.mcb");

// A whole number from 0 to INT_MAX (milliseconds, lines), digits only.
bool parseWholeNumber(const QString& text, int& value)
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

// A whole number from 0 to 100, digits only.
bool parseVolume(const QString& text, int& value)
{
    int number = 0;
    if (!parseWholeNumber(text, number) || number > 100)
        return false;
    value = number;
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

// The application directory an APPDIR or IMAGE argument names.
bool applicationDirectoryOf(const QString& argument, QString& directory, QString& error)
{
    const QFileInfo named(argument);
    if (named.isDir()) {
        directory = QDir::cleanPath(named.absoluteFilePath());
        return true;
    }
    if (!named.exists()) {
        error = QStringLiteral("'%1' is neither an application directory nor an image").arg(argument);
        return false;
    }
    if (named.fileName() != IMAGE_NAME) {
        error = QStringLiteral("'%1' is no application directory, and an image must be named %2")
                    .arg(argument, IMAGE_NAME);
        return false;
    }
    directory = QDir::cleanPath(named.absolutePath());
    return true;
}

} // namespace

bool parseSpeed(const QString& text, double& speed)
{
    // Digits with at most one point: no sign, exponent, "inf" or "nan".
    if (text.isEmpty() || text.size() > 12 || text == QLatin1String("."))
        return false;
    int points = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('.'))
            ++points;
        else if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || points > 1 || value < 0.25 || value > 8)
        return false;
    speed = value;
    return true;
}

bool parsePlayerOptions(int argc, char** argv, PlayerOptions& options, QString& error)
{
    const char* option = nullptr;
    QString application;  // the APPDIR or IMAGE argument as given
    QStringList seen;     // options met so far, each allowed once
    bool optionsEnded = false; // after "--" every argument is an application argument
    // The next argument as a value of `option`.
    auto valueAfter = [&](int& i, QString& value) {
        if (i + 1 >= argc || !isValue(QString::fromLocal8Bit(argv[i + 1]))) {
            error = QStringLiteral("%1 needs a value").arg(QLatin1String(option));
            return false;
        }
        value = QString::fromLocal8Bit(argv[++i]);
        return true;
    };
    auto takeApplication = [&](const QString& argument) {
        if (options.installed) {
            error = QStringLiteral("--auto and the application argument '%1' exclude each other").arg(argument);
            return false;
        }
        if (!application.isEmpty()) {
            error = QStringLiteral("'%1' is a second application argument after '%2'").arg(argument, application);
            return false;
        }
        application = argument;
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        option = arg;
        const QString text = QString::fromLocal8Bit(arg);
        if (optionsEnded || !text.startsWith(QLatin1Char('-')) || text == QLatin1String("-")) {
            if (!takeApplication(text))
                return false;
            continue;
        }
        if (text == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        // "--profile-ops=FILE" is "--profile-ops" with its value.
        const QLatin1String profileWithFile("--profile-ops=");
        const QString name = text.startsWith(profileWithFile) ? QStringLiteral("--profile-ops") : text;
        if (seen.contains(name)) {
            error = QStringLiteral("%1 is given twice").arg(name);
            return false;
        }
        seen << name;
        QString value;
        if (text == QLatin1String("--help")) {
            options.help = true;
        } else if (text == QLatin1String("--auto")) {
            if (!application.isEmpty()) {
                error = QStringLiteral("--auto and the application argument '%1' exclude each other").arg(application);
                return false;
            }
            options.installed = true;
        } else if (text == QLatin1String("--window") || text == QLatin1String("--fullscreen")) {
            if (options.presentation != Presentation::Handset) {
                error = QStringLiteral("--window and --fullscreen exclude each other");
                return false;
            }
            options.presentation = text == QLatin1String("--window") ? Presentation::Window : Presentation::FullScreen;
        } else if (text == QLatin1String("--trace")) {
            options.trace = true;
        } else if (text == QLatin1String("--screenshot-after")) {
            if (!valueAfter(i, value))
                return false;
            if (!parseWholeNumber(value, options.screenshotAfterMs)) {
                error = QStringLiteral("--screenshot-after needs a whole number of milliseconds, not '%1'").arg(value);
                return false;
            }
            if (!valueAfter(i, options.screenshotFile) || !writableFile(options.screenshotFile, error))
                return false;
        } else if (text == QLatin1String("--screenshot-dir")) {
            if (!valueAfter(i, options.screenshotDir))
                return false;
            const QFileInfo folder(options.screenshotDir);
            if (!folder.isDir() || !folder.isWritable()) {
                error = QStringLiteral("'%1' is no directory the player can write to").arg(options.screenshotDir);
                return false;
            }
        } else if (text == QLatin1String("--speed")) {
            if (!valueAfter(i, value))
                return false;
            if (!parseSpeed(value, options.speed)) {
                error = QStringLiteral("--speed needs a number from 0.25 to 8, not '%1'").arg(value);
                return false;
            }
        } else if (text == QLatin1String("--keymap")) {
            if (!valueAfter(i, options.keymapFile))
                return false;
        } else if (text == QLatin1String("--volume")) {
            if (!valueAfter(i, value))
                return false;
            if (!parseVolume(value, options.volume)) {
                error = QStringLiteral("--volume needs a whole number from 0 to 100, not '%1'").arg(value);
                return false;
            }
        } else if (text == QLatin1String("--mute")) {
            options.mute = true;
        } else if (text == QLatin1String("--reset-settings")) {
            options.resetSettings = true;
        } else if (text == QLatin1String("--record")) {
            if (!valueAfter(i, options.recordFile))
                return false;
        } else if (text == QLatin1String("--replay")) {
            if (!valueAfter(i, options.replayFile))
                return false;
            if (!QFileInfo(options.replayFile).isFile()) {
                error = QStringLiteral("'%1' is no record to replay").arg(options.replayFile);
                return false;
            }
        } else if (text == QLatin1String("--replay-fast")) {
            options.replayFast = true;
        } else if (name == QLatin1String("--profile-ops")) {
            options.profileOps = true;
            options.profileFile = text.mid(profileWithFile.size());
            if (text != name && options.profileFile.isEmpty()) {
                error = QStringLiteral("--profile-ops= needs a file name");
                return false;
            }
        } else if (text == QLatin1String("--profile-top")) {
            if (!valueAfter(i, value))
                return false;
            if (!parseWholeNumber(value, options.profileTop)) {
                error = QStringLiteral("--profile-top needs a whole number, not '%1'").arg(value);
                return false;
            }
        } else {
            error = QStringLiteral("unknown option '%1'").arg(text);
            return false;
        }
    }
    if (seen.contains(QLatin1String("--profile-top")) && !options.profileOps) {
        error = QStringLiteral("--profile-top needs --profile-ops");
        return false;
    }
    if (options.replayFast && options.replayFile.isEmpty()) {
        error = QStringLiteral("--replay-fast needs --replay FILE");
        return false;
    }
    if (!options.replayFile.isEmpty()) {
        // A replay takes its application, input and pace from the record.
        const char* const excluded[] = {"--record", "--auto", "--speed", "--keymap", "--screenshot-after", "--reset-settings"};
        for (const char* name : excluded) {
            if (seen.contains(QLatin1String(name))) {
                error = QStringLiteral("--replay and %1 exclude each other").arg(QLatin1String(name));
                return false;
            }
        }
        if (!application.isEmpty()) {
            error = QStringLiteral("--replay takes the application from the record's folder, not '%1'").arg(application);
            return false;
        }
        return true;
    }
    if (options.presentation == Presentation::Handset) {
        // The handset's presentation has none of the desktop's controls or settings.
        const char* const desktopOnly[][2] = {
            {"--screenshot-dir", "which give the screenshot key"},
            {"--speed", "which give the player's clock controls"},
            {"--keymap", "which give key remapping"},
            {"--reset-settings", "the only presentations with remembered settings"},
        };
        for (const auto& [name, why] : desktopOnly) {
            if (seen.contains(QLatin1String(name))) {
                error = QStringLiteral("%1 does nothing without --window or --fullscreen, %2")
                            .arg(QLatin1String(name), QLatin1String(why));
                return false;
            }
        }
    }
    return application.isEmpty() || applicationDirectoryOf(application, options.applicationDirectory, error);
}

} // namespace Lumbra
