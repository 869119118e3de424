// Whole-file reads and writes for the command-line tools.
#pragma once

#include <string>
#include <vector>

namespace LumbraAsm {

bool readFileBytes(const std::string& path, std::string& out);
bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace LumbraAsm
