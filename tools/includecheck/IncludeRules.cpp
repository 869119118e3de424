#include "IncludeRules.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace IncludeCheck {

Rules parseRules(const std::string& text, std::vector<std::string>& errors)
{
    Rules rules;
    std::vector<std::pair<int, std::vector<std::string>>> allowLines;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        const std::string where = std::to_string(number) + ": ";
        if ((w[0] == "check" || w[0] == "search" || w[0] == "rooted") && w.size() == 2)
            (w[0] == "check" ? rules.checked : w[0] == "search" ? rules.search : rules.rooted).push_back(w[1]);
        else if (w[0] == "unit" && w.size() >= 3)
            for (size_t i = 2; i < w.size(); ++i)
                rules.unitOf[w[i]] = w[1];
        else if (w[0] == "allow" && w.size() >= 3)
            allowLines.emplace_back(number, w);
        else
            errors.push_back(where + "cannot read \"" + line + "\"");
    }
    std::set<std::string> units;
    for (const auto& [path, unit] : rules.unitOf)
        units.insert(unit);
    for (const auto& [number, w] : allowLines)
        for (size_t i = 1; i < w.size(); ++i) {
            if (!units.count(w[i]))
                errors.push_back(std::to_string(number) + ": no unit is called " + w[i]);
            if (i > 1)
                rules.allowed[w[1]].insert(w[i]);
        }
    return rules;
}

std::string unitOf(const Rules& rules, const std::string& path)
{
    std::string best, unit;
    for (const auto& [prefix, name] : rules.unitOf)
        if (prefix.size() > best.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            (prefix.back() == '/' || path.size() == prefix.size()))
            best = prefix, unit = name;
    return unit;
}

namespace {

bool isSource(const fs::path& file)
{
    static const std::set<std::string> extensions{".h", ".hpp", ".cpp", ".cc", ".def", ".inc"};
    return extensions.count(file.extension().string()) > 0;
}

// `file` relative to `root` with '/' separators, or empty outside it.
std::string pathBelow(const fs::path& root, const fs::path& file)
{
    const fs::path r = file.lexically_normal().lexically_relative(root);
    return r.empty() || *r.begin() == ".." ? std::string() : r.generic_string();
}

std::string allowedList(const Rules& rules, const std::string& unit)
{
    const auto found = rules.allowed.find(unit);
    std::string list;
    if (found != rules.allowed.end())
        for (const std::string& other : found->second)
            list += (list.empty() ? "" : ", ") + other;
    return list.empty() ? "itself" : list;
}

} // namespace

Outcome checkTree(const fs::path& root, const Rules& rules)
{
    Outcome outcome;
    std::vector<fs::path> files;
    for (const std::string& folder : rules.checked)
        if (fs::is_directory(root / folder))
            for (const auto& entry : fs::recursive_directory_iterator(root / folder))
                if (entry.is_regular_file() && isSource(entry.path()))
                    files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    for (const fs::path& file : files) {
        ++outcome.files;
        const std::string name = pathBelow(root, file);
        const std::string unit = unitOf(rules, name);
        if (unit.empty())
            outcome.failures.push_back(name + ": belongs to no unit of the rule table");
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string text = m[1];
            const std::string at = name + ":" + std::to_string(number) + ": \"" + text + "\" ";
            std::vector<fs::path> places{file.parent_path()};
            for (const std::string& dir : rules.search)
                places.push_back(root / dir);
            std::string target;
            bool namesOurFolder = false;
            const fs::path firstPart = *fs::path(text).begin();
            for (const fs::path& place : places) {
                if (fs::is_regular_file(place / text)) {
                    target = pathBelow(root, place / text);
                    break;
                }
                namesOurFolder = namesOurFolder || (text.find('/') != std::string::npos &&
                                                    fs::is_directory(place / firstPart));
            }
            if (target.empty()) {
                if (namesOurFolder)
                    outcome.failures.push_back(at + "names our folder " + firstPart.string() +
                                               "/ but no file there");
                continue; // a system or Qt header
            }
            ++outcome.includes;
            for (const std::string& dir : rules.rooted) {
                const std::string fromRoot = pathBelow(root / dir, root / target);
                if (!fromRoot.empty() && fromRoot != text)
                    outcome.failures.push_back(at + "is to be written \"" + fromRoot + "\" (includes below " + dir +
                                               " name their folder)");
            }
            const std::string targetUnit = unitOf(rules, target);
            if (targetUnit.empty())
                outcome.failures.push_back(at + "is " + target + ", which belongs to no unit of the rule table");
            else if (!unit.empty() && targetUnit != unit &&
                     !(rules.allowed.count(unit) && rules.allowed.at(unit).count(targetUnit)))
                outcome.failures.push_back(at + "is in " + targetUnit + ", but " + unit + " may include only " +
                                           allowedList(rules, unit));
        }
    }
    return outcome;
}

} // namespace IncludeCheck
