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
    cancel(retry);
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
    else
        deadline = timerIn(CONNECT_SECONDS, onDeadline);
}

void AudioConnection::dropContext()
{
    cancel(deadline);
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    if (PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
        pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

pa_time_event* AudioConnection::timerIn(int seconds,
                                        void (*fire)(pa_mainloop_api*, pa_time_event*, const timeval*, void*))
{
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(seconds) * PA_USEC_PER_SEC);
    pa_mainloop_api* api = pa_glib_mainloop_get_api(mainloop);
    return api->time_new(api, &when, fire, this);
}

void AudioConnection::cancel(pa_time_event*& event)
{
    if (!event)
        return;
    pa_mainloop_api* api = pa_glib_mainloop_get_api(mainloop);
    api->time_free(event);
    event = nullptr;
}

void AudioConnection::retryLater()
{
    if (!retry)
        retry = timerIn(RECONNECT_SECONDS, onRetry);
}

void AudioConnection::onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* connection)
{
    auto* self = static_cast<AudioConnection*>(connection);
    self->cancel(self->retry);
    self->connect();
}

void AudioConnection::onDeadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* connection)
{
    auto* self = static_cast<AudioConnection*>(connection);
    self->cancel(self->deadline);
    self->dropContext();
    self->lost();
    self->retryLater();
}

void AudioConnection::onStateChanged(pa_context* context, void* connection)
{
    auto* self = static_cast<AudioConnection*>(connection);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self->cancel(self->deadline);
        self->ready();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->cancel(self->deadline);
        // The context is released when the next one is made: the library
        // still holds it while this callback runs.
        self->lost();
        self->retryLater();
        break;
    default:
        break;
    }
}
