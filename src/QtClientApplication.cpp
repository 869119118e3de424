#include "QtClientApplication.h"

#include "MainView.h"
#include "MainViewX11.h"

#include <xcb/xcb.h>

namespace {
// "_MB_CURRENT_APP_WINDOW", interned once (created when missing).
std::uint32_t currentAppWindowAtom = 0;
// The window id with which the window manager says "this application".
constexpr TUint32 ANY_APPLICATION_WINDOW = 0xFFFFFFFFu;
} // namespace

QtClientApplication::QtClientApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    if (!Lumbra::X11::available())
        return;
    if (currentAppWindowAtom == 0)
        currentAppWindowAtom = Lumbra::X11::internAtom("_MB_CURRENT_APP_WINDOW", false);
    Lumbra::X11::watchRootProperties();
    installNativeEventFilter(this);
}

QtClientApplication::~QtClientApplication()
{
    removeNativeEventFilter(this);
}

bool QtClientApplication::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    // Unmapped, by another client or by a window manager minimising it, the
    // window is in the background; mapped again, in front. Qt tells the
    // widget neither.
    if (type == XCB_UNMAP_NOTIFY || type == XCB_MAP_NOTIFY) {
        const std::uint32_t window = type == XCB_UNMAP_NOTIFY
            ? reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window
            : reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
        if (view && view->testAttribute(Qt::WA_WState_Created) && window == view->winId())
            view->setShownOnDesktop(type == XCB_MAP_NOTIFY);
        return false;
    }
    if (type != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->window == Lumbra::X11::rootWindow() && property->atom == currentAppWindowAtom
        && property->state == XCB_PROPERTY_NEW_VALUE)
        currentApplicationWindowChanged();
    return false;
}

void QtClientApplication::currentApplicationWindowChanged()
{
    TUint32 window = 0;
    if (!Lumbra::X11::readWindowProperty(Lumbra::X11::rootWindow(), currentAppWindowAtom, window) || !view)
        return;
    view->setActive(window == ANY_APPLICATION_WINDOW || view->isActiveWindow());
}
