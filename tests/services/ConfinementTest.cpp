// Every file service against hostile names on a real tree: the application
// directory "app" with a link to a third directory beside it, a victim file,
// a victim directory and a sibling "app2" whose name starts like it.
// Nothing outside "app" may change; the application directory itself stays.
#include "ServicesTestSupport.h"

#include "BeneathDirectory.h"

#include <QDirIterator>

#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>

namespace {

OString S(const std::u16string& text)
{
    return OString::fromU16(text);
}

// The temporary directory is the root; the application directory is "app" in it.
class ConfinementTest : public ServicesTest {
protected:
    void SetUp() override
    {
        ServicesTest::SetUp();
        for (const char* name : {"victim.txt", "victimdir/v.txt", "app2/v.txt", "third/t.txt", "app/keep.txt",
                                 "app/sub/inner.txt"})
            writeFile(name, name);
        ASSERT_TRUE(QFile::link(hostPath("third"), hostPath("app/link")));
        services = std::make_unique<BasicFrameworkServices>(Str16::fromQString(hostPath("app")));
    }

    // Every entry outside "app" with its kind, contents and modification time
    // in nanoseconds (a directory's time moves when an entry comes or goes).
    std::map<QString, std::string> outside() const
    {
        std::map<QString, std::string> seen;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList paths {dir.path()};
        while (it.hasNext())
            paths << it.next();
        for (const QString& path : paths) {
            if (path == hostPath("app") || path.startsWith(hostPath("app") + "/"))
                continue;
            struct stat st {};
            EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
            QFile file(path);
            const QByteArray bytes = S_ISREG(st.st_mode) && file.open(QIODevice::ReadOnly) ? file.readAll() : "";
            seen[path] = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                         std::to_string(st.st_mtim.tv_nsec) + " " + bytes.toStdString();
        }
        return seen;
    }
};

// A file service applied to one name; true when it did anything.
using Operation = std::function<bool(FrameworkServices&, const OString&)>;
template <class Stream>
bool opened(Stream* stream)
{
    return std::unique_ptr<Stream>(stream) != nullptr;
}

const std::pair<const char*, Operation> OPERATIONS[] = {
    {"fileExists", [](auto& s, auto& n) { return s.fileExists(n); }},
    {"directoryExists", [](auto& s, auto& n) { return s.directoryExists(n); }},
    {"read", [](auto& s, auto& n) { return opened(s.openFileForReading(n)); }},
    {"write", [](auto& s, auto& n) { return opened(s.openFileForWriting(n, 1)); }},
    {"append", [](auto& s, auto& n) { return opened(s.openFileForWriting(n, 0)); }},
    {"deleteFile", [](auto& s, auto& n) { return s.deleteFile(n); }},
    {"renameFile from", [](auto& s, auto& n) { return s.renameFile(n, S(u"moved")); }},
    {"renameFile to", [](auto& s, auto& n) { return s.renameFile(S(u"keep.txt"), n); }},
    {"list", [](auto& s, auto& n) { Vec<OString> f, d; return s.listDirectory(n, f, d) || !f.isEmpty(); }},
    {"makeDirectory", [](auto& s, auto& n) { return s.makeDirectory(n); }},
    {"deleteDirectory", [](auto& s, auto& n) { return s.deleteDirectory(n); }},
    {"renameDirectory from", [](auto& s, auto& n) { return s.renameDirectory(n, S(u"moved")); }},
    {"renameDirectory to", [](auto& s, auto& n) { return s.renameDirectory(S(u"sub"), n); }},
    {"setLogFile", [](auto& s, auto& n) { const bool on = s.setLogFile(n); s.log(S(u"written")); return on; }},
};

} // namespace

TEST_F(ConfinementTest, NamesThatLeaveTheDirectoryAreInvalidForEveryOperation)
{
    const std::u16string escaping[] = {
        u"../victim.txt", u"..\\victim.txt", u"/../victim.txt", u"//..//victim.txt", u"sub/../../victim.txt",
        u"./../victimdir", u"../victimdir/v.txt", u"..", u"../", u"\\..", u"../app2/v.txt", u"../app2",
        u"a/b/c/../../../../victim.txt", u"link/../../victim.txt", u"../third/t.txt", u"../new.txt",
        std::u16string(u"..\0x", 4), // a path cut at the NUL would name the parent
    };
    const auto before = outside();
    for (const std::u16string& name : escaping)
        for (const auto& [what, operation] : OPERATIONS)
            EXPECT_FALSE(operation(*services, S(name))) << what << " " << QString::fromStdU16String(name).toStdString();
    // The kernel would take link/.. to the parent of "third"; as text it stays in "app".
    for (const auto& [what, operation] : OPERATIONS)
        operation(*services, S(u"link/../victim.txt"));
    services->setLogFile(OString());
    EXPECT_EQ(outside(), before);
}

TEST_F(ConfinementTest, TheApplicationDirectoryItselfIsNeverDeletedOrMoved)
{
    for (const char16_t* root : {u"/", u".", u"sub/..", u"/./", u"link/.."}) {
        const OString name = S(root);
        EXPECT_FALSE(services->deleteDirectory(name) || services->deleteFile(name));
        EXPECT_FALSE(services->renameDirectory(name, S(u"x")) || services->renameDirectory(S(u"sub"), name));
        EXPECT_FALSE(services->renameFile(name, S(u"x")) || services->renameFile(S(u"keep.txt"), name));
        Vec<OString> files, dirs;
        EXPECT_TRUE(services->listDirectory(name, files, dirs)); // reading it is fine
    }
    EXPECT_TRUE(QFile::exists(hostPath("app/keep.txt")) && QFile::exists(hostPath("app/sub/inner.txt")));
}

TEST_F(ConfinementTest, LinksOutsideAreNotFollowedButDeletedAsLinks)
{
    Vec<OString> files, dirs;
    EXPECT_FALSE(services->listDirectory(S(u"link"), files, dirs));
    EXPECT_TRUE(files.isEmpty());
    EXPECT_FALSE(opened(services->openFileForReading(S(u"link/t.txt"))));

    // A tree holding links to a directory, a file and nothing at all.
    writeFile("app/tree/deep/g.txt", "g");
    for (const auto& [target, link] : {std::pair {"third", "app/tree/deep/dirlink"},
                                       {"victim.txt", "app/tree/filelink"}, {"nowhere", "app/tree/dangling"}})
        ASSERT_TRUE(QFile::link(hostPath(target), hostPath(link)));
    const auto before = outside();
    EXPECT_TRUE(services->deleteDirectory(S(u"tree")) && services->deleteDirectory(S(u"link")));
    EXPECT_FALSE(QFileInfo::exists(hostPath("app/tree")) || QFileInfo(hostPath("app/link")).isSymLink());
    EXPECT_EQ(outside(), before);
}

TEST_F(ConfinementTest, OnlyRegularFilesOpenAndNothingWaits)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(hostPath("app/pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", hostPath("app/zero")));
    for (const char16_t* name : {u"pipe", u"zero", u"sub"}) {
        EXPECT_FALSE(opened(services->openFileForReading(S(name))) || services->setLogFile(S(name)));
        EXPECT_FALSE(opened(services->openFileForWriting(S(name), 0)) || opened(services->openFileForWriting(S(name), 1)));
    }
}

// A parent directory swapped for a link to outside after the names were
// checked: moving and deleting act on descriptors opened beneath the
// directory at that moment, so they refuse instead of following the link.
TEST_F(ConfinementTest, ParentsSwappedForLinksAfterTheCheckAreNotFollowed)
{
    writeFile("app/d/t.txt", "t");
    writeFile("app/d/sub/s.txt", "s");
    writeFile("third/sub/s.txt", "s");
    const Str16 root = Str16::fromQString(hostPath("app"));
    const auto name = [](const QString& path) { return Str16::fromQString(path); };
    const LUMBRA::BeneathDirectory file(root, name(hostPath("app/d/t.txt")));
    const LUMBRA::BeneathDirectory moved(root, name(hostPath("app/moved.txt")));
    const LUMBRA::BeneathDirectory into(root, name(hostPath("app/d/moved.txt")));
    const LUMBRA::BeneathDirectory tree(root, name(hostPath("app/d/sub")));
    ASSERT_TRUE(file.parentInside() && tree.parentInside());
    ASSERT_TRUE(QDir(hostPath("app/d")).removeRecursively());
    ASSERT_TRUE(QFile::link(hostPath("third"), hostPath("app/d")));
    const auto before = outside();
    EXPECT_FALSE(file.renameTo(moved));
    EXPECT_FALSE(LUMBRA::BeneathDirectory(root, name(hostPath("app/keep.txt"))).renameTo(into));
    EXPECT_FALSE(tree.removeDirectoryTree());
    EXPECT_EQ(outside(), before);
    EXPECT_TRUE(QFile::exists(hostPath("app/keep.txt")));
    // Inside, the same calls do their work.
    EXPECT_TRUE(LUMBRA::BeneathDirectory(root, name(hostPath("app/keep.txt"))).renameTo(moved));
    EXPECT_TRUE(LUMBRA::BeneathDirectory(root, name(hostPath("app/sub"))).removeDirectoryTree());
    EXPECT_TRUE(QFile::exists(hostPath("app/moved.txt")) && !QFile::exists(hostPath("app/sub")));
}
