// A running requestor's hold on the location service: the daemon control,
// started with the requestor's preferred method and interval, and a GPS
// device whose changes become position updates for the requestor's observer.
#pragma once

#include "LumbraTypes.h"

#include <memory>

namespace LocationService {
class GpsDaemonControl;
class GpsDevice;
} // namespace LocationService

class MPositionObserver;

class GpsControl {
public:
    // Without `live` (a replay) neither the daemon nor a device is reached;
    // the positions then come from the record.
    GpsControl(MPositionObserver& wrapper, TInt32 interval, TWord auxiliary, TWord observer, bool live);
    // Stops the control and releases the device.
    ~GpsControl();
    GpsControl(const GpsControl&) = delete;
    GpsControl& operator=(const GpsControl&) = delete;

    int intervalCode() const;

private:
    // The device's "changed" notification.
    void update();

    std::shared_ptr<LocationService::GpsDaemonControl> control;
    std::unique_ptr<LocationService::GpsDevice> device;
    MPositionObserver& wrapper;
    TInt32 interval;
    TWord auxiliary;
    TWord observer;
    int intervalCode_;
    int errorConnection = 0;
    int stoppedConnection = 0;
};
