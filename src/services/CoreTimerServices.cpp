// The timer slots: each timer is a repeating QTimer of the scheduler whose
// expiry delivers the system timer event.
#include "CoreFrameworkServices.h"

int CoreFrameworkServices::addTimer(TWord listener, int delay)
{
    // The natives clamp delays; a negative one still must not reach QTimer.
    return scheduler.addTimer(listener, TUint32(delay < 0 ? 0 : delay));
}

TWord CoreFrameworkServices::removeTimer(int id)
{
    return scheduler.removeTimer(id);
}

bool CoreFrameworkServices::updateTimerDelay(int id, int delay)
{
    scheduler.updateTimerDelay(id, delay < 0 ? 0 : delay);
    return true;
}

bool CoreFrameworkServices::hasPendingWork() const
{
    return scheduler.count() > 0;
}
