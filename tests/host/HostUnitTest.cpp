// In-process host pieces: the key table, repaint areas under rotation,
// orientation and screen size, the scheduler's ids and removal, and the
// activity the application is told about.
#include "Assembler.h"
#include "KeyTranslation.h"
#include "MainView.h"
#include "Scheduler.h"
#include "Timer.h"
#include "machine/VirtualMachine.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <climits>

#include <gtest/gtest.h>

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "host_unit_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// A main view that keeps the application's log lines.
class LoggingView : public MainView {
public:
    using MainView::MainView;
    void log(const OString& message) override { lines << QString::fromStdString(Lumbra::u16ToUtf8(message.toU16())); }
    QStringList lines;
};

// An application that logs its foreground and background events; `registration`
// is the code main runs before it returns.
QByteArray activityImage(const char* registration)
{
    const std::string source = std::string(R"(
.method "main" code=main frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.method "<*application>.background event" code=background frame=Main
.type App
.frame Main
.string foregroundText "foreground"
.string backgroundText "background"
main:
)") + registration + R"(
    ret 0, 1
foreground:
    pushstr foregroundText
    native 30, 1
    ret 0, 2
background:
    pushstr backgroundText
    native 30, 1
    ret 0, 2
)";
    const LumbraAsm::AssemblyResult result = LumbraAsm::assemble(source);
    EXPECT_TRUE(result.ok) << result.error;
    return QByteArray(reinterpret_cast<const char*>(result.image.data()), qsizetype(result.image.size()));
}

// Runs `activity` changes on a view whose application directory holds `image`.
QStringList logOfActivity(const QByteArray& image, std::initializer_list<bool> activity)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("index.mcb")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    file.close();
    LoggingView view(Str16::fromQString(dir.path()));
    view.startApplication();
    for (bool active : activity)
        view.setActive(active);
    return view.lines;
}

} // namespace

TEST(MainViewActivity, WithoutAnApplicationObjectNothingIsCalledYetTheChangeIsRecorded)
{
    application();
    // main registers no application object: activation and deactivation call nothing.
    EXPECT_EQ(logOfActivity(activityImage(""), {true, false, true}), QStringList());
    // The foreground was recorded all the same, so a registered application
    // hears only the change that follows it.
    const char* registering = "    new 1, 1\n    dup\n    settype App\n    native 32, 5";
    EXPECT_EQ(logOfActivity(activityImage(registering), {true, false}), QStringList{QStringLiteral("background")});
}

TEST(KeyTranslation, PlainRangeSpecialKeysAndEverythingElse)
{
    using Lumbra::translateKey;
    EXPECT_EQ(translateKey(0x20), 0x20);
    EXPECT_EQ(translateKey(Qt::Key_A), 0x41);
    EXPECT_EQ(translateKey(Qt::Key_9), 0x39);
    EXPECT_EQ(translateKey(0x60), 0x60);
    EXPECT_EQ(translateKey(0x1F), 0x01000000);
    EXPECT_EQ(translateKey(0x61), 0x01000000); // lower case never comes from Qt
    EXPECT_EQ(translateKey(0x7A), 0x01000000);
    EXPECT_EQ(translateKey(Qt::Key_Return), 0x01000001);
    EXPECT_EQ(translateKey(Qt::Key_Enter), 0x01000000); // keypad Enter is not Return
    EXPECT_EQ(translateKey(Qt::Key_Backspace), 0x01000002);
    EXPECT_EQ(translateKey(Qt::Key_Left), 0x01000003);
    EXPECT_EQ(translateKey(Qt::Key_Right), 0x01000004);
    EXPECT_EQ(translateKey(Qt::Key_Up), 0x01000005);
    EXPECT_EQ(translateKey(Qt::Key_Down), 0x01000006);
    EXPECT_EQ(translateKey(Qt::Key_Escape), 0x01000000);
}

TEST(MainViewGeometry, RepaintAreaFollowsTheRotation)
{
    const QSize window(800, 480);
    EXPECT_EQ(MainViewBase::areaOnWindow(10, 20, 30, 40, false, window), QRect(10, 20, 30, 40));
    EXPECT_EQ(MainViewBase::areaOnWindow(10, 20, 30, 40, true, window), QRect(20, 440, 40, 30));
    // Numbers from bytecode at the ends of the range: cut to the window, no overflow.
    for (bool rotated : {false, true}) {
        EXPECT_EQ(MainViewBase::areaOnWindow(INT_MIN, INT_MIN, INT_MAX, INT_MAX, rotated, window), QRect()) << rotated;
        EXPECT_EQ(MainViewBase::areaOnWindow(-5, -5, INT_MAX, INT_MAX, rotated, window), QRect(QPoint(0, 0), window));
        EXPECT_EQ(MainViewBase::areaOnWindow(INT_MAX, 0, INT_MAX, 10, rotated, window), QRect()) << rotated;
    }
}

TEST(MainViewGeometry, OrientationScreenSizeAndRotation)
{
    application();
    MainView view(Str16("/tmp"));
    view.resize(800, 480);
    int width = 0, height = 0;
    EXPECT_EQ(view.getOrientation(), 2);
    view.getScreenSize(width, height);
    EXPECT_EQ(QSize(width, height), QSize(800, 480));
    EXPECT_FALSE(view.isRotated());

    view.setOrientation(1);
    view.getScreenSize(width, height);
    EXPECT_EQ(QSize(width, height), QSize(480, 800));
    EXPECT_TRUE(view.isRotated());
    view.resize(480, 800); // taller than wide: shown as it is
    EXPECT_FALSE(view.isRotated());

    view.resize(800, 480);
    view.setOrientation(0); // portrait size, but never rotated
    EXPECT_EQ(view.getOrientation(), 0);
    view.getScreenSize(width, height);
    EXPECT_EQ(QSize(width, height), QSize(480, 800));
    EXPECT_FALSE(view.isRotated());
}

TEST(MainViewGeometry, BackBufferKeepsItsSizeInWidePortrait)
{
    application();
    MainView view(Str16("/tmp"));
    view.resize(800, 480);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QApplication::processEvents();
    const QSize landscape = view.backBuffer().size();
    EXPECT_EQ(landscape, view.size());
    view.setOrientation(1);
    view.resize(900, 500);
    QApplication::processEvents();
    EXPECT_EQ(view.backBuffer().size(), landscape);
    view.resize(500, 900);
    QApplication::processEvents();
    EXPECT_EQ(view.backBuffer().size(), QSize(500, 900));
}

TEST(SchedulerTest, IdsFromTenNeverReused)
{
    application();
    VirtualMachine vm;
    Scheduler scheduler;
    scheduler.setMachine(&vm);
    EXPECT_EQ(scheduler.addTimer(0x1111, 50), 10);
    EXPECT_EQ(scheduler.addTimer(0x2222, 60), 11);
    EXPECT_EQ(scheduler.removeTimer(10), 0x1111);
    EXPECT_EQ(scheduler.removeTimer(10), 0);
    EXPECT_EQ(scheduler.addTimer(0x3333, 70), 12);
    EXPECT_EQ(scheduler.count(), 2);
    EXPECT_EQ(scheduler.find(10), nullptr);
    ASSERT_NE(scheduler.find(11), nullptr);
    EXPECT_EQ(scheduler.find(11)->listener(), 0x2222);
}

TEST(SchedulerTest, DelayUpdatesReachOnlyTheirTimer)
{
    application();
    VirtualMachine vm;
    Scheduler scheduler;
    scheduler.setMachine(&vm);
    const int first = scheduler.addTimer(1, 50);
    const int second = scheduler.addTimer(2, 60);
    scheduler.updateTimerDelay(second, 5);
    scheduler.updateTimerDelay(999, 7); // unknown: ignored
    EXPECT_EQ(scheduler.find(first)->interval(), 50);
    EXPECT_EQ(scheduler.find(second)->interval(), 5);
    EXPECT_EQ(scheduler.removeTimer(second), 2);
    EXPECT_EQ(scheduler.removeTimer(first), 1);
    EXPECT_EQ(scheduler.count(), 0);
}

TEST(MainViewTimers, ServicesClampAndAlwaysAnswerTrue)
{
    application();
    MainView view(Str16("/tmp"));
    // Without a machine no timer exists, and updates still answer true.
    EXPECT_TRUE(view.updateTimerDelay(42, 10));
    EXPECT_EQ(view.removeTimer(42), 0);
}
