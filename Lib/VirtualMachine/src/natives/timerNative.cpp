// The Timer native group (33): periodic callbacks through the host's timers.
// The listener stays a heap root while its timer exists.
#include "machine/ListenerRoots.h"
#include "machine/VirtualMachine.h"
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
        const TWord listener = vm.slot(vm.sp - 1);
        const int delay = clampedDelay(vm.slot(vm.sp));
        addListenerRoot(vm, listener);
        int timerID;
        try {
            timerID = host.addTimer(listener, delay);
        } catch (...) {
            removeListenerRoot(vm, listener);
            throw;
        }
        LUMBRA_ASSERT(timerID >= 10);
        vm.sp -= 2;
        vm.top() = timerID;
        break;
    }
    case TimerFn::remove: { // [slot, timer id] -> []
        FrameworkServices& host = hostOf(vm);
        const TWord listener = host.removeTimer(vm.top());
        vm.sp -= 2;
        removeListenerRoot(vm, listener);
        break;
    }
    case TimerFn::setDelay: { // [slot, timer id, delay] -> []
        FrameworkServices& host = hostOf(vm);
        host.updateTimerDelay(vm.slot(vm.sp - 1), clampedDelay(vm.top()));
        vm.sp -= 3;
        break;
    }
    }
}
