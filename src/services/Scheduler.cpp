#include "Scheduler.h"

#include "Timer.h"

#include <climits>

Scheduler::Scheduler(PlayerClock::Source realTime)
    : playerClock(std::move(realTime))
{
}

Scheduler::~Scheduler()
{
    for (int i = 0; i < timers.size(); ++i)
        delete timers[i];
}

int Scheduler::addTimer(TWord listener, TUint32 delay)
{
    LUMBRA_ASSERT(vm != nullptr);
    Timer* timer = new Timer(vm, listener, int(delay > TUint32(INT_MAX) ? INT_MAX : delay), playerClock,
                             [this](int id) {
        ++fired;
        if (tickObserver)
            tickObserver(id);
    });
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

void Scheduler::followClock()
{
    for (int i = 0; i < timers.size(); ++i)
        timers[i]->followClock();
}

void Scheduler::setPaused(bool paused)
{
    if (paused == playerClock.paused())
        return;
    playerClock.setPaused(paused);
    followClock();
}

void Scheduler::setSpeed(double speed)
{
    playerClock.setSpeed(speed);
    followClock();
}

int Scheduler::step()
{
    if (!playerClock.paused() || timers.size() == 0)
        return 0;
    int shortest = INT_MAX;
    Vec<int> ids;
    for (int i = 0; i < timers.size(); ++i) {
        shortest = timers[i]->interval() < shortest ? timers[i]->interval() : shortest;
        ids.append(timers[i]->id());
    }
    playerClock.advance(shortest);
    // A timer event may add or remove timers: each is looked up again.
    int count = 0;
    for (int i = 0; i < ids.size(); ++i) {
        Timer* timer = find(ids[i]);
        if (timer && timer->isDue()) {
            timer->fire();
            ++count;
        }
    }
    return count;
}
