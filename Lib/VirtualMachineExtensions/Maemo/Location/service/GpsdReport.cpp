#include "GpsdReport.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace LocationService {

namespace {

// The finite number stored under `key`, if there is one.
std::optional<double> number(const QJsonObject& report, const char* key)
{
    const QJsonValue value = report.value(QLatin1String(key));
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

void take(const QJsonObject& report, const char* key, GpsFix& fix, GpsFixField field, double& into,
          double scale = 1.0)
{
    if (auto value = number(report, key)) {
        into = *value * scale;
        fix.fields |= field;
    }
}

} // namespace

std::optional<GpsFix> fixFromReport(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject report = document.object();
    if (report.value(QLatin1String("class")).toString() != QLatin1String("TPV"))
        return std::nullopt;

    GpsFix fix;
    const auto mode = number(report, "mode");
    const auto latitude = number(report, "lat");
    const auto longitude = number(report, "lon");
    if (mode && *mode >= 2 && latitude && longitude && std::fabs(*latitude) <= 90 && std::fabs(*longitude) <= 180) {
        fix.latitude = *latitude;
        fix.longitude = *longitude;
        fix.fields |= FIX_LATLONG_SET;
    }
    // Older daemons name the altitude above mean sea level "alt".
    if (report.contains(QLatin1String("altMSL")))
        take(report, "altMSL", fix, FIX_ALTITUDE_SET, fix.altitude);
    else
        take(report, "alt", fix, FIX_ALTITUDE_SET, fix.altitude);
    take(report, "speed", fix, FIX_SPEED_SET, fix.speed, 3.6);
    take(report, "track", fix, FIX_TRACK_SET, fix.track);
    take(report, "climb", fix, FIX_CLIMB_SET, fix.climb);
    const QDateTime time = QDateTime::fromString(report.value(QLatin1String("time")).toString(), Qt::ISODateWithMs);
    if (time.isValid()) {
        fix.time = double(time.toMSecsSinceEpoch()) / 1000.0;
        fix.fields |= FIX_TIME_SET;
    }
    return fix;
}

} // namespace LocationService
