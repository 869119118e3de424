// Both runners play sounds: an image reads a raw sound from its directory,
// plays it through extension 28 and ticks a timer three times; the null
// sink's monitor is compared with the file. The headless runner ends by
// itself once nothing can happen any more; the player is ended by the test.
#include "Assembler.h"
#include "ExtensionTestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace ExtensionTest;

namespace {

// The application object: word 1 counts the ticks, word 2 holds the player
// wrapper, word 3 the timer, which the third tick removes.
constexpr const char* SOUND_IMAGE = R"(
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type App refs=[2]
.frame Main
.string soundFile "sound.raw"
.string playingText "playing"
.string tickText "tick "
main:                       ; [ret]
    new 1, 4
    dup
    settype App
    dup
    native 32, 5            ; [ret, app]
    push 0
    box                     ; [ret, app, reader]
    pick -1
    pushstr soundFile
    native 24, 1
    pick -2
    fieldaddr 2
    push 0
    box
    store
    pick -2
    fieldaddr 2
    load                    ; [ret, app, reader, player]
    pick -1
    pick -3
    pick -4
    native 24, 4            ; [ret, app, reader, player, player, reader, size]
    native 23, 3            ; [ret, app, reader, player, player, bytes]
    push 0
    ext 28, 2               ; load: [ret, app, reader, player]
    ext 28, 3               ; play: [ret, app, reader]
    pushstr playingText
    native 30, 1
    push 0
    pick -3
    push 100
    native 33, 1            ; [ret, app, reader, id]
    pick -3
    fieldaddr 3
    pick -2
    store
    ret 3, 4
tick:                       ; [listener, ret]
    pick -2
    fieldaddr 1
    inc.at
    pushstr tickText
    pick -3
    fieldaddr 1
    load
    itos
    native 8, 48
    native 30, 1
    pick -2
    fieldaddr 1
    load
    push 3
    eq
    jz more
    push 0
    pick -3
    fieldaddr 3
    load
    native 33, 2            ; the third tick removes the timer
more:
    ret 0, 2
)";

class AudioInRunners : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        player = QLatin1String(GetParam()) == QLatin1String("player");
        LUMBRA_NEEDS_SERVICE("pulse", SoundServer::installed(), "pulseaudio is not installed");
        if (player)
            LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"),
                                 "no DBUS_SYSTEM_BUS_ADDRESS for the player");
        ensureApplication();
        const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(SOUND_IMAGE, "sound.s");
        ASSERT_TRUE(image.ok) << image.error;
        write("index.mcb", QByteArray(reinterpret_cast<const char*>(image.image.data()), qsizetype(image.image.size())));
        write("sound.raw", QByteArray(reinterpret_cast<const char*>(sound.data()), qsizetype(sound.size() * 2)));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(app.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Runs the image until the runner ends, or (the player) until `enough`
    // holds; answers the exit status of a runner that ended by itself, or -1.
    int runImage(const std::function<bool()>& enough)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(app.path());
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [&] { err += QString::fromLocal8Bit(process.readAllStandardError()); });
        process.start(player ? LUMBRA_PLAYER : LUMBRA_MCBRUN, player ? QStringList() : QStringList{"index.mcb"});
        // The player runs until it is stopped; only its sound is awaited.
        const bool done = awaitEvent(player ? "the player to play the sound" : "mcbrun to end",
                                     [&] { return process.state() == QProcess::NotRunning || (player && enough()); },
                                     30000);
        EXPECT_TRUE(done) << err.toStdString();
        const bool ended = process.state() == QProcess::NotRunning;
        process.terminate();
        process.waitForFinished(5000);
        err += QString::fromLocal8Bit(process.readAllStandardError());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QStringList lines(const char* pattern) const { return err.split('\n').filter(QRegularExpression(pattern)); }

    bool player = false;
    QTemporaryDir app;
    const Sound sound = testSound(44100 * 6 / 5, 7); // outlasts the ticks
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString err;
};

const QStringList LOGS{"LOG: playing", "LOG: tick 1", "LOG: tick 2", "LOG: tick 3"};

TEST_P(AudioInRunners, PlaysTheSoundTheImageLoads)
{
    SoundServer server;
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    environment.insert("PULSE_SERVER", QString::fromLocal8Bit(server.address()));
    const int status = runImage([&] { return withoutSilence(recorder.data).size() >= sound.size(); });
    EXPECT_EQ(status, player ? -1 : 0) << err.toStdString();
    EXPECT_EQ(lines("^LOG: "), LOGS);
    EXPECT_EQ(lines("^End of initialize$").size(), 1);
    EXPECT_EQ(recorder.stop(), sound);
}

TEST_P(AudioInRunners, WithoutServerTheApplicationGoesOn)
{
    write("client.conf", "autospawn = no\n");
    environment.insert("PULSE_CLIENTCONFIG", app.filePath("client.conf"));
    environment.insert("PULSE_SERVER", "unix:" + app.filePath("no-server/native"));
    const int status = runImage([&] { return err.contains("LOG: tick 3"); });
    EXPECT_EQ(status, player ? -1 : 0) << err.toStdString();
    EXPECT_EQ(lines("^LOG: "), LOGS);
    EXPECT_TRUE(lines("^(End of|writeSamples)").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Runners, AudioInRunners, ::testing::Values("mcbrun", "player"));

} // namespace
