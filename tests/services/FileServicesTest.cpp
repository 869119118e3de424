#include "ServicesTestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> sortedNames(const Vec<OString>& names)
{
    std::vector<std::string> out;
    for (const OString& name : names)
        out.push_back(name.toVUvar().toLatin1());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

class FileServicesTest : public ServicesTest {};

TEST_F(FileServicesTest, AppendContinuesAfterTheOldContent)
{
    writeFile("log.txt", "0123456789");
    std::unique_ptr<LUMBRA::OutputStream> out(services->openFileForWriting(S("log.txt"), 0));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->position(), 10);
    ASSERT_TRUE(out->write("ab", 2));
    out.reset();
    EXPECT_EQ(readFile("log.txt"), "0123456789ab");
}

TEST_F(FileServicesTest, AppendKeepsTheOldBytesOnDiskAndSeeksOverwriteInPlace)
{
    writeFile("log.txt", "0123456789");
    std::unique_ptr<LUMBRA::OutputStream> out(services->openFileForWriting(S("log.txt"), 0));
    ASSERT_NE(out, nullptr);
    // Opening must not have truncated the file: another reader sees it whole
    // before anything is written or flushed.
    EXPECT_EQ(readFile("log.txt"), "0123456789");
    EXPECT_EQ(out->size(), 10);
    ASSERT_TRUE(out->write("ab", 2));
    ASSERT_TRUE(out->seek(3));
    ASSERT_TRUE(out->write("X", 1));
    EXPECT_EQ(out->position(), 4);
    EXPECT_FALSE(out->seek(13));
    out.reset();
    EXPECT_EQ(readFile("log.txt"), "012X456789ab");
}

TEST_F(FileServicesTest, AppendCreatesAMissingFileAndRefusesADirectory)
{
    std::unique_ptr<LUMBRA::OutputStream> out(services->openFileForWriting(S("new/app.log"), 0));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->position(), 0);
    ASSERT_TRUE(out->write("z", 1));
    out.reset();
    EXPECT_EQ(readFile("new/app.log"), "z");
    EXPECT_EQ(services->openFileForWriting(S("new"), 0), nullptr);
    EXPECT_TRUE(QFileInfo(hostPath("new")).isDir());
}

TEST_F(FileServicesTest, OverwriteStartsAnEmptyFile)
{
    writeFile("log.txt", "0123456789");
    std::unique_ptr<LUMBRA::OutputStream> out(services->openFileForWriting(S("log.txt"), 1));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->position(), 0);
    out.reset();
    EXPECT_EQ(readFile("log.txt"), "");
}

TEST_F(FileServicesTest, WritingCreatesMissingDirectoriesAndNewFiles)
{
    std::unique_ptr<LUMBRA::OutputStream> out(services->openFileForWriting(S("/new//deep\\f.bin"), 0));
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->write("xyz", 3));
    out.reset();
    EXPECT_EQ(readFile("new/deep/f.bin"), "xyz");
}

TEST_F(FileServicesTest, ReadingOpensOnlyExistingFiles)
{
    writeFile("data/in.bin", "\x01\x02");
    std::unique_ptr<LUMBRA::InputStream> in(services->openFileForReading(S("data//in.bin")));
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->readByte(), 1);
    EXPECT_EQ(in->readByte(), 2);
    EXPECT_EQ(services->openFileForReading(S("data/none.bin")), nullptr);
}

TEST_F(FileServicesTest, ExistsAndDeleteDistinguishFilesFromDirectories)
{
    writeFile("f", "1");
    QDir().mkpath(hostPath("d"));
    EXPECT_TRUE(services->fileExists(S("f")));
    EXPECT_TRUE(services->directoryExists(S("d")));
    EXPECT_FALSE(services->directoryExists(S("f")));
    EXPECT_TRUE(services->deleteFile(S("f")));
    EXPECT_FALSE(services->fileExists(S("f")));
    EXPECT_FALSE(services->deleteFile(S("f")));
}

TEST_F(FileServicesTest, ListingSkipsDotNamesAndSeparatesKinds)
{
    writeFile("top/a.txt", "");
    writeFile("top/.hidden", "");
    writeFile("top/sub/inner.txt", "");
    QDir().mkpath(hostPath("top/.git"));
    Vec<OString> files, dirs;
    files.append(S("kept"));
    ASSERT_TRUE(services->listDirectory(S("top"), files, dirs));
    EXPECT_EQ(sortedNames(files), (std::vector<std::string>{"a.txt", "kept"}));
    EXPECT_EQ(sortedNames(dirs), (std::vector<std::string>{"sub"}));
}

TEST_F(FileServicesTest, ListingAMissingDirectoryAddsNothing)
{
    Vec<OString> files, dirs;
    EXPECT_FALSE(services->listDirectory(S("absent"), files, dirs));
    EXPECT_EQ(files.size(), 0);
    EXPECT_EQ(dirs.size(), 0);
}

TEST_F(FileServicesTest, RenameFileMakesTheTargetDirectory)
{
    writeFile("a.txt", "A");
    EXPECT_TRUE(services->renameFile(S("a.txt"), S("moved/b.txt")));
    EXPECT_EQ(readFile("moved/b.txt"), "A");
    EXPECT_FALSE(services->fileExists(S("a.txt")));
    EXPECT_FALSE(services->renameFile(S("a.txt"), S("c.txt")));
}

TEST_F(FileServicesTest, DirectoriesAreMadeRenamedAndDeletedRecursively)
{
    EXPECT_TRUE(services->makeDirectory(S("x/y")));
    writeFile("x/y/f", "1");
    writeFile("x/g", "2");
    EXPECT_TRUE(services->renameDirectory(S("x"), S("z")));
    EXPECT_FALSE(services->directoryExists(S("x")));
    EXPECT_EQ(readFile("z/y/f"), "1");
    EXPECT_TRUE(services->deleteDirectory(S("z")));
    EXPECT_FALSE(services->directoryExists(S("z")));
    EXPECT_FALSE(services->deleteDirectory(S("z")));
}

TEST_F(FileServicesTest, ApplicationDirectoryAndResolvedPathUseTheRoot)
{
    EXPECT_EQ(services->applicationDirectory().toVUvar().toQString(), dir.path());
    EXPECT_EQ(services->resolvedPath(S("/a//b")).toQString(), dir.path() + "/a/b");
}
