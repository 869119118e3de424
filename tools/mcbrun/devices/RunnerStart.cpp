// Qt's GUI part (platform plugin, font database) costs more to start and
// to end than many whole runs: it is started only for an image whose code
// can call a graphics native, or for a platform the user names other than
// the offscreen one (which is then started before anything else, so that a
// missing display is reported first as ever).
#include "RunnerStart.h"

#include "PlatformStart.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeTable.h"

#include <QGuiApplication>

namespace Lumbra {

std::unique_ptr<QCoreApplication> startQtOnNamedPlatform(int& argc, char** argv)
{
    guardPlatformStart("mcbrun", "without QT_QPA_PLATFORM mcbrun needs no display");
    auto application = std::make_unique<QGuiApplication>(argc, argv);
    platformStarted();
    return application;
}

std::unique_ptr<QCoreApplication> startQtForImage(const VirtualMachine& machine, int& argc, char** argv)
{
    const std::span<const signed char> code = machine.loadedCode();
    if (mayCallGraphics(code.data(), int(code.size())))
        return startQtOnNamedPlatform(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

void watchExtensionWork(RunnerServicesBase& services, std::function<void()> handler)
{
    services.extensionRegistry().setWorkEndedHandler(std::move(handler));
}

} // namespace Lumbra
