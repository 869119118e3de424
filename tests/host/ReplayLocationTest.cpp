// A run that hears positions from a GPS daemon (gpsfake serving a track),
// recorded with each position's contents, then replayed offscreen with the
// daemon gone: the same log lines, every screen checksum equal, twice alike;
// a position edited to reach no running requestor ends the replay.
#include "FakeGpsDaemon.h"
#include "NeedsService.h"
#include "PlayerFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray sentence(const QByteArray& body)
{
    int sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

const QByteArray TRACK_LOG = sentence("GPGGA,120000.00,6000.0000,N,02400.0000,E,1,08,1.0,100.0,M,0.0,M,,") +
                             sentence("GPRMC,120000.00,A,6000.0000,N,02400.0000,E,19.4384449,0.0,071226,,,A") +
                             sentence("GPGGA,120001.00,6000.1000,N,02400.1000,E,1,08,1.0,120.5,M,0.0,M,,") +
                             sentence("GPRMC,120001.00,A,6000.1000,N,02400.1000,E,19.4384449,0.0,071226,,,A");

class ReplayLocation : public PlayerFixture {
protected:
    static int replay(const QString& record, QStringList& lines)
    {
        PlayerProcess player(QFileInfo(record).absolutePath(), {"--replay", record, "--replay-fast"},
                             QStringLiteral("offscreen"));
        const int status = player.exitStatus();
        lines = player.allLines();
        return status;
    }
    QTemporaryDir app;
};

TEST_F(ReplayLocation, PositionsReplayFromTheRecordWithoutTheDaemon)
{
    LUMBRA_NEEDS_SERVICE("gpsd", FakeDaemon::installed(), "gpsfake is not installed");
    QFile track(app.filePath("track.nmea"));
    ASSERT_TRUE(track.open(QIODevice::WriteOnly));
    track.write(TRACK_LOG);
    track.close();
    QDir().mkpath(app.filePath("location"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(HOST_APPS_DIR "/location/index.mcb"), app.filePath("location/index.mcb")));
    QDir().mkpath(app.filePath("runs"));
    const QString record = app.filePath("runs/location.mcbrec");

    QStringList recorded;
    {
        FakeDaemon daemon;
        ASSERT_TRUE(daemon.start(app.filePath("track.nmea")));
        qputenv("LUMBRA_GPSD", "127.0.0.1:" + QByteArray::number(daemon.port));
        PlayerProcess player(app.filePath("location"), {"--record", record}, QStringLiteral("offscreen"));
        ASSERT_EQ(player.exitStatus(), 0);
        recorded = player.allLines().filter(QRegularExpression("^LOG: "));
    }
    // main, two positions of seven lines, done.
    ASSERT_EQ(recorded.size(), 1 + 2 * 7 + 1) << recorded.join('\n').toStdString();
    EXPECT_EQ(recorded.filter("LOG: position").size(), 2);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList positions = lines.filter("\"kind\":\"device\"");
    ASSERT_EQ(positions.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(positions[0].toUtf8()).object();
    EXPECT_EQ(first.value("device").toString(), "location");
    EXPECT_EQ(first.value("event").toString(), "position");
    EXPECT_NEAR(double(first.value("latitude").toInteger()) / 4294967296.0, 60.0, 0.01);

    // The daemon is gone: the replay hears the recorded positions at their points.
    QStringList output, again;
    ASSERT_EQ(replay(record, output), 0) << output.join('\n').toStdString();
    EXPECT_EQ(output.filter(QRegularExpression("^LOG: ")), recorded);
    EXPECT_EQ(output.filter(QRegularExpression("draws as recorded; the application ended$")).size(), 1)
        << output.join('\n').toStdString();
    ASSERT_EQ(replay(record, again), 0);
    EXPECT_EQ(again, output);

    // A position for an observer that has no running requestor is not delivered: the replay ends there.
    QJsonObject stray = first;
    stray.insert("observer", stray.value("observer").toInteger() + 4);
    QStringList edited = lines;
    edited[edited.indexOf(positions[0])] = QString::fromUtf8(QJsonDocument(stray).toJson(QJsonDocument::Compact));
    QFile editedFile(app.filePath("runs/stray.mcbrec"));
    ASSERT_TRUE(editedFile.open(QIODevice::WriteOnly));
    editedFile.write((edited.join('\n') + '\n').toUtf8());
    editedFile.close();
    QStringList refused;
    EXPECT_EQ(replay(app.filePath("runs/stray.mcbrec"), refused), 1);
    const QString line = QStringLiteral("mcbplayer: replay: delivery %1 is a device event that no running device")
                             .arg(first.value("delivery").toInt());
    EXPECT_EQ(refused.filter(line).size(), 1) << refused.join('\n').toStdString();
    EXPECT_TRUE(refused.filter("LOG: position").isEmpty());
    qunsetenv("LUMBRA_GPSD");
}

} // namespace
