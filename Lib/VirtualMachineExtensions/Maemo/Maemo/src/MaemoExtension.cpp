#include "MaemoExtension.h"

#include <cstdlib>

MaemoExtension::MaemoExtension(VirtualMachine& vm) : vm(vm)
{
}

int MaemoExtension::call(unsigned operation, int top, TWord* stack)
{
    if (operation != 1)
        unknownOperation(vm, "Maemo: Unknown opcode!");
    const ExtensionCall call(vm, top, stack, 0);
    // The command's own status is of no interest: the signal is a request.
    [[maybe_unused]] const int status = std::system(EXIT_APP_VIEW_COMMAND);
    return call.leaveNothing();
}
