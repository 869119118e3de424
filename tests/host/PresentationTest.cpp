// The player presented on a desktop larger than the handset's screen: a
// virtual X server of its own, 1920 x 1200, where the 800 x 480 screen fits
// twice; and the screenshot option in every presentation.
#include "Await.h"
#include "NeedsService.h"
#include "PlayerProcess.h"
#include "ProbeScreen.h"
#include "X11TestClient.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString PROBE = QStringLiteral(HOST_APPS_DIR "/probe");
const QRgb BLACK = qRgb(0, 0, 0);

// The probe's screen of `size` logical pixels, each `scale` times over from
// `origin`, with black bars (when `bars`) just left of and above it.
bool showsProbe(const QImage& image, QPoint origin, int scale, QSize size, bool bars = false)
{
    auto at = [&](int x, int y, QRgb colour) { return pixelIs(image, origin.x() + x, origin.y() + y, colour); };
    return at(0, 0, RED) && at(100 * scale - 1, 50 * scale - 1, RED) && at(100 * scale, 0, BACKGROUND)
        && at(0, 50 * scale, BACKGROUND) && at(size.width() * scale - 1, size.height() * scale - 1, BACKGROUND)
        && (!bars || (at(-1, 0, BLACK) && at(0, -1, BLACK)));
}

QStringList args(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* arg : list)
        result << QLatin1String(arg);
    return result;
}

class PresentationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureCoreApplication();
        if (qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS") || TestSupport::serviceWithheld("x11"))
            return;
        // -displayfd 1: the server names its display on standard output once it is ready.
        server = new QProcess;
        server->start(QStringLiteral("Xvfb"), args({"-displayfd", "1", "-screen", "0", "1920x1200x24", "-nolisten", "tcp"}));
        if (server->waitForReadyRead(10000))
            display = QStringLiteral(":") + QString::fromLatin1(server->readLine().trimmed());
    }

    static void TearDownTestSuite()
    {
        if (server)
            server->kill(), server->waitForFinished();
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"), "no DBUS_SYSTEM_BUS_ADDRESS");
        LUMBRA_NEEDS_SERVICE("x11", !display.isEmpty(), "Xvfb did not start");
        previousDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", display.toLatin1());
        x11 = std::make_unique<X11TestClient>();
        ASSERT_TRUE(x11->connected());
        ASSERT_TRUE(pictures.isValid());
    }

    void TearDown() override
    {
        if (!display.isEmpty())
            qputenv("DISPLAY", previousDisplay);
    }

    std::unique_ptr<PlayerProcess> start(const QStringList& options)
    {
        auto player = std::make_unique<PlayerProcess>(PROBE, options);
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: main")));
        window = player->window();
        EXPECT_NE(window, 0u);
        return player;
    }

    void xdotool(const QStringList& more) { runTool(QStringLiteral("xdotool"), more); }

    void pointer(const char* action, int x, int y)
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window), QString::number(x),
                 QString::number(y), QLatin1String(action), QStringLiteral("1")});
    }

    bool windowShows(const std::function<bool(const QImage&)>& check)
    {
        QImage shot;
        if (x11->waitUntilShows(window, check, shot))
            return true;
        shot.save(QStringLiteral(HOST_TEST_OUTPUT_DIR "/presentation-actual.png"));
        return false;
    }

    static inline QProcess* server = nullptr;
    static inline QString display;
    QByteArray previousDisplay;
    std::unique_ptr<X11TestClient> x11;
    QTemporaryDir pictures;
    quint32 window = 0;
};

} // namespace

TEST_F(PresentationTest, WindowScalesByTwoCentresMapsThePointerAndTakesTheScreenshotKey)
{
    auto player = start({QStringLiteral("--window"), QStringLiteral("--screenshot-dir"), pictures.path()});
    EXPECT_EQ(runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window)}).trimmed(),
              QStringLiteral("probe"));
    // Twice the logical screen fits the desktop, three times does not.
    EXPECT_TRUE(windowShows([](const QImage& shot) {
        return shot.size() == QSize(1600, 960) && showsProbe(shot, {0, 0}, 2, {800, 480});
    }));
    xdotool(args({"windowsize", "--sync"}) << QString::number(window) << QStringLiteral("1700") << QStringLiteral("1100"));
    EXPECT_TRUE(windowShows([](const QImage& shot) { return showsProbe(shot, {50, 70}, 2, {800, 480}, true); }));

    // A press on the bars and its drag are dropped; the next press arrives alone.
    pointer("mousedown", 10, 10);
    pointer("mouseup", 300, 300);
    pointer("click", 111, 111);
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 30,20"), &between));
    EXPECT_TRUE(between.filter(QStringLiteral("LOG: pointer")).isEmpty()) << between.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 30,20")));
    // A drag off the screen is held to its edge.
    pointer("mousedown", 1640, 1020);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 795,475")));
    pointer("mouseup", 1699, 1099);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 799,479")));

    // F12 saves the logical screen and reaches no key handler.
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    xdotool(args({"key", "F12", "a"}));
    ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a"), &between));
    EXPECT_TRUE(between.filter(QStringLiteral("LOG: pressed")).isEmpty()) << between.join(QLatin1Char('|')).toStdString();
    const QStringList files = QDir(pictures.path()).entryList({QStringLiteral("probe-*.png")});
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(between.filter(QStringLiteral("mcbplayer: screenshot saved to '%1'").arg(pictures.filePath(files[0]))).size(), 1);
    const QImage shot(pictures.filePath(files[0]));
    EXPECT_TRUE(shot.size() == QSize(800, 480) && showsProbe(shot, {0, 0}, 1, {800, 480}));
}

TEST_F(PresentationTest, F11AndAltEnterSwitchWindowAndFullScreenKeepingThePointerMapping)
{
    auto player = start({QStringLiteral("--window")});
    EXPECT_TRUE(windowShows([](const QImage& shot) {
        return shot.size() == QSize(1600, 960) && showsProbe(shot, {0, 0}, 2, {800, 480});
    }));
    // The application hears of Alt alone, never of F11 or the Enter keys.
    const struct {
        const char* key;
        QSize size;
        QPoint origin;
        int heard;
    } steps[] = {
        {"F11", {1920, 1200}, {160, 120}, 0},
        {"F11", {1600, 960}, {0, 0}, 0},
        {"alt+Return", {1920, 1200}, {160, 120}, 1},
        {"alt+KP_Enter", {1600, 960}, {0, 0}, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.key);
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
        xdotool({QStringLiteral("key"), QLatin1String(step.key), QStringLiteral("a")});
        QStringList between;
        ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a"), &between));
        EXPECT_EQ(between.filter(QStringLiteral("LOG: pressed")).size(), step.heard) << between.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(between.filter(QStringLiteral("LOG: released")).size(), step.heard) << between.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(windowShows([&](const QImage& shot) {
            return shot.size() == step.size && showsProbe(shot, step.origin, 2, {800, 480}, step.origin.x() > 0);
        }));
        // Logical (10, 20) and (799, 479) at twice the scale from the screen's origin.
        pointer("click", step.origin.x() + 21, step.origin.y() + 41);
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 10,20")));
        pointer("click", step.origin.x() + 1599, step.origin.y() + 959);
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 799,479")));
    }
}

TEST_F(PresentationTest, FullScreenScalesTheSameWay)
{
    auto player = start({QStringLiteral("--fullscreen")});
    EXPECT_TRUE(windowShows([](const QImage& shot) { return showsProbe(shot, {160, 120}, 2, {800, 480}, true); }));
}

TEST_F(PresentationTest, ScreenshotAfterSavesTheUnscaledLogicalScreenInEveryPresentation)
{
    const struct {
        const char* app;
        const char* option;
        QSize size;
    } cases[] = {
        {"probe", "--trace", {800, 480}},
        {"probe", "--window", {800, 480}},
        {"portrait", "--trace", {480, 800}},
        {"portrait", "--fullscreen", {480, 800}},
    };
    const QString file = pictures.filePath(QStringLiteral("final.png"));
    for (const auto& c : cases) {
        PlayerProcess player(QStringLiteral(HOST_APPS_DIR "/") + QLatin1String(c.app),
                             {QStringLiteral("--screenshot-after"), QStringLiteral("300"), file, QLatin1String(c.option)});
        EXPECT_EQ(player.exitStatus(), 0) << player.allLines().join(QLatin1Char('|')).toStdString();
        const QImage shot(file);
        EXPECT_TRUE(shot.size() == c.size && showsProbe(shot, {0, 0}, 1, c.size)) << c.app << " " << c.option;
        QFile::remove(file);
    }
}

// Under a window manager: minimised is background, restored is foreground.
TEST_F(PresentationTest, MinimiseAndRestoreUnderAWindowManagerAreBackgroundAndForeground)
{
    LUMBRA_NEEDS_SERVICE("x11", !QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty(),
                         "openbox is not installed (scripts/install-deps installs it)");
    // Openbox runs its startup command once it manages the screen.
    QProcess manager;
    QByteArray said;
    QObject::connect(&manager, &QProcess::readyReadStandardOutput, [&] { said += manager.readAllStandardOutput(); });
    manager.start(QStringLiteral("openbox"), args({"--sm-disable", "--startup", "echo managing"}));
    ASSERT_TRUE(TestSupport::awaitEvent(QStringLiteral("openbox to manage the screen"),
                                        [&] { return said.contains("managing"); }, 10000));

    auto player = start({QStringLiteral("--window"), QStringLiteral("--trace")});
    const QString w = QString::number(window);
    QStringList between;
    xdotool({QStringLiteral("windowminimize"), QStringLiteral("--sync"), w});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: background"), &between));
    EXPECT_EQ(between.filter(QRegularExpression(QStringLiteral("^TRACE: call .*background event$"))).size(), 1)
        << between.join(QLatin1Char('|')).toStdString();
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), w});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: foreground"), &between));
    EXPECT_TRUE(between.filter(QStringLiteral("LOG: background")).isEmpty()) << between.join(QLatin1Char('|')).toStdString();
    player.reset();
    manager.terminate();
    manager.waitForFinished(5000);
}
