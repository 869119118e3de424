#include "ExtensionRegistry.h"

#include "Accelerometer.h"
#include "AudioContext.h"
#include "CLocationWrapper.h"
#include "ExtensionIds.h"
#include "ExtensionOperations.h"
#include "MaemoExtension.h"
#include "TorchExtension.h"
#include "VMError.h"

#include <string_view>

namespace {

std::shared_ptr<VMExtension> createExtension(int id, VirtualMachine& vm)
{
    switch (id) {
    case ACCELEROMETER_ID:
        return std::make_shared<Accelerometer>(vm);
    case LOCATION_ID:
        return std::make_shared<CLocationWrapper>(vm);
    case AUDIO_ID:
        return std::make_shared<AudioContext>(vm);
    case TORCH_ID:
        return std::make_shared<TorchExtension>(vm);
    default:
        return std::make_shared<MaemoExtension>(vm);
    }
}

} // namespace

ExtensionRegistry::~ExtensionRegistry()
{
    release();
}

void ExtensionRegistry::release()
{
    torch.reset();
    shell.reset();
    location.reset();
    audio.reset();
    accelerometer.reset();
}

ExtensionRegistry::Slot ExtensionRegistry::slotFor(int id)
{
    switch (id) {
    case ACCELEROMETER_ID:
        return &ExtensionRegistry::accelerometer;
    case LOCATION_ID:
        return &ExtensionRegistry::location;
    case AUDIO_ID:
        return &ExtensionRegistry::audio;
    case TORCH_ID:
        return &ExtensionRegistry::torch;
    case SHELL_ID:
        return &ExtensionRegistry::shell;
    default:
        return nullptr;
    }
}

VMExtension* ExtensionRegistry::created(int id) const
{
    const Slot slot = slotFor(id);
    return slot ? (this->*slot).get() : nullptr;
}

bool ExtensionRegistry::hasPendingWork() const
{
    for (auto* slot : {&accelerometer, &audio, &location, &shell, &torch})
        if (*slot && (*slot)->hasPendingWork())
            return true;
    return false;
}

void ExtensionRegistry::setWorkEndedHandler(std::function<void()> handler)
{
    workEnded = std::move(handler);
    for (auto* slot : {&accelerometer, &audio, &location, &shell, &torch})
        if (*slot)
            (*slot)->setWorkEndedHandler(workEnded);
}

void ExtensionRegistry::setCallbackGuard(VMExtension::CallbackGuard guard)
{
    callbackGuard = std::move(guard);
    for (auto* slot : {&accelerometer, &audio, &location, &shell, &torch})
        if (*slot)
            (*slot)->setCallbackGuard(callbackGuard);
}

void ExtensionRegistry::setReadJournal(ReadJournal* journal)
{
    readJournal = journal;
    for (auto* slot : {&accelerometer, &audio, &location, &shell, &torch})
        if (*slot)
            (*slot)->setReadJournal(readJournal);
}

bool ExtensionRegistry::replayEvent(const QJsonObject& event)
{
    // Only the location extension delivers events of its own.
    if (event.value("device") != QLatin1String("location"))
        return false;
    return location && location->replayEvent(event);
}

int ExtensionRegistry::call(int id, unsigned operation, int top, TWord* stack)
{
    const Slot slot = slotFor(id);
    if (!slot)
        Lumbra::throwError(Lumbra::EVM, std::string_view("Dll not supported"));
    std::shared_ptr<VMExtension>& extension = this->*slot;
    if (!extension) {
        VirtualMachine* vm = VirtualMachine::current();
        if (!vm)
            Lumbra::throwError(Lumbra::EVM, std::string_view("no machine"));
        extension = createExtension(id, *vm);
        extension->setWorkEndedHandler(workEnded);
        extension->setCallbackGuard(callbackGuard);
        extension->setReadJournal(readJournal);
    }
#if LUMBRA_CHECK_NATIVE_STACK
    const int newTop = extension->call(operation, top, stack);
    checkExtensionStackEffect(id, operation, top, newTop);
    return newTop;
#else
    return extension->call(operation, top, stack);
#endif
}
