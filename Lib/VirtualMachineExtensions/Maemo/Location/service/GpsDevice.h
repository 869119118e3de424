// A GPS device object: the latest fix reported by the daemon while the
// control is started, and a "changed" notification for each report (with or
// without a position in it).
#pragma once

#include "GpsFix.h"
#include "SignalList.h"

#include <cstdint>

namespace LocationService {

class GpsDevice {
public:
    GpsDevice();
    ~GpsDevice();
    GpsDevice(const GpsDevice&) = delete;
    GpsDevice& operator=(const GpsDevice&) = delete;

    // The current fix, or null before the first report.
    const GpsFix* fix() const { return hasFix ? &current : nullptr; }

    SignalList<> changed;

    // Hands a fix to every device that exists now.
    static void publish(const GpsFix& fix);

private:
    void receive(const GpsFix& fix);

    std::uint64_t serial; // the devices' order of making, and this one's key among them
    GpsFix current;
    bool hasFix = false;
};

} // namespace LocationService
