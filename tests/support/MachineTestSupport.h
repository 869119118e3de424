// Runs small assembly programs on a machine with recording host services.
#pragma once

#include "Assembler.h"
#include "MemoryInputStream.h"
#include "VMError.h"
#include "host/FileRefusingServices.h"
#include "machine/MachineTestAccess.h"
#include "machine/VirtualMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace MachineTest {

// Host services that record log lines, system messages and exit calls.
class RecordingServices : public FileRefusingServices<FrameworkServices> {
public:
    std::vector<std::string> logs;
    std::vector<std::string> messages;
    int exitCalls = 0;
    int graphicsRequests = 0;
    std::function<void(const std::string&)> onLog;

    int fileSystemReserved(int) override { return 0; }
    int systemValueB(int) override { return 0; }
    int systemValueA(int) override { return 0; }
    OString pathSeparator() override { return OString::fromLatin1("/"); }
    OString platformName() override { return OString::fromLatin1("test"); }
    TInt64 currentTimeMillis() override { return 0x100000007LL; }
    TInt64 uptimeMillis() override { return 0x200000005LL; }
    void updateArea(int, int, int, int) override {}
    void log(const OString& message) override
    {
        logs.push_back(Lumbra::u16ToUtf8(message.toU16()));
        if (onLog)
            onLog(logs.back());
    }
    bool setLogFile(const OString&) override { return true; }
    int systemMessage(const OString& message) override
    {
        messages.push_back(Lumbra::u16ToUtf8(message.toU16()));
        return 0;
    }
    [[noreturn]] void exit(int status) override
    {
        ++exitCalls;
        throw MachineStop{status, "exit service"};
    }
    int reserved24(int) override { return 0; }
    int reserved25(int) override { return 0; }
    void reserved26(int) override {}
    void setScreenFlag(bool) override {}
    void setOrientation(int) override {}
    int getOrientation() override { return 0; }
    int callExtension(int, int, int top, TWord*) override { return top; }
    void getScreenSize(int& w, int& h) override { w = 480, h = 800; }
    void encodeNotify(int) override {}
    void orientationListenerAdded(TWord) override {}
    void orientationListenerRemoved(TWord) override {}
    int addTimer(TWord, int) override { return 10; }
    TWord removeTimer(int) override { return 0; }
    bool updateTimerDelay(int, int) override { return true; }
    int reserved38(int) override { return 0; }
    OString applicationDirectory() override { return OString::fromLatin1("/tmp"); }
    MGraphicsBackend* graphics() override
    {
        ++graphicsRequests;
        return nullptr;
    }
};

// Handlers every program may use: vminternalthrow logs the message and the
// code, then ends through the exit service; the last-resort handler logs
// "uncaught <type id>" and ends the same way.
inline const char* ERROR_HOOKS = R"(
.method "vminternalthrow<int>,<*string>" code=hookThrow frame=Hooks
.method "vmprintthrowableandexit<*throwable>" code=hookUncaught frame=Hooks
.frame Hooks
.string uncaughtText "uncaught "
hookThrow:
    pick -2
    native 30, 1
    pick -3
    itos
    native 30, 1
    native 32, 1
hookUncaught:
    pick -2
    load
    itos
    native 30, 1
    native 32, 1
)";

struct Outcome {
    bool stopped = false; // the machine ended with MachineStop
    int status = -1;
    std::string message;
    std::vector<std::string> logs;
};

// A machine with its services; the machine is current while the fixture lives.
// `Services` may extend RecordingServices with fakes of further host slots.
template <class Services>
class MachineWith {
public:
    Services services;
    std::unique_ptr<VirtualMachine> vm = std::make_unique<VirtualMachine>(64u << 20);

    MachineWith() { VirtualMachine::setCurrent(vm.get()); }
    ~MachineWith()
    {
        vm.reset();
        VirtualMachine::setCurrent(nullptr);
    }
    // The machine's registers and tables.
    MachineTestAccess access() { return MachineTestAccess(*vm); }

    static LumbraAsm::Bytes assembleText(const std::string& source)
    {
        LumbraAsm::AssemblyResult result = LumbraAsm::assemble(source, "test.s");
        if (!result.ok)
            throw std::runtime_error(result.error);
        return result.image;
    }

    // Loads and starts an image; checks the heap afterwards.
    Outcome loadBytes(const LumbraAsm::Bytes& image, TInt64 budget = -1)
    {
        Outcome outcome;
        vm->setInstructionBudget(budget);
        VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image));
        try {
            vm->load(reader, VUvarString("index.mcb"), &services);
        } catch (const MachineStop& stop) {
            outcome.stopped = true;
            outcome.status = stop.status;
            outcome.message = stop.message;
        }
        outcome.logs = services.logs;
        vm->heap().validate();
        return outcome;
    }

    // `body` holds `main:` and anything else; the error hooks are appended
    // unless `withHooks` is false. A line `logi` logs the integer on top; a
    // line `stop` returns to the host whatever the stack holds.
    Outcome run(const std::string& body, bool withHooks = true, TInt64 budget = -1)
    {
        std::string source = ".method \"main\" code=main frame=Main\n.frame Main\n";
        for (size_t at = 0, next; at < body.size(); at = next + 1) {
            next = body.find('\n', at);
            if (next == std::string::npos)
                next = body.size();
            const std::string line = body.substr(at, next - at);
            if (line.find("logi") != std::string::npos)
                source += "    itos\n    native 30, 1\n";
            else if (line.find("stop") != std::string::npos)
                source += "    push -1\n    ret 0, 1\n";
            else
                source += line + "\n";
        }
        if (withHooks)
            source += ERROR_HOOKS;
        return loadBytes(assembleText(source), budget);
    }
};

using Machine = MachineWith<RecordingServices>;
using Logs = std::vector<std::string>;

} // namespace MachineTest
