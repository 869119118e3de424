#include "GpsControl.h"

#include "CLocationPositionRequestorGCObject.h"
#include "GpsDaemonControl.h"
#include "GpsDevice.h"
#include "MPositionObserver.h"

using LocationService::GpsDaemonControl;

namespace {
constexpr double KMH_TO_MS = 0.27778;
}

GpsControl::GpsControl(MPositionObserver& wrapper, TInt32 interval, TWord auxiliary, TWord observer, bool live)
    : wrapper(wrapper)
    , interval(interval)
    , auxiliary(auxiliary)
    , observer(observer)
    , intervalCode_(interval <= CLocationPositionRequestorGCObject::SHORT_INTERVAL_MS ? GpsDaemonControl::INTERVAL_10S
                                                                                     : GpsDaemonControl::INTERVAL_20S)
{
    if (!live)
        return;
    control = GpsDaemonControl::defaultControl();
    device = std::make_unique<LocationService::GpsDevice>();
    control->setPreferredMethod(GpsDaemonControl::METHOD_USER_SELECTED);
    control->setPreferredInterval(intervalCode_);
    // Errors of the service are not passed on.
    errorConnection = control->errorVerbose.connect([](const QString&) {});
    stoppedConnection = control->gpsdStopped.connect([] {});
    device->changed.connect([this] { update(); });
    control->start();
}

GpsControl::~GpsControl()
{
    if (!control)
        return;
    control->errorVerbose.disconnect(errorConnection);
    control->gpsdStopped.disconnect(stoppedConnection);
    control->stop();
}

int GpsControl::intervalCode() const
{
    return intervalCode_;
}

void GpsControl::update()
{
    const LocationService::GpsFix* fix = device->fix();
    if (!fix || !(fix->fields & LocationService::FIX_LATLONG_SET))
        return;
    const Lumbra::DateTime now = Lumbra::DateTime::now(Lumbra::DateTime::LOCAL);
    // The observer may drop the requestor, and a collection then destroy
    // this control: nothing of it is used after the call.
    wrapper.positionUpdated(OFixed::fromReal(fix->longitude), OFixed::fromReal(fix->latitude),
                            OFixed::fromReal(fix->altitude), OFixed::fromReal(fix->speed * KMH_TO_MS), now, 0,
                            observer);
}
