// FileSystem natives on a temporary application directory: existence under
// every spelling of a name, refused names, deleting, creating, listing
// (without dot files and symbolic links), moving and renaming.
#include "FileTestSupport.h"

#include <QDir>
#include <QFile>

#include <algorithm>

using namespace FileTest;
using NativeTest::error;
using NativeTest::ints;
using NativeTest::operator+;

namespace {

const Lines IO_FAILURE = error(7, "IOException");

Lines exists(const AppDirectory& app, int native, std::initializer_list<std::string> names)
{
    Program p;
    for (const std::string& name : names)
        fileSystem(p, native, {name}, true);
    return app.log(p);
}

Lines runOne(const AppDirectory& app, int native, std::initializer_list<std::string> paths)
{
    Program p;
    fileSystem(p, native, paths, false);
    return app.log(p);
}

// The names of listing `native` (5 directories, 6 files) of `path`, sorted.
Lines listing(const AppDirectory& app, int native, const std::string& path, int shown)
{
    Program p;
    p.integer(0); // receiver
    p.text(path);
    p.vec(FILE_SYSTEM, native, 2, 1);
    p.logVector(p.depth() - 1, 7, shown);
    Lines names = app.log(p);
    std::sort(names.begin() + 1, names.end());
    return names;
}

} // namespace

TEST(FileSystemNatives, EverySpellingOfANameMeetsTheSameFile)
{
    AppDirectory app;
    app.write("data/a.txt", "x");
    EXPECT_EQ(exists(app, 1, {"data/a.txt", "/data/a.txt", "data//a.txt", "data\\a.txt", "//data\\\\a.txt",
                              "data/b.txt", "data", ""}),
              ints({-1, -1, -1, -1, -1, 0, -1, 0})); // a directory exists as a file too
    EXPECT_EQ(exists(app, 2, {"data", "/data/", "data/a.txt", "none", ""}), ints({-1, -1, 0, 0, 0}));
}

TEST(FileSystemNatives, NamesWithColonOrBarAreRefusedWithoutLookingAtTheDisk)
{
    AppDirectory app;
    app.write("a:b", "exists on disk");
    app.write("x|y", "exists on disk");
    EXPECT_EQ(exists(app, 1, {"a:b", "x|y"}), ints({0, 0}));
    EXPECT_EQ(runOne(app, 3, {"a:b"}), IO_FAILURE);
    EXPECT_EQ(runOne(app, 7, {"x|y"}), IO_FAILURE);
    EXPECT_EQ(runOne(app, 9, {"a:b", "c.txt"}), IO_FAILURE);
    EXPECT_EQ(runOne(app, 9, {"x.txt", "x|z"}), IO_FAILURE);
    EXPECT_EQ(app.read("a:b"), "exists on disk");
    EXPECT_EQ(app.read("x|y"), "exists on disk");
}

TEST(FileSystemNatives, EmptyPathsAreReportedBeforeTheHostIsAsked)
{
    AppDirectory app;
    const Lines PATH_EMPTY = error(6, "InvalidArgumentException: Path is empty");
    for (int native : {3, 4, 7, 8})
        EXPECT_EQ(runOne(app, native, {""}), PATH_EMPTY) << native;
    EXPECT_EQ(runOne(app, 9, {"", ""}), error(6, "InvalidArgumentException: Source filename is empty"));
    EXPECT_EQ(runOne(app, 9, {"a", ""}), error(6, "InvalidArgumentException: Target filename is empty"));
    EXPECT_EQ(runOne(app, 10, {"", ""}), error(6, "InvalidArgumentException: Source path is empty"));
    EXPECT_EQ(runOne(app, 10, {"a", ""}), error(6, "InvalidArgumentException: Target path is empty"));
    EXPECT_EQ(runOne(app, 5, {""}), IO_FAILURE);
}

TEST(FileSystemNatives, CreatesAndDeletesFilesAndDirectoryTrees)
{
    AppDirectory app;
    app.write("old.txt", "old content");
    Program p;
    fileSystem(p, 7, {"new/deep/e.txt"}, false);
    fileSystem(p, 7, {"old.txt"}, false); // truncates
    fileSystem(p, 8, {"m/n/o"}, false);
    fileSystem(p, 8, {"m/n"}, false); // already there
    fileSystem(p, 1, {"new/deep/e.txt"}, true);
    fileSystem(p, 2, {"m\\n\\o"}, true);
    EXPECT_EQ(app.log(p), ints({-1, -1}));
    EXPECT_EQ(app.read("new/deep/e.txt"), "");
    EXPECT_EQ(app.read("old.txt"), "");

    app.write("m/n/f.txt", "f");
    app.write("m/g.txt", "g");
    EXPECT_EQ(runOne(app, 3, {"old.txt"}), Lines{});
    EXPECT_FALSE(app.exists("old.txt"));
    EXPECT_EQ(runOne(app, 3, {"old.txt"}), IO_FAILURE);
    EXPECT_EQ(runOne(app, 3, {"m"}), IO_FAILURE); // a directory is not a file
    EXPECT_EQ(runOne(app, 4, {"/m"}), Lines{});
    EXPECT_FALSE(app.exists("m"));
    EXPECT_EQ(runOne(app, 4, {"m"}), IO_FAILURE);
    EXPECT_EQ(runOne(app, 4, {"new/deep/e.txt"}), IO_FAILURE);
    EXPECT_TRUE(app.exists("new/deep/e.txt"));
}

TEST(FileSystemNatives, ListingsLeaveOutDotNamesAndSymbolicLinks)
{
    AppDirectory app;
    app.write("list/b.txt", "b");
    app.write("list/.hidden", "h");
    app.write("list/sub/inner.txt", "i");
    app.write("list/.git/config", "c");
    ASSERT_TRUE(QFile::link(app.path("list/b.txt"), app.path("list/link.txt")));
    ASSERT_TRUE(QFile::link(app.path("list/sub"), app.path("list/linkdir")));
    EXPECT_EQ(listing(app, 6, "list", 1), Lines({"1", "b.txt"}));
    EXPECT_EQ(listing(app, 5, "/list", 1), Lines({"1", "sub"}));
    EXPECT_EQ(listing(app, 6, "list/sub", 1), Lines({"1", "inner.txt"}));
    EXPECT_EQ(listing(app, 5, "list\\sub", 0), Lines({"0"}));
    app.write("list/c.txt", "c");
    EXPECT_EQ(listing(app, 6, "list", 2), Lines({"2", "b.txt", "c.txt"}));
    EXPECT_EQ(runOne(app, 6, {"nowhere"}), IO_FAILURE);
}

TEST(FileSystemNatives, MovesFilesIntoNewDirectoriesAndRenamesDirectories)
{
    AppDirectory app;
    app.write("a.txt", "moved bytes");
    app.write("d1/x.txt", "x");
    EXPECT_EQ(runOne(app, 9, {"a.txt", "into/new\\b.txt"}), Lines{});
    EXPECT_FALSE(app.exists("a.txt"));
    EXPECT_EQ(app.read("into/new/b.txt"), "moved bytes");
    EXPECT_EQ(runOne(app, 9, {"a.txt", "c.txt"}), IO_FAILURE);

    EXPECT_EQ(runOne(app, 10, {"d1", "/d2"}), Lines{});
    EXPECT_FALSE(app.exists("d1"));
    EXPECT_EQ(app.read("d2/x.txt"), "x");
    EXPECT_EQ(runOne(app, 10, {"d1", "d3"}), IO_FAILURE);
}
