#include "Scheduler.h"

#include "Timer.h"


Scheduler::~Scheduler()
{
    for (int i = 0; i < timers.size(); ++i)
        delete timers[i];
}

int Scheduler::addTimer(TWord listener, TUint32 delay)
{
    LUMBRA_ASSERT(vm != nullptr);
    Timer* timer = new Timer(vm, listener, int(delay));
    timers.append(timer);
    return timer->id();
}

int Scheduler::indexOf(int id) const
{
    for (int i = 0; i < timers.size(); ++i)
        if (timers[i]->id() == id)
            return i;
    return -1;
}

Timer* Scheduler::find(int id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : timers[index];
}

TWord Scheduler::removeTimer(int id)
{
    const int index = indexOf(id);
    if (index < 0)
        return 0;
    Timer* timer = timers[index];
    const TWord listener = timer->listener();
    timers.removeAt(index);
    delete timer;
    return listener;
}

void Scheduler::updateTimerDelay(int id, int delay)
{
    if (Timer* timer = find(id))
        timer->setInterval(delay);
}
