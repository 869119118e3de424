#include "PlayerOptions.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <cstring>

namespace Lumbra {

namespace {

const QLatin1String IMAGE_NAME("index.mcb");

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
        if (seen.contains(text)) {
            error = QStringLiteral("%1 is given twice").arg(text);
            return false;
        }
        seen << text;
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
            if (!parseMilliseconds(value, options.screenshotAfterMs)) {
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
        } else {
            error = QStringLiteral("unknown option '%1'").arg(text);
            return false;
        }
    }
    if (!options.screenshotDir.isEmpty() && options.presentation == Presentation::Handset) {
        error = QStringLiteral("--screenshot-dir does nothing without --window or --fullscreen, "
                               "which give the screenshot key");
        return false;
    }
    return application.isEmpty() || applicationDirectoryOf(application, options.applicationDirectory, error);
}

} // namespace Lumbra
