#include "FileBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace LumbraAsm {

bool readFileBytes(const std::string& path, std::string& out)
{
    // A directory opens as a stream but fails (and may throw) on the first
    // read; devices and pipes may never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return !in.bad();
    } catch (const std::exception&) {
        return false;
    }
}

bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace LumbraAsm
