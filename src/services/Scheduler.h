// The live timers of the application, in creation order.
#pragma once

#include "LumbraTypes.h"
#include "Vec.h"

class Timer;
class VirtualMachine;

class Scheduler {
public:
    Scheduler() = default;
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void setMachine(VirtualMachine* machine) { vm = machine; }
    VirtualMachine* machine() const { return vm; }

    // A new running timer; answers its id.
    int addTimer(TWord listener, TUint32 delay);
    // Stops and deletes the first timer with `id`; answers its listener, 0 when none.
    TWord removeTimer(int id);
    // Restarts timer `id` with a new period; an unknown id is ignored.
    void updateTimerDelay(int id, int delay);
    // The timer with `id`, null when none.
    Timer* find(int id) const;
    int count() const { return timers.size(); }

private:
    int indexOf(int id) const;

    VirtualMachine* vm = nullptr;
    Vec<Timer*> timers;
};
