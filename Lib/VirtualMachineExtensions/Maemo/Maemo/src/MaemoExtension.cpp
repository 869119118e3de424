#include "MaemoExtension.h"

#include "ExtensionIds.h"

#include <cstdlib>

MaemoExtension::MaemoExtension(VirtualMachine& vm) : vm(vm)
{
}

int MaemoExtension::call(unsigned operation, int top, TWord* stack)
{
    const ExtensionCall call = ExtensionCall::declared(vm, SHELL_ID, operation, top, stack, "Maemo: Unknown opcode!");
    // The command's own status is of no interest: the signal is a request.
    [[maybe_unused]] const int status = std::system(EXIT_APP_VIEW_COMMAND);
    return call.leaveNothing();
}
