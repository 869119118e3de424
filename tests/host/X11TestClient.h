// A second X client for the tests, playing the window manager's part:
// root-window properties, the iconic state of a window, and screenshots.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

struct xcb_connection_t;

class X11TestClient {
public:
    X11TestClient();
    ~X11TestClient();
    bool connected() const { return connection != nullptr; }

    std::uint32_t atom(const char* name);
    // Replaces a 32-bit property of `window` (0: the root window).
    void setProperty(std::uint32_t window, const char* name, std::uint32_t type, std::uint32_t value);
    // The first 32-bit item of a CARDINAL property of the root window.
    bool rootCardinal(const char* name, std::uint32_t& value);
    // WM_STATE iconic (true) or normal (false), as a window manager sets it.
    void setIconic(std::uint32_t window, bool iconic);
    // Asks the window to close as a window manager's close button does
    // (WM_PROTOCOLS with WM_DELETE_WINDOW).
    void askToClose(std::uint32_t window);
    // The window's current contents.
    QImage grab(std::uint32_t window);
    // Grabs the window until `check` holds for its contents, for up to 10 s;
    // `last` is the last grab.
    bool waitUntilShows(std::uint32_t window, const std::function<bool(const QImage&)>& check, QImage& last);

private:
    xcb_connection_t* connection = nullptr;
    std::uint32_t root = 0;
};
