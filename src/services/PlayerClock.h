// The player's own clock: the application's uptime and the pace of its
// timers. It runs at a speed (1 is real time), stands still while paused,
// and a paused clock can be moved on by hand, one step at a time.
#pragma once

#include "LumbraTypes.h"

#include <functional>

class PlayerClock {
public:
    // Real time in microseconds from any fixed origin; monotonic.
    using Source = std::function<TInt64()>;

    static constexpr double MIN_SPEED = 0.25;
    static constexpr double MAX_SPEED = 8.0;

    // `source` null: the system's monotonic clock.
    explicit PlayerClock(Source source = nullptr);

    // Starts counting from 0 again, running, at the present speed.
    void restart();
    // Milliseconds of player time since the restart.
    TInt64 millis() const;
    TInt64 micros() const;

    double speed() const { return rate; }
    // From now on player time goes `speed` times as fast as real time.
    void setSpeed(double speed);

    bool paused() const { return stopped; }
    void setPaused(bool paused);
    // Moves a paused clock on by `ms`; a running one is left alone.
    void advance(TInt64 ms);

    // The real period of a timer of `delay` player milliseconds at the present speed.
    int realInterval(int delay) const;

private:
    TInt64 realNow() const;
    // Player time at the moment `anchorReal` of real time.
    TInt64 anchorPlayer = 0;
    TInt64 anchorReal = 0;
    double rate = 1.0;
    bool stopped = false;
    Source source;
};
