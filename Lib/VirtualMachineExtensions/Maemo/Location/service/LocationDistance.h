// The great-circle distance between two coordinates on a spherical Earth.
#pragma once

namespace LocationService {

constexpr double EARTH_RADIUS_KM = 6371.0088; // mean radius

// Kilometres between (latitude1, longitude1) and (latitude2, longitude2), in
// degrees; not-a-number when a coordinate is not a number.
double distanceBetween(double latitude1, double longitude1, double latitude2, double longitude2);

} // namespace LocationService
