// The live timers of the application, in creation order, and the player's
// clock that paces them: paused, they stand still; at a speed, they run that
// many times as fast; a step moves a paused clock on by the shortest period.
#pragma once

#include "LumbraTypes.h"
#include "PlayerClock.h"

#include <map>

#include <functional>

class Timer;
class VirtualMachine;

class Scheduler {
public:
    explicit Scheduler(PlayerClock::Source realTime = nullptr);
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void setMachine(VirtualMachine* machine) { vm = machine; }
    VirtualMachine* machine() const { return vm; }

    // A new running timer; answers its id.
    int addTimer(TWord listener, TUint32 delay);
    // Stops and deletes the timer with `id`; answers its listener, 0 when none.
    TWord removeTimer(int id);
    // Restarts timer `id` with a new period; an unknown id is ignored.
    void updateTimerDelay(int id, int delay);
    // The timer with `id`, null when none.
    Timer* find(int id) const;
    int count() const { return int(timers.size()); }

    const PlayerClock& clock() const { return playerClock; }
    PlayerClock& clock() { return playerClock; }
    void setPaused(bool paused);
    void setSpeed(double speed);
    // While paused: the clock moves on by the shortest timer period and each
    // timer that has become due fires once. Answers how many fired.
    int step();
    // Runs before each timer event, given the timer's id.
    void setTickObserver(std::function<void(int)> observer) { tickObserver = std::move(observer); }
    // Timer events delivered so far.
    TUint64 ticks() const { return fired; }

private:
    void followClock();

    VirtualMachine* vm = nullptr;
    // By id: ids grow with each timer made, so this is creation order, and
    // a timer is found or removed without a search through the others.
    std::map<int, Timer*> timers;
    PlayerClock playerClock;
    TUint64 fired = 0;
    std::function<void(int)> tickObserver;
};
