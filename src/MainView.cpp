// Construction, start of the application, orientation and the
// activity the application is told about.
#include "MainView.h"

#include "HostCallGuard.h"
#include "MainViewX11.h"
#include "StartupReports.h"
#include "Trace.h"
#include "machine/VirtualMachine.h"

#include <cstdlib>

namespace {
// What the application was last told: foreground (true) or background.
// Shared by the process and never reset.
bool lastReportedActivity = false;
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

void MainView::startApplication()
{
    start();
    machine = std::make_unique<VirtualMachine>();
    VirtualMachine::setCurrent(machine.get());
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

void MainView::hideEvent(QHideEvent*)
{
    windowActive = false;
    reportActivity();
}

void MainView::reportActivity()
{
    const bool activity = displayOn && windowActive;
    if (activity == lastReportedActivity || !machine)
        return;
    lastReportedActivity = activity;
    Lumbra::runEntry(activity ? VirtualMachine::EntryForeground : VirtualMachine::EntryBackground,
                     [activity](VirtualMachine& vm) {
        if (activity)
            vm.deliverForeground();
        else
            vm.deliverBackground();
    });
}
