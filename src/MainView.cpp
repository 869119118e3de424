// Construction, start of the application, orientation and the
// activity the application is told about.
#include "MainView.h"

#include "HostCallGuard.h"
#include "MainViewX11.h"
#include "RunRecorder.h"
#include "StartupReports.h"
#include "Trace.h"
#include "host/StreamHolder.h"
#include "machine/VirtualMachine.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHideEvent>

#include <cstdlib>
#include <string>

namespace {
// What the application was last told: foreground (true) or background.
// Shared by the process and never reset.
bool lastReportedActivity = false;
// Whether the application was ever told either.
bool activityEverReported = false;
} // namespace

MainView::MainView(const Str16& applicationDirectory, Lumbra::Presentation shown)
    : MainViewBase(applicationDirectory)
    , presentation(shown)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Qt::WA_PaintOnScreen is left out: with it a Qt 6 widget has no paint
    // engine and QPainter cannot draw the back buffer on the window.
    setFocusPolicy(Qt::StrongFocus);
    if (presented())
        setUpPresentation();
    if (presentation != Lumbra::Presentation::Window)
        setWindowState(Qt::WindowFullScreen);
}

MainView::~MainView()
{
    // The extensions go first: the sound server connection ends before the
    // machine whose players it fed.
    extensionRegistry().release();
    if (machine && VirtualMachine::current() == machine.get())
        VirtualMachine::setCurrent(nullptr);
}

void MainView::startApplication(OpProfile* profile)
{
    start();
    machine = std::make_unique<VirtualMachine>();
    VirtualMachine::setCurrent(machine.get());
    if (profile)
        machine->setOpProfile(profile);
    setTimerMachine(machine.get());

    const OString imageName = OString::fromLatin1("index.mcb");
    LUMBRA::InputStream* stream = openFileForReading(imageName);
    VUvarFileReader reader(stream);
    if (!stream || !stream->isOpen()) {
        Lumbra::reportOpenFailure(resolvedPath(imageName));
        std::exit(1);
    }
    try {
        Lumbra::Trace::mainCalled();
        machine->load(reader, Str16("index.mcb"), this);
    } catch (const MachineStop& stop) {
        std::exit(Lumbra::reportMachineStop(stop));
    }
    update();
    reader.close();
}

bool MainView::isRotated()
{
    // Presented, the logical screen always stands upright.
    return !presented() && getOrientation() == ORIENTATION_PORTRAIT && height() < width();
}

void MainView::setOrientation(int value)
{
    if (value == getOrientation())
        return;
    BasicFrameworkServices::setOrientation(value);
    // Presented, the screen's new shape is the window's affair, not the window manager's.
    if (presented())
        fitToLogicalScreen();
    else
        Lumbra::X11::requestPortrait(value != ORIENTATION_LANDSCAPE);
    update();
}

void MainView::setActive(bool active)
{
    windowActive = active;
    reportActivity();
}

void MainView::displaySignal(const QString& status)
{
    displayOn = status != QLatin1String("off");
    reportActivity();
}

void MainView::showEvent(QShowEvent*)
{
    windowActive = true;
    reportActivity();
}

void MainView::hideEvent(QHideEvent* event)
{
    windowActive = false;
    // A spontaneous hide comes from the window system: the window was minimised.
    reportActivity(event->spontaneous());
}

void MainView::closeEvent(QCloseEvent* event)
{
    // The application's exit event is left uncalled, as on the handset.
    event->accept();
    if (recorder)
        recorder->end(QStringLiteral("closed"));
    endInOrder();
}

void MainView::endInOrder()
{
    bool lost = false;
    if (machine) {
        const std::vector<std::u16string> lostFiles = flushOpenWriters(*machine);
        if (!lostFiles.empty())
            log(lostWritersMessage(lostFiles));
        lost = !lostFiles.empty();
    }
    const bool logWritten = flushLog();
    QCoreApplication::exit(lost || !logWritten ? 1 : 0);
}

void MainView::runAtEnd()
{
    if (!atEnd)
        return;
    const std::function<void()> work = std::move(atEnd);
    atEnd = nullptr;
    work();
}

void MainView::exit(int status)
{
    if (recorder)
        recorder->end(QStringLiteral("exit"));
    runAtEnd();
    BasicFrameworkServices::exit(status);
}

void MainView::setShownOnDesktop(bool shown)
{
    if (shown == shownOnDesktop)
        return;
    shownOnDesktop = shown;
    windowActive = shown;
    reportActivity(true);
}

void MainView::reportActivity(bool fromDesktop)
{
    const bool activity = displayOn && windowActive;
    if (!machine || replayer || (activity == lastReportedActivity && (activityEverReported || !fromDesktop)))
        return;
    deliverActivity(activity);
}

void MainView::deliverActivity(bool activity)
{
    lastReportedActivity = activity;
    activityEverReported = true;
    if (recorder)
        recorder->activity(activity);
    Lumbra::runEntry(activity ? VirtualMachine::EntryForeground : VirtualMachine::EntryBackground,
                     [activity](VirtualMachine& vm) {
        if (activity)
            vm.deliverForeground();
        else
            vm.deliverBackground();
    });
}
