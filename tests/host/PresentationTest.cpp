// The player presented on a desktop larger than the handset's screen: a
// virtual X server of its own, 1920 x 1200, where the 800 x 480 screen fits
// twice. Also the screenshot option in every presentation and the command
// lines the player refuses.
#include "PlayerProcess.h"
#include "ProbeScreen.h"
#include "X11TestClient.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString PROBE = QStringLiteral(HOST_APPS_DIR "/probe");
const QString PORTRAIT = QStringLiteral(HOST_APPS_DIR "/portrait");
const QRgb BLACK = qRgb(0, 0, 0);

// The probe's screen, `size` logical pixels, as its pixels say: the red
// 100 x 50 rectangle at the origin on the background, every pixel `scale`
// times over from `origin`.
bool showsProbe(const QImage& image, QPoint origin, int scale, QSize size)
{
    auto at = [&](int x, int y, QRgb colour) { return pixelIs(image, origin.x() + x, origin.y() + y, colour); };
    const int w = size.width() * scale, h = size.height() * scale;
    return at(0, 0, RED) && at(100 * scale - 1, 50 * scale - 1, RED) && at(100 * scale, 0, BACKGROUND)
        && at(0, 50 * scale, BACKGROUND) && at(w - 1, h - 1, BACKGROUND);
}

class PresentationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureCoreApplication();
        if (qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"))
            return;
        // -displayfd 1: the server names its display on standard output once it is ready.
        server = new QProcess;
        server->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("1920x1200x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (server->waitForReadyRead(10000))
            display = QStringLiteral(":") + QString::fromLatin1(server->readLine().trimmed());
    }

    static void TearDownTestSuite()
    {
        if (!server)
            return;
        server->kill();
        server->waitForFinished();
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        if (display.isEmpty())
            GTEST_SKIP() << "needs Xvfb and DBUS_SYSTEM_BUS_ADDRESS (scripts/test starts the bus)";
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

    std::unique_ptr<PlayerProcess> startWindow(const QStringList& extra = {})
    {
        auto player = std::make_unique<PlayerProcess>(
            PROBE, QStringList{QStringLiteral("--window"), QStringLiteral("--screenshot-dir"), pictures.path()} + extra);
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: main")));
        window = player->window();
        EXPECT_NE(window, 0u);
        return player;
    }

    void xdotool(const QStringList& args) { runTool(QStringLiteral("xdotool"), args); }

    void pointer(const char* action, int x, int y)
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window), QString::number(x),
                 QString::number(y), QLatin1String(action), QStringLiteral("1")});
    }

    // Polls the window until `check` holds for its contents.
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

TEST_F(PresentationTest, WindowScalesByTwoCentresAndMapsThePointerBack)
{
    auto player = startWindow();
    // Twice the logical screen fits the desktop, three times does not.
    EXPECT_TRUE(windowShows([](const QImage& shot) {
        return shot.size() == QSize(1600, 960) && showsProbe(shot, {0, 0}, 2, {800, 480});
    }));
    xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), QString::number(window), QStringLiteral("1700"),
             QStringLiteral("1100")});
    // Still twice, centred: bars of 50 and 70 pixels.
    EXPECT_TRUE(windowShows([](const QImage& shot) {
        return shot.size() == QSize(1700, 1100) && showsProbe(shot, {50, 70}, 2, {800, 480}) && pixelIs(shot, 49, 70, BLACK)
            && pixelIs(shot, 50, 69, BLACK) && pixelIs(shot, 1650, 1030, BLACK);
    }));

    // A press on the bars and its drag are dropped; the next press arrives alone.
    pointer("mousedown", 10, 10);
    pointer("mouseup", 300, 300);
    pointer("click", 111, 111);
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 30,20"), &between));
    for (const QString& line : between)
        EXPECT_FALSE(line.startsWith(QStringLiteral("LOG: pointer"))) << line.toStdString();
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 30,20")));
    // A drag off the screen is held to its edge.
    pointer("mousedown", 1640, 1020);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 795,475")));
    pointer("mouseup", 1699, 1099);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 799,479")));
}

TEST_F(PresentationTest, FullScreenScalesTheSameWay)
{
    auto player = std::make_unique<PlayerProcess>(PROBE, QStringList{QStringLiteral("--fullscreen")});
    ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: main")));
    window = player->window();
    // 1920 x 1200 holds the screen twice, with bars of 160 and 120 pixels.
    EXPECT_TRUE(windowShows([](const QImage& shot) {
        return shot.size() == QSize(1920, 1200) && showsProbe(shot, {160, 120}, 2, {800, 480})
            && pixelIs(shot, 159, 120, BLACK) && pixelIs(shot, 1760, 1080, BLACK);
    }));
}

TEST_F(PresentationTest, ScreenshotKeySavesTheLogicalScreenAndNeverReachesTheApplication)
{
    auto player = startWindow();
    EXPECT_EQ(runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window)}).trimmed(),
              QStringLiteral("probe - ") + PROBE);
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    xdotool({QStringLiteral("key"), QStringLiteral("F12"), QStringLiteral("a")});
    QStringList between;
    ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a"), &between));
    const QStringList saved = between.filter(QStringLiteral("mcbplayer: screenshot saved to '"));
    ASSERT_EQ(saved.size(), 1) << between.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(between.filter(QStringLiteral("LOG: pressed")).size(), 0) << between.join(QLatin1Char('|')).toStdString();

    const QStringList files = QDir(pictures.path()).entryList({QStringLiteral("probe-*.png")});
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(saved[0].contains(pictures.filePath(files[0])));
    const QImage shot(pictures.filePath(files[0]));
    EXPECT_EQ(shot.size(), QSize(800, 480));
    EXPECT_TRUE(showsProbe(shot, {0, 0}, 1, {800, 480}));
}

TEST_F(PresentationTest, ScreenshotAfterSavesTheUnscaledLogicalScreenInEveryPresentation)
{
    const struct {
        QString app;
        const char* option;
        QSize size;
    } cases[] = {
        {PROBE, nullptr, {800, 480}},
        {PROBE, "--window", {800, 480}},
        {PORTRAIT, nullptr, {480, 800}},
        {PORTRAIT, "--fullscreen", {480, 800}},
    };
    for (const auto& c : cases) {
        const QString file = pictures.filePath(QStringLiteral("final.png"));
        QStringList args{QStringLiteral("--screenshot-after"), QStringLiteral("300"), file};
        if (c.option)
            args << QLatin1String(c.option);
        PlayerProcess player(c.app, args);
        EXPECT_EQ(player.exitStatus(), 0) << player.allLines().join(QLatin1Char('|')).toStdString();
        const QImage shot(file);
        EXPECT_EQ(shot.size(), c.size) << (c.option ? c.option : "handset");
        EXPECT_TRUE(showsProbe(shot, {0, 0}, 1, c.size)) << (c.option ? c.option : "handset");
        QFile::remove(file);
    }
}

TEST_F(PresentationTest, BadCommandLinesEndWithOneLineAndStatusTwo)
{
    const QString unwritable = QStringLiteral("/proc/mcbplayer/shot.png");
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--screenshot-after")}, "--screenshot-after needs a value"},
        {{QStringLiteral("--screenshot-after"), QStringLiteral("ten"), QStringLiteral("x.png")}, "--screenshot-after needs a whole number"},
        {{QStringLiteral("--screenshot-after"), QStringLiteral("-1"), QStringLiteral("x.png")}, "--screenshot-after needs a whole number"},
        {{QStringLiteral("--window"), QStringLiteral("--screenshot-after"), QStringLiteral("5")}, "--screenshot-after needs a value"},
        {{QStringLiteral("--screenshot-after"), QStringLiteral("5"), unwritable}, "cannot write the screenshot file"},
        {{QStringLiteral("--screenshot-dir"), unwritable}, "'/proc/mcbplayer/shot.png' is no directory"},
    };
    for (const auto& c : cases) {
        PlayerProcess player(PROBE, c.args);
        const std::string args = c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(player.exitStatus(), 2) << args;
        ASSERT_EQ(player.allLines().size(), 1) << args;
        EXPECT_TRUE(player.allLines()[0].startsWith(QStringLiteral("mcbplayer: ") + QLatin1String(c.message)))
            << player.allLines()[0].toStdString();
    }
}
