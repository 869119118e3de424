// Symbolic links in an application directory, tried for reading, writing,
// listing and deleting: once with the kernel resolving names beneath the
// directory, once with the component walk forced. The directory is reached
// through a link of its own ("applink -> app"), as an installed one may be.
// Nothing outside "app" may change, whatever the answer.
#include "Assembler.h"
#include "BeneathDirectory.h"
#include "ServicesTestSupport.h"

#include <QDirIterator>

#include <cstdlib>
#include <map>
#include <string>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct LinkCase {
    const char* what;
    const char* file;      // the name read, written and deleted
    const char* directory; // the name listed
    const char* kernel;    // what succeeds with openat2: R read, W write, L list, D delete, I .include
    const char* walk;      // the same with the component walk
};

// The walk refuses every link, even one that stays inside; the kernel
// follows those, and refuses any that leaves, absolute ones included.
const LinkCase CASES[] = {
    {"a link inside staying inside", "infile", "indir", "RWLDI", "-----"},
    {"a link leading outside", "out/secret.txt", "out", "-----", "-----"},
    {"a file link leading outside", "flink", "out", "-----", "-----"},
    {"a dangling link inside", "dangling", "dangling", "-W---", "-----"},
    {"a dangling link outside", "danglingout", "danglingout", "-----", "-----"},
    {"a link into the parent", "parent/victim.txt", "parent", "-----", "-----"},
    {"a link out and back in (../app/x)", "back", "backdir", "-----", "-----"},
    {"an absolute link pointing inside", "abs", "absdir", "-----", "-----"},
    {"a plain name through ../applink", "../applink/data.txt", "../applink/sub", "RWLDI", "RWLDI"},
    {"a plain file", "data.txt", "sub", "RWLDI", "RWLDI"},
};

class LinkTable : public ServicesTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        LUMBRA::BeneathDirectory::forceFallback(GetParam());
        if (!GetParam() && !kernelResolves())
            GTEST_SKIP() << "openat2 is refused here or LUMBRA_NO_OPENAT2 is set: only the walk can be tried";
    }
    static bool kernelResolves()
    {
        if (const char* off = std::getenv("LUMBRA_NO_OPENAT2"); off && *off && std::string(off) != "0")
            return false;
        open_how how {};
        how.flags = O_PATH | O_CLOEXEC;
        how.resolve = RESOLVE_BENEATH;
        const long fd = ::syscall(SYS_openat2, AT_FDCWD, ".", &how, sizeof how);
        if (fd >= 0)
            ::close(int(fd));
        return fd >= 0;
    }
    void TearDown() override
    {
        LUMBRA::BeneathDirectory::forceFallback(false);
        ServicesTest::TearDown();
    }

    // A fresh tree under `base` with services rooted through "applink".
    std::unique_ptr<BasicFrameworkServices> build(const QString& base) const
    {
        auto write = [&](const char* name, const char* text) {
            QDir().mkpath(QFileInfo(base + "/" + name).path());
            QFile file(base + "/" + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        };
        write("outside/secret.txt", "secret");
        write("victim.txt", "victim");
        write("app/data.txt", "data");
        write("app/sub/inner.txt", "inner");
        const std::pair<QString, const char*> links[] = {
            {"data.txt", "infile"},         {"sub", "indir"},
            {"../outside", "out"},          {"../victim.txt", "flink"},
            {"missing.txt", "dangling"},    {"../new.txt", "danglingout"},
            {"..", "parent"},               {"../app/data.txt", "back"},
            {"../app/sub", "backdir"},      {base + "/app/data.txt", "abs"},
            {base + "/app/sub", "absdir"},
        };
        for (const auto& [target, name] : links)
            EXPECT_EQ(::symlink(QFile::encodeName(target).constData(),
                                QFile::encodeName(base + "/app/" + name).constData()), 0) << name;
        EXPECT_EQ(::symlink("app", QFile::encodeName(base + "/applink").constData()), 0);
        return std::make_unique<BasicFrameworkServices>(Str16::fromQString(base + "/applink"));
    }

    // Every entry outside "app" with its contents, links as their targets.
    static std::map<QString, QByteArray> outside(const QString& base)
    {
        std::map<QString, QByteArray> seen;
        QDirIterator it(base, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.startsWith(base + "/app/"))
                continue;
            QFile file(path);
            const QFileInfo info(path);
            seen[path] = info.isSymLink() ? info.symLinkTarget().toUtf8()
                         : info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                            : QByteArray("dir");
        }
        return seen;
    }
};

bool attempt(char operation, BasicFrameworkServices& services, const LinkCase& c)
{
    const OString file = S(c.file);
    switch (operation) {
    case 'R': {
        std::unique_ptr<LUMBRA::InputStream> in(services.openFileForReading(file));
        char byte = 0;
        return in && in->size() > 0 && in->read(&byte, 1);
    }
    case 'W': {
        std::unique_ptr<LUMBRA::OutputStream> out(services.openFileForWriting(file, 1));
        return out && out->write("w", 1) && out->close() == 0;
    }
    case 'L': {
        Vec<OString> files, directories;
        return services.listDirectory(S(c.directory), files, directories) && files.size() == 1;
    }
    case 'I': {
        // The assembler's main source sits in the application directory;
        // the included text is no assembly, but whether it was read shows.
        const std::string main = QFile::encodeName(services.applicationDirectoryPath().toQString()).toStdString() + "/main.s";
        const LumbraAsm::AssemblyResult r = LumbraAsm::assemble(".include \"" + std::string(c.file) + "\"\n", main);
        return r.error.find("cannot read include file") == std::string::npos &&
               r.error.find("leaves the directory") == std::string::npos;
    }
    default:
        return services.deleteFile(file);
    }
}

TEST_P(LinkTable, EveryLinkAnswersAsTheTableSaysAndNothingOutsideChanges)
{
    for (const LinkCase& c : CASES) {
        const char* expected = GetParam() ? c.walk : c.kernel;
        for (int i = 0; i < 5; ++i) {
            const char operation = "RWLDI"[i];
            QTemporaryDir tree;
            ASSERT_TRUE(tree.isValid());
            auto services = build(tree.path());
            const auto before = outside(tree.path());
            EXPECT_EQ(attempt(operation, *services, c), expected[i] == operation)
                << c.what << ": " << operation << (GetParam() ? " (walk)" : " (openat2)");
            EXPECT_EQ(outside(tree.path()), before) << c.what << ": " << operation;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Resolution, LinkTable, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ComponentWalk" : "Openat2"; });

} // namespace
