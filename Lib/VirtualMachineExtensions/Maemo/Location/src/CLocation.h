// A location value: coordinates, speed, the time it was taken and one
// integer (0 in every location made here). A managed object.
#pragma once

#include "GCObject.h"
#include "values/DateTime.h"
#include "values/OFixed.h"

class CLocation : public GCObject {
public:
    // Size of the managed block, as in the 32-bit object layout.
    static constexpr TUint32 BLOCK_SIZE = 48;

    CLocation(OFixed longitude, OFixed latitude, OFixed altitude, OFixed speed, const Lumbra::DateTime& time,
              TInt32 value)
        : longitude(longitude), latitude(latitude), altitude(altitude), speed(speed), time(time), value(value)
    {
    }

    OFixed longitude;   // degrees
    OFixed latitude;    // degrees
    OFixed altitude;    // metres
    OFixed speed;       // metres per second
    Lumbra::DateTime time;
    TInt32 value;
};
