// The desktop's player controls on the real player, under a virtual X
// server: pause and step counted in the ticker's timer ticks, the speed
// measured against the player's own uptime, key remapping, remembered
// settings, and screenshots that never hold the pause mark or the overlay.
#include "PlayerFixture.h"
#include "ProbeScreen.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QString PROBE = QStringLiteral(HOST_APPS_DIR "/probe");
const QString TICKER = QStringLiteral(HOST_APPS_DIR "/ticker");
const QString TICK = QStringLiteral("LOG: tick ");
constexpr int TICKER_PERIOD_MS = 40;

int ticksIn(const QStringList& lines)
{
    int count = 0;
    for (const QString& line : lines)
        count += line.startsWith(TICK);
    return count;
}

class ControlsTest : public PlayerFixture {
protected:
    void SetUp() override
    {
        PlayerFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(config.isValid() && pictures.isValid());
        // Settings go to a folder of the test's own.
        previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }

    void TearDown() override { qputenv("XDG_CONFIG_HOME", previousConfig); }


    // Keys as xdotool names them, to the focused player window.
    void keys(const QStringList& names)
    {
        runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
        runTool(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + names);
    }

    // The uptime of the next tick line; -1 when none comes in time.
    qint64 nextTick(PlayerProcess& player)
    {
        const QString line = player.nextLineStartingWith(TICK);
        return line.isNull() ? -1 : line.mid(TICK.size()).toLongLong();
    }
    // Forgets the ticks read but not yet taken, and those on their way for `ms`.
    void skipTicks(PlayerProcess& player, int ms)
    {
        player.linesDuring(ms);
    }

    QTemporaryDir config, pictures;
    QByteArray previousConfig;
};

} // namespace

// Paused, no tick reaches the application; each step gives exactly one (one
// timer, its period the shortest); resumed, the ticks come again.
TEST_F(ControlsTest, PauseStopsTheTicksAndAStepGivesExactlyOne)
{
    auto player = start(TICKER, {QStringLiteral("--window")});
    ASSERT_GE(nextTick(*player), 0);
    keys({QStringLiteral("ctrl+p")});
    ASSERT_TRUE(player->expectLine(QStringLiteral("mcbplayer: paused")));
    std::vector<qint64> stepUptimes;
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        // Some periods pass first: a paused timer must not catch up on them.
        EXPECT_EQ(ticksIn(player->linesDuring(5 * TICKER_PERIOD_MS)), 0);
        keys({QStringLiteral("ctrl+period")});
        QStringList before;
        ASSERT_TRUE(player->expectLine(QStringLiteral("mcbplayer: step, 1 timer event(s)"), &before));
        ASSERT_EQ(ticksIn(before), 1) << before.join(QLatin1Char('\n')).toStdString();
        stepUptimes.push_back(before.filter(TICK).first().mid(TICK.size()).toLongLong());
    }
    // The uptime stands still while paused: each step moves it by the period alone.
    EXPECT_EQ(stepUptimes[1] - stepUptimes[0], TICKER_PERIOD_MS);
    EXPECT_EQ(stepUptimes[2] - stepUptimes[1], TICKER_PERIOD_MS);
    EXPECT_EQ(ticksIn(player->linesDuring(5 * TICKER_PERIOD_MS)), 0);
    keys({QStringLiteral("ctrl+p")});
    ASSERT_TRUE(player->expectLine(QStringLiteral("mcbplayer: resumed")));
    EXPECT_GE(nextTick(*player), 0);
}

// At --speed 2 the uptime runs twice as fast as real time and the ticks keep
// their period in it: twice as many ticks per real second as at speed 1.
TEST_F(ControlsTest, SpeedTwoDoublesTheTickRateAndTheUptimeFollows)
{
    auto player = start(TICKER, {QStringLiteral("--window"), QStringLiteral("--speed"), QStringLiteral("2")});
    const qint64 first = nextTick(*player);
    ASSERT_GE(first, 0);
    QElapsedTimer real;
    real.start();
    qint64 last = first;
    int ticks = 0;
    while (real.elapsed() < 1500) {
        const qint64 uptime = nextTick(*player);
        ASSERT_GE(uptime, last);
        last = uptime;
        ++ticks;
    }
    const double ratio = double(last - first) / double(real.elapsed());
    RecordProperty("uptime_per_real_ms", std::to_string(ratio));
    RecordProperty("ticks_per_real_second", std::to_string(ticks * 1000.0 / double(real.elapsed())));
    EXPECT_GT(ratio, 1.7);
    EXPECT_LT(ratio, 2.3);
    // Counted against the player's clock: ticks keep their 40 ms period
    // there (25 a second), so they come faster than real-time ticks could.
    const double perPlayerSecond = ticks * 1000.0 / double(last - first);
    EXPECT_LE(perPlayerSecond, 1000.0 / TICKER_PERIOD_MS * 1.1);
    EXPECT_GT(ticks * 1000.0 / double(real.elapsed()), 1000.0 / TICKER_PERIOD_MS) << "no faster than at speed 1";

    // F9 held runs the clock 4 times as fast again; let go, the speed is back.
    auto uptimeRatio = [&] {
        const qint64 from = nextTick(*player);
        QElapsedTimer during;
        during.start();
        qint64 to = from;
        while (during.elapsed() < 1000)
            to = std::max(to, nextTick(*player));
        return double(to - from) / double(during.elapsed());
    };
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    runTool(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("F9")});
    skipTicks(*player, 100); // ticks from before the key
    const double fast = uptimeRatio();
    runTool(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("F9")});
    skipTicks(*player, 100);
    const double back = uptimeRatio();
    EXPECT_GT(fast, 6.8);
    EXPECT_LT(fast, 9.2);
    EXPECT_GT(back, 1.7);
    EXPECT_LT(back, 2.3);
}

// W becomes Up, F1 a code the translation would collapse, Escape is dropped;
// a broken line ends the player with its file and line before any display.
TEST_F(ControlsTest, KeymapTurnsWIntoUpAndABrokenLineIsRefused)
{
    const QString path = config.filePath(QStringLiteral("keys.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# test keys\nW = Up\nF1 = 0x01000030\nEscape = none\n");
    file.close();
    auto player = start(PROBE, {QStringLiteral("--window"), QStringLiteral("--keymap"), path});
    keys({QStringLiteral("w"), QStringLiteral("F1"), QStringLiteral("Escape"), QStringLiteral("a")});
    QStringList skipped;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 16777221 text ")));
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 16777264 text ")));
    ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a"), &skipped));
    EXPECT_EQ(skipped.filter(QStringLiteral("pressed")).size(), 0) << "Escape reached the application";

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("W = Up\nWubble = Down\n");
    file.close();
    PlayerProcess broken(PROBE, {QStringLiteral("--window"), QStringLiteral("--keymap"), path});
    EXPECT_EQ(broken.exitStatus(), 2);
    EXPECT_TRUE(broken.allLines().contains(QStringLiteral("mcbplayer: %1:2: unknown key 'Wubble'").arg(path)))
        << broken.allLines().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(broken.allLines().contains(QStringLiteral("LOG: main")));
}

// Volume and mute changed by keys come back after a restart; the command
// line wins over them; --reset-settings forgets them.
TEST_F(ControlsTest, SettingsComeBackAfterARestartAndResetForgetsThem)
{
    QImage shot;
    auto run = [&](const QStringList& args, const QString& key, const QString& expected) {
        auto player = start(PROBE, QStringList{QStringLiteral("--window")} + args);
        keys({key});
        EXPECT_TRUE(player->expectLine(expected)) << expected.toStdString();
        keys({QStringLiteral("ctrl+q")});
        EXPECT_EQ(player->exitStatus(), 0);
    };
    run({QStringLiteral("--volume"), QStringLiteral("30")}, QStringLiteral("ctrl+m"),
        QStringLiteral("mcbplayer: volume 30, muted"));
    run({}, QStringLiteral("ctrl+Down"), QStringLiteral("mcbplayer: volume 20, muted"));
    run({QStringLiteral("--volume"), QStringLiteral("70")}, QStringLiteral("ctrl+Up"),
        QStringLiteral("mcbplayer: volume 80, muted"));
    run({QStringLiteral("--reset-settings")}, QStringLiteral("ctrl+Down"), QStringLiteral("mcbplayer: volume 90"));

    // The window's size comes back too.
    auto sized = start(PROBE, {QStringLiteral("--window")});
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"), QString::number(window),
                                        QStringLiteral("1000"), QStringLiteral("700")});
    keys({QStringLiteral("ctrl+q")});
    EXPECT_EQ(sized->exitStatus(), 0);
    auto again = start(PROBE, {QStringLiteral("--window")});
    EXPECT_TRUE(x11.waitUntilShows(window, [](const QImage& image) { return image.size() == QSize(1000, 700); }, shot))
        << shot.width() << " x " << shot.height();
    keys({QStringLiteral("ctrl+q")});
    EXPECT_EQ(again->exitStatus(), 0);

    // The handset presentation neither reads nor writes them.
    auto remembered = [&] {
        QStringList contents;
        const QDir folder(config.filePath(QStringLiteral("mcbplayer")));
        for (const QString& name : folder.entryList(QDir::Files)) {
            QFile file(folder.filePath(name));
            contents << name << (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
        }
        return contents;
    };
    const QStringList before = remembered();
    ASSERT_FALSE(before.isEmpty());
    auto handset = start(PROBE, {QStringLiteral("--volume"), QStringLiteral("10")});
    keys({QStringLiteral("ctrl+q")});
    EXPECT_EQ(handset->exitStatus(), 0);
    EXPECT_EQ(remembered(), before);
}

// The overlay and the pause mark cover the window's corner, never the
// pictures of F12 or --screenshot-after.
TEST_F(ControlsTest, OverlayAndPauseMarkNeverInScreenshots)
{
    const QString finalShot = pictures.filePath(QStringLiteral("after.png"));
    auto player = start(PROBE, {QStringLiteral("--window"), QStringLiteral("--screenshot-dir"), pictures.path(),
                                QStringLiteral("--screenshot-after"), QStringLiteral("4000"), finalShot});
    keys({QStringLiteral("F3"), QStringLiteral("ctrl+p")});
    ASSERT_TRUE(player->expectLine(QStringLiteral("mcbplayer: paused")));
    QImage shot;
    EXPECT_TRUE(x11.waitUntilShows(window, [](const QImage& image) { return !pixelIs(image, 3, 3, RED); }, shot))
        << "the window shows no mark in its corner";
    keys({QStringLiteral("F12")});
    const QString savedPrefix = QStringLiteral("mcbplayer: screenshot saved to '");
    QString saved;
    const QDeadlineTimer deadline(10000);
    while (saved.isEmpty() && !deadline.hasExpired())
        for (const QString& line : player->linesDuring(50))
            if (line.startsWith(savedPrefix))
                saved = line.mid(savedPrefix.size()).chopped(1);
    ASSERT_FALSE(saved.isEmpty());
    const QImage picture(saved);
    EXPECT_TRUE(pixelIs(picture, 3, 3, RED) && pixelIs(picture, 150, 100, BACKGROUND));
    // The picture taken at the end, still paused with the overlay on.
    EXPECT_EQ(player->exitStatus(), 0);
    const QImage last(finalShot);
    EXPECT_EQ(last.size(), QSize(800, 480));
    EXPECT_TRUE(pixelIs(last, 3, 3, RED) && pixelIs(last, 150, 100, BACKGROUND));
    // A --screenshot-after run neither reads nor writes settings.
    EXPECT_FALSE(QDir(config.filePath(QStringLiteral("mcbplayer"))).exists());
}
