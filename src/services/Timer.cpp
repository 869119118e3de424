#include "Timer.h"

#include "HostCallGuard.h"
#include "PlayerClock.h"
#include "machine/VirtualMachine.h"

#include <QTimer>

namespace {
int nextTimerId = Timer::FIRST_ID;
}

Timer::Timer(VirtualMachine* machine, TWord listener, int delay, const PlayerClock& playerClock,
             std::function<void(int)> onFired)
    : listenerWord(listener)
    , timerId(nextTimerId++)
    , period(delay)
    , timer(new QTimer(this))
    , vm(machine)
    , clock(playerClock)
    , fired(std::move(onFired))
{
    connect(timer, &QTimer::timeout, this, &Timer::timeout);
    followClock();
}

int Timer::realInterval() const
{
    return timer->interval();
}

void Timer::setInterval(int delay)
{
    period = delay;
    followClock();
}

void Timer::followClock()
{
    dueAt = clock.millis() + period;
    timer->setInterval(clock.realInterval(period));
    if (clock.paused())
        timer->stop();
    else
        timer->start();
}

bool Timer::isDue() const
{
    return clock.millis() >= dueAt;
}

void Timer::timeout()
{
    if (clock.paused())
        return;
    fire();
}

void Timer::fire()
{
    dueAt = clock.millis() + period;
    if (VirtualMachine::current() != vm)
        return; // the machine this timer belongs to is gone
    if (fired)
        fired(timerId);
    Lumbra::runEntry(VirtualMachine::EntrySystemTimer,
                     [this](VirtualMachine& machine) { machine.deliverTimer(listenerWord); });
}
