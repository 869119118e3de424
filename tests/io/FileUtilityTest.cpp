#include "FileUtility.h"
#include "TempFiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <string>
#include <vector>

namespace {

Str16 s(const char* text)
{
    return Str16(text);
}

std::vector<std::string> sorted(const Vec<Str16>& names)
{
    std::vector<std::string> out;
    for (const Str16& name : names)
        out.push_back(name.toUtf8());
    std::sort(out.begin(), out.end());
    return out;
}

using FileUtilityTest = TempFilesTest;

TEST(FileUtilityPaths, SeparatorsAndJoin)
{
    EXPECT_EQ(FileUtility::nativeSeparator(), s("/"));
    EXPECT_EQ(FileUtility::convertSeparators(s("a\\b/c")), s("a/b/c"));
    EXPECT_EQ(FileUtility::withTrailingSeparator(s("/a")), s("/a/"));
    EXPECT_EQ(FileUtility::withTrailingSeparator(s("/a\\")), s("/a\\"));
    EXPECT_EQ(FileUtility::join(s("/apps/x/"), s("/data")), s("/apps/x/data"));
    EXPECT_EQ(FileUtility::join(s("/apps/x"), s("\\data")), s("/apps/x/data"));
    EXPECT_EQ(FileUtility::join(s("/apps"), s("//data")), s("/apps//data"));
    EXPECT_EQ(FileUtility::join(Str16(), s("name")), s("name"));
    EXPECT_EQ(FileUtility::join(s("dir"), Str16()), s("dir"));
}

TEST(FileUtilityPaths, RelativeAndParent)
{
    EXPECT_TRUE(FileUtility::isRelative(s("data/x.bin")));
    EXPECT_FALSE(FileUtility::isRelative(s("/data/x.bin")));
    EXPECT_FALSE(FileUtility::isRelative(s("\\data\\x.bin")));
    EXPECT_EQ(FileUtility::parentPath(s("/a/b/c.txt")), s("/a/b"));
    EXPECT_EQ(FileUtility::parentPath(Str16()), Str16());
}

TEST(FileUtilityPaths, RelativePathsTouchNothing)
{
    EXPECT_FALSE(FileUtility::makePath(s("made-by-test")));
    EXPECT_FALSE(QDir("made-by-test").exists());
    EXPECT_FALSE(FileUtility::directoryExists(s(".")));
    EXPECT_FALSE(FileUtility::fileExists(Str16()));
    EXPECT_FALSE(FileUtility::moveFile(s("/tmp/a"), s("b")));
    EXPECT_FALSE(FileUtility::renameDirectory(s("a"), s("/tmp")));
}

TEST_F(FileUtilityTest, MakeDeleteAndMove)
{
    const Str16 nested = path("one/two");
    EXPECT_FALSE(FileUtility::directoryExists(nested));
    ASSERT_TRUE(FileUtility::makePath(nested));
    EXPECT_TRUE(FileUtility::directoryExists(nested));

    writeFile("f.txt", "content");
    EXPECT_TRUE(FileUtility::fileExists(path("f.txt")));
    ASSERT_TRUE(FileUtility::moveFile(path("f.txt"), path("new/dir/g.txt")));
    EXPECT_FALSE(FileUtility::fileExists(path("f.txt")));
    EXPECT_EQ(readFile(path("new/dir/g.txt")), QByteArray("content"));
    EXPECT_TRUE(FileUtility::deleteFile(path("new/dir/g.txt")));
    EXPECT_FALSE(FileUtility::deleteFile(path("new/dir/g.txt")));

    // Target first, then source.
    ASSERT_TRUE(FileUtility::renameDirectory(path("renamed"), path("one")));
    EXPECT_TRUE(FileUtility::directoryExists(path("renamed/two")));
    EXPECT_FALSE(FileUtility::directoryExists(path("one")));
}

TEST_F(FileUtilityTest, ListingSkipsDotNamesAndKeepsKindsApart)
{
    writeFile("b.txt", "b");
    writeFile("a.dat", "a");
    writeFile(".hidden", "h");
    ASSERT_TRUE(FileUtility::makePath(path("sub")));
    ASSERT_TRUE(FileUtility::makePath(path(".git")));
    ASSERT_TRUE(QFile::link(dir.filePath("a.dat"), dir.filePath("link.dat")));

    Vec<Str16> files;
    ASSERT_TRUE(FileUtility::listFiles(root(), files));
    EXPECT_EQ(sorted(files), (std::vector<std::string>{"a.dat", "b.txt"}));

    Vec<Str16> dirs;
    dirs.append(s("kept"));
    ASSERT_TRUE(FileUtility::listDirectories(root(), dirs));
    EXPECT_EQ(sorted(dirs), (std::vector<std::string>{"kept", "sub"}));

    Vec<Str16> none;
    EXPECT_FALSE(FileUtility::listFiles(path("absent"), none));
    EXPECT_FALSE(FileUtility::listFiles(s("relative"), none));
    EXPECT_EQ(none.count(), 0);
}

TEST_F(FileUtilityTest, RemoveDirectoryTreeDeletesEverything)
{
    ASSERT_TRUE(FileUtility::makePath(path("root/a/b")));
    ASSERT_TRUE(FileUtility::makePath(path("root/empty")));
    writeFile("root/top.txt", "1");
    writeFile("root/a/mid.txt", "2");
    writeFile("root/a/b/leaf.txt", "3");
    EXPECT_TRUE(FileUtility::removeDirectory(path("root")));
    EXPECT_FALSE(QDir(dir.filePath("root")).exists());
    EXPECT_FALSE(FileUtility::removeDirectory(path("root")));
}

} // namespace
