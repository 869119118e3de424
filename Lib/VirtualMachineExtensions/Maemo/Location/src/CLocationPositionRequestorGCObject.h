// A position requestor: the bytecode observer its positions go to, the
// update interval, a value bytecode keeps with it, and while it runs the
// control of the GPS daemon with a GPS device (GpsControl) whose fixes become
// position updates. A managed object; the collector stops a running one.
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <memory>

class CLocationWrapper;
class GpsControl;
class VMHeap;

class CLocationPositionRequestorGCObject : public GCObject {
public:
    // Size of the managed block, as in the 32-bit object layout.
    static constexpr TUint32 BLOCK_SIZE = 24;
    // Requestors with an interval up to this many milliseconds ask for the
    // daemon's 10-second interval, the others for its 20-second one.
    static constexpr TInt32 SHORT_INTERVAL_MS = 1000;

    CLocationPositionRequestorGCObject(CLocationWrapper* wrapper, VMHeap& heap, TWord observer, TInt32 interval,
                                       TWord auxiliary);
    ~CLocationPositionRequestorGCObject() override;
    CLocationPositionRequestorGCObject(const CLocationPositionRequestorGCObject&) = delete;
    CLocationPositionRequestorGCObject& operator=(const CLocationPositionRequestorGCObject&) = delete;

    void pushReferences(Vec<int>& markStack) override;
    // This object and, charged from the start, what running makes: the
    // control, its GPS device and their signal connections.
    int sizeOutsideHeap() const override;

    void start();
    void stop();
    bool isRunning() const { return control != nullptr; }
    // The interval code the running control asked the daemon for (0 when stopped).
    int intervalCode() const;

    void setInterval(TInt32 milliseconds) { interval = milliseconds; }
    void setAuxiliary(TWord value) { auxiliary = value; }
    TInt32 intervalMs() const { return interval; }
    TWord auxiliaryValue() const { return auxiliary; }
    TWord observerWord() const { return observer; }

    // The wrapper is going away: stopped, and no more updates.
    void detach();

private:
    TWord observer;
    TInt32 interval;
    TWord auxiliary;
    CLocationWrapper* wrapper;
    std::unique_ptr<GpsControl> control;
    VMHeap& heap;
};
