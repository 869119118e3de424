// The desktop presentation's pieces in process: the letterbox geometry, the
// player's command line and the names screenshots are saved under.
#include "Letterbox.h"
#include "PlayerOptions.h"
#include "ScreenshotFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using Lumbra::Letterbox;

TEST(Letterbox, WholeFactorsCentredAndShrunkWhenNothingFits)
{
    const struct {
        QSize logical, window;
        QRect target;
    } cases[] = {
        {{800, 480}, {1600, 960}, {0, 0, 1600, 960}},
        {{800, 480}, {1700, 1100}, {50, 70, 1600, 960}},  // factor 2, bars all round
        {{800, 480}, {2399, 1440}, {399, 240, 1600, 960}}, // 3 falls short by a pixel
        {{480, 800}, {1920, 1200}, {720, 200, 480, 800}},  // portrait: factor 1
        {{800, 480}, {400, 400}, {0, 80, 400, 240}},       // shrunk to half
    };
    for (const auto& c : cases)
        EXPECT_EQ(Letterbox(c.logical, c.window).target(), c.target) << c.window.width() << "x" << c.window.height();
    EXPECT_EQ(Lumbra::wholeScaleFitting({800, 480}, {1920, 1200}), 2);
    EXPECT_EQ(Lumbra::wholeScaleFitting({800, 480}, {1280, 1024}), 1);
    EXPECT_EQ(Lumbra::wholeScaleFitting({800, 480}, {640, 480}), 1);
}

TEST(Letterbox, WindowPointsAndAreasMapToTheLogicalScreenAndBack)
{
    const Letterbox box({800, 480}, {1700, 1100}); // (50, 70) scaled by 2
    QPoint logical;
    ASSERT_TRUE(box.toLogical({111, 111}, logical));
    EXPECT_EQ(logical, QPoint(30, 20));
    ASSERT_TRUE(box.toLogical({1649, 1029}, logical));
    EXPECT_EQ(logical, QPoint(799, 479));
    for (const QPoint bar : {QPoint(49, 500), QPoint(1650, 500), QPoint(500, 69), QPoint(500, 1030)})
        EXPECT_FALSE(box.toLogical(bar, logical)) << bar.x() << "," << bar.y();
    EXPECT_EQ(box.toLogicalClamped({0, 0}), QPoint(0, 0));
    EXPECT_EQ(box.toLogicalClamped({1699, 600}), QPoint(799, 265));

    EXPECT_EQ(box.toWindow(QRect(10, 20, 30, 40)), QRect(70, 110, 60, 80));
    EXPECT_EQ(box.toLogical(QRect(71, 111, 2, 2)), QRect(10, 20, 2, 2)); // a part-covered pixel counts
    EXPECT_EQ(box.toLogical(QRect(0, 0, 1700, 1100)), QRect(0, 0, 800, 480));

    const Letterbox half({800, 480}, {400, 240});
    EXPECT_EQ(half.toWindow(QRect(1, 1, 1, 1)), QRect(0, 0, 1, 1));
    EXPECT_EQ(half.toLogicalClamped({399, 239}), QPoint(798, 478));
}

TEST(PlayerOptions, OptionsAnywhereTheRestByTheOldRuleAndBadValuesRefused)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string shot = folder.filePath(QStringLiteral("shot.png")).toStdString();
    const std::string dir = folder.path().toStdString();
    const struct {
        std::vector<std::string> args;
        bool ok;
        bool installed;
        Lumbra::Presentation presentation;
        int after;
    } cases[] = {
        {{}, true, false, Lumbra::Presentation::Handset, -1},
        {{"--window", "--auto"}, true, true, Lumbra::Presentation::Window, -1},
        {{"--auto", "--fullscreen", "--trace"}, true, true, Lumbra::Presentation::FullScreen, -1},
        {{"--Auto", "--auto"}, true, false, Lumbra::Presentation::Handset, -1},
        {{"--screenshot-after", "250", shot, "--auto"}, true, true, Lumbra::Presentation::Handset, 250},
        {{"--screenshot-dir", dir, "--window"}, true, false, Lumbra::Presentation::Window, -1},
        {{"--screenshot-after"}, false, false, {}, -1},
        {{"--screenshot-after", "250"}, false, false, {}, -1},
        {{"--screenshot-after", "-5", shot}, false, false, {}, -1},
        {{"--screenshot-after", "1e3", shot}, false, false, {}, -1},
        {{"--screenshot-after", "99999999999", shot}, false, false, {}, -1},
        {{"--screenshot-after", "10", "--trace"}, false, false, {}, -1},
        {{"--screenshot-after", "10", dir}, false, false, {}, -1},
        {{"--screenshot-after", "10", "/nonexistent/shot.png"}, false, false, {}, -1},
        {{"--screenshot-dir", shot + ".absent"}, false, false, {}, -1},
        {{"--screenshot-dir"}, false, false, {}, -1},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("mcbplayer")};
        std::string joined;
        for (const std::string& arg : c.args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
            joined += arg + " ";
        }
        Lumbra::PlayerOptions options;
        QString error;
        EXPECT_EQ(Lumbra::parsePlayerOptions(int(argv.size()), argv.data(), options, error), c.ok) << joined;
        EXPECT_EQ(error.isEmpty(), c.ok) << joined;
        if (!c.ok || !error.isEmpty())
            continue;
        EXPECT_EQ(options.installed, c.installed) << joined;
        EXPECT_EQ(options.presentation, c.presentation) << joined;
        EXPECT_EQ(options.screenshotAfterMs, c.after) << joined;
    }
}

TEST(ScreenshotFiles, NamedAfterTheDirectoryAndTheTimeNeverReplacingAFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(Lumbra::screenshotBaseName(QStringLiteral("/opt/my game!/")), QStringLiteral("my_game_"));
    EXPECT_EQ(Lumbra::screenshotBaseName(QStringLiteral("/")), QStringLiteral("mcbplayer"));
    EXPECT_EQ(Lumbra::screenshotFolder(folder.path()), folder.path());

    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
    QStringList saved;
    for (int i = 0; i < 3; ++i)
        saved << QFileInfo(Lumbra::saveNewScreenshot(image, folder.path(), QStringLiteral("game"), when)).fileName();
    EXPECT_EQ(saved, QStringList({QStringLiteral("game-20240305-070809.png"), QStringLiteral("game-20240305-070809-2.png"),
                                  QStringLiteral("game-20240305-070809-3.png")}));
    EXPECT_EQ(QImage(folder.filePath(saved[1])).pixel(7, 3), qRgb(255, 0, 0));
    EXPECT_TRUE(Lumbra::saveNewScreenshot(image, folder.filePath(QStringLiteral("absent")), QStringLiteral("game"), when)
                    .isEmpty());
}
