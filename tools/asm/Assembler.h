// Assembles the text form of an image (see tools/README.md) into image bytes.
#pragma once

#include "ImageModel.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace LumbraAsm {

struct AssemblyResult {
    bool ok = false;
    Bytes image;
    std::string error;                 // the first of `errors` when !ok
    std::vector<std::string> errors;   // "<file>:<line>: error: <message>", at most 20, by position
    std::vector<std::string> warnings; // "<file>: warning: <message>"
    bool stoppedEarly = false;         // there were more errors than those listed
};

// Reads the file an `.include` names into `out`; false when it cannot.
using SourceReader = std::function<bool(const std::string& path, std::string& out)>;

// Assembles `source`, named `fileName` in messages. An `.include "PATH"`
// statement stands for the lines of PATH, taken relative to the including
// file and read with `read` (by default from the file system).
AssemblyResult assemble(std::string_view source, const std::string& fileName = "<input>");
AssemblyResult assemble(std::string_view source, const std::string& fileName, const SourceReader& read);

} // namespace LumbraAsm
