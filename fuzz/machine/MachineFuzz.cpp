// Loads the input as an image, runs main and then the ticks of the timers it
// started, all within one small instruction budget. Every outcome must be an
// orderly stop or a normal return, and the same whether the machine combines
// instruction sequences or runs each instruction through its own handler.
// The graphics natives draw for real, on Qt's offscreen platform.
#include "BasicFrameworkServices.h"
#include "MemoryInputStream.h"
#include "VMError.h"
#include "host/FileRefusingServices.h"
#include "host/GraphicsInterfaces.h"
#include "machine/MachineTestAccess.h"
#include "machine/VirtualMachine.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int TICK_ROUNDS = 4;

// Nothing is collected before a run ends, so one input could hold many of
// the largest bitmaps the natives allow. A run gets a budget of pixels; a
// bitmap beyond it is refused as an oversized one is.
class BoundedGraphics : public MGraphicsBackend {
public:
    explicit BoundedGraphics(MGraphicsBackend& real) : real(real) {}

    VMBitmap* newBitmap(TInt32 width, TInt32 height) override
    {
        take(TInt64(width) * height);
        return real.newBitmap(width, height);
    }
    VMBitmap* decodeBitmap(const void* bytes, int count) override { return counted(real.decodeBitmap(bytes, count)); }
    VMBitmap* copyBitmap(VMBitmap& other) override { return counted(real.copyBitmap(other)); }
    MGraphicsContainer* newContainer(VMBitmap& bitmap) override { return real.newContainer(bitmap); }
    VUvarFont* newNativeFont() override { return real.newNativeFont(); }
    VUvarFont* decodeFont(const void* bytes, int count) override { return real.decodeFont(bytes, count); }

private:
    static constexpr TInt64 PIXELS_PER_RUN = TInt64(1) << 22;

    void take(TInt64 pixels)
    {
        if (pixels > pixelsLeft)
            Lumbra::throwError(Lumbra::EInvalidArgument, std::string_view("Bitmap is too large"));
        pixelsLeft -= pixels;
    }
    VMBitmap* counted(VMBitmap* bitmap)
    {
        if (bitmap) {
            TInt32 width = 0, height = 0;
            bitmap->size(width, height);
            try {
                take(TInt64(width) * height);
            } catch (...) {
                delete bitmap;
                throw;
            }
        }
        return bitmap;
    }

    MGraphicsBackend& real;
    TInt64 pixelsLeft = PIXELS_PER_RUN;
};

// Host services that touch no file and no clock-driven timer, with a fixed
// random seed: exit becomes the machine's exit request, and timers are a
// list whose ticks the fuzzer delivers itself, ids from 10 as the player
// gives them.
class FuzzServices : public FileRefusingServices<BasicFrameworkServices> {
public:
    FuzzServices()
        : FileRefusingServices(Str16("/nonexistent-application"))
    {
    }

    MGraphicsBackend* graphics() override { return &boundedGraphics; }

    bool setLogFile(const OString&) override { return false; }
    void log(const OString& line) override { lines.push_back(Lumbra::u16ToUtf8(line.toU16())); }
    [[noreturn]] void exit(int) override { Lumbra::raiseError(Lumbra::EExitRequest); }

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
    // A fixed seed: the two dispatch modes of one input draw the same numbers.
    TUint32 randomSeed() override { return 1; }

    std::vector<std::pair<int, TWord>> timers; // id, listener
    int nextId = 10;
    std::vector<std::string> lines;

private:
    BoundedGraphics boundedGraphics{*BasicFrameworkServices::graphics()};
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

// What a run leaves that bytecode or the host can see.
struct Outcome {
    bool stopped = false;
    MachineStop stop;
    int errorCode = 0;
    std::string errorMessage;
    std::vector<std::string> lines;
    // The whole stack, the words above the top included, the registers, the
    // steps left and the last fatal error with its position.
    MachineTestAccess::State machine;
    std::string heapReport;

    auto fields() const
    {
        return std::tie(stopped, stop.status, stop.message, errorCode, errorMessage, lines, machine, heapReport);
    }
};

Outcome run(const std::uint8_t* data, std::size_t size, bool combined)
{
    Outcome outcome;
    Lumbra::clearLastError();
    VirtualMachine vm(64u << 20);
    vm.setCombinedDispatch(combined);
    vm.setInstructionBudget(20000);
    FuzzServices services;
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(std::vector<unsigned char>(data, data + size)));
    try {
        vm.load(reader, VUvarString("index.mcb"), &services);
        runTicks(vm, services);
    } catch (const MachineStop& stop) {
        outcome.stopped = true;
        outcome.stop = stop;
    }
    // Also an error that bytecode caught: the last one raised.
    outcome.errorCode = Lumbra::lastErrorCode();
    outcome.errorMessage = Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
    outcome.lines = std::move(services.lines);
    outcome.machine = MachineTestAccess(vm).capture();
    try {
        outcome.heapReport = vm.heap().memUsageText();
    } catch (const Lumbra::ErrorHandlingException&) {
        // Stores through forged addresses may overwrite block headers.
        outcome.heapReport = "unreadable: " + Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
    }
    VirtualMachine::setCurrent(nullptr);
    return outcome;
}

void print(const char* title, const Outcome& o)
{
    const MachineTestAccess::State& m = o.machine;
    std::fprintf(stderr, "%s: stopped %d status %d \"%s\", last error %d \"%s\", %zu log lines\n", title,
                 int(o.stopped), o.stop.status, o.stop.message.c_str(), o.errorCode, o.errorMessage.c_str(), o.lines.size());
    std::fprintf(stderr, "  sp %d, ip %d, steps left %lld, frame depth %d, handler depth %d, fatal \"%s\"\n", m.sp, m.ip,
                 static_cast<long long>(m.fuel), m.frameDepth, m.handlerTop, m.fatal.c_str());
    for (const std::string& line : o.lines)
        std::fprintf(stderr, "  log: %s\n", line.c_str());
    std::fprintf(stderr, "  heap: %s\n", o.heapReport.c_str());
}

// The stack slots where two outcomes differ, the first few.
void printStackDifferences(const Outcome& combined, const Outcome& plain)
{
    int shown = 0;
    for (std::size_t i = 0; i < combined.machine.stack.size() && i < plain.machine.stack.size() && shown < 16; ++i)
        if (combined.machine.stack[i] != plain.machine.stack[i]) {
            std::fprintf(stderr, "  slot %zu: combined %d, plain %d\n", i, int(combined.machine.stack[i]),
                         int(plain.machine.stack[i]));
            ++shown;
        }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "machine_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Outcome combined = run(data, size, true);
    const Outcome plain = run(data, size, false);
    if (combined.fields() != plain.fields()) {
        print("combined dispatch", combined);
        print("plain dispatch", plain);
        printStackDifferences(combined, plain);
        std::abort();
    }
    return 0;
}
