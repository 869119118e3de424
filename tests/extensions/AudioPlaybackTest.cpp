// Sounds played on a private sound server with a null sink, whose monitor is
// recorded and compared with the samples played.
#include "AudioContext.h"
#include "ExtensionTestSupport.h"
#include "SoundOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <sstream>

using namespace ExtensionTest;

namespace {

constexpr int RATE = 44100;
constexpr int LIMIT_MS = 20000; // a bound on a hung server only

struct Write {
    int requested, offset, left;
};

std::vector<Write> writeTrace(const std::string& err)
{
    std::vector<Write> writes;
    std::istringstream lines(err);
    Write w;
    for (std::string line; std::getline(lines, line);)
        if (std::sscanf(line.c_str(), "writeSamples: req: %d, offset: %d, left: %d", &w.requested, &w.offset, &w.left) == 3)
            writes.push_back(w);
    return writes;
}

class AudioOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        LUMBRA_NEEDS_SERVICE("pulse", SoundServer::installed(), "pulseaudio is not installed");
        ensureApplication();
        setenv("PULSE_SERVER", server.address().constData(), 1);
    }
    AudioContext& audio() { return *static_cast<AudioContext*>(m.registry->created(28)); }
    TWord load(const Sound& samples)
    {
        const TWord player = TWord(m.box());
        EXPECT_EQ(m.call(28, 2, {player, TWord(m.byteArray(samples)), 0}).errorCode, 0);
        return player;
    }
    void run(unsigned op, TWord player) { EXPECT_EQ(m.call(28, op, {player}).errorCode, 0); }
    ::testing::AssertionResult played()
    {
        return awaitEvent("the sound's requests to be done", [&] { return !audio().hasPendingWork(); }, LIMIT_MS);
    }
    ::testing::AssertionResult ready()
    {
        return awaitEvent("the sound server's connection", [&] { return audio().isReady() && !audio().pendingCount(); },
                          LIMIT_MS);
    }

    SoundServer server;
    MachineWithExtensions m;
};

// Load and play queued before the connection is ready run in that order once
// it is; a sound longer than the first request arrives whole over several
// writes; a shorter one is written at once and starts without filling the
// pre-buffer; a second play starts from the beginning; a released player is
// collected once nothing is pending.
TEST_F(AudioOnServer, SoundsArriveCompleteAndInOrder)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const Sound longSound = testSound(RATE * 5 / 2, 1), shortSound = testSound(RATE / 10, 2);
    testing::internal::CaptureStderr();
    const TWord first = load(longSound);
    run(3, first);
    EXPECT_EQ(audio().pendingCount(), 2);
    EXPECT_TRUE(played());
    const TWord second = load(shortSound);
    for (int i = 0; i < 2; ++i) {
        run(3, second);
        EXPECT_TRUE(played());
    }
    const std::string err = testing::internal::GetCapturedStderr();
    Sound expected = longSound;
    for (int i = 0; i < 2; ++i)
        expected.insert(expected.end(), shortSound.begin(), shortSound.end());
    EXPECT_EQ(recorder.stop(), expected);

    EXPECT_EQ(err.rfind("End of initialize\n", 0), 0u);
    // The long sound goes out over several writes, one after the other; each
    // short play in one write of the whole.
    std::vector<Write> longWrites, shortWrites;
    for (const Write& w : writeTrace(err))
        if (w.left > 0)
            (w.offset + w.left == int(longSound.size() * 2) ? longWrites : shortWrites).push_back(w);
    ASSERT_GE(longWrites.size(), 2u) << err;
    for (size_t i = 0, expectedOffset = 0; i < longWrites.size(); ++i) {
        EXPECT_EQ(longWrites[i].offset, int(expectedOffset));
        expectedOffset += size_t(std::min(longWrites[i].requested, longWrites[i].left));
    }
    ASSERT_EQ(shortWrites.size(), 2u) << err;
    for (const Write& w : shortWrites)
        EXPECT_TRUE(w.offset == 0 && w.requested >= w.left);

    const int objects = m.vm->heap().nativeObjectCount();
    m.call(28, 1, {second, 0, 0});
    m.collect();
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects - 1);
}

// The last `count` samples recorded, all of them (silence too).
std::vector<std::int16_t> lastSamples(const QByteArray& recorded, int count)
{
    std::vector<std::int16_t> samples;
    for (qsizetype i = std::max<qsizetype>(0, recorded.size() / 2 - count) * 2; i + 1 < recorded.size(); i += 2) {
        std::int16_t s;
        std::memcpy(&s, recorded.constData() + i, 2);
        samples.push_back(s);
    }
    return samples;
}

int loudest(const std::vector<std::int16_t>& samples)
{
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// The player's volume scales every sound's samples; mute silences a sound
// already playing at once, and unmuting brings it back.
TEST_F(AudioOnServer, VolumeAndMuteReachEverySoundAlsoWhilePlaying)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    Sound square;
    for (int i = 0; i < RATE * 3; ++i)
        square.push_back(std::int16_t((i / 50) % 2 ? 16000 : -16000));
    const TWord player = load(square);
    ASSERT_TRUE(ready());
    const struct {
        int volume;
        int low, high; // the loudest sample recorded
    } levels[] = {{50, 7500, 8500}, {10, 1400, 1800}, {100, 15800, 16000}};
    for (const auto& level : levels) {
        SCOPED_TRACE(level.volume);
        SoundOutput::setLevel(level.volume, false);
        run(3, player);
        // A tenth of a second of sound at the new level, past the start.
        ASSERT_TRUE(awaitEvent("the sound at its level", [&] {
            const std::vector<std::int16_t> last = lastSamples(recorder.data, RATE / 10);
            return int(last.size()) == RATE / 10 && std::count(last.begin(), last.end(), 0) == 0;
        }, LIMIT_MS));
        const int peak = loudest(lastSamples(recorder.data, RATE / 10));
        EXPECT_GE(peak, level.low);
        EXPECT_LE(peak, level.high);
        run(4, player);
        EXPECT_TRUE(played());
        // Silence after the stop, so that the next level is not read from this sound.
        ASSERT_TRUE(awaitEvent("silence after the stop",
                               [&] { return loudest(lastSamples(recorder.data, RATE / 20)) == 0; }, LIMIT_MS));
    }
    SoundOutput::setLevel(100, false);
    run(3, player);
    ASSERT_TRUE(awaitEvent("the sound", [&] { return loudest(lastSamples(recorder.data, RATE / 20)) > 15000; }, LIMIT_MS));
    SoundOutput::setLevel(100, true);
    EXPECT_TRUE(awaitEvent("silence once muted", [&] { return loudest(lastSamples(recorder.data, RATE / 20)) == 0; },
                           LIMIT_MS));
    SoundOutput::setLevel(100, false);
    EXPECT_TRUE(awaitEvent("the sound again once unmuted",
                           [&] { return loudest(lastSamples(recorder.data, RATE / 20)) > 15000; }, LIMIT_MS));
    // Paused, the sound holds where it is and nothing more is heard; resumed, it goes on.
    SoundOutput::setPaused(true);
    EXPECT_TRUE(awaitEvent("silence once paused", [&] { return loudest(lastSamples(recorder.data, RATE / 20)) == 0; },
                           LIMIT_MS));
    EXPECT_TRUE(audio().hasPendingWork()) << "a paused sound is still playing";
    SoundOutput::setPaused(false);
    EXPECT_TRUE(awaitEvent("the sound again once resumed",
                           [&] { return loudest(lastSamples(recorder.data, RATE / 20)) > 15000; }, LIMIT_MS));
    run(4, player);
    EXPECT_TRUE(played());
}

// Stop flushes what the server holds and writes nothing more of the sound.
TEST_F(AudioOnServer, StopFlushesThePlayingSound)
{
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const Sound sound = testSound(RATE * 4, 3);
    const TWord player = load(sound);
    run(4, player); // before any play: nothing to stop
    run(3, player);
    ASSERT_TRUE(awaitEvent("sound on the monitor", [&] { return !withoutSilence(recorder.data).empty(); }, LIMIT_MS));
    run(4, player);
    EXPECT_FALSE(audio().hasPendingWork());
    runEventsFor(1500);
    const Sound heard = recorder.stop();
    ASSERT_LT(heard.size(), sound.size() / 2);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), sound.begin()));
}

// A server that starts after the first request, and one that stops while a
// sound plays and comes back: nothing reaches the machine, one play at most
// waits while it is away, and the next play is heard once it is back.
TEST_F(AudioOnServer, ServerThatStartsLateAndRestartsIsUsedAgain)
{
    const TWord player = load(testSound(RATE * 3, 4));
    run(3, player);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(ready());
    server.stop();
    ASSERT_TRUE(awaitEvent("the lost connection to be noticed", [&] { return !audio().isReady(); }, LIMIT_MS));
    EXPECT_FALSE(audio().hasPendingWork());
    for (int i = 0; i < 10; ++i)
        run(3, player);
    EXPECT_EQ(audio().pendingCount(), 1);

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(ready());
    EXPECT_TRUE(played());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const Sound sound = testSound(RATE / 5, 5);
    run(3, load(sound));
    EXPECT_TRUE(played());
    EXPECT_EQ(recorder.stop(), sound);
}

} // namespace
