// The registry's ids and creation rule, the operations each extension
// declares, the audio operations' slots and wrapper checks, the bounded queue without a server, and the extension
// instruction reaching the registry through the host services.
#include "AudioContext.h"
#include "ExtensionOperations.h"
#include "ExtensionTestSupport.h"
#include "MachineTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace ExtensionTest;

namespace {

// No server: an unused socket, and none started on demand.
class NoServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string config = ::testing::TempDir() + "no-autospawn.conf";
        std::ofstream(config) << "autospawn = no\n";
        setenv("PULSE_CLIENTCONFIG", config.c_str(), 1);
        setenv("PULSE_SERVER", "unix:/nonexistent-lumbra-test/native", 1);
        ensureApplication();
    }
    MachineWithExtensions m;
};

TEST_F(NoServer, EachIdMakesOneExtensionOnFirstUseAndUnknownIdsNone)
{
    // Ids arrive as signed operand bytes: 128 and above are negative.
    for (int id : {21, 0, 29, 38, -128, -1}) {
        const CallResult r = m.call(id, 1, {0});
        EXPECT_EQ(r.message, "VMException: Dll not supported") << id;
    }
    const std::pair<int, const char*> reports[] = {{20, "SensorDLL"}, {27, "Location"}, {28, "AudioPlayer"},
                                                   {36, "Torch"},     {37, "Maemo"}};
    for (auto [id, report] : reports) {
        EXPECT_EQ(m.registry->created(id), nullptr);
        const CallResult r = m.call(id, 0, {0}); // 0 is no audio operation either
        EXPECT_EQ(r.errorCode, Lumbra::EFatal);
        EXPECT_EQ(r.fatalDetail, std::string(report) + ": Unknown opcode! at 1");
        VMExtension* made = m.registry->created(id);
        ASSERT_NE(made, nullptr);
        m.call(id, 6, {0});
        EXPECT_EQ(m.registry->created(id), made);
    }
}

TEST_F(NoServer, AudioOperationsTakeTheirSlotsAndCheckTheirWrappers)
{
    // op, slots consumed, slots produced (each result 0)
    const int shapes[][3] = {{6, 1, 0}, {7, 1, 1},  {8, 1, 1}, {10, 1, 1}, {12, 1, 1},
                             {13, 1, 1}, {9, 2, 0}, {11, 2, 0}, {14, 3, 0}};
    for (auto [op, consumes, produces] : shapes) {
        const CallResult r = m.call(28, unsigned(op), std::vector<TWord>(size_t(consumes), 77), 20);
        EXPECT_EQ(r.top, 20 + produces - 1) << op;
        EXPECT_EQ(m.stack()[20], produces ? 0 : 77) << op;
    }
    for (unsigned op : {5u, 15u, unsigned(-1)})
        EXPECT_EQ(m.call(28, op, {0, 0, 0}).fatalDetail, "AudioPlayer: Unknown opcode! at 1");
    EXPECT_EQ(m.call(28, 14, {0, 0}, 0).errorCode, Lumbra::EInvalidArgument); // below the stack

    const TWord result = TWord(m.box()), sound = TWord(m.byteArray({1, 2})), empty = TWord(m.box());
    const std::pair<unsigned, std::vector<TWord>> nulls[] = {
        {1, {0, 0, 0}}, {2, {0, sound, 0}}, {2, {result, 0, 0}}, {2, {result, empty, 0}}, {3, {0}}, {4, {empty}}};
    for (const auto& [op, args] : nulls)
        EXPECT_EQ(m.call(28, op, args).message, "NullPointerException: NULL pointer") << op;
    EXPECT_EQ(m.call(28, 3, {0x7ff00000}).errorCode, Lumbra::EVM); // outside the arena
    EXPECT_EQ(m.call(28, 4, {sound}).errorCode, Lumbra::EVM);      // its first word is no player

    const TWord noSamples = TWord(m.byteArray({}));
    const int objects = m.vm->heap().nativeObjectCount();
    const CallResult r = m.call(28, 2, {result, noSamples, 0});
    EXPECT_EQ(r.message, "IndexOutOfBoundsException");
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects);
    EXPECT_EQ(m.vm->wordAt(TAddr(result)), 0);
}

// Nothing queued runs, the latest play or stop alone waits behind the load,
// a sound held only by a pending play or stop survives collections, and one
// held only by its load does not.
// An extension answers exactly the operations its declaration lists: a
// number without a row is an unknown opcode, a row never is, and a row that
// runs to its end moves the top as it says (checked by the registry).
// Operations that reach a device (the torch's, the shell's) are left out.
TEST_F(NoServer, ExtensionsAnswerExactlyTheirDeclaredOperations)
{
    int declared = 0;
    for (int id : {20, 27, 28, 36, 37}) {
        for (unsigned op = 0; op <= 40; ++op) {
            const bool listed = extensionOperation(id, op) != nullptr;
            declared += listed ? 1 : 0;
            if (listed && (id == 36 || id == 37))
                continue;
            const CallResult r = m.call(id, op, std::vector<TWord>(8, 0));
            const bool unknown = r.errorCode == Lumbra::EFatal && r.fatalDetail.find("Unknown opcode!") != std::string::npos;
            EXPECT_EQ(unknown, !listed) << id << "." << op << ": " << r.message << r.fatalDetail;
            EXPECT_EQ(r.message.find("its row says"), std::string::npos) << r.message;
        }
    }
    EXPECT_EQ(declared, int(std::size(EXTENSION_OPERATIONS)));
    EXPECT_NO_THROW(checkExtensionStackEffect(28, 7, 12, 12)); // one word -> int
    EXPECT_THROW(checkExtensionStackEffect(28, 7, 12, 11), Lumbra::ErrorHandlingException);
    EXPECT_THROW(checkExtensionStackEffect(28, 5, 12, 12), Lumbra::ErrorHandlingException); // no row
    EXPECT_NO_THROW(checkExtensionStackEffect(36, 3, 12, 13)); // nothing -> bool, above the top
}

TEST_F(NoServer, QueuedOperationsWaitBoundedAndKeepTheirPlayerAlive)
{
    const TWord player = TWord(m.box());
    testing::internal::CaptureStderr();
    ASSERT_EQ(m.call(28, 2, {player, TWord(m.byteArray({100, -200, 300})), 0}).errorCode, 0);
    for (int i = 0; i < 500; ++i)
        m.call(28, i % 2 ? 4 : 3, {player});
    auto& audio = *static_cast<AudioContext*>(m.registry->created(28));
    EXPECT_EQ(audio.pendingCount(), 2);
    runEventsFor(300);
    EXPECT_FALSE(audio.isReady());
    EXPECT_FALSE(audio.hasPendingWork()); // nothing can happen until a server comes

    const int objects = m.vm->heap().nativeObjectCount();
    m.call(28, 1, {player, 0, 0});
    EXPECT_EQ(m.vm->wordAt(TAddr(player)), 0);
    m.collect();
    m.collect();
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects);

    // A sound per frame: loads alone keep nothing alive, waiting plays are capped.
    const TWord shared = TWord(m.byteArray({1, 2}));
    for (int i = 0; i < 300; ++i) {
        m.call(28, 2, {player, shared, 0});
        if (i % 2)
            m.call(28, 3, {player});
    }
    m.collect();
    m.collect();
    // The first sound's stop was the oldest to give way: the last 64 played and
    // the shared samples remain.
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects - 1 + 1 + AudioContext::MAX_WAITING_PLAYERS);
    EXPECT_EQ(audio.pendingCount(), 2 * AudioContext::MAX_WAITING_PLAYERS);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// A server that takes the connection and never answers is on its way only
// until the connection deadline; then nothing keeps a runner waiting for it.
TEST_F(NoServer, AServerThatNeverAnswersIsGivenUp)
{
    const std::string path = ::testing::TempDir() + "lumbra-silent-" + std::to_string(getpid());
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    unlink(path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0); // connections wait in the backlog, unanswered
    setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);

    const TWord player = TWord(m.box());
    ASSERT_EQ(m.call(28, 2, {player, TWord(m.byteArray({100, -200})), 0}).errorCode, 0);
    m.call(28, 3, {player});
    auto& audio = *static_cast<AudioContext*>(m.registry->created(28));
    runEventsFor(1000);
    EXPECT_TRUE(audio.hasPendingWork());
    runEventsFor(AudioConnection::CONNECT_SECONDS * 1000);
    EXPECT_FALSE(audio.hasPendingWork());
    EXPECT_FALSE(audio.isReady());

    setenv("PULSE_SERVER", "unix:/nonexistent-lumbra-test/native", 1);
    close(listener);
    unlink(path.c_str());
}

// Host services whose extension slot is a registry, unless `answer` replaces it.
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
    const std::tuple<const char*, std::optional<int>, MachineTest::Logs> cases[] = {
        {"push 9\n push 5\n ext 28, 7\n logi\n logi", {}, {"0", "9"}},
        {"push 5\n ext 21, 1", {}, {"VMException: Dll not supported", "10"}},
        {"push 5\n ext -128, 1", {}, {"VMException: Dll not supported", "10"}},
        {"push 0\n ext 28, 3", {}, {"NullPointerException: NULL pointer", "1"}},
        {"push 5\n ext 28, 7", -2, {"InvalidArgumentException", "6"}},
        {"push 5\n ext 28, 7", VirtualMachine::STACK_WORDS, {"InvalidArgumentException", "6"}},
    };
    for (const auto& [body, answer, logs] : cases) {
        MachineTest::MachineWith<RegistryServices> machine;
        machine.services.answer = answer;
        EXPECT_EQ(machine.run(std::string("main:\n ") + body + "\n stop").logs, logs) << body;
    }
}

} // namespace
