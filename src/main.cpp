// Player entry: chooses the application directory, opens the main view,
// subscribes it to the display status, starts the application and runs the
// event loop.
//   mcbplayer            the working directory holds index.mcb
//   mcbplayer --auto     /opt/<name of this executable> holds it
//   mcbplayer --help     what the player does
// Any other argument is left alone: launchers may pass their own.
#include "MainView.h"
#include "PlatformStart.h"
#include "QtClientApplication.h"
#include "StartupReports.h"
#include "VMError.h"

#include <QDBusConnection>
#include <QDir>

#include <libgen.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr int PATH_BUFFER_SIZE = 4097;

const char* const HELP =
    "usage: mcbplayer [--auto] | --help\n"
    "Runs the application compiled into index.mcb in a full-screen window.\n"
    "\n"
    "The application directory holds index.mcb and every file the application\n"
    "reads or writes (a log file it asks for included): the working directory,\n"
    "or with --auto /opt/<name of this program>. Arguments other than a first\n"
    "--auto or --help are ignored. The player needs a display and the system\n"
    "message bus; scripts/play starts both when they are missing. Log lines\n"
    "(\"LOG: ...\") and errors go to standard error; mcbrun runs an image\n"
    "without a window.\n"
    "\n"
    "Exit status: 0 when the application asks to exit or the window closes;\n"
    "1 when index.mcb does not open (\"Failed to open '<path>'\"), on a fatal\n"
    "machine error (one \"FATAL: \" line), without a display or without the\n"
    "message bus.\n";

// POSIX basename of `path` (which it may modify, so it works on a copy).
std::string baseName(const char* path)
{
    std::vector<char> copy(path, path + std::strlen(path) + 1);
    return basename(copy.data());
}

// "/opt/<base name of argv[0]>"; false when longer than the path buffer allows.
bool installedDirectory(const char* program, Str16& directory)
{
    const std::string base = baseName(program);
    char buffer[PATH_BUFFER_SIZE];
    const int length = std::snprintf(buffer, sizeof buffer, "/opt/%s", base.c_str());
    if (length < 0 || length > PATH_BUFFER_SIZE - 1) {
        std::fprintf(stderr, "%s: VM basename too long\n", base.c_str());
        return false;
    }
    for (int i = 0; i < length; ++i)
        directory.append(static_cast<unsigned char>(buffer[i]));
    return true;
}

int runView(QtClientApplication& app, const Str16& directory)
{
    MainView view(directory);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.connect(QStringLiteral("com.nokia.mce"), QStringLiteral("/com/nokia/mce/signal"),
                     QStringLiteral("com.nokia.mce.signal"), QStringLiteral("display_status_ind"), &view,
                     SLOT(displaySignal(QString)))) {
        std::fputs("FATAL: Failed to connect to dbus\n", stderr);
        return 1;
    }
    app.view = &view;
    view.setVisible(true);
    view.startApplication();
    const int result = app.exec();
    app.view = nullptr;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(HELP, stdout);
        return 0;
    }
    Lumbra::guardPlatformStart(baseName(argv[0]).c_str(), "scripts/play starts a virtual display");
    QtClientApplication app(argc, argv);
    Lumbra::platformStarted();
    Str16 directory;
    if (argc >= 2 && std::strcmp(argv[1], "--auto") == 0) {
        if (!installedDirectory(argv[0], directory))
            return 1;
    } else {
        directory = Str16::fromQString(QDir::currentPath());
    }
    try {
        return runView(app, directory);
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::reportEscapedError();
    } catch (const std::exception& error) {
        return Lumbra::reportHostError(error);
    }
}
