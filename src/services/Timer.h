// One periodic callback requested by bytecode: a repeating QTimer whose every
// expiry delivers the system timer event to the listener object.
#pragma once

#include "LumbraTypes.h"

#include <QObject>

class QTimer;
class VirtualMachine;

class Timer : public QObject {
    Q_OBJECT
public:
    // Starts at once; takes the next id of the process-wide counter.
    Timer(VirtualMachine* vm, TWord listener, int delay);

    TWord listener() const { return listenerWord; }
    int id() const { return timerId; }
    int interval() const;
    // Restarts the period from now with the new delay.
    void setInterval(int delay);

    // Ids start here and are never reused.
    static constexpr int FIRST_ID = 10;

public Q_SLOTS:
    void timeout();

private:
    TWord listenerWord;
    int timerId;
    QTimer* timer;
    VirtualMachine* vm;
};
