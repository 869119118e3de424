// The device extensions addressed by id. Each is created on the first call
// that names it, with the machine current at that moment, and lives as long
// as the registry; the members are released torch first, accelerometer last.
#pragma once

#include "VMExtension.h"

#include <memory>

class ExtensionRegistry {
public:
    ExtensionRegistry() = default;
    ~ExtensionRegistry();
    ExtensionRegistry(const ExtensionRegistry&) = delete;
    ExtensionRegistry& operator=(const ExtensionRegistry&) = delete;

    // Runs operation `operation` of extension `id` on the stack; answers the
    // new top index. An unknown id raises VMException "Dll not supported"
    // before anything is created.
    int call(int id, unsigned operation, int top, TWord* stack);

    // The extension of `id` if it has been created, else null.
    VMExtension* created(int id) const;
    // True while any created extension still has work of its own pending.
    bool hasPendingWork() const;
    // Runs whenever such work may have ended (for extensions made later too).
    void setWorkEndedHandler(std::function<void()> handler);
    // How extensions run the bytecode calls they make on their own (for
    // extensions made later too).
    void setCallbackGuard(VMExtension::CallbackGuard guard);
    // Where the extensions' device readings go (for extensions made later too).
    void setReadJournal(ReadJournal* journal);
    // Delivers again an event an extension described to the guard (its
    // "device" names the extension); false when no created extension takes it.
    bool replayEvent(const QJsonObject& event);
    // Releases the extensions in their release order.
    void release();

private:
    using Slot = std::shared_ptr<VMExtension> ExtensionRegistry::*;
    // The member that holds extension `id`, or null for an unknown id.
    static Slot slotFor(int id);

    std::function<void()> workEnded;
    VMExtension::CallbackGuard callbackGuard;
    ReadJournal* readJournal = nullptr;
    // In this order; released in the reverse one.
    std::shared_ptr<VMExtension> accelerometer;
    std::shared_ptr<VMExtension> audio;
    std::shared_ptr<VMExtension> location;
    std::shared_ptr<VMExtension> shell;
    std::shared_ptr<VMExtension> torch;
};
