// Extension 28: plays sounds that the application holds in memory. Requests
// never wait for the sound server: each one that needs it becomes a deferred
// operation, run in queue order once the server connection is ready. A
// pending play or stop keeps its player alive (a root of the managed heap); a
// pending load alone does not, so a sound the application drops before the
// server comes is collected with its load.
//
// While no server is connected at most one play or stop per player waits
// behind its load, the latest, and at most MAX_WAITING_PLAYERS players wait
// with one (the oldest gives way), so an application that loads and plays a
// sound per frame without a server does not pile up operations or sounds.
#pragma once

#include "AudioConnection.h"
#include "ExtensionCall.h"

#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class AudioPlayer;
class VMHeap;

class AudioContext : public VMExtension {
public:
    enum Operation { INITIALIZE, PLAY, STOP };
    static constexpr int MAX_WAITING_PLAYERS = 64;

    explicit AudioContext(VirtualMachine& vm);
    ~AudioContext() override;

    int call(unsigned operation, int top, TWord* stack) override;
    // Operations waiting or a sound playing, while a server is connected or
    // being connected to.
    bool hasPendingWork() const override;

    // The server context while it is ready, else null.
    pa_context* readyContext() const;
    bool isReady() const { return connection.isReady(); }
    int pendingCount() const { return int(pending.size() + loadsWaiting.size()); }

    // Players announce themselves so that they can be told when the server goes.
    void adopt(AudioPlayer* player) { players.insert(player); }
    // A destroyed player's pending operations are dropped.
    void forget(AudioPlayer* player);
    // A player stopped playing: the last sample was played, or a stop or failure.
    void playerStopped() const { reportWorkEnded(); }
    // Every live context's players take the present SoundOutput settings.
    static void applySoundOutput();

private:
    struct DeferredOperation {
        DeferredOperation(VMHeap& heap, AudioPlayer* player, TAddr block, Operation operation);
        ~DeferredOperation();
        DeferredOperation(const DeferredOperation&) = delete;
        DeferredOperation& operator=(const DeferredOperation&) = delete;
        void run() const;
        bool keepsPlayerAlive() const { return operation != INITIALIZE; }

        VMHeap& heap;
        AudioPlayer* player;
        TAddr block;
        Operation operation;
    };

    void queue(TAddr block, AudioPlayer* player, Operation operation);
    void runPending();
    void serverLost();
    int load(const ExtensionCall& call);
    AudioPlayer& playerIn(const ExtensionCall& call, TAddr& block);

    VirtualMachine& vm;
    // Plays and stops; bounded while no server is connected.
    std::vector<std::unique_ptr<DeferredOperation>> pending;
    // Loads waiting for the server, in load order. Every sound loaded without a
    // server waits here, so dropping one must not scan them all.
    std::map<TUint64, AudioPlayer*> loadsWaiting;
    std::unordered_map<AudioPlayer*, TUint64> loadNumbers;
    TUint64 loadsMade = 0;
    std::set<AudioPlayer*> players;
    AudioConnection connection;
};
