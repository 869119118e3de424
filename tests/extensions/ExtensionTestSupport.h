// Shared by the extension tests and the latency measurement: a bare machine
// with a registry, calls by operation, sounds without silence in them, the
// event loop, a private sound server (scripts/pulse-test-server) and parec
// recording its null sink's monitor.
#pragma once

#include "ExtensionRegistry.h"
#include "OVector.h"
#include "VMError.h"
#include "machine/MachineTestAccess.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeGroups.h"
#include "values/ObjectWrapper.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "Await.h"
#include "NeedsService.h"

namespace ExtensionTest {

using Sound = std::vector<std::int16_t>;

struct CallResult {
    int top = -2;
    int errorCode = 0; // 0: no error
    std::string message, fatalDetail;
};

// Runs operation `op` of extension `id` with `args` as the top slots from `base`.
inline CallResult callExtension(ExtensionRegistry& registry, VirtualMachine& vm, int id, unsigned op,
                                const std::vector<TWord>& args, int base = 10)
{
    TWord* stack = MachineTestAccess(vm).stack();
    std::copy(args.begin(), args.end(), stack + base);
    CallResult r;
    try {
        r.top = registry.call(id, op, base + int(args.size()) - 1, stack);
    } catch (const Lumbra::ErrorHandlingException&) {
        r = {-2, Lumbra::lastErrorCode(), Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()), vm.fatalDetail()};
    }
    return r;
}

struct MachineWithExtensions {
    std::unique_ptr<VirtualMachine> vm = std::make_unique<VirtualMachine>(64u << 20);
    std::unique_ptr<ExtensionRegistry> registry = std::make_unique<ExtensionRegistry>();

    MachineWithExtensions() { VirtualMachine::setCurrent(vm.get()); }
    // The machine's stack slots.
    TWord* stack() { return MachineTestAccess(*vm).stack(); }
    ~MachineWithExtensions()
    {
        registry.reset();
        vm.reset();
        VirtualMachine::setCurrent(nullptr);
    }
    // A rooted one-word box holding `word`.
    TAddr box(TWord word = 0)
    {
        const TAddr b = TAddr(vm->newBox(word));
        vm->heap().addRoot(b);
        return b;
    }
    // A rooted vector variable holding a byte vector of the samples.
    TAddr byteArray(const Sound& samples)
    {
        const TAddr vector = newEmptyVector(*vm, 1);
        vm->heap().objectAs<OVector<ByteElement>>(vector)->insert(
            0, reinterpret_cast<const ByteElement*>(samples.data()), int(samples.size() * 2));
        const TAddr variable = vm->heap().allocate(8, 0, GC_CODE_VECTOR_HANDLE);
        vm->arena().storeWord(variable, TWord(vector));
        vm->arena().storeWord(variable + 4, 1);
        vm->heap().addRoot(variable);
        return variable;
    }
    CallResult call(int id, unsigned op, const std::vector<TWord>& args, int base = 10)
    {
        return callExtension(*registry, *vm, id, op, args, base);
    }
    // Collects with nothing on the stack as a root.
    void collect()
    {
        MachineTestAccess(*vm).sp() = -1;
        vm->collectGarbage();
    }
};

inline Sound testSound(int count, std::uint32_t seed)
{
    Sound samples;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int magnitude = 1 + int((seed >> 16) % 20000);
        samples.push_back(std::int16_t((seed & 0x100) ? magnitude : -magnitude));
    }
    return samples;
}

inline Sound withoutSilence(const QByteArray& recorded)
{
    Sound sound;
    for (qsizetype i = 0; i + 1 < recorded.size(); i += 2) {
        std::int16_t s;
        std::memcpy(&s, recorded.constData() + i, 2);
        if (s != 0)
            sound.push_back(s);
    }
    return sound;
}

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "extension-tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

using TestSupport::awaitEvent;
using TestSupport::awaitProbe;
using TestSupport::runEventsFor;

class SoundServer {
public:
    static bool installed() { return !QStandardPaths::findExecutable("pulseaudio").isEmpty(); }
    ~SoundServer() { stop(); }
    bool start()
    {
        // The server may run as its own user: it must reach the folder.
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
        server.setStandardErrorFile(dir.filePath("server.log"), QIODevice::Append);
        // The socket appearing in the server's folder is the sign it serves.
        QDir().mkpath(dir.filePath("pulse"));
        QFileSystemWatcher watcher({dir.filePath("pulse")});
        server.start(QStringLiteral(LUMBRA_SOURCE_DIR "/scripts/pulse-test-server"), {dir.filePath("pulse")});
        return awaitEvent("the sound server's socket " + dir.filePath("pulse/native"),
                          [&] { return QFileInfo::exists(dir.filePath("pulse/native")) || server.state() == QProcess::NotRunning; },
                          10000)
            && server.state() == QProcess::Running;
    }
    void stop()
    {
        server.terminate();
        server.waitForFinished(10000);
    }
    QByteArray address() const { return "unix:" + dir.filePath("pulse/native").toLocal8Bit(); }

private:
    QTemporaryDir dir;
    QProcess server;
};

class MonitorRecorder {
public:
    QByteArray data;
    std::function<void()> onData;

    explicit MonitorRecorder(const QByteArray& server)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", QString::fromLocal8Bit(server));
        parec.setProcessEnvironment(env);
        QObject::connect(&parec, &QProcess::readyReadStandardOutput, [this] {
            data += parec.readAllStandardOutput();
            if (onData)
                onData();
        });
    }
    ~MonitorRecorder() { stop(); }
    // Starts recording and waits until the first data arrives.
    bool start()
    {
        parec.start("parec", {"--device=lumbra_null.monitor", "--format=s16le", "--channels=1", "--rate=44100",
                              "--raw", "--latency-msec=20"});
        return awaitEvent("the first samples from parec", [&] { return data.size() >= 2000; }, 10000);
    }
    // Stops recording; answers what was heard.
    Sound stop()
    {
        if (parec.state() == QProcess::NotRunning)
            return withoutSilence(data);
        runEventsFor(200); // the last samples on their way
        parec.terminate();
        parec.waitForFinished(5000);
        return withoutSilence(data);
    }

private:
    QProcess parec;
};

// CPU seconds of the calling thread alone: the sound and location clients'
// own threads and the rest of a busy machine stay out of growth comparisons.
inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Teardown that grows linearly: `seconds(2N)` stays below three times
// `seconds(N)`, each the best of five runs. A quadratic teardown takes four
// times as long and more; a linear one 2.1 to 2.6 times on a busy machine,
// a map's logarithm and the caches growing with N.
inline void expectLinearGrowth(double (*seconds)(int), int n)
{
    const auto bestOfFive = [seconds](int count) {
        double best = seconds(count);
        for (int i = 0; i < 4; ++i)
            best = std::min(best, seconds(count));
        return best;
    };
    const double once = bestOfFive(n), twice = bestOfFive(2 * n);
    ::testing::Test::RecordProperty("seconds_n", std::to_string(once));
    ::testing::Test::RecordProperty("seconds_2n", std::to_string(twice));
    EXPECT_LT(twice, 3.0 * std::max(once, 0.001)) << "N: " << once << " s, 2N: " << twice << " s";
}

} // namespace ExtensionTest
