// One loaded sound: a private copy of its samples (signed 16-bit little
// endian, one channel, 44100 Hz) and the playback stream that plays it.
// A managed object; the collector releases it once neither bytecode nor a
// pending operation holds it.
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <cstddef>
#include <vector>

class AudioContext;
struct pa_stream;
struct pa_operation;

class AudioPlayer : public GCObject {
public:
    // Size of the managed block, as in the 32-bit object layout.
    static constexpr TUint32 BLOCK_SIZE = 28;
    // Host bytes beyond the object and its samples, per player.
    static constexpr int ALLOCATION_EXTRA = 64;

    enum State { PLAY_REQUESTED = 0, STARTED = 1, LOADED = 2 };

    AudioPlayer(AudioContext* owner, const TUint8* bytes, int length);
    ~AudioPlayer() override;
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    // The samples, this object and the allocator's headers (the stream's
    // buffers are the sound server's).
    int sizeOutsideHeap() const override { return int(samples.size() + sizeof(*this)) + ALLOCATION_EXTRA; }

    // The deferred operations; they run only while the context is connected.
    void initialize();
    void play();
    void stop();
    // Hands the server up to `requested` more bytes of the sound.
    void writeSamples(size_t requested);

    // Gives the stream the present volume, mute and pause of SoundOutput.
    void applySoundOutput();
    // Lets go of the stream (its server went away); the next play makes a new one.
    void releaseStream();
    // The context is going away: no stream, no more operations.
    void detach();

    State state() const { return state_; }
    size_t offset() const { return offset_; }
    // From a play until the server has played the last sample or a stop.
    bool isPlaying() const { return playing; }

private:
    static void onStarted(pa_stream* stream, void* player);
    static void onStateChanged(pa_stream* stream, void* player);
    static void onWritable(pa_stream* stream, size_t bytes, void* player);
    static void onDrained(pa_stream* stream, int success, void* player);

    void cancelDrain();
    // Playing has ended; the context is told.
    void finished();
    // Bytes that can be played: whole samples only.
    size_t playableLength() const { return samples.size() & ~size_t(1); }

    AudioContext* owner;
    pa_stream* stream = nullptr;
    std::vector<TUint8> samples;
    size_t offset_ = 0;
    State state_ = LOADED;
    pa_operation* drain = nullptr;
    bool playing = false;
};
