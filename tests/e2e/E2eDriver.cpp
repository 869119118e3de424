// e2e_driver [--player] RUNNER CASE.s IMAGE.mcb: runs one end-to-end case
// through the headless runner (or, with --player, through the player on the
// offscreen platform) and checks its standard error and exit status against
// the expectations written in the case file. Exit status 0 when they match,
// SKIPPED when the player has no message bus to run with, or a service the
// case names is missing (a failure when the run requires every service).
#include "E2eCase.h"
#include "TestServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int RUN_TIMEOUT_MS = 60000;
// The status CTest reads as "skipped" (SKIP_RETURN_CODE).
constexpr int SKIPPED = 77;

// Whether a system message bus can be reached, as the player needs one.
bool systemBusConfigured(const QProcessEnvironment& environment)
{
    return environment.contains(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"))
        || QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"));
}

// Whether `service` (a name of a case's "services:" line) can be reached.
bool servicePresent(const QString& service, const QProcessEnvironment& environment)
{
    if (service == QLatin1String("x11"))
        return !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (service == QLatin1String("dbus"))
        return environment.contains(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")) || systemBusConfigured(environment);
    if (service == QLatin1String("pulse"))
        return !environment.value(QStringLiteral("PULSE_SERVER")).isEmpty()
            || QFileInfo::exists(environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/pulse/native"));
    return !QStandardPaths::findExecutable(QStringLiteral("gpsd")).isEmpty();
}

// Starts `program` with `argv0` as its argv[0] (through the shell's exec -a).
void startAs(QProcess& process, const QString& program, const QString& argv0, const QStringList& args)
{
    if (argv0.isEmpty()) {
        process.setProgram(program);
        process.setArguments(args);
    } else {
        process.setProgram(QStringLiteral("/bin/bash"));
        process.setArguments(QStringList{QStringLiteral("-c"), QStringLiteral("exec -a \"$0\" \"$@\""), argv0, program} + args);
    }
    process.start();
}

int fail(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

QByteArray readAll(const QString& path, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    const bool player = argc == 5 && QLatin1String(argv[1]) == QLatin1String("--player");
    if (argc != 4 && !player)
        return fail(QStringLiteral("usage: e2e_driver [--player] RUNNER CASE.s IMAGE.mcb"));
    argv += player ? 1 : 0;
    const QString runner = QString::fromLocal8Bit(argv[1]);
    const QString casePath = QString::fromLocal8Bit(argv[2]);
    QString image = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();

    bool ok = false;
    const QByteArray source = readAll(casePath, ok);
    if (!ok)
        return fail(QStringLiteral("cannot read ") + casePath);
    const QString mode = player ? QStringLiteral("player") : QStringLiteral("mcbrun");
    E2eCase expectations;
    QString error;
    if (!parseE2eCase(QString::fromLatin1(source), mode, expectations, error))
        return fail(casePath + QStringLiteral(": ") + error);
    if (!expectations.modes.contains(mode))
        return fail(casePath + QStringLiteral(": not a case for ") + mode);

    QTemporaryDir scratch;
    if (expectations.truncateTo >= 0) {
        const QByteArray bytes = readAll(image, ok);
        if (!ok || !scratch.isValid())
            return fail(QStringLiteral("cannot prepare a truncated copy of ") + image);
        image = scratch.filePath(QStringLiteral("index.mcb"));
        QFile copy(image);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes.left(expectations.truncateTo)) < 0)
            return fail(QStringLiteral("cannot write ") + image);
    }
    if (expectations.imageMissing) {
        // The player always reads index.mcb: it runs in an empty directory.
        if (player && !scratch.isValid())
            return fail(QStringLiteral("cannot make an empty directory"));
        image = player ? scratch.filePath(QStringLiteral("index.mcb"))
                       : QFileInfo(image).absolutePath() + QStringLiteral("/absent.mcb");
    }
    const QString appDir = QFileInfo(image).absolutePath();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (player) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR")) && scratch.isValid())
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.path());
    }
    for (const QString& setting : expectations.runEnvironment) {
        const int equals = setting.indexOf(QLatin1Char('='));
        environment.insert(setting.left(equals), setting.mid(equals + 1).replace(QStringLiteral("@APPDIR@"), appDir));
    }
    std::string missing =
        player ? TestSupport::missingService("dbus", systemBusConfigured(environment), "no system message bus for the player")
               : std::string();
    for (const QString& service : expectations.services) {
        if (missing.empty())
            missing = TestSupport::missingService(service.toStdString(), servicePresent(service, environment),
                                                  "not reachable from the case's environment");
    }
    if (!missing.empty()) {
        if (TestSupport::servicesRequired())
            return fail(QString::fromStdString(missing + " (LUMBRA_REQUIRE_SERVICES is set)"));
        std::printf("%s: skipped\n", missing.c_str());
        TestSupport::recordSkip(std::string(player ? "e2e.player." : "e2e.") + QFileInfo(casePath).completeBaseName().toStdString(),
                                missing);
        return SKIPPED;
    }

    for (const auto& file : expectations.expectedFiles)
        QFile::remove(QDir(appDir).filePath(file.first));
    for (const auto& file : expectations.givenFiles) {
        const QString path = QDir(appDir).filePath(file.first);
        QFile given(path);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !given.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || given.write(file.second) != file.second.size())
            return fail(QStringLiteral("cannot write ") + path);
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(appDir);
    startAs(process, runner, expectations.argv0, expectations.runArgs + (player ? QStringList() : QStringList{image}));
    if (!process.waitForFinished(RUN_TIMEOUT_MS)) {
        process.kill();
        process.waitForFinished();
        return fail(QStringLiteral("the runner did not finish: ") + process.errorString());
    }
    const QString stderrText = QString::fromLatin1(process.readAllStandardError());
    QStringList lines = stderrText.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    lines = withoutIgnored(lines, expectations.ignoredPrefixes);

    QString problem;
    if (process.exitStatus() != QProcess::NormalExit)
        problem = QStringLiteral("the runner crashed");
    else if (process.exitCode() != expectations.expectedExit)
        problem = QStringLiteral("exit status %1, expected %2").arg(process.exitCode()).arg(expectations.expectedExit);
    else
        problem = compareLines(expectations.expectedLines, lines, appDir);
    for (const auto& file : expectations.expectedFiles) {
        if (!problem.isEmpty())
            break;
        const QByteArray content = readAll(QDir(appDir).filePath(file.first), ok);
        if (!ok || content != file.second)
            problem = QStringLiteral("file %1 holds \"%2\", expected \"%3\"")
                          .arg(file.first, QString::fromLatin1(content), QString::fromLatin1(file.second));
    }
    if (problem.isEmpty())
        return 0;
    return fail(problem + QStringLiteral("\n--- standard error ---\n") + stderrText);
}
