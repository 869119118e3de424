// The desktop's player controls in process: the player's clock and the
// scheduler under pause, step and speed (on a clock the test moves by
// hand), the keymap's lines accepted and refused, the control options, and
// the remembered settings.
#include "Keymap.h"
#include "KeyTranslation.h"
#include "PlayerOptions.h"
#include "PlayerSettings.h"
#include "Scheduler.h"
#include "Timer.h"
#include "machine/VirtualMachine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Real time as the test sets it, in microseconds.
struct FakeTime {
    TInt64 now = 1000000;
    PlayerClock::Source source() { return [this] { return now; }; }
    void passMs(TInt64 ms) { now += ms * 1000; }
};

QCoreApplication& coreApplication()
{
    static int argc = 1;
    static char name[] = "controls_unit_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

} // namespace

TEST(PlayerClock, PausesStepsAndRunsAtItsSpeed)
{
    FakeTime time;
    PlayerClock clock(time.source());
    time.passMs(100);
    EXPECT_EQ(clock.millis(), 100);
    clock.setSpeed(2);
    time.passMs(100);
    EXPECT_EQ(clock.millis(), 300);
    clock.setPaused(true);
    time.passMs(500);
    EXPECT_EQ(clock.millis(), 300);
    clock.advance(40);
    EXPECT_EQ(clock.millis(), 340);
    clock.setPaused(false);
    clock.advance(1000); // a running clock is not moved by hand
    time.passMs(10);
    EXPECT_EQ(clock.millis(), 360);
    clock.setSpeed(0.25);
    time.passMs(400);
    EXPECT_EQ(clock.millis(), 460);
    // Real periods follow the speed; a period of 0 stays 0, none falls below 1.
    const struct {
        double speed;
        int delay, real;
    } periods[] = {{1, 50, 50}, {2, 50, 25}, {8, 50, 6}, {0.25, 50, 200}, {8, 0, 0}, {8, 3, 1}, {0.25, INT_MAX, INT_MAX}};
    for (const auto& p : periods) {
        clock.setSpeed(p.speed);
        EXPECT_EQ(clock.realInterval(p.delay), p.real) << p.speed << " " << p.delay;
    }
}

// A paused scheduler's timers stand still; a step moves the clock by the
// shortest period and fires each timer that became due, once.
TEST(SchedulerControls, StepFiresEachDueTimerOnceAndSpeedScalesPeriods)
{
    coreApplication();
    FakeTime time;
    VirtualMachine vm;
    VirtualMachine::setCurrent(&vm);
    {
        Scheduler scheduler(time.source());
        scheduler.setMachine(&vm);
        const int fast = scheduler.addTimer(1, 20);
        const int slow = scheduler.addTimer(2, 50);
        scheduler.setSpeed(2);
        EXPECT_EQ(scheduler.find(fast)->realInterval(), 10);
        EXPECT_EQ(scheduler.find(slow)->realInterval(), 25);
        EXPECT_EQ(scheduler.find(slow)->interval(), 50);
        scheduler.setSpeed(1);
        EXPECT_EQ(scheduler.step(), 0) << "a running scheduler takes no steps";
        scheduler.setPaused(true);
        time.passMs(1000);
        EXPECT_FALSE(scheduler.find(fast)->isDue());
        // Steps of 20 ms: the 20 ms timer fires every step, the 50 ms one on the third.
        std::vector<int> fired;
        for (int i = 0; i < 3; ++i)
            fired.push_back(scheduler.step());
        EXPECT_EQ(fired, (std::vector<int>{1, 1, 2}));
        EXPECT_EQ(scheduler.ticks(), 4u);
        EXPECT_EQ(scheduler.clock().millis(), 60);
        scheduler.removeTimer(fast);
        EXPECT_EQ(scheduler.step(), 1); // now the shortest period is 50
        EXPECT_EQ(scheduler.clock().millis(), 110);
        scheduler.setPaused(false);
        EXPECT_EQ(scheduler.step(), 0);
    }
    VirtualMachine::setCurrent(nullptr);
}

TEST(Keymap, LinesAcceptedAndRefusedWithTheirMessages)
{
    coreApplication();
    const struct {
        const char* line;
        int key;          // the desktop key, for accepted lines
        bool dropped;
        int code;         // what the application gets
        const char* text; // its text
    } accepted[] = {
        {"W = Up", Qt::Key_W, false, 0x01000005, ""},
        {"  Space=Return  ", Qt::Key_Space, false, 0x01000001, ""},
        {"F1 = 0x01000030", Qt::Key_F1, false, 0x01000030, ""},
        {"F2 = 123", Qt::Key_F2, false, 123, ""},
        {"Escape = none", Qt::Key_Escape, true, 0, ""},
        {"X = A", Qt::Key_X, false, 0x41, "a"},
        {"= = Down", Qt::Key_Equal, false, 0x01000006, ""},
        {"Tab = 0xFFFFFFFF", Qt::Key_Tab, false, -1, ""},
        {"F4 = {", Qt::Key_F4, false, 0x01000000, "{"},
    };
    for (const auto& c : accepted) {
        Lumbra::Keymap map;
        QString error;
        ASSERT_TRUE(map.parse(QByteArray("# a comment\n\n") + c.line, QStringLiteral("k"), error))
            << c.line << ": " << error.toStdString();
        const Lumbra::Keymap::Target* target = map.find(c.key);
        ASSERT_NE(target, nullptr) << c.line;
        EXPECT_EQ(target->dropped, c.dropped) << c.line;
        EXPECT_EQ(target->code, c.code) << c.line;
        EXPECT_EQ(target->text.toStdString(), c.text) << c.line;
        EXPECT_EQ(map.find(Qt::Key_Y), nullptr);
    }
    const struct {
        const char* text;
        const char* error;
    } refused[] = {
        {"W Up", "k:1: expected 'desktop key = application key'"},
        {"W =", "k:1: no application key after '='"},
        {"\n# x\nWubble = Up", "k:3: unknown key 'Wubble'"},
        {"W = Wubble", "k:1: unknown key 'Wubble'"},
        {"Ctrl+W = Up", "k:1: 'Ctrl+W': a keymap maps single keys, without modifiers"},
        {"W = Shift+A", "k:1: 'Shift+A': a keymap maps single keys, without modifiers"},
        {"F12 = Up", "k:1: 'F12' is one of the player's own keys"},
        {"F9 = none", "k:1: 'F9' is one of the player's own keys"},
        {"F3 = Up", "k:1: 'F3' is one of the player's own keys"},
        {"W = Up\nW = Down", "k:2: 'W' is mapped already on line 1"},
        {"W = 0x100000000", "k:1: '0x100000000' is no key code from 0 to 0xFFFFFFFF"},
        {"W = 4294967296", "k:1: '4294967296' is no key code from 0 to 0xFFFFFFFF"},
        {"W = 12ab", "k:1: '12ab' is no key code from 0 to 0xFFFFFFFF"},
        {"W, X = Up", "k:1: unknown key 'W, X'"},
    };
    for (const auto& c : refused) {
        Lumbra::Keymap map;
        QString error;
        ASSERT_TRUE(map.parse("Y = Up", QStringLiteral("k"), error));
        EXPECT_FALSE(map.parse(c.text, QStringLiteral("k"), error)) << c.text;
        EXPECT_EQ(error.toStdString(), c.error);
        EXPECT_NE(map.find(Qt::Key_Y), nullptr) << "a refused file leaves the keymap as it was";
    }
}

TEST(Keymap, FilesAreBoundedAndNamedInErrors)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString big = folder.filePath(QStringLiteral("big")), absent = folder.filePath(QStringLiteral("absent"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(Lumbra::Keymap::MAX_FILE_BYTES + 1, '#'));
    file.close();
    Lumbra::Keymap map;
    QString error;
    EXPECT_FALSE(map.load(big, error));
    EXPECT_EQ(error, big + QStringLiteral(": larger than 65536 bytes"));
    EXPECT_FALSE(map.load(absent, error));
    EXPECT_TRUE(error.startsWith(absent + QStringLiteral(": cannot be read"))) << error.toStdString();
    EXPECT_FALSE(map.load(folder.path(), error));
    EXPECT_EQ(error, folder.path() + QStringLiteral(": not a regular file"));
    // The sample keymap beside the sample game is a valid one.
    EXPECT_TRUE(map.load(QStringLiteral(LUMBRA_SOURCE_DIR "/samples/snake/keymap.txt"), error)) << error.toStdString();
    ASSERT_NE(map.find(Qt::Key_W), nullptr);
    EXPECT_EQ(map.find(Qt::Key_W)->code, 0x01000005);
}

TEST(PlayerOptions, ControlOptionsAndTheirRefusals)
{
    auto parse = [](std::vector<std::string> args, Lumbra::PlayerOptions& options, QString& error) {
        std::vector<char*> argv{const_cast<char*>("mcbplayer")};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        return Lumbra::parsePlayerOptions(int(argv.size()), argv.data(), options, error);
    };
    Lumbra::PlayerOptions options;
    QString error;
    ASSERT_TRUE(parse({"--window", "--speed", "0.5", "--keymap", "k", "--volume", "30", "--mute", "--reset-settings"},
                      options, error))
        << error.toStdString();
    EXPECT_EQ(options.speed, 0.5);
    EXPECT_EQ(options.keymapFile, QStringLiteral("k"));
    EXPECT_EQ(options.volume, 30);
    EXPECT_TRUE(options.mute && options.resetSettings);
    // The sound options work in every presentation.
    Lumbra::PlayerOptions handset;
    EXPECT_TRUE(parse({"--volume", "0", "--mute"}, handset, error)) << error.toStdString();
    EXPECT_EQ(handset.volume, 0);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } refused[] = {
        {{"--window", "--speed", "9"}, "--speed needs a number from 0.25 to 8, not '9'"},
        {{"--window", "--speed", "0.2"}, "--speed needs a number from 0.25 to 8, not '0.2'"},
        {{"--window", "--speed", "1e0"}, "--speed needs a number from 0.25 to 8, not '1e0'"},
        {{"--window", "--speed", "nan"}, "--speed needs a number from 0.25 to 8, not 'nan'"},
        {{"--window", "--speed", "1.2.3"}, "--speed needs a number from 0.25 to 8, not '1.2.3'"},
        {{"--window", "--speed"}, "--speed needs a value"},
        {{"--volume", "101"}, "--volume needs a whole number from 0 to 100, not '101'"},
        {{"--volume", "-1"}, "--volume needs a whole number from 0 to 100, not '-1'"},
        {{"--volume", "5%"}, "--volume needs a whole number from 0 to 100, not '5%'"},
        {{"--mute", "--mute"}, "--mute is given twice"},
        {{"--speed", "2"}, "--speed does nothing without --window or --fullscreen, which give the player's clock controls"},
        {{"--keymap", "k"}, "--keymap does nothing without --window or --fullscreen, which give key remapping"},
        {{"--reset-settings"},
         "--reset-settings does nothing without --window or --fullscreen, the only presentations with remembered settings"},
    };
    for (const auto& c : refused) {
        Lumbra::PlayerOptions refusedOptions;
        EXPECT_FALSE(parse(c.args, refusedOptions, error)) << c.error;
        EXPECT_EQ(error.toStdString(), c.error);
    }
}

TEST(PlayerSettings, RememberedPerDirectoryDamageIgnoredAndForgotten)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString game = QStringLiteral("/games/one"), other = QStringLiteral("/games/two");
    EXPECT_TRUE(Lumbra::PlayerSettings::fileFor(game).startsWith(config.path() + QStringLiteral("/mcbplayer/")));

    Lumbra::PlayerSettings saved;
    saved.volume = 40;
    saved.muted = true;
    saved.keymapFile = QStringLiteral("/keys/map");
    saved.windowSize = QSize(1600, 960);
    ASSERT_TRUE(saved.save(game));
    Lumbra::PlayerSettings loaded, elsewhere;
    ASSERT_TRUE(loaded.load(game));
    EXPECT_EQ(loaded.volume, 40);
    EXPECT_TRUE(loaded.muted);
    EXPECT_EQ(loaded.keymapFile, saved.keymapFile);
    EXPECT_EQ(loaded.windowSize, saved.windowSize);
    EXPECT_FALSE(elsewhere.load(other));
    EXPECT_EQ(elsewhere.volume, 100);

    // Damaged values keep their defaults; a file for another directory is not taken.
    const struct {
        QByteArray text;
        int volume;
        QSize size;
    } damaged[] = {
        {"directory=/games/one\nvolume=250\nwidth=5\nheight=99999\n", 100, QSize()},
        {"directory=/games/one\nvolume=-3\nmuted=yes\nkeymap=relative\nwidth=800\n", 100, QSize()},
        {"directory=/games/other\nvolume=10\n", 100, QSize()},
        {QByteArray(Lumbra::PlayerSettings::MAX_FILE_BYTES + 1, 'x'), 100, QSize()},
        {"directory=/games/one\nvolume=7\nwidth=640\nheight=480", 7, QSize(640, 480)},
    };
    for (const auto& d : damaged) {
        QFile file(Lumbra::PlayerSettings::fileFor(game));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(d.text);
        file.close();
        Lumbra::PlayerSettings read;
        read.load(game);
        EXPECT_EQ(read.volume, d.volume) << d.text.left(40).toStdString();
        EXPECT_FALSE(read.muted);
        EXPECT_TRUE(read.keymapFile.isEmpty());
        EXPECT_EQ(read.windowSize, d.size) << d.text.left(40).toStdString();
    }
    EXPECT_TRUE(Lumbra::PlayerSettings::forget(game));
    EXPECT_FALSE(Lumbra::PlayerSettings::forget(game));
    Lumbra::PlayerSettings gone;
    EXPECT_FALSE(gone.load(game));
    qputenv("XDG_CONFIG_HOME", previous);
}
