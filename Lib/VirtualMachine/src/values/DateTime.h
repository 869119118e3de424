// The managed calendar date and time: broken-down fields with second
// resolution in local time (timezone 0) or UTC (1). All calendar arithmetic
// is Qt's; after every change the fields are read back from Qt. A change
// that Qt cannot represent (a day missing from its month, a local time that
// the zone skips, a year outside 1..9999) raises InvalidArgumentException and
// leaves the object as it was.
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <QDateTime>

#include <string>

namespace Lumbra {

// LUMBRA_DATETIME_FIELD(enumerator, member, least, greatest, message when out of range)
// in the order of the natives that read and set them.
#define LUMBRA_DATETIME_FIELDS(FIELD)                       \
    FIELD(Day, day, 1, 31, "Invalid day")                   \
    FIELD(Month, month, 1, 12, "Invalid month")             \
    FIELD(Year, year, 0, 9999, "Invalid year")              \
    FIELD(Hour, hour, 0, 23, "Invalid hour")                \
    FIELD(Minute, minute, 0, 59, "Invalid minute")          \
    FIELD(Second, second, 0, 59, "Invalid second")

class DateTime : public GCObject {
public:
    static constexpr TUint32 BLOCK_SIZE = 32;
    static constexpr TInt32 LOCAL = 0;
    static constexpr TInt32 UTC = 1;

    enum Field {
#define LUMBRA_DATETIME_ENUM(name, member, least, greatest, message) name,
        LUMBRA_DATETIME_FIELDS(LUMBRA_DATETIME_ENUM)
#undef LUMBRA_DATETIME_ENUM
    };

    struct Values {
        TInt32 day, month, year, hour, minute, second, timezone;
    };

    // The date and time `millisSinceEpoch` (the host's wall clock) in the
    // given timezone (0 or 1).
    static DateTime now(TInt32 timezone, TInt64 millisSinceEpoch);
    // The same at the system's present time.
    static DateTime now(TInt32 timezone) { return now(timezone, QDateTime::currentMSecsSinceEpoch()); }
    // Checks year, month, day, hour, minute, second, timezone in this order,
    // raising InvalidArgumentException with the field's message.
    static DateTime fromValues(const Values& v);

    TInt32 getTimezone() const { return timezone; }
    TInt32 field(Field f) const;
    // Replaces one field; out of range: InvalidArgumentException without detail.
    void setField(Field f, TInt32 value);
    void addSeconds(TInt64 seconds);
    // timezone above 1 (or negative): InvalidArgumentException.
    void convertTo(TInt32 timezone);

    // -1, 0 or 1; b is first converted to this object's timezone.
    int compareTo(const DateTime& b) const;
    // Hour, minute, second; both must be in the same timezone.
    int compareTimeTo(const DateTime& dt) const;
    // YYYY-MM-DD hh:mm:ss, with "Z" after UTC times.
    std::string text() const;

private:
    QDateTime toQt() const;
    // Takes over the fields of `qt`, or raises InvalidArgumentException
    // (with `detail` when given) and changes nothing when Qt has no such time.
    void readBack(const QDateTime& qt, const char* detail = nullptr);

    TInt32 timezone = LOCAL;
    TInt32 day = 1, month = 1, year = 1970, hour = 0, minute = 0, second = 0;
};

} // namespace Lumbra

class VirtualMachine;
// A new DateTime block holding the current time in `timezone` (0 or 1;
// anything else raises InvalidArgumentException).
TAddr newDateTime(VirtualMachine& vm, TInt32 timezone);
