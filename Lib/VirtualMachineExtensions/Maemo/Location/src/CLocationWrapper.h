// Extension 27: position requestors that report fixes of the GPS daemon to a
// bytecode observer, location values, and distances between locations.
// Positions reach the application through "<locationobserver>.handle
// location event<location>", called under the host's callback guard.
#pragma once

#include "ExtensionCall.h"
#include "MPositionObserver.h"

#include <set>

class CLocation;
class CLocationPositionRequestorGCObject;

class CLocationWrapper : public VMExtension, public MPositionObserver {
public:
    explicit CLocationWrapper(VirtualMachine& vm);
    ~CLocationWrapper() override;

    int call(unsigned operation, int top, TWord* stack) override;
    // A requestor is running.
    bool hasPendingWork() const override;

    // MPositionObserver
    void positionUpdated(OFixed longitude, OFixed latitude, OFixed altitude, OFixed speed,
                         const Lumbra::DateTime& time, TInt32 value, TWord observer) override;
    void positionError(TInt32 code, TWord observer) override;

    // A recorded position or error, for the observer of a running requestor only.
    bool replayEvent(const QJsonObject& event) override;
    // False during a replay: requestors run without the GPS daemon.
    bool usesLiveDevice() const { return !replaying(); }

    // Requestors announce themselves so that they can be stopped with the wrapper.
    void adopt(CLocationPositionRequestorGCObject* requestor) { requestors.insert(requestor); }
    void forget(CLocationPositionRequestorGCObject* requestor) { requestors.erase(requestor); }
    void requestorStopped() const { reportWorkEnded(); }

    int eventHandle() const { return locationEvent; }

private:
    int create(const ExtensionCall& call);
    int createLocation(const ExtensionCall& call);
    CLocationPositionRequestorGCObject& requestorIn(const ExtensionCall& call) const;
    CLocation& locationIn(const ExtensionCall& call, int i) const;

    VirtualMachine& vm;
    int locationEvent;
    int locationError;
    std::set<CLocationPositionRequestorGCObject*> requestors;
};
