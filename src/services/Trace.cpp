#include "Trace.h"

#include "machine/VirtualMachine.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Lumbra::Trace {

namespace {

bool tracing = false;
bool memoryReported = false;

void traceLine(const std::string& text)
{
    const std::string line = "TRACE: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void enable()
{
    if (tracing)
        return;
    tracing = true;
    // A run ended by std::exit (the exit service, a fatal error) skips the
    // host's own report; the machine is still alive when this runs.
    std::atexit(memoryReport);
}

bool enabled()
{
    return tracing;
}

void entryCalled(const VirtualMachine& vm, int entry)
{
    if (!tracing || !vm.delivers(entry))
        return;
    traceLine("call " + vm.entrySignature(entry).toUtf8());
}

void mainCalled()
{
    if (tracing)
        traceLine("call main");
}

void fatal(const std::string& message)
{
    if (!tracing)
        return;
    std::string where;
    if (const VirtualMachine* vm = VirtualMachine::current()) {
        // A call that ends in a fatal error leaves its handle and position behind.
        const std::string signature = vm->runningSignature().toUtf8();
        if (!signature.empty())
            where += " in " + signature;
        if (vm->position() >= 0)
            where += " at " + std::to_string(vm->position());
    }
    traceLine("fatal" + where + ": " + message);
}

void memoryReport()
{
    VirtualMachine* vm = VirtualMachine::current();
    if (!tracing || memoryReported || !vm)
        return;
    memoryReported = true;
    VUvarString report;
    try {
        vm->heap().getMemUsage(&report);
    } catch (...) {
        traceLine("memory report unavailable: the heap is inconsistent");
        return;
    }
    std::istringstream lines(report.toUtf8());
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            traceLine("memory " + line);
}

} // namespace Lumbra::Trace
