#include "GpsDevice.h"

#include <algorithm>
#include <vector>

namespace LocationService {

namespace {

std::vector<GpsDevice*>& devices()
{
    static std::vector<GpsDevice*> all;
    return all;
}

} // namespace

GpsDevice::GpsDevice()
{
    devices().push_back(this);
}

GpsDevice::~GpsDevice()
{
    std::erase(devices(), this);
}

void GpsDevice::publish(const GpsFix& fix)
{
    // A handler may destroy devices, this one included, or make new ones.
    const std::vector<GpsDevice*> receivers = devices();
    for (GpsDevice* device : receivers)
        if (std::find(devices().begin(), devices().end(), device) != devices().end())
            device->receive(fix);
}

void GpsDevice::receive(const GpsFix& fix)
{
    current = fix;
    hasFix = true;
    changed.emit();
}

} // namespace LocationService
