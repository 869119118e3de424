// A private sound server with a null sink for the playback tests, and a
// recorder of the sink's monitor. Both are real processes: the server is
// scripts/pulse-test-server, the recorder parec.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <vector>

namespace ExtensionTest {

// Runs the event loop until `done` holds or `limitMs` passed; answers `done()`.
bool runEventsUntil(const std::function<bool()>& done, int limitMs);
// Runs the event loop for `ms`.
void runEventsFor(int ms);

class SoundServer {
public:
    SoundServer();
    ~SoundServer();
    // Starts the server and waits for its socket; false when it does not come.
    bool start();
    void stop();
    // The value for PULSE_SERVER.
    QByteArray address() const;
    static bool available();

private:
    QTemporaryDir dir;
    QProcess server;
};

class MonitorRecorder {
public:
    explicit MonitorRecorder(const QByteArray& serverAddress);
    ~MonitorRecorder();
    // Starts recording and waits until the first data arrives.
    bool start();
    // Stops recording; answers every sample recorded.
    std::vector<std::int16_t> stop();
    // The samples so far that are not 0 (silence before, between and after).
    std::vector<std::int16_t> sound();
    // Runs each time data arrives, after it has been added.
    void onData(std::function<void()> handler) { dataHandler = std::move(handler); }

private:
    QProcess parec;
    QByteArray data;
    std::function<void()> dataHandler;
};

// Samples without a 0 among them, so that silence can be told apart.
std::vector<std::int16_t> testSound(int count, int seed = 1);
std::vector<std::int16_t> withoutSilence(const std::vector<std::int16_t>& samples);

} // namespace ExtensionTest
