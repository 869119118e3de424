// Recording a run and replaying it: the sample game recorded on the virtual
// X server with keys and a pointer press, then replayed offscreen with every
// screen checksum equal; edited records that fail at the draw they must; a
// program's outside reads (clocks, random numbers, a listing) replayed to
// the same log lines, twice alike, up to the application's own exit; a changed file refused before the run;
// the accelerometer and camera cover readings replayed from the record with the device files changed or gone.
#include "NeedsService.h"
#include "PlayerFixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QStringList GAME_FILES{"index.mcb", "font.png", "title.png", "start.raw", "eat.raw", "over.raw"};
const QRegularExpression REPLAYED("^mcbplayer: replay: \\d+ deliveries and \\d+ draws as recorded");

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void writeLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((lines.join('\n') + '\n').toUtf8());
}

QJsonObject object(const QString& line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

// The number of the first draw delivered after the line at `index`.
int drawAfter(const QStringList& lines, int index)
{
    for (int i = index + 1; i < lines.size(); ++i)
        if (object(lines[i]).value("kind") == QLatin1String("draw"))
            return object(lines[i]).value("draw").toInt();
    return -1;
}

class Replay : public PlayerFixture {
protected:
    // The player offscreen replaying `record`: its lines until it ends, and its status.
    static int replay(const QString& record, QStringList& lines, bool fast = true)
    {
        QStringList args{"--replay", record};
        if (fast)
            args << "--replay-fast";
        PlayerProcess player(QFileInfo(record).absolutePath(), args, QStringLiteral("offscreen"));
        const int status = player.exitStatus();
        lines = player.allLines();
        return status;
    }

    // The sample game recorded on the X server: a new game by key, a turn
    // and a turn by a pointer press, played until it is over; the player then quits.
    void recordGame(const QString& record)
    {
        QDir().mkpath(app.filePath("game"));
        for (const QString& file : GAME_FILES)
            ASSERT_TRUE(QFile::copy(QStringLiteral(SNAKE_DIR "/") + file, app.filePath("game/" + file)));
        QFile seed(app.filePath("game/seed.txt"));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write("73\n");
        seed.close();
        auto player = std::make_unique<PlayerProcess>(app.filePath("game"), QStringList{"--window", "--record", record});
        ASSERT_TRUE(player->expectLine("LOG: snake: ready, best 0"));
        window = player->window();
        xdotool({"windowsize", "--sync", QString::number(window), "800", "480"});
        focus();
        xdotool({"key", "Return"});
        ASSERT_TRUE(player->expectLine("LOG: snake: new game"));
        xdotool({"key", "Right"});
        ASSERT_TRUE(player->expectLine("LOG: snake: ate, score 1"));
        // A press below the head turns the snake down, towards the wall.
        xdotool({"mousemove", "--window", QString::number(window), "210", "400", "click", "1"});
        ASSERT_TRUE(player->expectLine("LOG: snake: game over, score 1"));
        xdotool({"key", "ctrl+q"});
        ASSERT_EQ(player->exitStatus(), 0);
    }

    QTemporaryDir app;
};

TEST_F(Replay, GameRecordedOnTheDisplayReplaysOffscreenWithEveryChecksumEqual)
{
    const QString record = app.filePath("runs/game.mcbrec");
    QDir().mkpath(app.filePath("runs"));
    ASSERT_NO_FATAL_FAILURE(recordGame(record));
    const QStringList lines = readLines(record);
    // Return, Right, and the Ctrl of Ctrl+Q.
    EXPECT_EQ(lines.filter("\"kind\":\"keyPressed\"").size(), 3);
    EXPECT_EQ(lines.filter("\"kind\":\"pointer\"").size(), 2);
    EXPECT_GT(lines.filter("\"kind\":\"timer\"").size(), 5);
    EXPECT_TRUE(lines.last().contains("\"end\":\"closed\""));
    // The folder holds the directory as it was: the best score came later.
    EXPECT_FALSE(QFile::exists(app.filePath("runs/app/best.txt")));
    EXPECT_TRUE(QFile::exists(app.filePath("game/best.txt")));

    QStringList output;
    ASSERT_EQ(replay(record, output), 0) << output.join('\n').toStdString();
    EXPECT_EQ(output.filter(REPLAYED).size(), 1) << output.join('\n').toStdString();
    EXPECT_EQ(output.filter("LOG: snake: game over, score 1").size(), 1);
    // At the recorded pace too, and the record's folder is left as it was.
    ASSERT_EQ(replay(record, output, false), 0) << output.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(app.filePath("runs/app/best.txt")));

    // One timer tick of the game dropped: the next draw shows the snake a cell behind.
    QStringList edited = lines;
    const int newGame = int(lines.indexOf(lines.filter("\"kind\":\"keyPressed\"").first()));
    int tick = newGame;
    while (object(edited[++tick]).value("kind") != QLatin1String("timer")) {
    }
    const int tickDraw = drawAfter(edited, tick);
    edited.removeAt(tick);
    writeLines(app.filePath("runs/tick.mcbrec"), edited);
    ASSERT_EQ(replay(app.filePath("runs/tick.mcbrec"), output), 1);
    const QString tickFailure = QStringLiteral("mcbplayer: replay: draw %1 differs from the record after delivery ").arg(tickDraw);
    EXPECT_EQ(output.filter(tickFailure).size(), 1) << tickFailure.toStdString() << "\n" << output.join('\n').toStdString();
    const QImage tickPicture(app.filePath("runs/tick-draw-%1.png").arg(tickDraw));
    EXPECT_EQ(tickPicture.size(), QSize(800, 480));

    // The key that starts the game changed into one the game ignores: the draw after it still shows the title.
    edited = lines;
    QJsonObject key = object(edited[newGame]);
    key.insert("code", 'x');
    key.insert("text", "x");
    edited[newGame] = QString::fromUtf8(QJsonDocument(key).toJson(QJsonDocument::Compact));
    writeLines(app.filePath("runs/key.mcbrec"), edited);
    ASSERT_EQ(replay(app.filePath("runs/key.mcbrec"), output), 1);
    const int keyDraw = drawAfter(edited, newGame);
    const QString keyFailure = QStringLiteral("mcbplayer: replay: draw %1 differs from the record after delivery %2 ")
                                   .arg(keyDraw)
                                   .arg(key.value("delivery").toInt());
    EXPECT_EQ(output.filter(keyFailure).size(), 1) << keyFailure.toStdString() << "\n" << output.join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(app.filePath("runs/key-draw-%1.png").arg(keyDraw)));
}

TEST_F(Replay, OutsideReadsReplayToTheSameLogLinesEveryTime)
{
    // Recorded offscreen: no input, only the clocks, the generator and the directory.
    QDir().mkpath(app.filePath("reads/data"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(HOST_APPS_DIR "/reads/index.mcb"), app.filePath("reads/index.mcb")));
    for (const char* name : {"reads/data/a.txt", "reads/data/b.txt"}) {
        QFile file(app.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(app.filePath("runs"));
    const QString record = app.filePath("runs/reads.mcbrec");
    QStringList recorded;
    {
        PlayerProcess player(app.filePath("reads"), {"--record", record}, QStringLiteral("offscreen"));
        ASSERT_EQ(player.exitStatus(), 0);
        recorded = player.allLines().filter(QRegularExpression("^LOG: "));
    }
    ASSERT_EQ(recorded.filter(QRegularExpression("^LOG: reads \\d+ -?\\d+ \\d+ \\S+ \\S+ 2 -1$")).size(), 8)
        << recorded.join('\n').toStdString();
    EXPECT_EQ(recorded.last(), QStringLiteral("LOG: done"));
    EXPECT_TRUE(readLines(record).last().contains("\"end\":\"exit\""));

    QStringList first, second;
    ASSERT_EQ(replay(record, first), 0) << first.join('\n').toStdString();
    ASSERT_EQ(replay(record, second), 0);
    EXPECT_EQ(first.filter(QRegularExpression("^LOG: ")), recorded);
    EXPECT_EQ(first.filter(QRegularExpression("draws as recorded; the application ended$")).size(), 1)
        << first.join('\n').toStdString();
    EXPECT_EQ(first, second);

    // A file of the folder's copy changed after recording: named before the run, which never starts.
    QFile changed(app.filePath("runs/app/data/a.txt"));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write("changed");
    changed.close();
    QStringList refused;
    EXPECT_EQ(replay(record, refused), 1);
    EXPECT_EQ(refused.filter(QRegularExpression("^mcbplayer: replay: app/'data/a.txt' differs from the recorded one")).size(), 1)
        << refused.join('\n').toStdString();
    EXPECT_TRUE(refused.filter("LOG: main").isEmpty());
}

// A device file below `root` at the device path `path`, holding `text`.
void writeDevice(const QString& root, const QString& path, const QByteArray& text)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(root + path).absolutePath()));
    QFile file(root + path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

TEST_F(Replay, DeviceReadingsReplayFromTheRecordWithTheDeviceFilesChangedOrGone)
{
    const QString accelerometer = QStringLiteral("/sys/class/i2c-adapter/i2c-3/3-001d/coord");
    const QString cover = QStringLiteral("/sys/devices/platform/gpio-switch/cam_shutter/state");
    QTemporaryDir devices;
    ASSERT_NO_FATAL_FAILURE(writeDevice(devices.path(), accelerometer, "-500 1000 2250\n"));
    ASSERT_NO_FATAL_FAILURE(writeDevice(devices.path(), cover, "open\n"));
    qputenv("LUMBRA_DEVICE_ROOT", devices.path().toLocal8Bit());
    QDir().mkpath(app.filePath("sensors"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(HOST_APPS_DIR "/sensors/index.mcb"), app.filePath("sensors/index.mcb")));
    QDir().mkpath(app.filePath("runs"));
    const QString record = app.filePath("runs/sensors.mcbrec");
    QStringList recorded;
    {
        PlayerProcess player(app.filePath("sensors"), {"--record", record}, QStringLiteral("offscreen"));
        ASSERT_EQ(player.exitStatus(), 0);
        recorded = player.allLines().filter(QRegularExpression("^LOG: "));
    }
    // Each tick: y, x and z as the Fixed words of -0.5, 1 and 2.25 g, then the open cover.
    const QStringList tick{"LOG: 1", "LOG: 0", "LOG: -1", "LOG: -2147483648", "LOG: 2", "LOG: 1073741824", "LOG: 1"};
    ASSERT_EQ(recorded.size(), 2 + 4 * tick.size()) << recorded.join('\n').toStdString();
    EXPECT_EQ(recorded.mid(1, tick.size()), tick) << recorded.join('\n').toStdString();
    const QStringList lines = readLines(record);
    EXPECT_EQ(lines.filter("\"read\":\"deviceFile\"").size(), 4 * 4);

    // The readings changed, then gone: the replay still reads what was recorded.
    QStringList output;
    ASSERT_NO_FATAL_FAILURE(writeDevice(devices.path(), accelerometer, "7 7 7\n"));
    ASSERT_NO_FATAL_FAILURE(writeDevice(devices.path(), cover, "closed\n"));
    ASSERT_EQ(replay(record, output), 0) << output.join('\n').toStdString();
    EXPECT_EQ(output.filter(QRegularExpression("^LOG: ")), recorded);
    ASSERT_TRUE(QDir(devices.path() + "/sys").removeRecursively());
    QStringList again;
    ASSERT_EQ(replay(record, again), 0) << again.join('\n').toStdString();
    EXPECT_EQ(again, output);
    qunsetenv("LUMBRA_DEVICE_ROOT");
}

} // namespace
