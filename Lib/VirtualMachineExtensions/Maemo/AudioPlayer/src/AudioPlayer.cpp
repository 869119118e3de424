#include "AudioPlayer.h"

#include "AudioContext.h"
#include "SoundOutput.h"

#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/volume.h>

#include <algorithm>
#include <cstdio>

namespace {

// The stream volume for SoundOutput's level: linear in the samples' amplitude.
pa_volume_t outputVolume()
{
    if (SoundOutput::muted())
        return PA_VOLUME_MUTED;
    return pa_sw_volume_from_linear(double(SoundOutput::volume()) / SoundOutput::MAX_VOLUME);
}

// The server's operations are not waited for: their handles are let go at once.
void release(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

AudioPlayer::AudioPlayer(AudioContext* owner, const TUint8* bytes, int length)
    : owner(owner), samples(bytes, bytes + length)
{
    if (owner)
        owner->adopt(this);
}

AudioPlayer::~AudioPlayer()
{
    if (playing)
        finished(); // collected while playing: the sound ends here
    releaseStream();
    if (owner)
        owner->forget(this);
}

void AudioPlayer::detach()
{
    releaseStream();
    owner = nullptr;
}

void AudioPlayer::releaseStream()
{
    cancelDrain();
    playing = false;
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_started_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

void AudioPlayer::initialize()
{
    pa_context* context = owner ? owner->readyContext() : nullptr;
    if (!context || stream)
        return;
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
    stream = pa_stream_new(context, "nimbo-audio-player", &format, nullptr);
    if (stream) {
        const uint32_t serverDefault = uint32_t(-1);
        const pa_buffer_attr buffer{serverDefault, serverDefault, serverDefault, serverDefault, serverDefault};
        pa_cvolume level;
        pa_cvolume_set(&level, 1, outputVolume());
        pa_stream_connect_playback(stream, nullptr, &buffer, SoundOutput::paused() ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS,
                                   &level, nullptr);
        pa_stream_set_started_callback(stream, onStarted, this);
        pa_stream_set_state_callback(stream, onStateChanged, this);
    }
    std::fprintf(stderr, "End of %s\n", "initialize");
}

void AudioPlayer::play()
{
    // A stream lost with its server is made again on the next play.
    if (stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        releaseStream();
    if (!stream)
        initialize();
    if (!stream)
        return;
    cancelDrain();
    offset_ = 0;
    state_ = PLAY_REQUESTED;
    playing = playableLength() > 0;
    release(pa_stream_prebuf(stream, nullptr, nullptr));
    pa_stream_set_write_callback(stream, onWritable, this);
    // A stream still being set up cannot take data yet (the size is then
    // (size_t)-1); its first write request comes through the callback.
    const size_t writable = pa_stream_writable_size(stream);
    if (writable != 0 && writable != size_t(-1))
        writeSamples(writable);
}

void AudioPlayer::writeSamples(size_t requested)
{
    const size_t length = playableLength();
    std::fprintf(stderr, "%s: req: %d, offset: %d, left: %d\n", "writeSamples", int(requested), int(offset_),
                 int(length - offset_));
    const size_t n = std::min(requested, length - offset_) & ~size_t(1);
    if (n == 0 || !stream)
        return;
    if (pa_stream_write(stream, samples.data() + offset_, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return;
    offset_ += n;
    if (offset_ < length)
        return;
    // Everything is written: start without waiting for the pre-buffer to fill,
    // and learn when the server has played it all.
    if (state_ != STARTED)
        release(pa_stream_trigger(stream, nullptr, nullptr));
    drain = pa_stream_drain(stream, onDrained, this);
}

void AudioPlayer::stop()
{
    if (state_ == LOADED)
        return;
    finished();
    if (!stream)
        return;
    cancelDrain();
    // Nothing more of this play may be written after the flush.
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    release(pa_stream_flush(stream, nullptr, nullptr));
}

void AudioPlayer::cancelDrain()
{
    if (!drain)
        return;
    pa_operation_cancel(drain);
    pa_operation_unref(drain);
    drain = nullptr;
}

void AudioPlayer::onStarted(pa_stream*, void* player)
{
    static_cast<AudioPlayer*>(player)->state_ = STARTED;
}

void AudioPlayer::applySoundOutput()
{
    pa_context* context = owner ? owner->readyContext() : nullptr;
    if (!context || !stream || pa_stream_get_state(stream) != PA_STREAM_READY)
        return;
    pa_cvolume level;
    pa_cvolume_set(&level, 1, outputVolume());
    release(pa_context_set_sink_input_volume(context, pa_stream_get_index(stream), &level, nullptr, nullptr));
    release(pa_stream_cork(stream, SoundOutput::paused() ? 1 : 0, nullptr, nullptr));
}

void AudioPlayer::onStateChanged(pa_stream* stream, void* player)
{
    // A stream made while the settings changed takes them once it is ready.
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        static_cast<AudioPlayer*>(player)->applySoundOutput();
    // A stream that failed plays nothing more; the next play makes a new one.
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        static_cast<AudioPlayer*>(player)->finished();
}

void AudioPlayer::onWritable(pa_stream*, size_t bytes, void* player)
{
    static_cast<AudioPlayer*>(player)->writeSamples(bytes);
}

void AudioPlayer::onDrained(pa_stream*, int, void* player)
{
    auto* self = static_cast<AudioPlayer*>(player);
    if (self->drain) {
        pa_operation_unref(self->drain);
        self->drain = nullptr;
    }
    self->finished();
}

void AudioPlayer::finished()
{
    playing = false;
    if (owner)
        owner->playerStopped();
}
