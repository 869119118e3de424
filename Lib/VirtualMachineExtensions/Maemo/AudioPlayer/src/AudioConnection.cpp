#include "AudioConnection.h"

#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/timeval.h>

#include <utility>

AudioConnection::AudioConnection(const char* name, std::function<void()> ready, std::function<void()> lost)
    : name(name), ready(std::move(ready)), lost(std::move(lost)), mainloop(pa_glib_mainloop_new(nullptr))
{
    connect();
}

AudioConnection::~AudioConnection()
{
    pa_mainloop_api* api = pa_glib_mainloop_get_api(mainloop);
    if (retry)
        api->time_free(retry);
    dropContext();
    pa_glib_mainloop_free(mainloop);
}

bool AudioConnection::isReady() const
{
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool AudioConnection::isConnecting() const
{
    if (!context_)
        return false;
    const pa_context_state_t state = pa_context_get_state(context_);
    return state != PA_CONTEXT_UNCONNECTED && PA_CONTEXT_IS_GOOD(state);
}

void AudioConnection::connect()
{
    dropContext();
    context_ = pa_context_new(pa_glib_mainloop_get_api(mainloop), name);
    if (!context_) {
        retryLater();
        return;
    }
    pa_context_set_state_callback(context_, onStateChanged, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        retryLater();
}

void AudioConnection::dropContext()
{
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    if (PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
        pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void AudioConnection::retryLater()
{
    if (retry)
        return;
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(RECONNECT_SECONDS) * PA_USEC_PER_SEC);
    pa_mainloop_api* api = pa_glib_mainloop_get_api(mainloop);
    retry = api->time_new(api, &when, onRetry, this);
}

void AudioConnection::onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* connection)
{
    auto* self = static_cast<AudioConnection*>(connection);
    api->time_free(event);
    self->retry = nullptr;
    self->connect();
}

void AudioConnection::onStateChanged(pa_context* context, void* connection)
{
    auto* self = static_cast<AudioConnection*>(connection);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self->ready();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The context is released when the next one is made: the library
        // still holds it while this callback runs.
        self->lost();
        self->retryLater();
        break;
    default:
        break;
    }
}
