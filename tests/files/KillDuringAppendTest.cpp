// The headless runner is killed (SIGKILL) while it appends to a file; the
// bytes the file held before must survive. The runner is stopped at the
// first change of the file's size, which is the moment a truncating append
// would have exposed the loss.
#include "FileTestSupport.h"

#include "Assembler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace FileTest;

namespace {

// Opens data.log for appending and writes a 4 KiB chunk forever.
std::string appendingForever()
{
    Program p;
    const int w = openWriter(p, "data.log", true);
    const int chunk = bytesOf(p, std::string(4096, 'n'));
    p.line("loop:", 0);
    p.copy(w);
    p.copy(chunk);
    p.vec(OUTPUT_STREAM, 3, 2, 0);
    p.line("jmp loop", 0);
    return p.source();
}

QByteArray oldContent()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < (16 << 20); ++i)
        bytes += QByteArray::number(i) + ' ';
    return bytes;
}

} // namespace

TEST(KillDuringAppend, TheOldContentSurvives)
{
    AppDirectory app;
    const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(appendingForever(), "append.s");
    ASSERT_TRUE(image.ok) << image.error;
    app.write("index.mcb", QByteArray(reinterpret_cast<const char*>(image.image.data()), int(image.image.size())));
    const QByteArray old = oldContent();
    app.write("data.log", old);
    const QString log = app.path("data.log");

    QProcess runner;
    runner.start(QString::fromLocal8Bit(MCBRUN_PATH), {app.path("index.mcb")});
    ASSERT_TRUE(runner.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    qint64 size = old.size();
    while (size == old.size() && waited.elapsed() < 30000 && runner.state() == QProcess::Running)
        size = QFileInfo(log).size();
    runner.kill(); // SIGKILL: no destructor, no flush
    runner.waitForFinished();
    EXPECT_EQ(runner.exitStatus(), QProcess::CrashExit) << runner.readAllStandardError().toStdString();
    EXPECT_GT(size, old.size()) << "the file shrank or never grew while appending";

    const QByteArray after = app.read("data.log");
    ASSERT_GE(after.size(), old.size());
    EXPECT_TRUE(after.left(old.size()) == old) << "old content damaged";
    EXPECT_EQ(after.mid(old.size()).count('n'), after.size() - old.size());
}
