// audio_latency: the time from the play operation to the first non-silent
// sample recorded from the null sink's monitor, median of 20 plays of one
// loaded sound on a private sound server. The figure includes the recorder's
// own latency (20 ms requested).
#include "AudioContext.h"
#include "ExtensionTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace ExtensionTest;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!SoundServer::installed()) {
        std::fprintf(stderr, "audio_latency: no sound server installed\n");
        return 1;
    }
    SoundServer server;
    if (!server.start())
        return 1;
    setenv("PULSE_SERVER", server.address().constData(), 1);
    MonitorRecorder recorder(server.address());
    if (!recorder.start())
        return 1;
    auto heard = [&] { return withoutSilence(recorder.data).size(); };

    MachineWithExtensions m;
    const TAddr player = m.box();
    m.call(28, 2, {TWord(player), TWord(m.byteArray(testSound(4410, 1))), 0});
    auto* audio = static_cast<AudioContext*>(m.registry->created(28));
    if (!awaitEvent("the sound server's connection", [&] { return audio->isReady(); }, 10000))
        return 1;

    std::vector<double> latencies;
    QElapsedTimer clock;
    size_t heardBefore = 0;
    qint64 heardAt = -1;
    recorder.onData = [&] {
        if (heardAt < 0 && heard() > heardBefore)
            heardAt = clock.nsecsElapsed();
    };
    for (int i = 0; i < 20; ++i) {
        (void)awaitEvent("the sound's requests to be done", [&] { return !audio->hasPendingWork(); }, 10000);
        runEventsFor(200);
        heardBefore = heard();
        heardAt = -1;
        clock.start();
        m.call(28, 3, {TWord(player)});
        if (!awaitEvent("sound on the monitor", [&] { return heardAt >= 0; }, 10000))
            return 1;
        latencies.push_back(double(heardAt) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("play to first recorded sample: median %.1f ms (min %.1f, max %.1f) over %zu plays\n",
                (latencies[9] + latencies[10]) / 2, latencies.front(), latencies.back(), latencies.size());
    return 0;
}
