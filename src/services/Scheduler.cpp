#include "Scheduler.h"

#include "Timer.h"
#include "Vec.h"

#include <climits>

Scheduler::Scheduler(PlayerClock::Source realTime)
    : playerClock(std::move(realTime))
{
}

Scheduler::~Scheduler()
{
    for (const auto& [id, timer] : timers)
        delete timer;
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
    timers.emplace(timer->id(), timer);
    return timer->id();
}

Timer* Scheduler::find(int id) const
{
    const auto found = timers.find(id);
    return found == timers.end() ? nullptr : found->second;
}

TWord Scheduler::removeTimer(int id)
{
    const auto found = timers.find(id);
    if (found == timers.end())
        return 0;
    Timer* timer = found->second;
    const TWord listener = timer->listener();
    timers.erase(found);
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
    for (const auto& [id, timer] : timers)
        timer->followClock();
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
    for (const auto& [id, timer] : timers) {
        shortest = timer->interval() < shortest ? timer->interval() : shortest;
        ids.append(id);
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
