#include "X11TestClient.h"

#include "Await.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

X11TestClient::X11TestClient()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    connection = c;
    root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

X11TestClient::~X11TestClient()
{
    if (connection)
        xcb_disconnect(connection);
}

std::uint32_t X11TestClient::atom(const char* name)
{
    auto* reply = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const std::uint32_t result = reply ? reply->atom : 0;
    std::free(reply);
    return result;
}

void X11TestClient::setProperty(std::uint32_t window, const char* name, std::uint32_t type, std::uint32_t value)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window ? window : root, atom(name), type, 32, 1, &value);
    xcb_flush(connection);
}

bool X11TestClient::rootCardinal(const char* name, std::uint32_t& value)
{
    auto* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom(name), XCB_ATOM_CARDINAL, 0, 1), nullptr);
    const bool ok = reply && reply->type == XCB_ATOM_CARDINAL && xcb_get_property_value_length(reply) >= 4;
    if (ok)
        std::memcpy(&value, xcb_get_property_value(reply), 4);
    std::free(reply);
    return ok;
}

void X11TestClient::setIconic(std::uint32_t window, bool iconic)
{
    const std::uint32_t state[2] = {iconic ? 3u : 1u, 0u};
    const std::uint32_t wmState = atom("WM_STATE");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, state);
    xcb_flush(connection);
}

void X11TestClient::askToClose(std::uint32_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

QImage X11TestClient::grab(std::uint32_t window)
{
    auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    if (!geometry)
        return QImage();
    const int width = geometry->width, height = geometry->height;
    std::free(geometry);
    auto* image = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, std::uint16_t(width), std::uint16_t(height), ~0u),
        nullptr);
    if (!image)
        return QImage();
    QImage result;
    // A 24-bit visual comes as 32 bits per pixel, blue first.
    if (image->depth == 24 && xcb_get_image_data_length(image) >= width * height * 4)
        result = QImage(xcb_get_image_data(image), width, height, width * 4, QImage::Format_RGB32).copy();
    std::free(image);
    return result;
}

bool X11TestClient::waitUntilShows(std::uint32_t window, const std::function<bool(const QImage&)>& check, QImage& last)
{
    // Another client's pixels send this process no event: they are grabbed again until they pass.
    const ::testing::AssertionResult shown = TestSupport::awaitProbe(
        QStringLiteral("window 0x%1 to show what the test expects").arg(window, 0, 16),
        [&] {
            last = grab(window);
            return !last.isNull() && check(last);
        },
        10000);
    if (!shown)
        std::fprintf(stderr, "%s\n", shown.message());
    return bool(shown);
}
