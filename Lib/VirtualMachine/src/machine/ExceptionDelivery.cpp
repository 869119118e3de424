// Errors raised while bytecode runs become calls of the bytecode's own
// vminternalthrow; exit requests and fatal errors end the host call.
#include "machine/VirtualMachine.h"

#include "VMError.h"

#include <new>
#include <string>
#include <utility>

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
        } catch (const std::bad_alloc&) {
            // An instruction that could not allocate: collect, then run the
            // whole instruction again, once. Its start is a safepoint: the
            // registers stand as before it ran.
            if (faultStart >= 0 && (faultStart != retriedStart || heap_->collectionCount() != retriedCollections)) {
                ip = faultStart;
                sp = faultTop;
                frameDepth = faultDepth;
                heap_->takeHostLimitFailure();
                collectAtSafepoint();
                retriedStart = faultStart;
                retriedCollections = heap_->collectionCount();
                continue;
            }
            retriedStart = -1;
            // The live data does not fit: the error says so, delivered with
            // the memory kept back for it.
            const std::u16string text = outOfMemoryText();
            if (memoryReserve != 0)
                arena_->release(std::exchange(memoryReserve, TAddr(0)), MEMORY_RESERVE);
            setUpInternalThrow(EFatal, text);
        } catch (...) {
            // Not raised as a VM error.
            setUpInternalThrow(EFatal, u"UNEXPECTED EXCEPTION");
        }
        if (--fuel < 0)
            refuel();
    }
}

void VirtualMachine::setUpInternalThrow(int code, const std::u16string& message)
{
    const int h = entries[EntryInternalThrow];
    // The error 6 of an uncaught exception is named by what was thrown.
    std::string raised = std::exchange(uncaughtCause, std::string());
    if (raised.empty())
        raised = u16ToUtf8(message) + " at " + std::to_string(ip);
    const std::string detail = std::exchange(errorDetail, std::string());
    const std::string after = detail.empty() ? std::string() : ": " + detail;
    if (h < 0 || handles[h].argumentLevels.size() < 2)
        undeliverable(raised + ", no vminternalthrow<int>,<string> in the image", after);
    const MethodHandle& handle = handles[h];
    const ExportedMethod::MethodEntry* impl = findImplementation(handle.methodRow, -1);
    if (!impl)
        undeliverable(raised + ", vminternalthrow has no code", after);
    const TWord box = newStringBox(OString::fromU16(message));
    push(convertReference(handle.argumentLevels[0], code, GC_CODE_REFERENCE));
    push(convertReference(handle.argumentLevels[1] - 1, box, GC_CODE_REFERENCE));
    push(ip + 1);
    deliveredError = raised;
    deliveryReturnSlot = sp;
    deliveryReturnAddress = ip + 1;
    ip = impl->codeAddress;
}

bool VirtualMachine::internalThrowRunning() const
{
    return deliveryReturnSlot >= 0 && sp >= deliveryReturnSlot && stackBase[deliveryReturnSlot] == deliveryReturnAddress;
}

void VirtualMachine::undeliverable(const std::string& cause, const std::string& detail)
{
    stopCause = cause;
    stopDetail = detail;
    raiseError(EInvalidArgument);
}
