#include "FileBytes.h"

#include "BeneathDirectory.h"

#include <QFile>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool readFileBytesBeneath(const std::string& root, const std::string& path, std::string& out)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::absolute(root.empty() ? fs::path(".") : fs::path(root), error).lexically_normal();
    const fs::path file = fs::absolute(path, error).lexically_normal();
    if (error)
        return false;
    const auto str16 = [](const fs::path& p) { return Str16::fromQString(QFile::decodeName(p.native().c_str())); };
    const int fd = LUMBRA::BeneathDirectory(str16(base), str16(file)).open(O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A device or pipe may never end: only a regular file is read.
    struct stat status {};
    bool read = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    out.clear();
    char buffer[65536];
    while (read) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            read = count == 0;
            break;
        }
        out.append(buffer, size_t(count));
    }
    ::close(fd);
    return read;
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
