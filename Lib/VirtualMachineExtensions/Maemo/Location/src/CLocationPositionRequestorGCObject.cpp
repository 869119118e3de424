#include "CLocationPositionRequestorGCObject.h"

#include "CLocationWrapper.h"
#include "GpsControl.h"
#include "GpsDevice.h"
#include "machine/ListenerRoots.h"

CLocationPositionRequestorGCObject::CLocationPositionRequestorGCObject(CLocationWrapper* wrapper, VMHeap& heap,
                                                                       TWord observer, TInt32 interval,
                                                                       TWord auxiliary)
    : observer(observer), interval(interval), auxiliary(auxiliary), wrapper(wrapper), heap(heap)
{
    if (wrapper)
        wrapper->adopt(this);
}

CLocationPositionRequestorGCObject::~CLocationPositionRequestorGCObject()
{
    stop();
    if (wrapper)
        wrapper->forget(this);
}

void CLocationPositionRequestorGCObject::pushReferences(Vec<int>& markStack)
{
    // Bytecode may pass any word as the observer, or free its block later.
    if (isLiveHeapObject(heap, observer))
        markStack.append(observer);
}

int CLocationPositionRequestorGCObject::sizeOutsideHeap() const
{
    // The connections' handlers and map nodes, the allocator's headers: about
    // 500 bytes in all were measured for a running requestor.
    constexpr int RUNNING_EXTRA = 256;
    return int(sizeof(*this) + sizeof(GpsControl) + sizeof(LocationService::GpsDevice)) + RUNNING_EXTRA;
}

void CLocationPositionRequestorGCObject::start()
{
    if (control || !wrapper)
        return;
    control = std::make_unique<GpsControl>(*wrapper, interval, auxiliary, observer, wrapper->usesLiveDevice());
}

void CLocationPositionRequestorGCObject::stop()
{
    if (!control)
        return;
    control.reset();
    if (wrapper)
        wrapper->requestorStopped();
}

int CLocationPositionRequestorGCObject::intervalCode() const
{
    return control ? control->intervalCode() : 0;
}

void CLocationPositionRequestorGCObject::detach()
{
    control.reset();
    wrapper = nullptr;
}
