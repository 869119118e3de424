// The position service on its own: the daemon's report lines, the daemon
// address from its text, and a daemon stand-in that sends nonsense, an
// overlong line and then a good report.
#include "ExtensionTestSupport.h"
#include "GpsDaemonControl.h"
#include "GpsDevice.h"
#include "GpsdAddress.h"
#include "GpsdReport.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace LocationService;

namespace {

TEST(GpsdReports, OnlyWellFormedValuesCount)
{
    struct Case {
        const char* line;
        bool isFix;
        std::uint32_t fields;
        double latitude, altitude, speed;
    };
    const std::uint32_t LL = FIX_LATLONG_SET, ALT = FIX_ALTITUDE_SET, SPD = FIX_SPEED_SET, T = FIX_TIME_SET;
    const Case cases[] = {
        {R"({"class":"TPV","mode":3,"lat":60.5,"lon":24.25,"altMSL":12.5,"altHAE":30,"speed":10.0,"time":"2026-12-07T12:00:01.000Z"})",
         true, LL | ALT | SPD | T, 60.5, 12.5, 36.0},
        {R"({"class":"TPV","mode":3,"lat":60.5,"lon":24.25,"alt":7})", true, LL | ALT, 60.5, 7, 0},
        {R"({"class":"TPV","mode":1,"lat":61,"lon":24})", true, 0, 0, 0, 0},       // no fix: no position
        {R"({"class":"TPV","mode":2,"lat":61})", true, 0, 0, 0, 0},                 // latitude alone
        {R"({"class":"TPV","mode":2,"lat":91,"lon":24})", true, 0, 0, 0, 0},        // off the globe
        {R"({"class":"TPV","mode":2,"lat":"60","lon":24,"speed":"fast"})", true, 0, 0, 0, 0},
        {R"({"class":"TPV","mode":3,"lat":1e999,"lon":24})", false, 0, 0, 0, 0}, // the parser refuses it
        {R"({"class":"TPV","mode":3,"time":"yesterday","track":-1e308})", true, 0, 0, 0, 0}, // no time
        {R"({"class":"SKY","mode":3,"lat":60,"lon":24})", false, 0, 0, 0, 0},
        {R"({"class":"TPV","mode":3,"lat":60,"lon":)", false, 0, 0, 0, 0},
        {R"([1,2,3])", false, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::optional<GpsFix> fix = fixFromReport(c.line);
        ASSERT_EQ(fix.has_value(), c.isFix) << c.line;
        if (!fix)
            continue;
        EXPECT_EQ(fix->fields & (LL | ALT | SPD | T), c.fields) << c.line;
        EXPECT_EQ(std::make_tuple(fix->latitude, fix->altitude, fix->speed),
                  std::make_tuple(c.latitude, c.altitude, c.speed))
            << c.line;
    }
}

TEST(GpsdReports, AddressesFromText)
{
    const std::tuple<const char*, bool, const char*, int> cases[] = {
        {"gps.example:3000", true, "gps.example", 3000}, {"10.0.0.7", true, "10.0.0.7", 2947},
        {"[::1]:2950", true, "::1", 2950},              {"[::1]", true, "::1", 2947},
        {"host:0", false, "localhost", 2947},           {"host:70000", false, "localhost", 2947},
        {":2947", false, "localhost", 2947},            {"[::1:2947", false, "localhost", 2947},
        {"host:port", false, "localhost", 2947},
    };
    for (const auto& [text, ok, host, port] : cases) {
        GpsdAddress address;
        EXPECT_EQ(GpsdAddress::parse(QString::fromLatin1(text), address), ok) << text;
        EXPECT_EQ(address.host, QLatin1String(host)) << text;
        EXPECT_EQ(address.port, port) << text;
    }
}

// A malformed LUMBRA_GPSD names no daemon: one warning line naming it, and
// no fallback to the default daemon, so no positions are reported.
TEST(GpsdReports, AMalformedEnvironmentAddressWarnsOnceAndNamesNoDaemon)
{
    ExtensionTest::ensureApplication();
    for (const char* text : {"[::1", "localhost:99999"}) {
        qputenv("LUMBRA_GPSD", text);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(GpsdAddress::fromEnvironment().has_value()) << text;
        EXPECT_FALSE(GpsdAddress::fromEnvironment().has_value()) << text;
        auto control = GpsDaemonControl::defaultControl();
        control->start();
        control->stop();
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  std::string("LUMBRA_GPSD: '") + text +
                      "' is no host, host:port or [IPv6 host]:port; positions are not reported\n");
    }
    qunsetenv("LUMBRA_GPSD");
    const std::optional<GpsdAddress> fallback = GpsdAddress::fromEnvironment();
    ASSERT_TRUE(fallback.has_value());
    EXPECT_EQ(fallback->host, QStringLiteral("localhost"));
    EXPECT_EQ(fallback->port, GpsdAddress::DEFAULT_PORT);
}

// Nonsense and a line longer than any report are dropped; the good report after them arrives.
TEST(GpsdReports, DaemonNonsenseIsDroppedAndLaterReportsArrive)
{
    ExtensionTest::ensureApplication();
    QTcpServer daemon;
    ASSERT_TRUE(daemon.listen(QHostAddress::LocalHost, 0));
    QByteArray request;
    QObject::connect(&daemon, &QTcpServer::newConnection, [&] {
        QTcpSocket* client = daemon.nextPendingConnection();
        QObject::connect(client, &QTcpSocket::readyRead, [&, client] {
            request += client->readAll();
            client->write("garbage\n{\"class\":\"TPV\",\"mode\":3,\n");
            client->write(QByteArray(200 * 1024, 'x'));
            client->write("\n{\"class\":\"TPV\",\"mode\":2,\"lat\":1.5,\"lon\":2.5}\n");
        });
    });
    qputenv("LUMBRA_GPSD", "127.0.0.1:" + QByteArray::number(daemon.serverPort()));
    auto control = GpsDaemonControl::defaultControl();
    GpsDevice device;
    int changes = 0;
    device.changed.connect([&] { ++changes; });
    QStringList errors;
    control->errorVerbose.connect([&](const QString& text) { errors << text; });
    control->start();
    EXPECT_TRUE(ExtensionTest::awaitEvent("a change of the device", [&] { return changes > 0; }, 10000));
    control->stop();
    EXPECT_EQ(request, QByteArray(watchRequest()));
    EXPECT_EQ(changes, 1);
    ASSERT_NE(device.fix(), nullptr);
    EXPECT_EQ(std::make_pair(device.fix()->latitude, device.fix()->longitude), std::make_pair(1.5, 2.5));
    EXPECT_TRUE(errors.contains("report line too long"));
}

} // namespace
