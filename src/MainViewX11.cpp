#include "MainViewX11.h"

#include <QDebug>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Lumbra::X11 {

namespace {

xcb_connection_t* connection()
{
    if (!available())
        return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

} // namespace

bool available()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

std::uint32_t rootWindow()
{
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    return screens.rem > 0 ? screens.data->root : 0;
}

std::uint32_t internAtom(const char* name, bool onlyIfExists)
{
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    const auto cookie = xcb_intern_atom(c, onlyIfExists ? 1 : 0, std::uint16_t(std::strlen(name)), name);
    const auto reply = owned(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : 0;
}

void watchRootProperties()
{
    xcb_connection_t* c = connection();
    const std::uint32_t root = rootWindow();
    if (!c || !root)
        return;
    // The event mask is per client: keep what Qt selected and add ours.
    const auto attributes = owned(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
    const std::uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

void requestPortrait(bool portrait)
{
    xcb_connection_t* c = connection();
    if (!c)
        return;
    const std::uint32_t atom = internAtom("_HILDON_PORTRAIT_MODE_REQUEST", true);
    if (atom == XCB_ATOM_NONE)
        return;
    const std::uint32_t value = portrait ? 1 : 0;
    const auto cookie = xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, rootWindow(), atom,
                                                    XCB_ATOM_CARDINAL, 32, 1, &value);
    if (auto* error = xcb_request_check(c, cookie)) {
        std::free(error);
        qDebug("setOrientationToPortrait, change property failed");
    }
}

bool readWindowProperty(std::uint32_t window, std::uint32_t atom, TUint32& firstItem)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const auto cookie = xcb_get_property(c, 0, window, atom, XCB_ATOM_WINDOW, 0, 0x7fffffff);
    const auto reply = owned(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    std::memcpy(&firstItem, xcb_get_property_value(reply.get()), 4);
    return true;
}

} // namespace Lumbra::X11
