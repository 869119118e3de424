// The desktop presentation's pieces in process: the letterbox geometry, the
// player's command line and the names screenshots are saved under.
#include "Letterbox.h"
#include "PlayerOptions.h"
#include "ScreenshotFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using Lumbra::Letterbox;

// The scaled window's centring and its pointer mapping are also seen end to end.
TEST(Letterbox, WholeFactorsOrShrunkToFitAndMappedBothWays)
{
    EXPECT_EQ(Letterbox({800, 480}, {2399, 1440}).target(), QRect(399, 240, 1600, 960)); // 3 falls a pixel short
    EXPECT_EQ(Letterbox({480, 800}, {1920, 1200}).target(), QRect(720, 200, 480, 800));
    const Letterbox half({800, 480}, {400, 400});
    EXPECT_EQ(half.target(), QRect(0, 80, 400, 240));
    EXPECT_EQ(half.toLogicalClamped({399, 319}), QPoint(798, 478));
    QPoint logical;
    EXPECT_FALSE(half.toLogical({200, 79}, logical));
    const Letterbox twice({800, 480}, {1700, 1100});
    EXPECT_EQ(twice.toWindow(QRect(10, 20, 30, 40)), QRect(70, 110, 60, 80));
    EXPECT_EQ(twice.toLogical(QRect(71, 111, 2, 2)), QRect(10, 20, 2, 2)); // a part-covered pixel counts
}

TEST(PlayerOptions, OneApplicationArgumentOptionsAnywhereAndEveryProblemNamed)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString root = folder.path();
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("app")) && QDir(root).mkpath(QStringLiteral("-app")));
    for (const char* name : {"app/index.mcb", "app/other.mcb"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::string shot = folder.filePath(QStringLiteral("shot.png")).toStdString(), dir = root.toStdString();
    const std::string app = dir + "/app";
    using P = Lumbra::Presentation;
    auto parse = [](const std::vector<std::string>& args, Lumbra::PlayerOptions& options, QString& error) {
        std::vector<char*> argv{const_cast<char*>("mcbplayer")};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        return Lumbra::parsePlayerOptions(int(argv.size()), argv.data(), options, error);
    };
    const struct {
        std::vector<std::string> args;
        bool installed;
        P presentation;
        std::string directory; // empty: the working directory's
    } accepted[] = {
        {{}, false, P::Handset, ""},
        {{"--window", "--auto"}, true, P::Window, ""},
        {{"--auto", "--fullscreen", "--trace"}, true, P::FullScreen, ""},
        {{app}, false, P::Handset, app},
        {{app + "/./", "--window"}, false, P::Window, app},
        {{"--trace", app + "/index.mcb"}, false, P::Handset, app},
        {{"--", dir + "/-app"}, false, P::Handset, dir + "/-app"},
        {{"--screenshot-after", "250", shot, "--auto"}, true, P::Handset, ""},
        {{"--fullscreen", "--screenshot-dir", dir, app}, false, P::FullScreen, app},
    };
    for (const auto& c : accepted) {
        Lumbra::PlayerOptions options;
        QString error;
        EXPECT_TRUE(parse(c.args, options, error)) << c.args.size() << " " << error.toStdString();
        EXPECT_EQ(options.installed, c.installed) << c.args.size();
        EXPECT_EQ(options.presentation, c.presentation) << c.args.size();
        EXPECT_EQ(options.applicationDirectory.toStdString(), c.directory);
    }
    const struct {
        std::vector<std::string> args;
        std::string error;
    } refused[] = {
        {{"--windw"}, "unknown option '--windw'"},
        {{"-x", app}, "unknown option '-x'"},
        {{"--window", "--fullscreen"}, "--window and --fullscreen exclude each other"},
        {{"--trace", "--trace"}, "--trace is given twice"},
        {{app, app}, "'" + app + "' is a second application argument after '" + app + "'"},
        {{"--auto", app}, "--auto and the application argument '" + app + "' exclude each other"},
        {{app, "--auto"}, "--auto and the application argument '" + app + "' exclude each other"},
        {{dir + "/absent"}, "'" + dir + "/absent' is neither an application directory nor an image"},
        {{app + "/other.mcb"}, "'" + app + "/other.mcb' is no application directory, and an image must be named index.mcb"},
        {{"--screenshot-dir", dir}, "--screenshot-dir does nothing without --window or --fullscreen, which give the screenshot key"},
        {{"--screenshot-after"}, "--screenshot-after needs a value"},
        {{"--screenshot-after", "250"}, "--screenshot-after needs a value"},
        {{"--screenshot-after", "-5", shot}, "--screenshot-after needs a whole number of milliseconds, not '-5'"},
        {{"--screenshot-after", "99999999999", shot}, "--screenshot-after needs a whole number of milliseconds, not '99999999999'"},
        {{"--screenshot-after", "10", "--trace"}, "--screenshot-after needs a value"},
        {{"--screenshot-after", "10", dir}, "cannot write the screenshot file '" + dir + "'"},
        {{"--screenshot-after", "10", "/nonexistent/shot.png"}, "cannot write the screenshot file '/nonexistent/shot.png'"},
        {{"--window", "--screenshot-dir", shot + ".absent"}, "'" + shot + ".absent' is no directory the player can write to"},
    };
    for (const auto& c : refused) {
        Lumbra::PlayerOptions options;
        QString error;
        EXPECT_FALSE(parse(c.args, options, error)) << c.error;
        EXPECT_EQ(error.toStdString(), c.error);
    }
}

TEST(ScreenshotFiles, NamedAfterTheDirectoryAndTheTimeNeverReplacingAFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(Lumbra::screenshotBaseName(QStringLiteral("/opt/my game!/")), QStringLiteral("my_game_"));
    EXPECT_EQ(Lumbra::screenshotBaseName(QStringLiteral("/")), QStringLiteral("mcbplayer"));
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
