// The include check on small trees: one include per case, and what the check
// says of it.
#include "IncludeRules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* RULES = R"(
check Lib/
search Lib/Base/src
search Lib/Top/src
search app
search Lib/Top
rooted Lib/Top/src
unit base Lib/Base/
unit top Lib/Top/src/
unit top-inside Lib/Top/src/core/Inside.h   # a file of its own
unit app app/
allow top base
)";

void write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// What the check says of a tree whose file `file` includes `include` on its line 2.
std::vector<std::string> failuresOf(const IncludeCheck::Rules& rules, const std::string& file,
                                    const std::string& include)
{
    const fs::path root = fs::temp_directory_path() / ("include-rules-" + std::to_string(getpid()));
    fs::remove_all(root);
    write(root / "Lib/Base/src/Types.h", "#pragma once\n");
    write(root / "Lib/Top/src/core/Machine.h", "#include \"Types.h\"\n");
    write(root / "Lib/Top/src/core/Inside.h", "#pragma once\n");
    write(root / "Lib/Top/notes/Readme.txt", "");
    write(root / "app/Window.h", "#include \"core/Machine.h\"\n");
    write(root / file, "// the case\n#include \"" + include + "\"\n");
    const IncludeCheck::Outcome outcome = IncludeCheck::checkTree(root, rules);
    fs::remove_all(root);
    return outcome.failures;
}

struct Case {
    const char* file;    // the including file
    const char* include; // what it includes
    const char* failure; // what the check says of it after "<file>:2: \"<include>\" ", empty when allowed
};

} // namespace

TEST(IncludeRules, EachIncludeIsJudgedByTheTable)
{
    const Case cases[] = {
        {"Lib/Top/src/parts/Part.cpp", "Types.h", ""},
        {"Lib/Top/src/parts/Part.cpp", "core/Machine.h", ""},
        {"Lib/Top/src/parts/Part.cpp", "QString", ""},
        {"Lib/Top/src/parts/Part.cpp", "core/Inside.h", "is in top-inside, but top may include only base"},
        {"Lib/Base/src/More.h", "core/Machine.h", "is in top, but base may include only itself"},
        {"Lib/Top/src/parts/Part.cpp", "Window.h", "is in app, but top may include only base"},
        {"Lib/Top/src/parts/Part.cpp", "../../../../app/Window.h", "is in app, but top may include only base"},
        {"Lib/Top/src/core/Other.cpp", "Machine.h",
         "is to be written \"core/Machine.h\" (includes below Lib/Top/src name their folder)"},
        {"Lib/Top/src/parts/Part.cpp", "core/Missing.h", "names our folder core/ but no file there"},
        {"Lib/Top/src/parts/Part.cpp", "notes/Readme.txt",
         "is Lib/Top/notes/Readme.txt, which belongs to no unit of the rule table"},
    };
    std::vector<std::string> errors;
    const IncludeCheck::Rules rules = IncludeCheck::parseRules(RULES, errors);
    ASSERT_TRUE(errors.empty());
    for (const Case& c : cases) {
        const std::vector<std::string> failures = failuresOf(rules, c.file, c.include);
        if (*c.failure == 0)
            EXPECT_EQ(failures, std::vector<std::string>()) << c.include;
        else
            EXPECT_EQ(failures, (std::vector<std::string>{std::string(c.file) + ":2: \"" + c.include + "\" " +
                                                          c.failure}));
    }
    EXPECT_EQ(failuresOf(rules, "Lib/Stray/Loose.cpp", "Types.h"),
              (std::vector<std::string>{"Lib/Stray/Loose.cpp: belongs to no unit of the rule table"}));
}

TEST(IncludeRules, LinesTheTableCannotUseAreReported)
{
    std::vector<std::string> errors;
    const IncludeCheck::Rules rules =
        IncludeCheck::parseRules("unit a A/ A2/\nunit b B/\nallow a b c\ncheck\nsearch A/ B/\n", errors);
    EXPECT_EQ(errors, (std::vector<std::string>{"4: cannot read \"check\"", "5: cannot read \"search A/ B/\"",
                                                "3: no unit is called c"}));
    EXPECT_EQ(IncludeCheck::unitOf(rules, "A2/x.h"), "a");
    EXPECT_EQ(IncludeCheck::unitOf(rules, "A/sub/x.h"), "a");
    EXPECT_EQ(IncludeCheck::unitOf(rules, "Ab/x.h"), "");
    EXPECT_EQ(rules.allowed.at("a"), (std::set<std::string>{"b", "c"}));
}
