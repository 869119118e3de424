// The real player on a virtual X server with a private message bus: keys
// and pointer through xdotool, the window manager's properties and the
// display status through a second X client and the MCE stand-in, and the
// window's pixels through a screenshot.
#include "FileSizeLimit.h"
#include "PlayerFixture.h"
#include "ProbeScreen.h"
#include "ScreenReference.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <xcb/xproto.h>

namespace {

const QString PROBE = QStringLiteral(HOST_APPS_DIR "/probe");
const QString PORTRAIT = QStringLiteral(HOST_APPS_DIR "/portrait");
const QString SCENE = QStringLiteral(HOST_APPS_DIR "/scene");
const QString SCENE_PORTRAIT = QStringLiteral(HOST_APPS_DIR "/scene-portrait");
const QString WRITER = QStringLiteral(HOST_APPS_DIR "/writer");
// The part of the back buffer the scene draws on.
constexpr int SCENE_WIDTH = 240, SCENE_HEIGHT = 200;
// Colour difference allowed per channel against the reference images.
constexpr int SCENE_TOLERANCE = 3;

class PlayerTest : public PlayerFixture {
protected:

    // Polls the window until `check` holds for its screenshot; saves the last
    // screenshot (to `savePath`, by default next to the test) when it never does.
    bool screenShows(const char* name, const std::function<bool(const QImage&)>& check, QString savePath = {})
    {
        QImage shot;
        if (x11.waitUntilShows(window, check, shot))
            return true;
        if (savePath.isEmpty())
            savePath = QStringLiteral(HOST_TEST_OUTPUT_DIR "/%1-actual.png").arg(QLatin1String(name));
        shot.save(savePath);
        return false;
    }

    // Whether the `area` of the window matches the reference image `name`
    // within `tolerance` per channel (see matchesReference).
    bool screenMatchesReference(const char* name, const std::function<QRect(const QImage&)>& area, int tolerance)
    {
        return matchesReference([&] { return x11.grab(window); }, area,
                                QStringLiteral(HOST_REFERENCE_DIR "/%1.png").arg(QLatin1String(name)), tolerance);
    }
};

} // namespace

TEST_F(PlayerTest, KeysGoThroughTheTranslationTableWithTheirText)
{
    auto player = start(PROBE);
    focus();
    const struct {
        const char* key;
        const char* pressed;
    } cases[] = {
        {"a", "LOG: pressed 65 text a"},
        {"shift+a", "LOG: pressed 65 text A"},
        {"5", "LOG: pressed 53 text 5"},
        {"Left", "LOG: pressed 16777219 text "},
        {"Right", "LOG: pressed 16777220 text "},
        {"Up", "LOG: pressed 16777221 text "},
        {"Down", "LOG: pressed 16777222 text "},
        {"BackSpace", "LOG: pressed 16777218 text \b"},
        {"Return", "LOG: pressed 16777217 text \r"},
        {"KP_Enter", "LOG: pressed 16777216 text \r"},
        {"Escape", "LOG: pressed 16777216 text \x1b"},
        {"braceleft", "LOG: pressed 16777216 text {"},
    };
    for (const auto& c : cases) {
        xdotool({QStringLiteral("key"), QLatin1String(c.key)});
        EXPECT_TRUE(player->expectLine(QLatin1String(c.pressed))) << c.key;
    }
    xdotool({QStringLiteral("key"), QStringLiteral("a")});
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: released 65 text a"), &between));
}

TEST_F(PlayerTest, PointerEventsOnlyMoveWithAPressedButton)
{
    auto player = start(PROBE);
    const QString w = QString::number(window);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), w, QStringLiteral("10"), QStringLiteral("20")});
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 10,20")));
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), w, QStringLiteral("30"), QStringLiteral("45")});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 6 at 30,45")));
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 30,45")));

    // Moving without a button reports nothing; the next press shows where it went.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), w, QStringLiteral("70"), QStringLiteral("80")});
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), w, QStringLiteral("90"), QStringLiteral("100")});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 0 at 90,100"), &between));
    for (const QString& line : between)
        EXPECT_FALSE(line.startsWith(QStringLiteral("LOG: pointer"))) << line.toStdString();
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pointer 1 at 90,100")));
}

TEST_F(PlayerTest, ActivityFollowsWindowManagerDisplayStatusAndIconicState)
{
    QProcess mce;
    mce.start(QStringLiteral(MCE_STAND_IN_PATH), QStringList());
    ASSERT_TRUE(mce.waitForReadyRead(10000));
    ASSERT_EQ(mce.readLine().trimmed(), QByteArray("ready"));
    auto sendStatus = [&](const char* status) {
        mce.write(QByteArray(status) + '\n');
        ASSERT_TRUE(mce.waitForReadyRead(10000));
        EXPECT_EQ(mce.readLine().trimmed(), QByteArray("sent"));
    };

    auto player = start(PROBE);
    // The show event came before the machine: nothing was reported.
    for (const QString& line : player->linesDuring(300))
        EXPECT_FALSE(line == QLatin1String("LOG: foreground") || line == QLatin1String("LOG: background"));

    // The window manager names "every application" as the current one.
    x11.setProperty(0, "_MB_CURRENT_APP_WINDOW", XCB_ATOM_WINDOW, 0xFFFFFFFFu);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: foreground")));

    sendStatus("off");
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: background")));
    sendStatus("off");
    sendStatus("dimmed"); // anything but "off" is on
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: foreground"), &between));
    EXPECT_TRUE(between.isEmpty()) << between.join(QLatin1Char('|')).toStdString();

    // Iconified by the window manager: hidden, then shown again.
    x11.setIconic(window, true);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: background")));
    x11.setIconic(window, false);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: foreground")));
    mce.closeWriteChannel();
    mce.waitForFinished(5000);
}

TEST_F(PlayerTest, PaintingRunsTheDrawHandlerAndShowsTheBackBuffer)
{
    auto player = start(PROBE);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: draw")));
    EXPECT_TRUE(screenShows("landscape", [](const QImage& shot) {
        return pixelIs(shot, 0, 0, RED) && pixelIs(shot, 99, 49, RED) && pixelIs(shot, 100, 10, BACKGROUND)
            && pixelIs(shot, 10, 50, BACKGROUND) && pixelIs(shot, shot.width() - 1, shot.height() - 1, BACKGROUND);
    }));
    // Every paint runs the handler again: a key asks for a repaint.
    focus();
    xdotool({QStringLiteral("key"), QStringLiteral("a")});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a")));
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: draw")));
}

TEST_F(PlayerTest, PortraitTurnsTheBackBufferAndAsksTheWindowManager)
{
    // The window manager's atom exists, so the player sets the request.
    x11.setProperty(0, "_HILDON_PORTRAIT_MODE_REQUEST", XCB_ATOM_CARDINAL, 0);
    auto player = start(PORTRAIT);
    std::uint32_t request = 0;
    EXPECT_TRUE(x11.rootCardinal("_HILDON_PORTRAIT_MODE_REQUEST", request));
    EXPECT_EQ(request, 1u);
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: draw")));
    // Buffer point (x, y) shows at (y, H - 1 - x): the 100 x 50 rectangle
    // stands in the bottom left corner, 50 wide and 100 high.
    EXPECT_TRUE(screenShows("portrait", [](const QImage& shot) {
        const int h = shot.height();
        return shot.width() > h && pixelIs(shot, 0, h - 1, RED) && pixelIs(shot, 49, h - 100, RED)
            && pixelIs(shot, 50, h - 10, BACKGROUND) && pixelIs(shot, 10, h - 101, BACKGROUND)
            && pixelIs(shot, 0, 0, BACKGROUND);
    }));
}

TEST_F(PlayerTest, DrawnSceneMatchesItsReferenceInLandscape)
{
    auto player = start(SCENE);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: draw")));
    EXPECT_TRUE(screenMatchesReference("scene-landscape", [](const QImage&) {
        return QRect(0, 0, SCENE_WIDTH, SCENE_HEIGHT);
    }, SCENE_TOLERANCE));
}

TEST_F(PlayerTest, DrawnSceneMatchesItsReferenceInPortrait)
{
    x11.setProperty(0, "_HILDON_PORTRAIT_MODE_REQUEST", XCB_ATOM_CARDINAL, 0);
    auto player = start(SCENE_PORTRAIT);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: draw")));
    // The buffer turned a quarter: its top left corner shows at the bottom left.
    EXPECT_TRUE(screenMatchesReference("scene-portrait", [](const QImage& shot) {
        return QRect(0, shot.height() - SCENE_WIDTH, SCENE_HEIGHT, SCENE_WIDTH);
    }, SCENE_TOLERANCE));
}

TEST_F(PlayerTest, CtrlQAndTheCloseMessageEndInOrderWithStatusZero)
{
    const QString written = WRITER + QStringLiteral("/written.txt");
    const struct {
        const char* presentation;
        bool byKey; // Ctrl+Q, else the window manager's WM_DELETE_WINDOW
    } cases[] = {{"", true}, {"", false}, {"--window", true}, {"--window", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.presentation) + (c.byKey ? " ctrl+q" : " WM_DELETE_WINDOW"));
        QFile::remove(written);
        const QStringList args = *c.presentation ? QStringList{QLatin1String(c.presentation)} : QStringList{};
        auto player = start(WRITER, args);
        if (c.byKey) {
            focus();
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
        } else {
            x11.askToClose(window);
        }
        EXPECT_EQ(player->exitStatus(), 0) << player->allLines().join(QLatin1Char('|')).toStdString();
        QFile file(written);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("the whole line\n"));
        EXPECT_FALSE(player->allLines().contains(QStringLiteral("LOG: exit event")));
    }
}

TEST_F(PlayerTest, UnmappedIsBackgroundMappedAgainForegroundAndFocusIsNeither)
{
    auto player = start(PROBE, {QStringLiteral("--trace")});
    const QString w = QString::number(window);
    // A window of another client takes the focus: nothing is reported.
    QProcess other;
    other.start(QStringLiteral(MCBPLAYER_PATH), {QStringLiteral("--window"), PROBE});
    ASSERT_TRUE(other.waitForStarted());
    const QString otherWindow = runTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
        QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(other.processId())}).trimmed();
    focus();
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), otherWindow.section(QLatin1Char('\n'), 0, 0)});
    xdotool({QStringLiteral("windowunmap"), QStringLiteral("--sync"), w});
    QStringList between;
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: background"), &between));
    EXPECT_TRUE(between.filter(QStringLiteral("LOG: foreground")).isEmpty()) << between.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(between.filter(QRegularExpression(QStringLiteral("^TRACE: call .*background event$"))).size(), 1)
        << between.join(QLatin1Char('|')).toStdString();
    xdotool({QStringLiteral("windowmap"), QStringLiteral("--sync"), w});
    EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: foreground"), &between));
    EXPECT_TRUE(between.filter(QStringLiteral("LOG: background")).isEmpty()) << between.join(QLatin1Char('|')).toStdString();
    other.kill();
    other.waitForFinished();
}

TEST_F(PlayerTest, AWindowSmallerThanTheScreenSaysSoAndWindowShowsItWhole)
{
    // Without a window manager nothing makes the handset window cover the screen.
    auto handset = start(PROBE);
    EXPECT_TRUE(handset->expectLine(QStringLiteral(
        "mcbplayer: the window is 640 x 480, smaller than the application's 800 x 480 screen; "
        "--window shows all of it, scaled")));
    handset.reset();

    // As scripts/play runs it: the scaled window shows the whole logical screen.
    QTemporaryDir pictures;
    ASSERT_TRUE(pictures.isValid());
    auto player = start(PROBE, {QStringLiteral("--window"), QStringLiteral("--screenshot-dir"), pictures.path()});
    EXPECT_EQ(runTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window)}).trimmed(),
              QStringLiteral("probe"));
    focus();
    xdotool({QStringLiteral("key"), QStringLiteral("F12"), QStringLiteral("a")});
    ASSERT_TRUE(player->expectLine(QStringLiteral("LOG: pressed 65 text a")));
    const QStringList files = QDir(pictures.path()).entryList({QStringLiteral("probe-*.png")});
    ASSERT_EQ(files.size(), 1);
    const QImage logical = QImage(pictures.filePath(files[0])).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(logical.size(), QSize(800, 480));
    EXPECT_TRUE(screenShows("window-whole", [&](const QImage& shot) {
        return shot.convertToFormat(QImage::Format_RGB32) == logical;
    }));
}

// A full disk (a file-size limit the player inherits) is reported, never
// taken for success: bytes lost at the end make the status 1 and the log
// names their file; a screenshot that cannot be written says so, and one
// for --screenshot-after makes the status 1. Nothing half-written is left.
TEST_F(PlayerTest, WritesLostToAFullDiskAreReported)
{
    const QString written = WRITER + QStringLiteral("/written.txt");
    QFile::remove(written);
    std::unique_ptr<PlayerProcess> writer;
    {
        const FileSizeLimit full(10);
        writer = start(WRITER);
    }
    focus();
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
    EXPECT_EQ(writer->exitStatus(), 1);
    EXPECT_TRUE(writer->allLines().contains(
        QStringLiteral("LOG: IOException: 1 open file(s) could not be written before exit: written.txt")))
        << writer->allLines().join(QLatin1Char('|')).toStdString();
    QFile::remove(written);

    QTemporaryDir pictures;
    ASSERT_TRUE(pictures.isValid());
    const QString finalShot = pictures.filePath(QStringLiteral("final.png"));
    std::unique_ptr<PlayerProcess> after, key;
    {
        const FileSizeLimit full(10);
        after = std::make_unique<PlayerProcess>(PROBE, QStringList{QStringLiteral("--screenshot-after"),
                                                                   QStringLiteral("300"), finalShot});
        key = start(PROBE, {QStringLiteral("--window"), QStringLiteral("--screenshot-dir"), pictures.path()});
    }
    EXPECT_EQ(after->exitStatus(), 1);
    EXPECT_EQ(after->allLines().filter(QStringLiteral("screenshot")),
              QStringList{QStringLiteral("mcbplayer: could not write the screenshot to '%1'").arg(finalShot)});

    focus();
    xdotool({QStringLiteral("key"), QStringLiteral("F12"), QStringLiteral("a")});
    QStringList between;
    ASSERT_TRUE(key->expectLine(QStringLiteral("LOG: pressed 65 text a"), &between));
    EXPECT_EQ(between.filter(QStringLiteral("screenshot")),
              QStringList{QStringLiteral("mcbplayer: could not save a screenshot in '%1'").arg(pictures.path())});
    EXPECT_EQ(QDir(pictures.path()).entryList(QDir::Files), QStringList{});
}
