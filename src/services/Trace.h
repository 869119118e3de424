// The player's trace on standard error, for bug reports: every entry-point
// call the host makes, the fatal error that ends a run, and the heap's
// memory report when the process ends. Each line starts with "TRACE: ", so
// it never mixes with the application's "LOG: " lines. Off unless enabled.
#pragma once

#include <string>

class VirtualMachine;

namespace Lumbra::Trace {

// Turns the trace on and arranges the memory report at the process's end.
void enable();
bool enabled();

// "TRACE: call <signature>" when `entry` (a VirtualMachine::Entry) resolved
// and has someone to receive it.
void entryCalled(const VirtualMachine& vm, int entry);
// "TRACE: call main": the image loads and its main runs in one step.
void mainCalled();
// "TRACE: fatal in <signature> at <position>: <message>" with the call and
// instruction position the current machine stopped at, when known.
void fatal(const std::string& message);
// "TRACE: memory <line>" for each line of the current machine's memory
// report; once per process, nothing without a machine.
void memoryReport();

} // namespace Lumbra::Trace
