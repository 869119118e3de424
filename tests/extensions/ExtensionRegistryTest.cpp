// The registry's ids and creation rule, the calling convention of the audio
// operations, wrapper checks, and the extension instruction reaching the
// registry through the host services. No sound server is reachable here.
#include "AudioContext.h"
#include "ExtensionTestSupport.h"
#include "MachineTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <optional>

using namespace ExtensionTest;

namespace {

// No server: an unused socket, and no server started on demand.
class NoServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string config = ::testing::TempDir() + "no-autospawn.conf";
        std::ofstream(config) << "autospawn = no\n";
        setenv("PULSE_CLIENTCONFIG", config.c_str(), 1);
        setenv("PULSE_SERVER", "unix:/nonexistent-lumbra-test/native", 1);
        static int argc = 1;
        static char name[] = "extension-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    MachineWithExtensions m;
};

using NoServerRegistry = NoServer;

TEST_F(NoServerRegistry, EachIdMakesOneExtensionOnFirstUseAndReportsItsUnknownOperations)
{
    struct Case {
        int id;
        const char* report; // empty: operation 6 is known
    };
    const Case cases[] = {{20, "SensorDLL: Unknown opcode!"},
                          {27, "Location: Unknown opcode!"},
                          {28, ""},
                          {36, "Torch: Unknown opcode!"},
                          {37, "Maemo: Unknown opcode!"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(m.registry->created(c.id), nullptr);
        const CallResult first = m.call(c.id, 6, {0});
        VMExtension* made = m.registry->created(c.id);
        ASSERT_NE(made, nullptr);
        if (*c.report) {
            EXPECT_EQ(first.errorCode, Lumbra::EFatal);
            EXPECT_EQ(first.fatalDetail, std::string(c.report) + " at 1");
        } else {
            EXPECT_EQ(first.errorCode, 0);
        }
        m.call(c.id, 99, {0});
        EXPECT_EQ(m.registry->created(c.id), made);
    }
}

TEST_F(NoServerRegistry, UnknownIdsAreRefusedBeforeAnythingIsMade)
{
    // Ids arrive as signed operand bytes: 128 and above are negative.
    for (int id : {21, 0, 19, 29, 38, -128, -100, -1}) {
        SCOPED_TRACE(id);
        const CallResult r = m.call(id, 1, {0});
        EXPECT_EQ(r.errorCode, Lumbra::EVM);
        EXPECT_EQ(r.message, "VMException: Dll not supported");
    }
    for (int id : {20, 27, 28, 36, 37})
        EXPECT_EQ(m.registry->created(id), nullptr);
}

TEST_F(NoServerRegistry, AudioOperationsConsumeAndProduceTheirSlots)
{
    struct Case {
        unsigned op;
        int consumes;
        int produces; // each result is 0
    };
    const Case cases[] = {{6, 1, 0},  {7, 1, 1},  {8, 1, 1}, {10, 1, 1}, {12, 1, 1},
                          {13, 1, 1}, {9, 2, 0},  {11, 2, 0}, {14, 3, 0}};
    const int base = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        const CallResult r = m.call(28, c.op, std::vector<TWord>(size_t(c.consumes), 77), base);
        ASSERT_EQ(r.errorCode, 0);
        EXPECT_EQ(r.top, base + c.produces - 1);
        if (c.produces) {
            EXPECT_EQ(m.slot(base), 0);
        }
    }
    for (unsigned op : {0u, 5u, 15u, 127u, unsigned(-1)}) {
        SCOPED_TRACE(op);
        const CallResult r = m.call(28, op, {0, 0, 0});
        EXPECT_EQ(r.errorCode, Lumbra::EFatal);
        EXPECT_EQ(r.fatalDetail, "AudioPlayer: Unknown opcode! at 1");
    }
    // Arguments reaching below the stack's first slot.
    EXPECT_EQ(m.call(28, 14, {0, 0}, 0).errorCode, Lumbra::EInvalidArgument);
}

TEST_F(NoServerRegistry, WrappersAreCheckedLikeAnyAddress)
{
    const TAddr result = m.box();
    const TAddr sound = m.byteArray({1, 2, 3, 4});
    const TAddr emptyPlayer = m.box();
    const TAddr noVector = m.box(); // a variable whose vector word is null
    struct Case {
        unsigned op;
        std::vector<TWord> args;
        int code;
    };
    const Case cases[] = {
        {1, {0, 0, 0}, Lumbra::ENullPointer},
        {2, {0, TWord(sound), 0}, Lumbra::ENullPointer},
        {2, {TWord(result), 0, 0}, Lumbra::ENullPointer},
        {2, {TWord(result), TWord(noVector), 0}, Lumbra::ENullPointer},
        {3, {0}, Lumbra::ENullPointer},
        {4, {0}, Lumbra::ENullPointer},
        {3, {TWord(emptyPlayer)}, Lumbra::ENullPointer},
        {3, {0x7ff00000}, Lumbra::EVM},        // outside the arena
        {4, {TWord(sound)}, Lumbra::EVM},      // its first word is no player
        {2, {TWord(result), TWord(result), 0}, Lumbra::ENullPointer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        const CallResult r = m.call(28, c.op, c.args);
        EXPECT_EQ(r.errorCode, c.code) << r.message;
        if (c.code == Lumbra::ENullPointer) {
            EXPECT_EQ(r.message, "NullPointerException: NULL pointer");
        }
    }
    EXPECT_EQ(m.vm->wordAt(result), 0);
}

TEST_F(NoServerRegistry, EmptySoundIsRefusedAndNothingIsMade)
{
    const TAddr result = m.box();
    const TAddr empty = m.byteArray({});
    const int objects = m.vm->heap().nativeObjectCount();
    const CallResult r = m.call(28, 2, {TWord(result), TWord(empty), 0});
    EXPECT_EQ(r.errorCode, Lumbra::EIndexOutOfBounds);
    EXPECT_EQ(r.message, "IndexOutOfBoundsException");
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects);
    EXPECT_EQ(m.vm->wordAt(result), 0);
}

// Without a server nothing queued runs, at most the latest play or stop
// waits behind each load, and a sound held only by its pending operations
// survives collections.
TEST_F(NoServerRegistry, QueuedOperationsWaitBoundedAndKeepTheirPlayerAlive)
{
    const TAddr player = m.box();
    const TAddr sound = m.byteArray(MachineWithExtensions::bytesOf({100, -200, 300}));
    testing::internal::CaptureStderr();
    ASSERT_EQ(m.call(28, 2, {TWord(player), TWord(sound), 0}).errorCode, 0);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(m.call(28, i % 2 ? 4 : 3, {TWord(player)}).errorCode, 0);
    auto* audio = static_cast<AudioContext*>(m.registry->created(28));
    EXPECT_EQ(audio->pendingCount(), 2);

    // The connection attempt fails; the application's events go on.
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(audio->isReady());
    EXPECT_FALSE(audio->hasPendingWork()); // nothing can happen until a server comes

    const int objects = m.vm->heap().nativeObjectCount();
    ASSERT_EQ(m.call(28, 1, {TWord(player), 0, 0}).errorCode, 0);
    EXPECT_EQ(m.vm->wordAt(player), 0);
    m.collect();
    m.collect();
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects);
    EXPECT_EQ(audio->pendingCount(), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Host services whose extension slot is the registry, as the hosts have it;
// `answer` replaces the registry's answer when set.
struct RegistryServices : MachineTest::RecordingServices {
    ExtensionRegistry registry;
    std::optional<int> answer;
    int callExtension(int id, int op, int top, TWord* stack) override
    {
        return answer ? *answer : registry.call(id, unsigned(op), top, stack);
    }
};

TEST_F(NoServer, ExtensionInstructionReachesTheRegistryAndItsAnswerIsChecked)
{
    struct Case {
        std::string body;
        std::optional<int> answer;
        MachineTest::Logs logs;
    };
    const Case cases[] = {
        {"main:\n push 9\n push 5\n ext 28, 7\n logi\n logi\n stop", {}, {"0", "9"}},
        {"main:\n push 5\n ext 21, 1\n stop", {}, {"VMException: Dll not supported", "10"}},
        {"main:\n push 5\n ext -128, 1\n stop", {}, {"VMException: Dll not supported", "10"}},
        {"main:\n push 0\n ext 28, 3\n stop", {}, {"NullPointerException: NULL pointer", "1"}},
        {"main:\n push 5\n ext 28, 7\n stop", -2, {"InvalidArgumentException", "6"}},
        {"main:\n push 5\n ext 28, 7\n stop", VirtualMachine::STACK_WORDS, {"InvalidArgumentException", "6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        MachineTest::MachineWith<RegistryServices> machine;
        machine.services.answer = c.answer;
        EXPECT_EQ(machine.run(c.body).logs, c.logs);
    }
}

} // namespace
