// The sample game, Snake, in the real player on a virtual X server: played
// by keys and one pointer press from a fixed seed, paused so that every
// compared screen is a state reached by input rather than by the clock,
// with the sounds it asks for, and its best score kept across a restart.
// And headless under mcbrun, where it must start cleanly.
#include "NeedsService.h"
#include "PlayerProcess.h"
#include "ScreenReference.h"
#include "X11TestClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Logical screen, and the colour difference allowed per channel.
constexpr int WIDTH = 800, HEIGHT = 480, TOLERANCE = 3;
// With this seed the first food lies three cells ahead of a new snake's
// head, and the second one away from the column the test then goes down.
const QByteArray SEED = "73\n";
const QStringList GAME_FILES{"index.mcb", "font.png", "title.png", "start.raw", "eat.raw", "over.raw"};

class SnakeGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "host_game_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        ASSERT_TRUE(app.isValid());
        for (const QString& file : GAME_FILES)
            ASSERT_TRUE(QFile::copy(QStringLiteral(SNAKE_DIR "/") + file, app.filePath(file))) << file.toStdString();
        QFile seed(app.filePath("seed.txt"));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write(SEED);
    }

    static void xdotool(const QStringList& args) { runTool(QStringLiteral("xdotool"), args); }
    // Keys go to the focused window, as a user's do.
    static void keys(const QString& names) { xdotool(QStringList{"key"} + names.split(' ')); }

    bool screenIs(const char* reference)
    {
        return matchesReference([&] { return x11.grab(window); }, [](const QImage&) { return QRect(0, 0, WIDTH, HEIGHT); },
                                QStringLiteral(GAME_REFERENCE_DIR "/%1.png").arg(QLatin1String(reference)), TOLERANCE);
    }

    QByteArray fileText(const char* name) const
    {
        QFile file(app.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir app;
    X11TestClient x11;
    quint32 window = 0;
};

TEST_F(SnakeGame, PlaysByKeysAndPointerAndKeepsItsBestScore)
{
    LUMBRA_NEEDS_SERVICE("x11", !qEnvironmentVariableIsEmpty("DISPLAY"), "no DISPLAY");
    LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"), "no DBUS_SYSTEM_BUS_ADDRESS");
    ASSERT_TRUE(x11.connected());
    {
        PlayerProcess player(app.path());
        ASSERT_TRUE(player.expectLine("LOG: snake: ready, best 0"));
        window = player.window();
        ASSERT_NE(window, 0u);
        // Without a window manager the window keeps Qt's default size:
        // made as large as the logical screen, it shows all of it.
        xdotool({"windowsize", "--sync", QString::number(window), QString::number(WIDTH), QString::number(HEIGHT)});
        xdotool({"windowfocus", "--sync", QString::number(window)});
        EXPECT_TRUE(screenIs("snake-title"));

        // A new game, paused at once: from here on only N moves the snake.
        keys("Return");
        EXPECT_TRUE(player.expectLine("LOG: snake: new game"));
        EXPECT_TRUE(player.expectLine("LOG: snake: sound start"));
        keys("p");
        EXPECT_TRUE(player.expectLine("LOG: snake: paused"));
        keys("Right n n n");
        EXPECT_TRUE(player.expectLine("LOG: snake: ate, score 1"));
        EXPECT_TRUE(player.expectLine("LOG: snake: sound eat"));
        // A press below the head (row 11, column 10) turns the snake down.
        xdotool({"mousemove", "--window", QString::number(window), "210", "400", "click", "1"});
        keys("n n");
        EXPECT_TRUE(screenIs("snake-paused"));
        // Nine more steps down: the eighth reaches the bottom row, the ninth the wall.
        keys("n n n n n n n n n");
        EXPECT_TRUE(player.expectLine("LOG: snake: game over, score 1"));
        EXPECT_TRUE(player.expectLine("LOG: snake: sound over"));
        EXPECT_TRUE(screenIs("snake-over"));

        // With a sound server, each play hands the whole sound to it from
        // its start: the eat sound once, by its length.
        if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
            const QString eatStart = QStringLiteral(", offset: 0, left: %1").arg(fileText("eat.raw").size());
            EXPECT_EQ(player.allLines().filter(QRegularExpression("^writeSamples: req: \\d+" + eatStart + "$")).size(), 1)
                << player.allLines().join('\n').toStdString();
            EXPECT_EQ(player.allLines().filter(QRegularExpression("^End of initialize$")).size(), 3);
        }
    }
    EXPECT_EQ(fileText("best.txt"), "1\n");
    PlayerProcess again(app.path());
    EXPECT_TRUE(again.expectLine("LOG: snake: ready, best 1"));

    // A game whose window is unmapped pauses by itself; mapped again, it
    // hears of the foreground and goes on when P is pressed.
    window = again.window();
    xdotool({"windowfocus", "--sync", QString::number(window)});
    keys("space");
    EXPECT_TRUE(again.expectLine("LOG: snake: new game"));
    xdotool({"windowunmap", "--sync", QString::number(window)});
    EXPECT_TRUE(again.expectLine("LOG: snake: background"));
    EXPECT_TRUE(again.expectLine("LOG: snake: paused"));
    xdotool({"windowmap", "--sync", QString::number(window)});
    EXPECT_TRUE(again.expectLine("LOG: snake: foreground"));
    xdotool({"windowfocus", "--sync", QString::number(window)});
    keys("p");
    EXPECT_TRUE(again.expectLine("LOG: snake: resumed"));
}

// The keymap beside the game: keypad Enter, which the game knows only as an
// unknown key, starts a game as Return does.
TEST_F(SnakeGame, SampleKeymapStartsAGameWithKeypadEnter)
{
    LUMBRA_NEEDS_SERVICE("x11", !qEnvironmentVariableIsEmpty("DISPLAY"), "no DISPLAY");
    LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"), "no DBUS_SYSTEM_BUS_ADDRESS");
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    {
        PlayerProcess player(app.path(), {"--window", "--keymap", QStringLiteral(SNAKE_DIR "/keymap.txt")});
        ASSERT_TRUE(player.expectLine("LOG: snake: ready, best 0"));
        window = player.window();
        ASSERT_NE(window, 0u);
        xdotool({"windowfocus", "--sync", QString::number(window)});
        keys("KP_Enter");
        EXPECT_TRUE(player.expectLine("LOG: snake: new game"));
        keys("p");
        EXPECT_TRUE(player.expectLine("LOG: snake: paused"));
    }
    qputenv("XDG_CONFIG_HOME", previous);
}

TEST_F(SnakeGame, StartsHeadlessAndWaitsForInput)
{
    QProcess runner;
    runner.setWorkingDirectory(app.path());
    runner.start(QStringLiteral(MCBRUN_PATH), {"--time-limit", "1000", "index.mcb"});
    ASSERT_TRUE(runner.waitForFinished(30000));
    const QStringList lines = QString::fromLocal8Bit(runner.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(runner.exitCode(), 124) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression("^(LOG|FATAL|time limit)")),
              QStringList({"LOG: snake: ready, best 0", "time limit of 1000 ms exceeded"}));
}

} // namespace
