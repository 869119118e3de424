// What every device extension offers the registry: one operation that runs
// an extension function on the machine's stack, and whether the extension
// still has work that can happen without bytecode asking for it.
#pragma once

#include "LumbraTypes.h"

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

protected:
    void reportWorkEnded() const
    {
        if (workEnded)
            workEnded();
    }

private:
    std::function<void()> workEnded;
};
