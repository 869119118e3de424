#include "GpsDaemonControl.h"

#include "GpsDevice.h"
#include "GpsdClient.h"

namespace LocationService {

std::shared_ptr<GpsDaemonControl> GpsDaemonControl::defaultControl()
{
    static std::weak_ptr<GpsDaemonControl> shared;
    std::shared_ptr<GpsDaemonControl> control = shared.lock();
    if (!control) {
        control.reset(new GpsDaemonControl);
        shared = control;
    }
    return control;
}

GpsDaemonControl::~GpsDaemonControl()
{
    if (client)
        client->release();
}

void GpsDaemonControl::start()
{
    if (starts++ > 0)
        return;
    const std::optional<GpsdAddress> daemon = GpsdAddress::fromEnvironment();
    if (!daemon)
        return;
    client = new GpsdClient(*daemon,
                            {[](const GpsFix& fix) { GpsDevice::publish(fix); },
                             [this](const QString& text) { errorVerbose.emit(text); },
                             [this] { gpsdStopped.emit(); }});
}

void GpsDaemonControl::stop()
{
    if (starts == 0 || --starts > 0 || !client)
        return;
    client->release();
    client = nullptr;
}

} // namespace LocationService
