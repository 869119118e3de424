// Whole-file reads and writes for the command-line tools.
#pragma once

#include <string>
#include <vector>

namespace LumbraAsm {

bool readFileBytes(const std::string& path, std::string& out);
// Reads the regular file `path` resolved beneath the directory `root` (no
// link, ".." or absolute link target leaves it; `root` itself may be a link).
bool readFileBytesBeneath(const std::string& root, const std::string& path, std::string& out);
bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace LumbraAsm
