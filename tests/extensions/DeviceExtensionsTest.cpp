// The accelerometer, torch and shell extensions on files of the test's own
// (the device root), the torch's control requests through the replaceable
// request, the location operations
// without a reachable GPS daemon, and every unknown operation.
#include "Accelerometer.h"
#include "CLocation.h"
#include "CLocationPositionRequestorGCObject.h"
#include "CLocationWrapper.h"
#include "DevicePath.h"
#include "ExtensionTestSupport.h"
#include "GpsDaemonControl.h"
#include "MachineTestSupport.h"
#include "TorchExtension.h"
#include "values/DateTime.h"

#include <QJsonObject>
#include <tuple>

#include <linux/videodev2.h>

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

using namespace ExtensionTest;

namespace {

double fixedValue(const TWord* slots)
{
    return double(TInt64(TUint64(TUint32(slots[0])) | (TUint64(TUint32(slots[1])) << 32))) / 4294967296.0;
}

std::vector<TWord> fixedSlots(double value)
{
    const TInt64 raw = TInt64(value * 4294967296.0);
    return {TWord(TUint32(TUint64(raw))), TWord(TUint32(TUint64(raw) >> 32))};
}

class DeviceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        setenv(DEVICE_ROOT_VARIABLE, root.path().toLocal8Bit().constData(), 1);
        setenv("LUMBRA_GPSD", "127.0.0.1:1", 1); // nothing listens there
    }
    void TearDown() override
    {
        unsetenv(DEVICE_ROOT_VARIABLE);
        TorchExtension::setControlRequest({});
    }
    // Writes `text` to the device file `path`, or removes it for null.
    void device(const char* path, const char* text)
    {
        const QString file = root.path() + QString::fromLatin1(path);
        QDir().mkpath(QFileInfo(file).path());
        QFile::remove(file);
        if (!text)
            return;
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    std::string rooted(const char* path) const { return root.path().toStdString() + path; }
    // Makes the device file `path` a link to `target` (a character device).
    void deviceLink(const char* path, const char* target)
    {
        device(path, nullptr);
        ASSERT_EQ(::symlink(target, rooted(path).c_str()), 0);
    }

    QTemporaryDir root;
    MachineWithExtensions m;
};

// A machine whose image has the accelerometer observer method, or not.
struct AccelerometerMachine : MachineTest::Machine {
    ExtensionRegistry registry;
    explicit AccelerometerMachine(bool withObserver)
    {
        const std::string observer = withObserver ? ".virtual \"<*accelerometerobserver>.handle accelerometer "
                                                    "event<fixed><fixed><fixed>\"\n.impl type=0 code=main\n"
                                                  : "";
        EXPECT_FALSE(run(".type Observer\n" + observer + "main:\n stop").stopped);
    }
    TWord* stack() { return access().stack(); }
    // The three axes for operations 11, 12 and 13.
    std::vector<double> axes()
    {
        std::vector<double> values;
        for (unsigned op : {11u, 12u, 13u}) {
            const CallResult r = callExtension(registry, *vm, 20, op, {77});
            EXPECT_EQ(r.top, 11) << r.fatalDetail;
            values.push_back(fixedValue(stack() + 10));
        }
        return values;
    }
};

TEST_F(DeviceFiles, AccelerometerReadsThousandthsAndAnswersZeroWithoutAReading)
{
    const std::vector<double> zero{0, 0, 0};
    const std::tuple<const char*, bool, std::vector<double>> cases[] = {
        {"18 -36 -1008\n", true, {-0.036, 0.018, -1.008}},
        {"0x10 010 -0\n", true, {0.008, 0.016, 0}}, // the integers of "%i"
        {"18 -36\n", true, zero},                     // fewer than three numbers
        {"18 x -1008\n", true, zero},
        {nullptr, true, zero},                        // no file
        {"18 -36 -1008\n", false, zero},              // no observer method
    };
    for (const auto& [text, withObserver, expected] : cases) {
        device(Accelerometer::COORDINATE_FILE, text);
        AccelerometerMachine machine(withObserver);
        const std::vector<double> got = machine.axes();
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], expected[i], 1e-7) << (text ? text : "no file") << " axis " << i;
    }
}

TEST_F(DeviceFiles, TorchRequestsGoThroughTheReplaceableRequest)
{
    deviceLink(TorchExtension::VIDEO_DEVICE, "/dev/null");
    int lit = 0;
    std::vector<unsigned long> codes;
    TorchExtension::setControlRequest([&](int fd, unsigned long code, v4l2_ext_controls* controls) {
        EXPECT_GE(fd, 0);
        EXPECT_EQ(controls->ctrl_class, TorchExtension::CONTROL_CLASS);
        EXPECT_EQ(controls->count, 1u);
        EXPECT_EQ(controls->controls[0].id, TorchExtension::CONTROL_ID);
        codes.push_back(code);
        if (code == TorchExtension::setRequestCode())
            lit = controls->controls[0].value;
        else
            controls->controls[0].value = lit;
        return 0;
    });
    // op, expected top (no arguments: a result goes just above the top), expected light
    const int steps[][3] = {{3, 10, 0}, {1, 9, 1}, {3, 10, 1}, {2, 9, 0}, {3, 10, 0}};
    for (auto [op, top, light] : steps) {
        m.stack()[10] = 55;
        EXPECT_EQ(m.call(36, unsigned(op), {}).top, top) << op;
        if (op == 3) {
            EXPECT_EQ(m.stack()[10], light);
        }
        EXPECT_EQ(lit, light) << op;
    }
    const unsigned long get = VIDIOC_G_EXT_CTRLS, set = VIDIOC_S_EXT_CTRLS;
    EXPECT_EQ(codes, (std::vector<unsigned long>{get, set, get, set, get}));
}

// A replaying journal with set answers, in order, each for the read it
// names; it never performs the live read, so no device is reached.
struct ReplayingJournal : ReadJournal {
    std::vector<std::tuple<QString, QString, QJsonValue>> answers;
    size_t next = 0;
    int unexpected = 0;
    QJsonValue read(const char* kind, const QString& name, const std::function<QJsonValue()>&) override
    {
        if (next >= answers.size() || std::get<0>(answers[next]) != QLatin1String(kind) || std::get<1>(answers[next]) != name) {
            ++unexpected;
            return QJsonValue();
        }
        return std::get<2>(answers[next++]);
    }
    bool replaying() const override { return true; }
};

TEST_F(DeviceFiles, ReplayedReadingsComeFromTheJournalWithNoDeviceFiles)
{
    const QString cover = QString::fromLatin1(TorchExtension::COVER_FILE);
    const std::string video = rooted(TorchExtension::VIDEO_DEVICE);
    ReplayingJournal journal;
    journal.answers = {
        {"deviceControl", "get", QJsonObject{{"value", 1}}},
        {"deviceControl", "set 1", QJsonObject{{"error", EACCES}}},
        {"deviceControl", "set 0", QJsonObject{{"open", ENOENT}}},
        {"deviceFile", cover, "open\n"},
        {"deviceFile", cover, QJsonObject{{"errno", EACCES}}},
        {"deviceFile", QString::fromLatin1(Accelerometer::COORDINATE_FILE), "18 -36 -1008\n"},
        {"deviceFile", QString::fromLatin1(Accelerometer::COORDINATE_FILE), QString(300, QLatin1Char('7'))},
    };
    m.registry->setReadJournal(&journal);
    EXPECT_EQ(m.call(36, 3, {}).top, 10);
    EXPECT_EQ(m.stack()[10], 1);
    EXPECT_EQ(m.call(36, 1, {}).fatalDetail, "Torch: Failed to set torch state to ON: Permission denied at 1");
    EXPECT_EQ(m.call(36, 2, {}).fatalDetail,
              "Torch: Failed to open video device: " + video + ": No such file or directory at 1");
    EXPECT_EQ(m.call(36, 4, {}).top, 10);
    EXPECT_EQ(m.stack()[10], 1);
    EXPECT_EQ(m.call(36, 4, {}).fatalDetail, "Torch: Failed to fetch camera cover state from: " + rooted(TorchExtension::COVER_FILE) +
                                                  ": Permission denied at 1");
    AccelerometerMachine sensor(true);
    sensor.registry.setReadJournal(&journal);
    const CallResult x = callExtension(sensor.registry, *sensor.vm, 20, 11, {77});
    EXPECT_NEAR(fixedValue(sensor.stack() + 10), -0.036, 1e-7) << x.fatalDetail;
    // A text longer than the driver's file can be is cut where a live read stops: one number, no reading.
    callExtension(sensor.registry, *sensor.vm, 20, 12, {77});
    EXPECT_EQ(fixedValue(sensor.stack() + 10), 0.0);
    EXPECT_EQ(journal.next, journal.answers.size());
    EXPECT_EQ(journal.unexpected, 0);
    sensor.registry.setReadJournal(nullptr);
    m.registry->setReadJournal(nullptr);
}

TEST_F(DeviceFiles, TorchFailuresNameThePathAndTheSystemError)
{
    const std::string video = rooted(TorchExtension::VIDEO_DEVICE), cover = rooted(TorchExtension::COVER_FILE);
    EXPECT_EQ(m.call(36, 1, {}).fatalDetail,
              "Torch: Failed to open video device: " + video + ": No such file or directory at 1");
    EXPECT_EQ(m.call(36, 4, {}).fatalDetail,
              "Torch: Failed to fetch camera cover state from: " + cover + ": No such file or directory at 1");

    deviceLink(TorchExtension::VIDEO_DEVICE, "/dev/null");
    const char* notCamera = ": Inappropriate ioctl for device at 1";
    MachineWithExtensions fresh;
    EXPECT_EQ(fresh.call(36, 1, {}).fatalDetail, std::string("Torch: Failed to set torch state to ON") + notCamera);
    EXPECT_EQ(fresh.call(36, 2, {}).fatalDetail, std::string("Torch: Failed to set torch state to OFF") + notCamera);
    EXPECT_EQ(fresh.call(36, 3, {}).fatalDetail, std::string("Torch: Failed to fetch torch state") + notCamera);

    const std::pair<const char*, int> covers[] = {{"open\n", 1}, {"closed\n", 0}, {"open", 0}, {"open\n\n", 0}, {"", 0}};
    for (auto [text, open] : covers) {
        device(TorchExtension::COVER_FILE, text);
        EXPECT_EQ(fresh.call(36, 4, {}).top, 10);
        EXPECT_EQ(fresh.stack()[10], open) << text;
    }
}

// A device file of the wrong kind opens without waiting and answers like one
// that cannot be read: the accelerometer reads nothing, the torch fails.
TEST_F(DeviceFiles, DeviceFilesOfTheWrongKindAnswerAsUnreadable)
{
    enum Kind { Fifo, Directory, Plain };
    const std::string cover = "Torch: Failed to fetch camera cover state from: ";
    const std::string video = "Torch: Failed to open video device: ";
    const std::tuple<const char*, Kind, std::string> cases[] = {
        {Accelerometer::COORDINATE_FILE, Fifo, ""},
        {Accelerometer::COORDINATE_FILE, Directory, ""},
        {TorchExtension::COVER_FILE, Fifo, cover},
        {TorchExtension::COVER_FILE, Directory, cover},
        {TorchExtension::VIDEO_DEVICE, Fifo, video},
        {TorchExtension::VIDEO_DEVICE, Directory, video},
        {TorchExtension::VIDEO_DEVICE, Plain, video},
    };
    for (const auto& [path, kind, failure] : cases) {
        device(path, nullptr);
        QDir().rmdir(QString::fromStdString(rooted(path)));
        if (kind == Fifo)
            ASSERT_EQ(::mkfifo(rooted(path).c_str(), 0600), 0) << path;
        else if (kind == Directory)
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(rooted(path)))) << path;
        else
            device(path, "a plain file is no camera");
        if (failure.empty()) {
            AccelerometerMachine machine(true);
            EXPECT_EQ(machine.axes(), (std::vector<double>{0, 0, 0})) << path << " " << kind;
            continue;
        }
        MachineWithExtensions fresh;
        const unsigned operation = path == std::string(TorchExtension::COVER_FILE) ? 4 : 1;
        EXPECT_EQ(fresh.call(36, operation, {}).fatalDetail, failure + rooted(path) + ": Invalid argument at 1")
            << path << " " << kind;
    }
}

TEST_F(DeviceFiles, UnknownOperationsReportThemselves)
{
    const std::pair<int, std::vector<unsigned>> unknown[] = {
        {20, {0, 10, 14, 1}}, {27, {0, 18, 100}}, {36, {0, 5, 100}}, {37, {0, 2, 100}}};
    const std::map<int, std::string> reports{
        {20, "SensorDLL"}, {27, "Location"}, {36, "Torch"}, {37, "Maemo"}};
    for (const auto& [id, ops] : unknown)
        for (unsigned op : ops)
            EXPECT_EQ(m.call(id, op, {0, 0}).fatalDetail, reports.at(id) + ": Unknown opcode! at 1") << id << " " << op;
}

// Locations and requestors with no daemon to reach: the requestor runs and never reports.
TEST_F(DeviceFiles, LocationOperations)
{
    auto requestorOf = [&](TWord wrapper) {
        return m.vm->heap().objectAs<CLocationPositionRequestorGCObject>(TAddr(m.vm->wordAt(TAddr(wrapper))));
    };
    const TWord observer = m.box(), first = m.box(), second = m.box();
    ASSERT_EQ(m.call(27, 1, {first, observer, 5, 1}).top, 9);
    ASSERT_EQ(m.call(27, 1, {second, observer, 6, 2}).top, 9);
    auto* a = requestorOf(first);
    auto* b = requestorOf(second);
    EXPECT_EQ(std::make_tuple(a->intervalMs(), a->intervalCode(), a->auxiliaryValue()), std::make_tuple(1000, 10, 5));
    EXPECT_EQ(std::make_tuple(b->intervalMs(), b->intervalCode()), std::make_tuple(2000, 20));
    m.call(27, 2, {first, 1000});
    EXPECT_EQ(std::make_tuple(a->intervalMs(), a->intervalCode(), a->isRunning()), std::make_tuple(1000, 10, true));
    m.call(27, 2, {first, 1001});
    EXPECT_EQ(a->intervalCode(), 20);
    m.call(27, 17, {first, 8});
    EXPECT_EQ(std::make_tuple(a->auxiliaryValue(), a->isRunning()), std::make_tuple(8, true));
    auto control = LocationService::GpsDaemonControl::defaultControl();
    EXPECT_EQ(control->startCount(), 2);
    m.call(27, 3, {first});
    EXPECT_FALSE(a->isRunning());
    m.call(27, 4, {first});
    m.call(27, 4, {first});
    EXPECT_EQ(control->startCount(), 2);
    runEventsFor(300);
    VMExtension* extension = m.registry->created(27);
    EXPECT_TRUE(extension->hasPendingWork());

    // Requestors the application dropped are stopped by the collector.
    m.vm->heap().removeRoot(TAddr(first));
    m.vm->heap().removeRoot(TAddr(second));
    m.collect();
    EXPECT_EQ(control->startCount(), 0);
    EXPECT_FALSE(extension->hasPendingWork());

    // Helsinki and Tallinn; the distance of the spherical law of cosines.
    const double la = 60.1699, lo = 24.9384, lb = 59.4370, ob = 24.7536, r = M_PI / 180;
    const double km = 6371.0088 * std::acos(std::sin(la * r) * std::sin(lb * r) +
                                            std::cos(la * r) * std::cos(lb * r) * std::cos((ob - lo) * r));
    const TWord date = m.box(TWord(newDateTime(*m.vm, Lumbra::DateTime::LOCAL)));
    const TWord here = m.box(), there = m.box();
    auto create = [&](TWord wrapper, double lat, double lon, double alt) {
        std::vector<TWord> args{wrapper};
        for (double v : {lat, lon, alt})
            for (TWord w : fixedSlots(v))
                args.push_back(w);
        args.push_back(date);
        return m.call(27, 5, args).top;
    };
    EXPECT_EQ(create(here, la, lo, 12.5), 9);
    EXPECT_EQ(create(there, lb, ob, 0), 9);
    const std::pair<unsigned, double> reads[] = {{11, 12.5}, {12, la}, {13, lo}};
    for (auto [op, value] : reads) {
        EXPECT_EQ(m.call(27, op, {here}).top, 11);
        EXPECT_NEAR(fixedValue(m.stack() + 10), value, 1e-9) << op;
    }
    EXPECT_EQ(m.call(27, 15, {here, there}).top, 11);
    EXPECT_NEAR(fixedValue(m.stack() + 10), km, 1e-3);
    // Operation 14 reads neither location, 16 only the second.
    for (auto [op, args] : {std::pair{14u, std::vector<TWord>{0, 0}}, std::pair{16u, std::vector<TWord>{0, here}}}) {
        EXPECT_EQ(m.call(27, op, args).top, 11);
        EXPECT_EQ(fixedValue(m.stack() + 10), 0.0);
    }
    EXPECT_EQ(m.call(27, 9, {here}).top, 10);
    EXPECT_EQ(m.stack()[10], 0);
    std::vector<TWord> moved{here};
    for (double v : {1.5, -2.25, 3.0})
        for (TWord w : fixedSlots(v))
            moved.push_back(w);
    EXPECT_EQ(m.call(27, 7, moved).top, 9);
    EXPECT_EQ(m.call(27, 8, {0, 1, 2, 3, 4}).top, 9);

    // The dates handed in and out are copies.
    auto& location = *m.vm->heap().objectAs<CLocation>(TAddr(m.vm->wordAt(TAddr(here))));
    EXPECT_EQ(std::make_tuple(location.latitude.toReal(), location.longitude.toReal(), location.altitude.toReal()),
              std::make_tuple(1.5, -2.25, 3.0));
    auto dateIn = [&](TWord box) -> Lumbra::DateTime& {
        return *m.vm->heap().objectAs<Lumbra::DateTime>(TAddr(m.vm->wordAt(TAddr(box))));
    };
    dateIn(date).setField(Lumbra::DateTime::Year, 2001);
    EXPECT_NE(location.time.field(Lumbra::DateTime::Year), 2001);
    EXPECT_EQ(m.call(27, 6, {here, date}).top, 9);
    dateIn(date).setField(Lumbra::DateTime::Year, 2002);
    ASSERT_EQ(m.call(27, 10, {here}).top, 10);
    const TWord out1 = m.stack()[10];
    m.call(27, 10, {here});
    const TWord out2 = m.stack()[10];
    EXPECT_NE(m.vm->wordAt(TAddr(out1)), m.vm->wordAt(TAddr(out2)));
    dateIn(out1).setField(Lumbra::DateTime::Year, 2003);
    EXPECT_EQ(dateIn(out2).field(Lumbra::DateTime::Year), 2001);
    EXPECT_EQ(location.time.field(Lumbra::DateTime::Year), 2001);

    const std::pair<unsigned, std::vector<TWord>> nulls[] = {
        {1, {0, observer, 0, 1}}, {2, {0, 1}},  {3, {0}},       {4, {observer}}, {6, {here, 0}}, {6, {0, date}},
        {9, {0}},                 {10, {0}},    {11, {0}},      {15, {here, 0}}, {16, {here, 0}}, {17, {0, 1}}};
    for (const auto& [op, args] : nulls)
        EXPECT_EQ(m.call(27, op, args).message, "NullPointerException: NULL pointer") << op;
    EXPECT_EQ(m.call(27, 5, {here, 0, 0, 0, 0, 0, 0, 0}).message, "NullPointerException: NULL pointer");
}

} // namespace
