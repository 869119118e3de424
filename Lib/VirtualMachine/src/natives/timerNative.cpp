// The Timer native group (33): periodic callbacks through the host's timers.
// The listener stays a heap root while its timer exists.
#include "machine/ListenerRoots.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeCallFrame.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"

#include <algorithm>

namespace {

FrameworkServices& hostOf(VirtualMachine& vm)
{
    if (!vm.services())
        Lumbra::throwError(Lumbra::EVM, std::string_view("no host services"));
    return *vm.services();
}

// The host requires non-negative delays.
int clampedDelay(TWord delay)
{
    return std::max<TWord>(delay, 0);
}

} // namespace

void timerNative(VirtualMachine& vm, int function)
{
    switch (TimerFn(function)) {
    case TimerFn::add: { // [slot, listener, delay] -> [timer id]
        FrameworkServices& host = hostOf(vm);
        NativeCallFrame call(vm, TimerFn::add);
        call.take();
        const TWord listener = call.arg(1);
        const int delay = clampedDelay(call.arg(2));
        addListenerRoot(vm, listener);
        int timerID;
        try {
            timerID = host.addTimer(listener, delay);
        } catch (...) {
            removeListenerRoot(vm, listener);
            throw;
        }
        LUMBRA_ASSERT(timerID >= 10);
        call.leave(timerID);
        break;
    }
    case TimerFn::remove: { // [slot, timer id] -> []
        FrameworkServices& host = hostOf(vm);
        NativeCallFrame call(vm, TimerFn::remove);
        call.take();
        const TWord listener = host.removeTimer(call.arg(1));
        call.leaveNothing();
        removeListenerRoot(vm, listener);
        break;
    }
    case TimerFn::setDelay: { // [slot, timer id, delay] -> []
        FrameworkServices& host = hostOf(vm);
        NativeCallFrame call(vm, TimerFn::setDelay);
        call.take();
        host.updateTimerDelay(call.arg(1), clampedDelay(call.arg(2)));
        call.leaveNothing();
        break;
    }
    }
}
