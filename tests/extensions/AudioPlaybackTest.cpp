// Sounds played through a real sound server: a private server with a null
// sink, whose monitor is recorded and compared with the samples played.
#include "AudioContext.h"
#include "ExtensionTestSupport.h"
#include "SoundServer.h"

#include <QCoreApplication>

#include <cstdlib>
#include <regex>
#include <sstream>

using namespace ExtensionTest;

namespace {

constexpr int RATE = 44100;
constexpr int WAIT_MS = 20000; // only a bound on a hung server; no test depends on it

struct TraceLine {
    int requested, offset, left;
};

// The writeSamples trace lines of a run's standard error.
std::vector<TraceLine> writeTrace(const std::string& err)
{
    std::vector<TraceLine> lines;
    static const std::regex line("writeSamples: req: (-?\\d+), offset: (\\d+), left: (\\d+)");
    for (std::sregex_iterator it(err.begin(), err.end(), line), end; it != end; ++it)
        lines.push_back({std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3])});
    return lines;
}

class AudioOnServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "audio-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    void SetUp() override
    {
        if (!SoundServer::available())
            GTEST_SKIP() << "no sound server installed";
        setenv("PULSE_SERVER", server.address().constData(), 1);
    }

    AudioContext& audio() { return *static_cast<AudioContext*>(m.registry->created(28)); }
    // Loads `samples` into a new player wrapper.
    TAddr load(const std::vector<std::int16_t>& samples)
    {
        const TAddr player = m.box();
        EXPECT_EQ(m.call(28, 2, {TWord(player), TWord(m.byteArray(MachineWithExtensions::bytesOf(samples))), 0}).errorCode, 0);
        return player;
    }
    void play(TAddr player) { EXPECT_EQ(m.call(28, 3, {TWord(player)}).errorCode, 0); }
    void stop(TAddr player) { EXPECT_EQ(m.call(28, 4, {TWord(player)}).errorCode, 0); }
    bool finished() { return runEventsUntil([&] { return !audio().hasPendingWork(); }, WAIT_MS); }

    SoundServer server;
    MachineWithExtensions m;
};

// Load and play are queued before the connection is ready and run in that
// order once it is; a sound longer than the first write request arrives
// complete and in order across several writes.
TEST_F(AudioOnServer, SoundQueuedBeforeTheServerIsReadyPlaysCompleteAndInOrder)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const std::vector<std::int16_t> sound = testSound(RATE * 5 / 2);
    testing::internal::CaptureStderr();
    const TAddr player = load(sound);
    play(player);
    EXPECT_FALSE(audio().isReady());
    EXPECT_EQ(audio().pendingCount(), 2);
    EXPECT_TRUE(finished());
    runEventsFor(200);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(withoutSilence(recorder.stop()), sound);

    EXPECT_EQ(err.rfind("End of initialize\n", 0), 0u) << err;
    const std::vector<TraceLine> trace = writeTrace(err);
    ASSERT_GE(trace.size(), 2u) << err;
    EXPECT_EQ(trace.front().offset, 0);
    EXPECT_LT(trace.front().requested, trace.front().left);
    EXPECT_EQ(trace.back().left, 0);
}

// A sound shorter than the first request is written in one call and starts
// at once without filling the pre-buffer; a second play starts it again from
// its beginning; once nothing is pending a released player is collected.
TEST_F(AudioOnServer, ShortSoundIsWrittenInOneCallAndPlaysAgainFromTheStart)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const std::vector<std::int16_t> sound = testSound(RATE / 10, 2);
    testing::internal::CaptureStderr();
    const TAddr player = load(sound);
    ASSERT_TRUE(runEventsUntil([&] { return audio().isReady(); }, WAIT_MS));
    play(player);
    EXPECT_TRUE(finished());
    const std::vector<TraceLine> trace = writeTrace(testing::internal::GetCapturedStderr());
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().offset, 0);
    EXPECT_GE(trace.front().requested, trace.front().left);
    for (size_t i = 1; i < trace.size(); ++i)
        EXPECT_EQ(trace[i].left, 0);

    play(player);
    EXPECT_TRUE(finished());
    runEventsFor(200);
    std::vector<std::int16_t> twice = sound;
    twice.insert(twice.end(), sound.begin(), sound.end());
    EXPECT_EQ(withoutSilence(recorder.stop()), twice);

    const int objects = m.vm->heap().nativeObjectCount();
    m.call(28, 1, {TWord(player), 0, 0});
    m.collect();
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects - 1);
}

// Stop flushes what the server holds and writes nothing more of the sound;
// a stop before any play does nothing.
TEST_F(AudioOnServer, StopFlushesThePlayingSound)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const std::vector<std::int16_t> sound = testSound(RATE * 4, 3);
    const TAddr player = load(sound);
    stop(player);
    play(player);
    ASSERT_TRUE(runEventsUntil([&] { return !recorder.sound().empty(); }, WAIT_MS));
    stop(player);
    EXPECT_FALSE(audio().hasPendingWork());
    runEventsFor(1500);
    const std::vector<std::int16_t> heard = withoutSilence(recorder.stop());
    ASSERT_LT(heard.size(), sound.size() / 2);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), sound.begin()));
}

// A server that starts after the first request, stops while a sound plays and
// comes back: nothing reaches the machine, at most one play waits while it is
// away, and the next play is heard once it is back.
TEST_F(AudioOnServer, ServerThatStartsLateAndRestartsIsUsedAgain)
{
    const std::vector<std::int16_t> sound = testSound(RATE * 3, 4);
    const TAddr player = load(sound);
    play(player);
    EXPECT_EQ(audio().pendingCount(), 2);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(runEventsUntil([&] { return audio().isReady() && audio().pendingCount() == 0; }, WAIT_MS));

    server.stop();
    ASSERT_TRUE(runEventsUntil([&] { return !audio().isReady(); }, WAIT_MS));
    EXPECT_FALSE(audio().hasPendingWork());
    for (int i = 0; i < 10; ++i)
        play(player);
    EXPECT_EQ(audio().pendingCount(), 1);

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(runEventsUntil([&] { return audio().isReady() && audio().pendingCount() == 0; }, WAIT_MS));
    EXPECT_TRUE(finished());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const std::vector<std::int16_t> shortSound = testSound(RATE / 5, 5);
    const TAddr second = load(shortSound);
    play(second);
    EXPECT_TRUE(finished());
    runEventsFor(200);
    EXPECT_EQ(withoutSilence(recorder.stop()), shortSound);
}

} // namespace
