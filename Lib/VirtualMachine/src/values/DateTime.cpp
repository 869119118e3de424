#include "values/DateTime.h"

#include "VMError.h"

#include <cstdio>

namespace Lumbra {

namespace {

struct FieldLimits {
    TInt32 least, greatest;
    const char* message;
};

constexpr FieldLimits LIMITS[] = {
#define LUMBRA_DATETIME_LIMITS(name, member, least, greatest, message) {least, greatest, message},
    LUMBRA_DATETIME_FIELDS(LUMBRA_DATETIME_LIMITS)
#undef LUMBRA_DATETIME_LIMITS
};

bool inRange(DateTime::Field f, TInt32 value)
{
    return value >= LIMITS[f].least && value <= LIMITS[f].greatest;
}

auto qtZoneOf(TInt32 timezone) { return timezone == DateTime::UTC ? Qt::UTC : Qt::LocalTime; }

[[noreturn]] void invalid(const char* detail)
{
    if (detail)
        throwError(EInvalidArgument, std::string_view(detail));
    raiseError(EInvalidArgument);
}

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

} // namespace

DateTime DateTime::now(TInt32 timezone, TInt64 millisSinceEpoch)
{
    if (timezone != LOCAL && timezone != UTC)
        raiseError(EInvalidArgument);
    DateTime dt;
    dt.timezone = timezone;
    dt.readBack(QDateTime::fromMSecsSinceEpoch(millisSinceEpoch, timezone == UTC ? Qt::UTC : Qt::LocalTime));
    return dt;
}

DateTime DateTime::fromValues(const Values& v)
{
    const std::pair<Field, TInt32> checks[] = {{Year, v.year}, {Month, v.month},   {Day, v.day},
                                               {Hour, v.hour}, {Minute, v.minute}, {Second, v.second}};
    for (const auto& [f, value] : checks)
        if (!inRange(f, value))
            throwError(EInvalidArgument, std::string_view(LIMITS[f].message));
    if (v.timezone != LOCAL && v.timezone != UTC)
        throwError(EInvalidArgument, std::string_view("Invalid timezone"));
    DateTime dt;
    dt.timezone = v.timezone;
    const QDateTime qt(QDate(v.year, v.month, v.day), QTime(v.hour, v.minute, v.second, 0), qtZoneOf(v.timezone));
    // Qt has no year 0; any other date it rejects is a day its month lacks.
    dt.readBack(qt, v.year == 0 ? LIMITS[Year].message : LIMITS[Day].message);
    return dt;
}

TInt32 DateTime::field(Field f) const
{
    switch (f) {
#define LUMBRA_DATETIME_GET(name, member, least, greatest, message) \
    case name:                                                      \
        return member;
        LUMBRA_DATETIME_FIELDS(LUMBRA_DATETIME_GET)
#undef LUMBRA_DATETIME_GET
    }
    return 0;
}

void DateTime::setField(Field f, TInt32 value)
{
    if (!inRange(f, value))
        raiseError(EInvalidArgument);
    QDateTime qt = toQt();
    QDate date = qt.date();
    QTime time = qt.time();
    switch (f) {
    case Day:
        date.setDate(year, month, value);
        break;
    case Month:
        date.setDate(year, value, day);
        break;
    case Year:
        date.setDate(value, month, day);
        break;
    case Hour:
        time.setHMS(value, minute, second, 0);
        break;
    case Minute:
        time.setHMS(hour, value, second, 0);
        break;
    case Second:
        time.setHMS(hour, minute, value, 0);
        break;
    }
    readBack(QDateTime(date, time, qtZoneOf(timezone)));
}

void DateTime::addSeconds(TInt64 seconds)
{
    readBack(toQt().addSecs(seconds));
}

void DateTime::convertTo(TInt32 zone)
{
    if (zone == timezone)
        return;
    if (zone != LOCAL && zone != UTC)
        raiseError(EInvalidArgument);
    DateTime converted = *this;
    converted.timezone = zone;
    converted.readBack(toQt().toTimeSpec(qtZoneOf(zone)));
    *this = converted;
}

int DateTime::compareTo(const DateTime& b) const
{
    if (b.timezone != timezone) {
        DateTime copy = b;
        copy.convertTo(timezone);
        return compareTo(copy);
    }
    for (Field f : {Year, Month, Day})
        if (field(f) != b.field(f))
            return sign(field(f) - b.field(f));
    return compareTimeTo(b);
}

int DateTime::compareTimeTo(const DateTime& dt) const
{
    LUMBRA_ASSERT(this->getTimezone() == dt.getTimezone());
    for (Field f : {Hour, Minute, Second})
        if (field(f) != dt.field(f))
            return sign(field(f) - dt.field(f));
    return 0;
}

std::string DateTime::text() const
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d%s", int(year), int(month), int(day), int(hour),
                  int(minute), int(second), timezone == UTC ? "Z" : "");
    return buffer;
}

QDateTime DateTime::toQt() const
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, 0), qtZoneOf(timezone));
}

void DateTime::readBack(const QDateTime& qt, const char* detail)
{
    if (!qt.isValid() || !qt.date().isValid())
        invalid(detail);
    const QDate d = qt.date();
    const QTime t = qt.time();
    if (!inRange(Year, d.year()))
        invalid(detail);
    day = d.day();
    month = d.month();
    year = d.year();
    hour = t.hour();
    minute = t.minute();
    second = t.second();
}

} // namespace Lumbra
