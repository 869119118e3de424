// Positions from a real GPS daemon, fed by gpsfake with a track this test
// writes, reach an image's location observer in the headless runner. The
// runner ends by itself once the observer stops its requestor or drops it
// (the collector then stops it); without a daemon the requestor runs and
// never reports, and a daemon that comes back is heard again.
#include "Assembler.h"
#include "ExtensionTestSupport.h"
#include "FakeGpsDaemon.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <cstdio>
#include <map>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace ExtensionTest;

namespace {

// EVENTS and ENDING are filled in: after EVENTS events the observer runs ENDING.
constexpr const char* OBSERVER_IMAGE = R"(
.method "main" code=main frame=Main
.virtual "<*locationobserver>.handle location event<*location>"
.impl type=App code=onLocation frame=Main
.type App refs=[1]
.frame Main
.string eventText "event"
main:                       ; [ret]
    new 1, 4
    dup
    settype App
    dup
    native 32, 5            ; [ret, app]
    pick -1
    fieldaddr 1
    push 0
    box
    store                   ; the requestor wrapper in field 1
    pick -1
    fieldaddr 1
    load
    pick -2                 ; [ret, app, wrapper, observer]
    push 7
    push 1
    ext 27, 1               ; a requestor reporting every second
    ret 1, 2
onLocation:                 ; [app, location, ret]; logs longitude, latitude, altitude, speed (high word first)
    pushstr eventText
    native 30, 1
    pick -2
    ext 27, 13
    itos
    native 30, 1
    itos
    native 30, 1
    pick -2
    ext 27, 12
    itos
    native 30, 1
    itos
    native 30, 1
    pick -2
    ext 27, 11
    itos
    native 30, 1
    itos
    native 30, 1
    pick -2
    pick -3
    ext 27, 16
    itos
    native 30, 1
    itos
    native 30, 1
    pick -3
    fieldaddr 2
    inc.at
    pick -3
    fieldaddr 2
    load
    push EVENTS
    eq
    jz more
ENDING
more:
    ret 0, 3
)";

constexpr const char* STOP_REQUESTOR = "    pick -3\n    fieldaddr 1\n    load\n    ext 27, 3";
constexpr const char* DROP_REQUESTOR = "    pick -3\n    fieldaddr 1\n    push 0\n    store";

QByteArray sentence(const QByteArray& body)
{
    int sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

struct Point {
    double latitude, longitude, altitude;
};
// Two fixes 36 km/h fast (19.4384449 knots), then a sentence pair without a fix at latitude 61.
const Point TRACK[] = {{60.0, 24.0, 100.0}, {60.0 + 0.1 / 60, 24.0 + 0.1 / 60, 120.5}};
const QByteArray TRACK_LOG =
    sentence("GPGGA,120000.00,6000.0000,N,02400.0000,E,1,08,1.0,100.0,M,0.0,M,,") +
    sentence("GPRMC,120000.00,A,6000.0000,N,02400.0000,E,19.4384449,0.0,071226,,,A") +
    sentence("GPGGA,120001.00,6000.1000,N,02400.1000,E,1,08,1.0,120.5,M,0.0,M,,") +
    sentence("GPRMC,120001.00,A,6000.1000,N,02400.1000,E,19.4384449,0.0,071226,,,A") +
    sentence("GPGGA,120002.00,6100.0000,N,02400.0000,E,0,00,99.0,50.0,M,0.0,M,,") +
    sentence("GPRMC,120002.00,V,6100.0000,N,02400.0000,E,19.4384449,0.0,071226,,,N");

struct Event {
    double longitude, latitude, altitude, speed;
};

class LocationFromDaemon : public ::testing::Test {
protected:
    void SetUp() override
    {
        LUMBRA_NEEDS_SERVICE("gpsd", FakeDaemon::installed(), "gpsfake is not installed");
        ensureApplication();
        QFile track(dir.filePath("track.nmea"));
        ASSERT_TRUE(track.open(QIODevice::WriteOnly));
        track.write(TRACK_LOG);
    }

    // Writes the image; `events` events end with `ending`.
    void image(int events, const char* ending)
    {
        QByteArray source(OBSERVER_IMAGE);
        source.replace("EVENTS", QByteArray::number(events)).replace("ENDING", ending);
        const LumbraAsm::AssemblyResult assembled = LumbraAsm::assemble(source.toStdString(), "observer.s");
        ASSERT_TRUE(assembled.ok) << assembled.error;
        QFile file(dir.filePath("index.mcb"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(assembled.image.data()), qsizetype(assembled.image.size()));
    }

    // Runs the image against the daemon on `port`; `onEvent` runs after each event.
    int run(quint16 port, const QStringList& options = {}, const std::function<void(int)>& onEvent = {})
    {
        QProcess runner;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LUMBRA_GPSD", "127.0.0.1:" + QString::number(port));
        runner.setProcessEnvironment(environment);
        QObject::connect(&runner, &QProcess::readyReadStandardError, [&] {
            const int before = int(events().size());
            err += QString::fromLocal8Bit(runner.readAllStandardError());
            if (onEvent && int(events().size()) > before)
                onEvent(int(events().size()));
        });
        runner.start(LUMBRA_MCBRUN, options + QStringList{dir.filePath("index.mcb")});
        EXPECT_TRUE(awaitEvent("mcbrun to end", [&] { return runner.state() == QProcess::NotRunning; }, 60000))
            << err.toStdString();
        runner.kill();
        runner.waitForFinished(5000);
        err += QString::fromLocal8Bit(runner.readAllStandardError());
        return runner.exitStatus() == QProcess::NormalExit ? runner.exitCode() : -1;
    }

    // The complete events logged so far.
    std::vector<Event> events() const
    {
        const QStringList lines = err.split('\n');
        std::vector<Event> found;
        for (qsizetype i = 0; i + 8 < lines.size(); ++i) {
            if (lines[i] != "LOG: event")
                continue;
            double values[4];
            for (int v = 0; v < 4; ++v) {
                const qint64 high = lines[i + 1 + 2 * v].mid(5).toLongLong();
                const qint64 low = lines[i + 2 + 2 * v].mid(5).toLongLong();
                values[v] = double(qint64(quint64(high) << 32 | quint32(low))) / 4294967296.0;
            }
            found.push_back({values[0], values[1], values[2], values[3]});
        }
        return found;
    }

    // Every event is a point of the track; every point is heard with its
    // altitude, and the speed of the track (36 km/h, 10 m/s from the daemon)
    // arrives as 10.00008 m/s. The daemon also reports cycles it has only
    // part of: without speed (0), or with a speed it worked out itself.
    void expectTrack(const std::vector<Event>& heard)
    {
        std::map<int, bool> withAltitude;
        int atTrackSpeed = 0;
        for (const Event& e : heard) {
            int point = -1;
            for (int p = 0; p < 2; ++p)
                if (std::abs(e.latitude - TRACK[p].latitude) < 1e-6 && std::abs(e.longitude - TRACK[p].longitude) < 1e-6)
                    point = p;
            ASSERT_GE(point, 0) << "not on the track: " << e.latitude << ", " << e.longitude;
            const bool altitude = std::abs(e.altitude - TRACK[point].altitude) < 1e-6;
            EXPECT_TRUE(altitude || e.altitude == 0.0) << e.altitude;
            withAltitude[point] = withAltitude[point] || altitude;
            atTrackSpeed += std::abs(e.speed - 10.00008) < 1e-6;
        }
        EXPECT_TRUE(withAltitude[0] && withAltitude[1]);
        EXPECT_GT(atTrackSpeed, 0);
    }

    QTemporaryDir dir;
    QString err;
};

TEST_F(LocationFromDaemon, TrackReachesTheObserverUntilItStopsItsRequestor)
{
    FakeDaemon daemon;
    ASSERT_TRUE(daemon.start(dir.filePath("track.nmea")));
    image(8, STOP_REQUESTOR);
    EXPECT_EQ(run(daemon.port), 0) << err.toStdString();
    const std::vector<Event> heard = events();
    EXPECT_EQ(heard.size(), 8u) << err.toStdString();
    expectTrack(heard);
}

TEST_F(LocationFromDaemon, RequestorDroppedByTheObserverIsStoppedByTheCollector)
{
    FakeDaemon daemon;
    ASSERT_TRUE(daemon.start(dir.filePath("track.nmea")));
    image(2, DROP_REQUESTOR);
    EXPECT_EQ(run(daemon.port), 0) << err.toStdString();
    EXPECT_EQ(events().size(), 2u) << err.toStdString();
}

TEST_F(LocationFromDaemon, WithoutADaemonTheRequestorRunsAndNeverReports)
{
    image(1, STOP_REQUESTOR);
    EXPECT_EQ(run(freePort(), {"--time-limit", "2500"}), 124) << err.toStdString();
    EXPECT_TRUE(events().empty());
}

TEST_F(LocationFromDaemon, ReportsResumeWhenTheDaemonComesBack)
{
    FakeDaemon first;
    ASSERT_TRUE(first.start(dir.filePath("track.nmea")));
    FakeDaemon second(first.port);
    image(6, STOP_REQUESTOR);
    bool restarted = false;
    const int status = run(first.port, {}, [&](int count) {
        if (count < 2 || restarted)
            return;
        restarted = true;
        first.stop();
        runEventsFor(1500); // the runner notices and tries again
        EXPECT_TRUE(second.start(dir.filePath("track.nmea")));
    });
    EXPECT_TRUE(restarted) << err.toStdString();
    EXPECT_EQ(status, 0) << err.toStdString();
    const std::vector<Event> heard = events();
    EXPECT_EQ(heard.size(), 6u);
    expectTrack(heard);
}

} // namespace
