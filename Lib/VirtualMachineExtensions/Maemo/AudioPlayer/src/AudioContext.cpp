#include "AudioContext.h"

#include "AudioPlayer.h"
#include "ExtensionIds.h"
#include "OVector.h"
#include "VMError.h"
#include "values/ObjectWrapper.h"

#include "SoundOutput.h"

#include <algorithm>
#include <set>

namespace {
// The contexts that exist, to be told about changes of the sound output.
std::set<AudioContext*>& liveContexts()
{
    static std::set<AudioContext*> contexts;
    return contexts;
}
int outputVolume = SoundOutput::MAX_VOLUME;
bool outputMuted = false;
bool outputPaused = false;
} // namespace

namespace SoundOutput {

void setLevel(int level, bool mute)
{
    outputVolume = std::clamp(level, 0, MAX_VOLUME);
    outputMuted = mute;
    AudioContext::applySoundOutput();
}

int volume()
{
    return outputVolume;
}

bool muted()
{
    return outputMuted;
}

void setPaused(bool pause)
{
    outputPaused = pause;
    AudioContext::applySoundOutput();
}

bool paused()
{
    return outputPaused;
}

} // namespace SoundOutput

void AudioContext::applySoundOutput()
{
    for (AudioContext* context : liveContexts())
        for (AudioPlayer* player : context->players)
            player->applySoundOutput();
}

AudioContext::DeferredOperation::DeferredOperation(VMHeap& heap, AudioPlayer* player, TAddr block, Operation operation)
    : heap(heap), player(player), block(block), operation(operation)
{
    if (keepsPlayerAlive())
        heap.addRoot(block);
}

AudioContext::DeferredOperation::~DeferredOperation()
{
    if (keepsPlayerAlive())
        heap.removeRoot(block);
}

void AudioContext::DeferredOperation::run() const
{
    switch (operation) {
    case INITIALIZE:
        player->initialize();
        break;
    case PLAY:
        player->play();
        break;
    case STOP:
        player->stop();
        break;
    }
}

AudioContext::AudioContext(VirtualMachine& vm)
    : vm(vm), connection("nimbo-vm", [this] { runPending(); }, [this] { serverLost(); })
{
    liveContexts().insert(this);
}

AudioContext::~AudioContext()
{
    liveContexts().erase(this);
    // Discarded without being run; the players outlive the context in the heap.
    pending.clear();
    loadsWaiting.clear();
    loadNumbers.clear();
    for (AudioPlayer* player : players)
        player->detach();
}

pa_context* AudioContext::readyContext() const
{
    return connection.isReady() ? connection.context() : nullptr;
}

bool AudioContext::hasPendingWork() const
{
    if (!connection.isConnecting())
        return false;
    return !pending.empty() || !loadsWaiting.empty() ||
           std::any_of(players.begin(), players.end(), [](const AudioPlayer* p) { return p->isPlaying(); });
}

void AudioContext::forget(AudioPlayer* player)
{
    players.erase(player);
    if (const auto load = loadNumbers.find(player); load != loadNumbers.end()) {
        loadsWaiting.erase(load->second);
        loadNumbers.erase(load);
    }
    std::erase_if(pending, [player](const auto& op) { return op->player == player; });
}

void AudioContext::queue(TAddr block, AudioPlayer* player, Operation operation)
{
    if (operation == INITIALIZE) {
        // Without a server the load waits; it keeps nothing alive.
        if (connection.isReady()) {
            player->initialize();
        } else {
            loadsWaiting.emplace(loadsMade, player);
            loadNumbers.emplace(player, loadsMade++);
        }
        return;
    }
    if (!connection.isReady()) {
        std::erase_if(pending, [player](const auto& op) { return op->player == player && op->keepsPlayerAlive(); });
        const auto waiting = std::count_if(pending.begin(), pending.end(), [](const auto& op) { return op->keepsPlayerAlive(); });
        if (waiting >= MAX_WAITING_PLAYERS)
            pending.erase(std::find_if(pending.begin(), pending.end(), [](const auto& op) { return op->keepsPlayerAlive(); }));
    }
    pending.push_back(std::make_unique<DeferredOperation>(vm.heap(), player, block, operation));
    if (connection.isReady())
        runPending();
}

void AudioContext::runPending()
{
    // Running an operation never queues another, so the lists are stable here.
    // Each player's load ran before its plays and stops.
    for (const auto& [number, player] : loadsWaiting)
        player->initialize();
    loadsWaiting.clear();
    loadNumbers.clear();
    for (const auto& op : pending)
        op->run();
    pending.clear();
}

void AudioContext::serverLost()
{
    for (AudioPlayer* player : players)
        player->releaseStream();
    reportWorkEnded();
}

AudioPlayer& AudioContext::playerIn(const ExtensionCall& call, TAddr& block)
{
    block = TAddr(call.wrapperWord(0));
    return *vm.heap().objectAs<AudioPlayer>(block);
}

int AudioContext::load(const ExtensionCall& call)
{
    call.wrapperWord(0); // the result wrapper is checked before anything is made
    const TWord vector = call.wrapperWord(1);
    if (vector == 0)
        Lumbra::Arena::nullAddress();
    const auto& bytes = *vm.heap().objectAs<OVector<ByteElement>>(TAddr(vector));
    if (bytes.size() <= 0)
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    const TAddr block = vm.heap().create<AudioPlayer>(AudioPlayer::BLOCK_SIZE, GC_CODE_NATIVE, this,
                                                      reinterpret_cast<const TUint8*>(bytes.constData()), bytes.size());
    queue(block, vm.heap().objectAs<AudioPlayer>(block), INITIALIZE);
    call.setWrapperWord(0, TWord(block));
    return call.leaveNothing();
}

int AudioContext::call(unsigned operation, int top, TWord* stack)
{
    static constexpr const char* UNKNOWN = "AudioPlayer: Unknown opcode!";
    const ExtensionCall call = ExtensionCall::declared(vm, AUDIO_ID, operation, top, stack, UNKNOWN);
    switch (operation) {
    case 1:
        call.setWrapperWord(0, 0);
        return call.leaveNothing();
    case 2:
        return load(call);
    case 3:
    case 4: {
        TAddr block = 0;
        AudioPlayer& player = playerIn(call, block);
        queue(block, &player, operation == 3 ? PLAY : STOP);
        return call.leaveNothing();
    }
    case 7:
    case 8:
    case 10:
    case 12:
    case 13:
        return call.leave({0});
    case 6:
    case 9:
    case 11:
    case 14:
        return call.leaveNothing();
    default: // declared without a case here
        unknownOperation(vm, UNKNOWN);
    }
}
