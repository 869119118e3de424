#include "LocationDistance.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace LocationService {

double distanceBetween(double latitude1, double longitude1, double latitude2, double longitude2)
{
    // The haversine form stays accurate for points close together.
    const double toRadians = std::numbers::pi / 180.0;
    const double dLatitude = (latitude2 - latitude1) * toRadians;
    const double dLongitude = (longitude2 - longitude1) * toRadians;
    const double s = std::sin(dLatitude / 2);
    const double t = std::sin(dLongitude / 2);
    const double a = s * s + std::cos(latitude1 * toRadians) * std::cos(latitude2 * toRadians) * t * t;
    return 2 * EARTH_RADIUS_KM * std::asin(std::sqrt(std::clamp(a, 0.0, 1.0)));
}

} // namespace LocationService
