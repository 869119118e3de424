#include "Timer.h"

#include "HostCallGuard.h"
#include "machine/VirtualMachine.h"

#include <QTimer>

namespace {
int nextTimerId = Timer::FIRST_ID;
}

Timer::Timer(VirtualMachine* machine, TWord listener, int delay)
    : listenerWord(listener)
    , timerId(nextTimerId++)
    , timer(new QTimer(this))
    , vm(machine)
{
    connect(timer, &QTimer::timeout, this, &Timer::timeout);
    timer->setInterval(delay);
    timer->start();
}

int Timer::interval() const
{
    return timer->interval();
}

void Timer::setInterval(int delay)
{
    timer->setInterval(delay);
}

void Timer::timeout()
{
    if (VirtualMachine::current() != vm)
        return; // the machine this timer belongs to is gone
    Lumbra::runEntry(VirtualMachine::EntrySystemTimer,
                     [this](VirtualMachine& machine) { machine.deliverTimer(listenerWord); });
}
