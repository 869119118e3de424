// One periodic callback requested by bytecode: a repeating QTimer whose every
// expiry delivers the system timer event to the listener object. Its period
// is kept in the player's time (PlayerClock); the QTimer runs at that
// period divided by the clock's speed and stands still while it is paused.
#pragma once

#include "LumbraTypes.h"

#include <QObject>

#include <functional>

class PlayerClock;
class QTimer;
class VirtualMachine;

class Timer : public QObject {
    Q_OBJECT
public:
    // Starts at once (unless the clock is paused); takes the next id of the
    // process-wide counter. `fired` runs before each delivery, given the id.
    Timer(VirtualMachine* vm, TWord listener, int delay, const PlayerClock& clock,
          std::function<void(int)> fired = nullptr);

    TWord listener() const { return listenerWord; }
    int id() const { return timerId; }
    // The period in the player's milliseconds.
    int interval() const { return period; }
    // The QTimer's period in real milliseconds.
    int realInterval() const;
    // Restarts the period from now with the new delay.
    void setInterval(int delay);
    // Follows the clock: stopped while paused, else running at its speed
    // (the period starts again from now).
    void followClock();
    // Whether the player's time has reached the next expiry.
    bool isDue() const;
    // One expiry now, whether or not the QTimer ran out.
    void fire();

    // Ids start here and are never reused.
    static constexpr int FIRST_ID = 10;

public Q_SLOTS:
    void timeout();

private:
    TWord listenerWord;
    int timerId;
    int period;
    TInt64 dueAt = 0; // player milliseconds
    QTimer* timer;
    VirtualMachine* vm;
    const PlayerClock& clock;
    std::function<void(int)> fired;
};
