#include "PlayerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

PlayerProcess::PlayerProcess(const QString& appDir, const QStringList& args, const QString& platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(appDir);
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
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        for (int i = cursor; i < lines.size(); ++i) {
            if (lines[i] != line)
                continue;
            if (skipped)
                *skipped = lines.mid(cursor, i - cursor);
            cursor = i + 1;
            return true;
        }
        if (clock.elapsed() > timeoutMs || process.state() == QProcess::NotRunning)
            return false;
        collect(50);
    }
}

int PlayerProcess::exitStatus(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
        collect(50);
    collect(0);
    if (process.state() != QProcess::NotRunning || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QStringList PlayerProcess::linesDuring(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        collect(20);
    const QStringList fresh = lines.mid(cursor);
    cursor = lines.size();
    return fresh;
}

quint32 PlayerProcess::window(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QString found = runTool(QStringLiteral("xdotool"),
                                      {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                       QString::number(pid())});
        bool ok = false;
        const quint32 id = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0).toUInt(&ok);
        if (ok)
            return id;
        QThread::msleep(100);
    }
    return 0;
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
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit)
        return QString();
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}
