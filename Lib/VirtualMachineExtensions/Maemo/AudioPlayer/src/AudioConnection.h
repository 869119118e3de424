// The connection to the sound server through the GLib main-loop adapter on
// the default GLib main context. A connection that fails or is lost is tried
// again every few seconds, so a server that starts or restarts later is used.
// A server that takes a connection but does not answer counts as lost after
// CONNECT_SECONDS, so a hung server does not look like one on its way.
#pragma once

#include <functional>

struct pa_context;
struct pa_glib_mainloop;
struct pa_mainloop_api;
struct pa_time_event;
struct timeval;

class AudioConnection {
public:
    static constexpr int RECONNECT_SECONDS = 3;
    static constexpr int CONNECT_SECONDS = 5;

    // `ready` runs each time a connection becomes usable, `lost` each time a
    // connection that was asked for fails or ends.
    AudioConnection(const char* name, std::function<void()> ready, std::function<void()> lost);
    ~AudioConnection();
    AudioConnection(const AudioConnection&) = delete;
    AudioConnection& operator=(const AudioConnection&) = delete;

    // The current context; streams may only be made on it while it is ready.
    pa_context* context() const { return context_; }
    bool isReady() const;
    // Ready, or on the way there.
    bool isConnecting() const;

private:
    static void onStateChanged(pa_context* context, void* connection);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval* when, void* connection);
    static void onDeadline(pa_mainloop_api* api, pa_time_event* event, const timeval* when, void* connection);

    void connect();
    void dropContext();
    void retryLater();
    pa_time_event* timerIn(int seconds, void (*fire)(pa_mainloop_api*, pa_time_event*, const timeval*, void*));
    void cancel(pa_time_event*& event);

    const char* name;
    std::function<void()> ready;
    std::function<void()> lost;
    pa_glib_mainloop* mainloop = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry = nullptr;
    pa_time_event* deadline = nullptr;
};
