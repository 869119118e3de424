#include "ServiceFileNames.h"
#include "ServicesTestSupport.h"

using Lumbra::isValidFileName;
using Lumbra::resolveFileName;

namespace {

std::string resolve(const char* dir, const char* name)
{
    return resolveFileName(Str16(dir), Str16(name)).toLatin1();
}

} // namespace

class FileNamesTest : public ServicesTest {};

TEST_F(FileNamesTest, EmptyNamesAndNamesWithColonOrBarAreInvalid)
{
    EXPECT_FALSE(isValidFileName(OString()));
    EXPECT_FALSE(isValidFileName(S("c:data")));
    EXPECT_FALSE(isValidFileName(S("a|b")));
    EXPECT_FALSE(isValidFileName(S(":")));
    EXPECT_TRUE(isValidFileName(S("data/x.txt")));
    EXPECT_TRUE(isValidFileName(S("/x")));
}

TEST_F(FileNamesTest, ResolutionJoinsCollapsesAndConvertsSeparators)
{
    EXPECT_EQ(resolve("/opt/app", "data//x.txt"), "/opt/app/data/x.txt");
    EXPECT_EQ(resolve("/opt/app", "a///b////c"), "/opt/app/a/b/c");
    EXPECT_EQ(resolve("/opt/app", "a\\b\\\\c"), "/opt/app/a/b/c");
    EXPECT_EQ(resolve("/opt/app/", "x"), "/opt/app/x");
}

TEST_F(FileNamesTest, LeadingSlashStaysInsideAndDotsAreResolvedAsText)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"//x.txt", "/opt/app/x.txt", true},    {"./a/./b/../c", "/opt/app/a/c", true},
        {"a/..", "/opt/app", true},             {"../x", "/opt/x", false},
        {"a/../../app2/x", "/opt/app2/x", false}, {"../app/x", "/opt/app/x", true},
    };
    for (const auto& [name, resolved, inside] : cases) {
        EXPECT_EQ(resolve("/opt/app", name), resolved) << name;
        Str16 path;
        EXPECT_EQ(Lumbra::confineFileName(Str16("/opt/app/"), Str16(name), path), inside) << name;
    }
}

TEST_F(FileNamesTest, EmptyDirectoryGivesTheNameAlone)
{
    EXPECT_EQ(resolve("", "data//x"), "data/x");
}

TEST_F(FileNamesTest, InvalidNamesNeverReachTheDisk)
{
    writeFile("a", "1");
    EXPECT_FALSE(services->fileExists(S("a:")));
    EXPECT_FALSE(services->fileExists(OString()));
    EXPECT_FALSE(services->deleteFile(S("|a")));
    EXPECT_EQ(readFile("a"), "1");
    EXPECT_EQ(services->openFileForWriting(S("x:y"), 1), nullptr);
    EXPECT_EQ(services->openFileForReading(OString()), nullptr);
    EXPECT_FALSE(services->makeDirectory(S("d:e")));
    EXPECT_FALSE(QFileInfo::exists(hostPath("d:e")));
    EXPECT_FALSE(services->setLogFile(S("log|x")));
}
