#include "CLocationWrapper.h"

#include "CLocation.h"
#include "CLocationPositionRequestorGCObject.h"
#include "ExtensionIds.h"
#include "LocationDistance.h"
#include "VMError.h"

#include <algorithm>
#include <limits>

using Lumbra::DateTime;

namespace {

// Seconds to milliseconds without overflow: the product saturates.
TInt32 secondsToMs(TInt32 seconds)
{
    const TInt64 ms = TInt64(seconds) * 1000;
    return TInt32(std::clamp<TInt64>(ms, std::numeric_limits<TInt32>::min(), std::numeric_limits<TInt32>::max()));
}

} // namespace

CLocationWrapper::CLocationWrapper(VirtualMachine& vm)
    : vm(vm)
    , locationEvent(vm.getMethodHandle(VUvarString("<locationobserver>.handle location event<location>"), -1))
    , locationError(vm.getMethodHandle(VUvarString("<locationobserver>.handle location error<locationerror>"), -1))
{
}

CLocationWrapper::~CLocationWrapper()
{
    // The requestors outlive the wrapper in the heap: they stop here.
    for (CLocationPositionRequestorGCObject* requestor : requestors)
        requestor->detach();
}

bool CLocationWrapper::hasPendingWork() const
{
    return std::any_of(requestors.begin(), requestors.end(), [](const auto* r) { return r->isRunning(); });
}

void CLocationWrapper::positionUpdated(OFixed longitude, OFixed latitude, OFixed altitude, OFixed speed,
                                       const DateTime& time, TInt32 value, TWord observer)
{
    // Without the observer method there is no one to tell.
    if (locationEvent < 0)
        return;
    VirtualMachine& machine = vm;
    const int handle = locationEvent;
    QJsonObject event{{"device", "location"},   {"event", "position"},     {"longitude", qint64(longitude.raw)},
                      {"latitude", qint64(latitude.raw)}, {"altitude", qint64(altitude.raw)}, {"speed", qint64(speed.raw)},
                      {"value", value},         {"observer", qint64(observer)}};
#define LUMBRA_DATETIME_RECORD(name, member, least, greatest, message) event.insert(#member, time.field(DateTime::name));
    LUMBRA_DATETIME_FIELDS(LUMBRA_DATETIME_RECORD)
#undef LUMBRA_DATETIME_RECORD
    event.insert("timezone", time.getTimezone());
    runCallback(event, [&machine, handle, longitude, latitude, altitude, speed, time, value, observer] {
        const TAddr location = machine.heap().create<CLocation>(CLocation::BLOCK_SIZE, GC_CODE_NATIVE, longitude,
                                                                latitude, altitude, speed, time, value);
        machine.callMethod(handle, Vec<int>::of({observer, TWord(location)}), Vec<int>::of({1, 0}), 1);
    });
}

void CLocationWrapper::positionError(TInt32 code, TWord observer)
{
    if (locationError < 0)
        return;
    VirtualMachine& machine = vm;
    const int handle = locationError;
    const QJsonObject event{{"device", "location"}, {"event", "error"}, {"code", code}, {"observer", qint64(observer)}};
    runCallback(event, [&machine, handle, code, observer] {
        machine.callMethod(handle, Vec<int>::of({observer, code}), Vec<int>::of({1, 0}), 1);
    });
}

bool CLocationWrapper::replayEvent(const QJsonObject& event)
{
    const TWord observer = TWord(event.value("observer").toInteger());
    if (!std::any_of(requestors.begin(), requestors.end(),
                     [observer](const auto* r) { return r->isRunning() && r->observerWord() == observer; }))
        return false;
    if (event.value("event") == QLatin1String("error")) {
        positionError(event.value("code").toInt(), observer);
        return true;
    }
    if (event.value("event") != QLatin1String("position"))
        return false;
    DateTime::Values values{};
#define LUMBRA_DATETIME_REPLAY(name, member, least, greatest, message) values.member = event.value(#member).toInt();
    LUMBRA_DATETIME_FIELDS(LUMBRA_DATETIME_REPLAY)
#undef LUMBRA_DATETIME_REPLAY
    values.timezone = event.value("timezone").toInt();
    DateTime time;
    try {
        time = DateTime::fromValues(values);
    } catch (...) {
        return false; // a time no live fix can have
    }
    const auto fixed = [&event](const char* name) { return OFixed(event.value(name).toInteger()); };
    positionUpdated(fixed("longitude"), fixed("latitude"), fixed("altitude"), fixed("speed"), time,
                    event.value("value").toInt(), observer);
    return true;
}

CLocationPositionRequestorGCObject& CLocationWrapper::requestorIn(const ExtensionCall& call) const
{
    return call.wrapped<CLocationPositionRequestorGCObject>(0);
}

CLocation& CLocationWrapper::locationIn(const ExtensionCall& call, int i) const
{
    return call.wrapped<CLocation>(i);
}

int CLocationWrapper::create(const ExtensionCall& call)
{
    call.wrapperWord(0); // the result wrapper is checked before anything is made
    const TAddr block = vm.heap().create<CLocationPositionRequestorGCObject>(
        CLocationPositionRequestorGCObject::BLOCK_SIZE, GC_CODE_NATIVE, this, vm.heap(), call.arg(1),
        secondsToMs(call.arg(3)), call.arg(2));
    call.setWrapperWord(0, TWord(block));
    vm.heap().objectAs<CLocationPositionRequestorGCObject>(block)->start();
    return call.leaveNothing();
}

int CLocationWrapper::createLocation(const ExtensionCall& call)
{
    call.wrapperWord(0);
    const DateTime& time = call.wrapped<DateTime>(7);
    const TAddr block = vm.heap().create<CLocation>(CLocation::BLOCK_SIZE, GC_CODE_NATIVE, call.fixedArg(3),
                                                    call.fixedArg(1), call.fixedArg(5), OFixed(), time, 0);
    call.setWrapperWord(0, TWord(block));
    return call.leaveNothing();
}

int CLocationWrapper::call(unsigned operation, int top, TWord* stack)
{
    static constexpr const char* UNKNOWN = "Location: Unknown opcode!";
    const ExtensionCall call = ExtensionCall::declared(vm, LOCATION_ID, operation, top, stack, UNKNOWN);
    switch (operation) {
    case 1:
        return create(call);
    case 2:
    case 17: {
        CLocationPositionRequestorGCObject& requestor = requestorIn(call);
        if (operation == 2)
            requestor.setInterval(call.arg(1));
        else
            requestor.setAuxiliary(call.arg(1));
        requestor.stop();
        requestor.start();
        return call.leaveNothing();
    }
    case 3:
    case 4:
        if (operation == 3)
            requestorIn(call).stop();
        else
            requestorIn(call).start();
        return call.leaveNothing();
    case 5:
        return createLocation(call);
    case 6: {
        CLocation& location = locationIn(call, 0);
        location.time = call.wrapped<DateTime>(1);
        return call.leaveNothing();
    }
    case 7: {
        CLocation& location = locationIn(call, 0);
        location.latitude = call.fixedArg(1);
        location.longitude = call.fixedArg(3);
        location.altitude = call.fixedArg(5);
        return call.leaveNothing();
    }
    case 8:
        return call.leaveNothing();
    case 9:
        return call.leave({locationIn(call, 0).value});
    case 10: {
        const DateTime time = locationIn(call, 0).time;
        const TAddr date = vm.heap().create<DateTime>(DateTime::BLOCK_SIZE, GC_CODE_DATETIME, time);
        return call.leave({vm.newBox(TWord(date))});
    }
    case 11:
    case 12:
    case 13: {
        const CLocation& location = locationIn(call, 0);
        return call.leaveFixed(operation == 11 ? location.altitude
                                : operation == 12 ? location.latitude
                                                  : location.longitude);
    }
    case 14:
        return call.leaveFixed(OFixed());
    case 15: {
        const CLocation& a = locationIn(call, 0);
        const CLocation& b = locationIn(call, 1);
        const float km = float(LocationService::distanceBetween(a.latitude.toReal(), a.longitude.toReal(),
                                                                b.latitude.toReal(), b.longitude.toReal()));
        return call.leaveFixed(OFixed::fromReal(km));
    }
    case 16:
        return call.leaveFixed(locationIn(call, 1).speed);
    default: // declared without a case here
        unknownOperation(vm, UNKNOWN);
    }
}
