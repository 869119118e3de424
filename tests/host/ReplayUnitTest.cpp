// The record's pieces without a player: the replay and profile options and their
// refusals, the checksums of a directory (links left out) and the lines
// naming how two directories differ.
#include "PlayerOptions.h"
#include "RunRecordFormat.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Format = Lumbra::RunRecordFormat;

namespace {

bool parse(std::vector<std::string> args, Lumbra::PlayerOptions& options, QString& error)
{
    std::vector<char*> argv{const_cast<char*>("mcbplayer")};
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return Lumbra::parsePlayerOptions(int(argv.size()), argv.data(), options, error);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ReplayOptions, TakenAndRefused)
{
    QTemporaryDir dir;
    const std::string record = dir.filePath("run.mcbrec").toStdString();
    writeFile(QString::fromStdString(record), "{}\n");
    Lumbra::PlayerOptions options;
    QString error;
    ASSERT_TRUE(parse({"--replay", record, "--replay-fast"}, options, error)) << error.toStdString();
    EXPECT_TRUE(options.replayFast);
    EXPECT_EQ(options.replayFile.toStdString(), record);
    Lumbra::PlayerOptions recording;
    ASSERT_TRUE(parse({"--record", "out.mcbrec"}, recording, error)) << error.toStdString();
    EXPECT_EQ(recording.recordFile, QStringLiteral("out.mcbrec"));
    const struct {
        std::vector<std::string> args;
        std::string error;
    } refused[] = {
        {{"--replay-fast"}, "--replay-fast needs --replay FILE"},
        {{"--replay", "/nonexistent.mcbrec"}, "'/nonexistent.mcbrec' is no record to replay"},
        {{"--replay", record, "--record", "x"}, "--replay and --record exclude each other"},
        {{"--window", "--replay", record, "--speed", "2"}, "--replay and --speed exclude each other"},
        {{"--replay", record, "--screenshot-after", "5", record}, "--replay and --screenshot-after exclude each other"},
        {{"--replay", record, dir.path().toStdString()},
         "--replay takes the application from the record's folder, not '" + dir.path().toStdString() + "'"},
        {{"--record"}, "--record needs a value"},
    };
    for (const auto& c : refused) {
        Lumbra::PlayerOptions refusedOptions;
        EXPECT_FALSE(parse(c.args, refusedOptions, error)) << c.error;
        EXPECT_EQ(error.toStdString(), c.error);
    }
}

TEST(ProfileOptions, TakenAndRefused)
{
    QTemporaryDir dir;
    const std::string record = dir.filePath("run.mcbrec").toStdString();
    writeFile(QString::fromStdString(record), "{}\n");
    Lumbra::PlayerOptions options;
    QString error;
    ASSERT_TRUE(parse({"--replay", record, "--profile-ops=ops.txt", "--profile-top", "0"}, options, error))
        << error.toStdString();
    EXPECT_TRUE(options.profileOps);
    EXPECT_EQ(options.profileFile, QStringLiteral("ops.txt"));
    EXPECT_EQ(options.profileTop, 0);
    Lumbra::PlayerOptions toStandardError;
    ASSERT_TRUE(parse({"--profile-ops"}, toStandardError, error)) << error.toStdString();
    EXPECT_TRUE(toStandardError.profileOps);
    EXPECT_TRUE(toStandardError.profileFile.isEmpty());
    EXPECT_EQ(toStandardError.profileTop, 20);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } refused[] = {
        {{"--profile-top", "5"}, "--profile-top needs --profile-ops"},
        {{"--profile-ops="}, "--profile-ops= needs a file name"},
        {{"--profile-ops", "--profile-ops=x.txt"}, "--profile-ops is given twice"},
        {{"--profile-ops", "--profile-top", "-1"}, "--profile-top needs a whole number, not '-1'"},
        {{"--profile-ops", "--profile-top"}, "--profile-top needs a value"},
        {{"--profile-ops", "--profile-top", "many"}, "--profile-top needs a whole number, not 'many'"},
    };
    for (const auto& c : refused) {
        Lumbra::PlayerOptions refusedOptions;
        EXPECT_FALSE(parse(c.args, refusedOptions, error)) << c.error;
        EXPECT_EQ(error.toStdString(), c.error);
    }
}

TEST(RunRecordFormat, DirectoryChecksumsCopiesAndDifferences)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("app/sub"));
    writeFile(dir.filePath("app/index.mcb"), "image");
    writeFile(dir.filePath("app/sub/data.txt"), "data");
    writeFile(dir.filePath("outside.txt"), "secret");
    // A link leading outside is neither checked nor copied.
    ASSERT_TRUE(QFile::link(dir.filePath("outside.txt"), dir.filePath("app/link.txt")));
    QJsonObject files;
    ASSERT_TRUE(Format::directoryChecksums(dir.filePath("app"), files));
    EXPECT_EQ(files.keys(), (QStringList{"index.mcb", "sub/data.txt"}));
    EXPECT_EQ(files.value("index.mcb").toString().size(), 64);

    QString error;
    ASSERT_TRUE(Format::copyDirectory(dir.filePath("app"), dir.filePath("copy"), error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy/link.txt")));
    QJsonObject copied;
    ASSERT_TRUE(Format::directoryChecksums(dir.filePath("copy"), copied));
    EXPECT_TRUE(Format::differences(files, copied).isEmpty());

    writeFile(dir.filePath("copy/index.mcb"), "other image");
    QFile::remove(dir.filePath("copy/sub/data.txt"));
    writeFile(dir.filePath("copy/new.txt"), "new");
    QJsonObject changed;
    ASSERT_TRUE(Format::directoryChecksums(dir.filePath("copy"), changed));
    const QStringList lines = Format::differences(files, changed);
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("'index.mcb' differs from the recorded one (checksum "));
    EXPECT_EQ(lines[1], QStringLiteral("'sub/data.txt' is missing"));
    EXPECT_EQ(lines[2], QStringLiteral("'new.txt' was not there when recording began"));
}

TEST(RunRecordFormat, ScreenChecksumFollowsEveryPixelAndNoPadding)
{
    QImage screen(800, 480, QImage::Format_RGB32);
    screen.fill(Qt::black);
    const QString black = Format::screenChecksum(screen);
    EXPECT_EQ(black, Format::screenChecksum(screen.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    screen.setPixel(799, 479, qRgb(0, 0, 1));
    EXPECT_NE(Format::screenChecksum(screen), black);
}
