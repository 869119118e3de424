// Reading the GPS daemon's JSON reports: one object per line; the
// time-position-velocity reports ("TPV") become fixes.
#pragma once

#include "GpsFix.h"

#include <QByteArray>

#include <optional>

namespace LocationService {

// The fix a report line describes, or nothing for a line that is not a
// well-formed TPV report. Values that are missing, not numbers or not
// finite are left unknown; latitude and longitude count only together and
// with a two- or three-dimensional fix mode. The daemon's speed (metres per
// second) becomes kilometres per hour.
std::optional<GpsFix> fixFromReport(const QByteArray& line);

// The request that starts the daemon's JSON reports on a connection.
inline const char* watchRequest()
{
    return "?WATCH={\"enable\":true,\"json\":true};\n";
}

} // namespace LocationService
