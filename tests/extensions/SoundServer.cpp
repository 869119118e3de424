#include "SoundServer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <cstring>

namespace ExtensionTest {

namespace {

std::vector<std::int16_t> samplesOf(const QByteArray& data)
{
    std::vector<std::int16_t> samples(size_t(data.size()) / 2);
    std::memcpy(samples.data(), data.constData(), samples.size() * 2);
    return samples;
}

} // namespace

bool runEventsUntil(const std::function<bool()>& done, int limitMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

SoundServer::SoundServer() = default;

SoundServer::~SoundServer()
{
    stop();
}

bool SoundServer::available()
{
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("parec").isEmpty();
}

bool SoundServer::start()
{
    // The server may work as its own user: it must reach the folder.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ExeGroup | QFileDevice::ExeOther);
    server.setStandardErrorFile(dir.filePath("server.log"), QIODevice::Append);
    server.start(QStringLiteral(LUMBRA_SOURCE_DIR "/scripts/pulse-test-server"), {dir.filePath("pulse")});
    const QString socket = dir.filePath("pulse/native");
    return runEventsUntil([&] { return QFileInfo(socket).exists(); }, 10000);
}

void SoundServer::stop()
{
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    server.waitForFinished(10000);
}

QByteArray SoundServer::address() const
{
    return "unix:" + dir.filePath("pulse/native").toLocal8Bit();
}

MonitorRecorder::MonitorRecorder(const QByteArray& serverAddress)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", QString::fromLocal8Bit(serverAddress));
    parec.setProcessEnvironment(env);
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, [this] {
        data += parec.readAllStandardOutput();
        if (dataHandler)
            dataHandler();
    });
}

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

bool MonitorRecorder::start()
{
    parec.start("parec", {"--device=lumbra_null.monitor", "--format=s16le", "--channels=1", "--rate=44100", "--raw",
                          "--latency-msec=20"});
    return runEventsUntil([&] { return data.size() >= 2000; }, 10000);
}

std::vector<std::int16_t> MonitorRecorder::stop()
{
    if (parec.state() != QProcess::NotRunning) {
        parec.terminate();
        parec.waitForFinished(5000);
        data += parec.readAllStandardOutput();
    }
    return samplesOf(data);
}

std::vector<std::int16_t> MonitorRecorder::sound()
{
    return withoutSilence(samplesOf(data));
}

std::vector<std::int16_t> testSound(int count, int seed)
{
    std::vector<std::int16_t> samples;
    std::uint32_t state = std::uint32_t(seed) * 2654435761u;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        const int magnitude = 1 + int((state >> 16) % 20000);
        samples.push_back(std::int16_t((state & 0x100) ? magnitude : -magnitude));
    }
    return samples;
}

std::vector<std::int16_t> withoutSilence(const std::vector<std::int16_t>& samples)
{
    std::vector<std::int16_t> sound;
    for (std::int16_t s : samples)
        if (s != 0)
            sound.push_back(s);
    return sound;
}

} // namespace ExtensionTest
