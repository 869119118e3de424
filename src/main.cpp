// Player entry: chooses the application directory, opens the main view,
// subscribes it to the display status, starts the application and runs the
// event loop.
//   mcbplayer            the working directory holds index.mcb
//   mcbplayer --auto     /opt/<name of this executable> holds it
#include "MainView.h"
#include "QtClientApplication.h"
#include "StartupReports.h"
#include "VMError.h"

#include <QDBusConnection>
#include <QDir>

#include <libgen.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int PATH_BUFFER_SIZE = 4097;

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
    QtClientApplication app(argc, argv);
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
    }
}
