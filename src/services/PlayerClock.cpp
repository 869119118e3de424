#include "PlayerClock.h"

#include <chrono>
#include <climits>
#include <cmath>

PlayerClock::PlayerClock(Source realTime)
    : source(std::move(realTime))
{
    restart();
}

TInt64 PlayerClock::realNow() const
{
    if (source)
        return source();
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PlayerClock::restart()
{
    anchorPlayer = 0;
    anchorReal = realNow();
}

TInt64 PlayerClock::micros() const
{
    if (stopped)
        return anchorPlayer;
    return anchorPlayer + TInt64(std::llround(double(realNow() - anchorReal) * rate));
}

TInt64 PlayerClock::millis() const
{
    return micros() / 1000;
}

void PlayerClock::setSpeed(double speed)
{
    if (!(speed >= MIN_SPEED)) // NaN too
        speed = MIN_SPEED;
    if (speed > MAX_SPEED * 4)
        speed = MAX_SPEED * 4;
    anchorPlayer = micros();
    anchorReal = realNow();
    rate = speed;
}

void PlayerClock::setPaused(bool pause)
{
    if (pause == stopped)
        return;
    anchorPlayer = micros();
    anchorReal = realNow();
    stopped = pause;
}

void PlayerClock::advance(TInt64 ms)
{
    if (stopped && ms > 0)
        anchorPlayer += ms * 1000;
}

int PlayerClock::realInterval(int delay) const
{
    if (delay <= 0)
        return 0;
    const double real = std::round(double(delay) / rate);
    if (real >= double(INT_MAX))
        return INT_MAX;
    return real < 1 ? 1 : int(real);
}
