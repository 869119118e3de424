// What every device extension offers the registry: one operation that runs
// an extension function on the machine's stack, and whether the extension
// still has work that can happen without bytecode asking for it.
#pragma once

#include "LumbraTypes.h"
#include "host/ReadJournal.h"

#include <QJsonObject>

#include <cstddef>
#include <functional>
#include <utility>

class VMExtension {
public:
    virtual ~VMExtension() = default;
    // Runs `operation` with its arguments at the top of `stack` (the last at
    // `top`); answers the index of the topmost result, or the slot just below
    // the first argument when there is none.
    virtual int call(unsigned operation, int top, TWord* stack) = 0;
    // True while something started by bytecode may still call back or be
    // heard (a sound playing, operations waiting for a connected server).
    virtual bool hasPendingWork() const { return false; }
    // `handler` runs whenever work of the extension's own may have ended, so
    // that a host waiting for it can look again.
    void setWorkEndedHandler(std::function<void()> handler) { workEnded = std::move(handler); }

    // How the host runs a call into bytecode that an extension makes on its
    // own (from a device or network event, outside any extension operation):
    // the guard keeps the machine's stops and errors out of the event loop.
    // `event` describes the delivery so that a recorded run can repeat it
    // through replayEvent.
    using CallbackGuard = std::function<void(const QJsonObject& event, const std::function<void()>&)>;
    void setCallbackGuard(CallbackGuard guard) { callbackGuard = std::move(guard); }
    // Device readings and controls go through `journal` (not owned) while it is set.
    void setReadJournal(ReadJournal* journal) { readJournal = journal; }
    // Delivers again an event this extension described to its guard; false
    // when it does not describe one that can happen now.
    virtual bool replayEvent(const QJsonObject&) { return false; }

protected:
    void reportWorkEnded() const
    {
        if (workEnded)
            workEnded();
    }

    // Runs `call` under the host's guard (directly when there is none).
    void runCallback(const QJsonObject& event, const std::function<void()>& call) const
    {
        if (callbackGuard)
            callbackGuard(event, call);
        else
            call();
    }

    // The value of the device read of `kind` on `name`: `live` performs it,
    // unless a journal answers from a record.
    QJsonValue journaled(const char* kind, const char* name, const std::function<QJsonValue()>& live) const
    {
        return readJournal ? readJournal->read(kind, QString::fromUtf8(name), live) : live();
    }
    bool replaying() const { return readJournal && readJournal->replaying(); }
    // readDeviceFile of the device file `path` (below the device root),
    // through the journal: its text, or false with errno set.
    bool readDevice(const char* path, char* text, size_t capacity) const;

private:
    ReadJournal* readJournal = nullptr;
    std::function<void()> workEnded;
    CallbackGuard callbackGuard;
};
