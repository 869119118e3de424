// The graphics device and the device extensions beside the core services.
#include "BasicFrameworkServices.h"

#include "HostCallGuard.h"

BasicFrameworkServices::BasicFrameworkServices(const Str16& applicationDirectory)
    : CoreFrameworkServices(applicationDirectory)
{
    // Extensions call bytecode from device and network events, like timers.
    // While they are held (the player paused) device events are dropped.
    extensions.setCallbackGuard([this](const QJsonObject& event, const std::function<void()>& call) {
        if (deviceEventsHeld && !replayingDeviceEvent)
            return;
        if (deviceEventObserver)
            deviceEventObserver(event);
        Lumbra::runGuarded([&call](VirtualMachine&) { call(); });
    });
}

BasicFrameworkServices::~BasicFrameworkServices() = default;

bool BasicFrameworkServices::replayDeviceEvent(const QJsonObject& event)
{
    replayingDeviceEvent = true;
    const bool delivered = extensions.replayEvent(event);
    replayingDeviceEvent = false;
    return delivered;
}

bool BasicFrameworkServices::hasPendingWork() const
{
    return CoreFrameworkServices::hasPendingWork() || extensions.hasPendingWork();
}

int BasicFrameworkServices::callExtension(int extension, int operation, int top, TWord* stackBase)
{
    return extensions.call(extension, unsigned(operation), top, stackBase);
}
