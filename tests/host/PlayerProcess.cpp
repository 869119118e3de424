#include "PlayerProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>

PlayerProcess::PlayerProcess(const QString& appDir, const QStringList& args, const QString& platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(appDir);
    // Its lines are on standard error: waiting for output waits for them.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);
    process.setProgram(QStringLiteral(MCBPLAYER_PATH));
    process.setArguments(args);
    process.start();
    process.waitForStarted();
}

PlayerProcess::~PlayerProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

void PlayerProcess::collect(int waitMs)
{
    process.waitForReadyRead(waitMs);
    pending += process.readAllStandardError();
    int end;
    while ((end = pending.indexOf('\n')) >= 0) {
        lines << QString::fromLatin1(pending.left(end));
        pending.remove(0, end + 1);
    }
}

bool PlayerProcess::expectLine(const QString& line, QStringList* skipped, int timeoutMs)
{
    return !awaitLine([&](const QString& seen) { return seen == line; }, QStringLiteral("\"%1\"").arg(line), skipped,
                      timeoutMs)
                .isNull();
}

QString PlayerProcess::nextLineStartingWith(const QString& prefix, int timeoutMs)
{
    return awaitLine([&](const QString& seen) { return seen.startsWith(prefix); },
                     QStringLiteral("starting with \"%1\"").arg(prefix), nullptr, timeoutMs);
}

QString PlayerProcess::awaitLine(const std::function<bool(const QString&)>& wanted, const QString& what,
                                 QStringList* skipped, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        for (int i = cursor; i < lines.size(); ++i) {
            if (!wanted(lines[i]))
                continue;
            if (skipped)
                *skipped = lines.mid(cursor, i - cursor);
            cursor = i + 1;
            return lines[i];
        }
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
            std::fprintf(stderr, "%s waiting for the player's line %s\n",
                         deadline.hasExpired() ? "timed out" : "the player ended", qPrintable(what));
            return QString();
        }
        collect(int(deadline.remainingTime()));
    }
}

int PlayerProcess::exitStatus(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // Waiting for output also ends when the process does.
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        collect(int(deadline.remainingTime()));
    collect(0);
    if (process.state() != QProcess::NotRunning)
        std::fprintf(stderr, "timed out after %d ms waiting for the player to exit\n", timeoutMs);
    if (process.state() != QProcess::NotRunning || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QStringList PlayerProcess::linesDuring(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && process.state() != QProcess::NotRunning)
        collect(int(deadline.remainingTime()));
    collect(0);
    const QStringList fresh = lines.mid(cursor);
    cursor = lines.size();
    return fresh;
}

quint32 PlayerProcess::window(int timeoutMs)
{
    // --sync waits until such a window is mapped; the tool is stopped at the deadline.
    const QString found = runTool(QStringLiteral("xdotool"),
                                  {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                   QStringLiteral("--pid"), QString::number(pid())},
                                  timeoutMs);
    bool ok = false;
    const quint32 id = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0).toUInt(&ok);
    if (!ok)
        std::fprintf(stderr, "timed out after %d ms waiting for the player's window to be mapped\n", timeoutMs);
    return ok ? id : 0;
}

void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "host_player_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

QString runTool(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit) {
        tool.kill();
        tool.waitForFinished();
        return QString();
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}
