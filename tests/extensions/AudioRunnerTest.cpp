// The runners play sounds: an image reads a raw sound from its directory,
// loads and plays it through extension 28, and the null sink's monitor is
// compared with the file. Without a server the image's other events go on
// and nothing of the sound happens.
#include "Assembler.h"
#include "SoundServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExtensionTest;

namespace {

// main loads sound.raw into a player that the application object keeps, and
// plays it; with `ticks`, a timer of the application logs "tick N" every
// 300 ms and ends the run on the third.
std::string soundImage(bool ticks)
{
    std::string source = R"(
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type App refs=[2]
.frame Main
.string soundFile "sound.raw"
.string playingText "playing"
.string tickText "tick "
main:                       ; [ret]
    new 1, 3                ; word 1 counts the ticks, word 2 holds the player
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
)";
    if (!ticks)
        return source + "    ret 2, 3\ntick:\n    ret 0, 2\n";
    return source + R"(
    push 0
    pick -3
    push 300
    native 33, 1            ; [ret, app, reader, id]
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
    native 32, 1
more:
    ret 0, 2
)";
}

struct RunnerOutcome {
    int status = -1;
    QStringList lines;
};

class AudioInRunners : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "audio-runner-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    void SetUp() override
    {
        player = QLatin1String(GetParam()) == QLatin1String("player");
        if (!SoundServer::available())
            GTEST_SKIP() << "no sound server installed";
        if (player && qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"))
            GTEST_SKIP() << "the player needs a system message bus";
    }

    // Writes the image and the sound into the application directory.
    void prepare(bool ticks, const std::vector<std::int16_t>& sound)
    {
        const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(soundImage(ticks), "sound.s");
        ASSERT_TRUE(image.ok) << image.error;
        QFile out(app.filePath("index.mcb"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(image.image.data()), qint64(image.image.size()));
        out.close();
        QFile raw(app.filePath("sound.raw"));
        ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
        raw.write(reinterpret_cast<const char*>(sound.data()), qint64(sound.size() * 2));
    }

    RunnerOutcome runImage(const QProcessEnvironment& environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(app.path());
        if (player)
            process.start(QStringLiteral(LUMBRA_PLAYER), {});
        else
            process.start(QStringLiteral(LUMBRA_MCBRUN), {app.filePath("index.mcb")});
        RunnerOutcome result;
        bool done = false;
        QObject::connect(&process, &QProcess::finished, [&] { done = true; });
        runEventsUntil([&] { return done; }, 30000);
        if (!done) {
            process.kill();
            process.waitForFinished();
        }
        result.status = done && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.lines = QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        return result;
    }

    static QProcessEnvironment environmentWith(const QByteArray& server)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("PULSE_SERVER", QString::fromLocal8Bit(server));
        return environment;
    }

    bool player = false;
    QTemporaryDir app;
};

TEST_P(AudioInRunners, PlaysTheSoundTheImageLoads)
{
    SoundServer server;
    ASSERT_TRUE(server.start());
    MonitorRecorder recorder(server.address());
    ASSERT_TRUE(recorder.start());
    const std::vector<std::int16_t> sound = testSound(44100 / 2, 7);
    // The headless runner ends once the sound has played; the player at the third tick.
    prepare(player, sound);
    const RunnerOutcome r = runImage(environmentWith(server.address()));
    EXPECT_EQ(r.status, 0) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.contains("LOG: playing"));
    EXPECT_TRUE(r.lines.contains("End of initialize"));
    runEventsFor(200);
    EXPECT_EQ(withoutSilence(recorder.stop()), sound);
}

TEST_P(AudioInRunners, WithoutServerTheApplicationGoesOn)
{
    QFile config(app.filePath("client.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("autospawn = no\n");
    config.close();
    QProcessEnvironment environment = environmentWith("unix:" + app.filePath("no-server/native").toLocal8Bit());
    environment.insert("PULSE_CLIENTCONFIG", config.fileName());
    prepare(true, testSound(4410, 8));
    const RunnerOutcome r = runImage(environment);
    EXPECT_EQ(r.status, 0);
    const QStringList expected{"LOG: playing", "LOG: tick 1", "LOG: tick 2", "LOG: tick 3"};
    EXPECT_EQ(r.lines.filter(QRegularExpression("^LOG: ")), expected) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.filter(QRegularExpression("^(End of|writeSamples)")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Runners, AudioInRunners, ::testing::Values("player"));

} // namespace
