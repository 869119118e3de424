// e2e_driver MCBRUN CASE.s IMAGE.mcb: runs one end-to-end case through the
// headless runner and checks its standard error and exit status against the
// expectations written in the case file. Exit status 0 when they match.
#include "E2eCase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int RUN_TIMEOUT_MS = 60000;

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
    if (argc != 4)
        return fail(QStringLiteral("usage: e2e_driver MCBRUN CASE.s IMAGE.mcb"));
    const QString runner = QString::fromLocal8Bit(argv[1]);
    const QString casePath = QString::fromLocal8Bit(argv[2]);
    QString image = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();

    bool ok = false;
    const QByteArray source = readAll(casePath, ok);
    if (!ok)
        return fail(QStringLiteral("cannot read ") + casePath);
    E2eCase expectations;
    QString error;
    if (!parseE2eCase(QString::fromLatin1(source), expectations, error))
        return fail(casePath + QStringLiteral(": ") + error);

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
    if (expectations.imageMissing)
        image = QFileInfo(image).absolutePath() + QStringLiteral("/absent.mcb");
    const QString appDir = QFileInfo(image).absolutePath();

    for (const auto& file : expectations.expectedFiles)
        QFile::remove(QDir(appDir).filePath(file.first));

    QProcess process;
    process.setProgram(runner);
    process.setArguments(expectations.runArgs + QStringList{image});
    process.setWorkingDirectory(appDir);
    process.start();
    if (!process.waitForFinished(RUN_TIMEOUT_MS)) {
        process.kill();
        process.waitForFinished();
        return fail(QStringLiteral("mcbrun did not finish: ") + process.errorString());
    }
    const QString stderrText = QString::fromLatin1(process.readAllStandardError());
    QStringList lines = stderrText.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    QString problem;
    if (process.exitStatus() != QProcess::NormalExit)
        problem = QStringLiteral("mcbrun crashed");
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
