// The headless runner ends with status 1, naming the files, when bytes an
// application wrote never reach the disk at its end: by the exit request
// and by running out of work. A file-size limit stands in for a full disk.
#include "FileTestSupport.h"

#include "Assembler.h"

#include <QProcess>

using namespace FileTest;

namespace {

struct RunnerEnd {
    int status = -1;
    QString output;
};

void writeImage(const AppDirectory& app, const Program& program)
{
    const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(program.source(), "lost.s");
    EXPECT_TRUE(image.ok) << image.error;
    app.write("index.mcb", QByteArray(reinterpret_cast<const char*>(image.image.data()), int(image.image.size())));
}

RunnerEnd runImage(const AppDirectory& app)
{
    QProcess runner;
    runner.start(QString::fromLocal8Bit(MCBRUN_PATH), {app.path("index.mcb")});
    EXPECT_TRUE(runner.waitForFinished(30000));
    return {runner.exitCode(), QString::fromUtf8(runner.readAllStandardError())};
}

} // namespace

TEST(LostWrites, EndTheRunnerWithStatusOneNamingTheFiles)
{
    const std::string hundred(100, 'x'); // stays in the stream's buffer until the end
    Program byExit, byIdle;
    write(byExit, openWriter(byExit, "a.txt", false), hundred);
    write(byExit, openWriter(byExit, "b.txt", false), hundred);
    byExit.vec(32, 1, 0, 0);
    const int idleWriter = openWriter(byIdle, "idle.txt", false);
    write(byIdle, idleWriter, hundred);
    byIdle.copy(idleWriter); // the application object keeps the writer from the collector
    byIdle.vec(32, 5, 1, 0);
    const struct {
        const Program* program;
        QStringList names;
    } cases[] = {{&byExit, {QStringLiteral("a.txt"), QStringLiteral("b.txt")}},
                 {&byIdle, {QStringLiteral("idle.txt")}}};
    for (const auto& c : cases) {
        AppDirectory app;
        writeImage(app, *c.program);
        RunnerEnd lost;
        {
            const FileSizeLimit limit(10);
            lost = runImage(app);
        }
        EXPECT_EQ(lost.status, 1) << lost.output.toStdString();
        const QString line = lost.output.section(QLatin1Char('\n'), 0, 0);
        EXPECT_TRUE(line.startsWith(QStringLiteral("LOG: IOException: %1 open file(s) could not be written before exit: ")
                                        .arg(c.names.size())))
            << line.toStdString();
        for (const QString& name : c.names)
            EXPECT_TRUE(line.contains(name)) << line.toStdString();

        const RunnerEnd written = runImage(app);
        EXPECT_EQ(written.status, 0) << written.output.toStdString();
        EXPECT_EQ(written.output, QString());
        for (const QString& name : c.names)
            EXPECT_EQ(app.read(name).size(), 100);
    }
}
