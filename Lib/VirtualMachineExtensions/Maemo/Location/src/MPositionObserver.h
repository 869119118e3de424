// What receives the positions of a running requestor: a position update, an
// operation kept for later use, and an error.
#pragma once

#include "LumbraTypes.h"
#include "values/DateTime.h"
#include "values/OFixed.h"

class MPositionObserver {
public:
    virtual ~MPositionObserver() = default;
    // A position; `observer` is the bytecode object the requestor reports to.
    virtual void positionUpdated(OFixed longitude, OFixed latitude, OFixed altitude, OFixed speed,
                                 const Lumbra::DateTime& time, TInt32 value, TWord observer) = 0;
    virtual void reserved() {}
    virtual void positionError(TInt32 code, TWord observer) = 0;
};
