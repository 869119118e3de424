#include "HostCallGuard.h"

#include "StartupReports.h"
#include "Trace.h"
#include "VMError.h"
#include "machine/VirtualMachine.h"

#include <cstdlib>
#include <exception>
#include <new>
#include <string>

namespace Lumbra {

void runGuarded(const std::function<void(VirtualMachine&)>& call)
{
    VirtualMachine* vm = VirtualMachine::current();
    if (!vm)
        return;
    try {
        call(*vm);
    } catch (const MachineStop& stop) {
        std::exit(reportMachineStop(stop));
    } catch (const ErrorHandlingException&) {
        std::exit(reportEscapedError());
    } catch (const std::bad_alloc&) {
        std::exit(reportMachineStop(MachineStop{1, "out of memory"}));
    } catch (const std::exception& error) {
        std::exit(reportHostError(error));
    }
}

void runEntry(int entry, const std::function<void(VirtualMachine&)>& call)
{
    runGuarded([&](VirtualMachine& vm) {
        Trace::entryCalled(vm, entry);
        call(vm);
    });
}

} // namespace Lumbra
