// includecheck ROOT RULES: checks the quoted includes below ROOT against the
// rule table RULES; prints every include the table does not allow and exits 1.
#include "IncludeRules.h"

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: includecheck ROOT RULES\n";
        return 2;
    }
    std::ifstream in(argv[2]);
    if (!in) {
        std::cerr << argv[2] << ": cannot be read\n";
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> errors;
    const IncludeCheck::Rules rules = IncludeCheck::parseRules(text.str(), errors);
    for (const std::string& error : errors)
        std::cerr << argv[2] << ":" << error << "\n";
    if (!errors.empty())
        return 2;
    const IncludeCheck::Outcome outcome = IncludeCheck::checkTree(argv[1], rules);
    for (const std::string& failure : outcome.failures)
        std::cout << failure << " (rules: " << argv[2] << ")\n";
    std::cout << outcome.files << " files, " << outcome.includes << " project includes, " << outcome.failures.size()
              << " against the rules\n";
    return outcome.failures.empty() && outcome.files > 0 ? 0 : 1;
}
