// Which part of the code may include which: a rule table read from text, and
// the check of every quoted include below the table's checked folders.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace IncludeCheck {

struct Rules {
    std::vector<std::string> checked; // folders whose files are checked
    std::vector<std::string> search;  // include directories, in order
    std::vector<std::string> rooted;  // includes of files below these name their path from there
    std::map<std::string, std::string> unitOf;              // path (a folder ends in '/') -> unit
    std::map<std::string, std::set<std::string>> allowed;   // unit -> units it may include
};

// Reads the table; every line it cannot use is appended to `errors` as
// "<line>: <why>".
Rules parseRules(const std::string& text, std::vector<std::string>& errors);

// The unit of a path relative to the root: the longest unit path it starts
// with; empty when there is none.
std::string unitOf(const Rules& rules, const std::string& path);

struct Outcome {
    int files = 0;
    int includes = 0;                  // includes resolved to a project file
    std::vector<std::string> failures; // "<file>:<line>: <what is wrong>"
};

// Checks every #include "..." of the files below the checked folders of `root`.
Outcome checkTree(const std::filesystem::path& root, const Rules& rules);

} // namespace IncludeCheck
