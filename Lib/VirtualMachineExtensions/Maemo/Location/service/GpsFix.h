// The current fix of a GPS device: which values are known, and the values.
// Values that are not known are 0.
#pragma once

#include <cstdint>

namespace LocationService {

enum GpsFixField : std::uint32_t {
    FIX_ALTITUDE_SET = 1 << 0,
    FIX_SPEED_SET = 1 << 1,
    FIX_TRACK_SET = 1 << 2,
    FIX_CLIMB_SET = 1 << 3,
    FIX_LATLONG_SET = 1 << 4,
    FIX_TIME_SET = 1 << 5,
};

struct GpsFix {
    std::uint32_t fields = 0;
    double time = 0;      // seconds since the epoch, UTC
    double latitude = 0;  // degrees
    double longitude = 0; // degrees
    double altitude = 0;  // metres above mean sea level
    double speed = 0;     // kilometres per hour
    double track = 0;     // degrees from true north
    double climb = 0;     // metres per second
};

} // namespace LocationService
