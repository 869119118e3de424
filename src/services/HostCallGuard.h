// Bytecode runs inside Qt event handlers, which must not let exceptions
// through. A guarded call ends the process the way start-up does: a machine
// stop with its status (silent for an exit request), an escaped VM error with
// "FATAL: " and status 1.
#pragma once

#include <functional>

class VirtualMachine;

namespace Lumbra {

// Runs `call` on the current machine; does nothing when there is none.
void runGuarded(const std::function<void(VirtualMachine&)>& call);
// runGuarded for a `call` that delivers `entry` (a VirtualMachine::Entry),
// which the trace names.
void runEntry(int entry, const std::function<void(VirtualMachine&)>& call);

} // namespace Lumbra
