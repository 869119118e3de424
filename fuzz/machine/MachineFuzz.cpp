// Loads the input as an image, runs main and then the ticks of the timers it
// started, all within one small instruction budget. Every outcome must be an
// orderly stop or a normal return.
#include "BasicFrameworkServices.h"
#include "FileRefusingServices.h"
#include "MemoryInputStream.h"
#include "VMError.h"
#include "VirtualMachine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr int TICK_ROUNDS = 4;

// Host services that touch no file and no clock-driven timer: exit becomes
// the machine's exit request, and timers are a list whose ticks the fuzzer
// delivers itself, ids from 10 as the player gives them.
class FuzzServices : public FileRefusingServices<BasicFrameworkServices> {
public:
    FuzzServices()
        : FileRefusingServices(Str16("/nonexistent-application"))
    {
    }

    bool setLogFile(const OString&) override { return false; }
    void log(const OString&) override {}
    [[noreturn]] void exit() override { Lumbra::raiseError(Lumbra::EExitRequest); }

    int addTimer(TWord listener, int) override
    {
        timers.emplace_back(nextId, listener);
        return nextId++;
    }
    TWord removeTimer(int id) override
    {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->first == id) {
                const TWord listener = it->second;
                timers.erase(it);
                return listener;
            }
        }
        return 0;
    }
    bool updateTimerDelay(int, int) override { return true; }

    std::vector<std::pair<int, TWord>> timers; // id, listener
    int nextId = 10;
};

void runTicks(VirtualMachine& vm, FuzzServices& services)
{
    for (int round = 0; round < TICK_ROUNDS && !services.timers.empty(); ++round) {
        // A tick may add and remove timers: deliver to those alive at its turn.
        const auto due = services.timers;
        for (const auto& timer : due)
            if (std::find(services.timers.begin(), services.timers.end(), timer) != services.timers.end())
                vm.deliverTimer(timer.second);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VirtualMachine vm(64u << 20);
    vm.setInstructionBudget(20000);
    FuzzServices services;
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(std::vector<unsigned char>(data, data + size)));
    try {
        vm.load(reader, VUvarString("index.mcb"), &services);
        runTicks(vm, services);
    } catch (const MachineStop&) {
    }
    VirtualMachine::setCurrent(nullptr);
    return 0;
}
