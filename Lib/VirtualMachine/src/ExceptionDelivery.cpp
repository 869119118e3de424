// Errors raised while bytecode runs become calls of the bytecode's own
// vminternalthrow; exit requests and fatal errors end the host call.
#include "VirtualMachine.h"

#include "VMError.h"

using namespace Lumbra;

void VirtualMachine::runDelivering()
{
    for (;;) {
        try {
            run();
            return;
        } catch (const MachineStop&) {
            throw;
        } catch (const ErrorHandlingException&) {
            const int code = lastErrorCode();
            if (code == EExitRequest || code == EFatal)
                stopFromError();
            if (code != 0) {
                const std::u16string message = lastErrorMessage();
                clearLastError();
                setUpInternalThrow(code, message);
            } else {
                setUpInternalThrow(EFatal, u"UNEXPECTED EXCEPTION");
            }
        } catch (...) {
            // Not raised as a VM error (for example memory exhaustion).
            setUpInternalThrow(EFatal, u"UNEXPECTED EXCEPTION");
        }
        if (--fuel < 0)
            fatalError(OString::fromLatin1("instruction budget exhausted"), ip);
    }
}

void VirtualMachine::setUpInternalThrow(int code, const std::u16string& message)
{
    const int h = entries[EntryInternalThrow];
    if (h < 0 || handles[h].argumentLevels.size() < 2)
        raiseError(EInvalidArgument);
    const MethodHandle& handle = handles[h];
    const ExportedMethod::MethodEntry* impl = findImplementation(handle.methodRow, -1);
    if (!impl)
        raiseError(EInvalidArgument);
    const TWord box = newStringBox(OString::fromU16(message));
    push(convertReference(handle.argumentLevels[0], code, GC_CODE_REFERENCE));
    push(convertReference(handle.argumentLevels[1] - 1, box, GC_CODE_REFERENCE));
    push(ip + 1);
    ip = impl->codeAddress;
}
