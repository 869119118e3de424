#include "GpsDevice.h"

#include <map>
#include <utility>
#include <vector>

namespace LocationService {

namespace {

// Every device by its serial: made and destroyed in logarithmic time, so
// that many devices come and go in time linear in their number.
std::map<std::uint64_t, GpsDevice*>& devices()
{
    static std::map<std::uint64_t, GpsDevice*> all;
    return all;
}

std::uint64_t nextSerial = 0;

} // namespace

GpsDevice::GpsDevice() : serial(nextSerial++)
{
    devices().emplace(serial, this);
}

GpsDevice::~GpsDevice()
{
    devices().erase(serial);
}

void GpsDevice::publish(const GpsFix& fix)
{
    // A handler may destroy devices, this one included, or make new ones
    // (perhaps at a destroyed one's address): each is looked up by serial.
    std::vector<std::uint64_t> receivers;
    receivers.reserve(devices().size());
    for (const auto& [serial, device] : devices())
        receivers.push_back(serial);
    for (std::uint64_t serial : receivers) {
        const auto found = devices().find(serial);
        if (found != devices().end())
            found->second->receive(fix);
    }
}

void GpsDevice::receive(const GpsFix& fix)
{
    current = fix;
    hasFix = true;
    changed.emit();
}

} // namespace LocationService
