// The host services of a run whose application may draw or reach a device:
// the core services, a Qt graphics device (needs a Qt GUI application) and
// the device extensions, through the registry owned here, the same for
// every host.
#pragma once

#include "CoreFrameworkServices.h"
#include "ExtensionRegistry.h"
#include "QtGraphicsBackend.h"

class BasicFrameworkServices : public CoreFrameworkServices {
public:
    explicit BasicFrameworkServices(const Str16& applicationDirectory);
    ~BasicFrameworkServices() override;

    ExtensionRegistry& extensionRegistry() { return extensions; }
    // Held, the events of the device extensions never reach the application.
    void holdDeviceEvents(bool held) { deviceEventsHeld = held; }
    // Runs before each device event that reaches the application, with the
    // extension's description of it.
    void setDeviceEventObserver(std::function<void(const QJsonObject&)> observer)
    {
        deviceEventObserver = std::move(observer);
    }
    // Delivers a described device event again, held or not; false when no
    // extension can take it now.
    bool replayDeviceEvent(const QJsonObject& event);
    // Also while an extension's work is under way (a sound playing).
    bool hasPendingWork() const override;
    int callExtension(int extension, int operation, int top, TWord* stackBase) override;
    MGraphicsBackend* graphics() override { return &qtGraphics; }

private:
    QtGraphicsBackend qtGraphics;
    ExtensionRegistry extensions; // released first, before the timers
    bool deviceEventsHeld = false;
    bool replayingDeviceEvent = false;
    std::function<void(const QJsonObject&)> deviceEventObserver;
};
