#include "StdioFile.h"

#include "BeneathDirectory.h"

#include "VMError.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LUMBRA {

std::string stdioPathBytes(const Str16& path)
{
    return QFile::encodeName(path.toQString()).toStdString();
}

namespace {

int openFlags(StdioMode mode)
{
    switch (mode) {
    case StdioMode::Read:
        return O_RDONLY;
    case StdioMode::Truncate:
        return O_WRONLY | O_CREAT; // emptied only once it is known to be a regular file
    case StdioMode::Update:
        break;
    }
    return O_RDWR;
}

const char* streamMode(StdioMode mode)
{
    return mode == StdioMode::Read ? "rb" : mode == StdioMode::Truncate ? "wb" : "r+b";
}

int refuse(int fd)
{
    ::close(fd);
    errno = EINVAL;
    return -1;
}

// A descriptor of the regular file at `bytes`, blocking again; -1 otherwise.
int openRegular(const std::string& bytes, StdioMode mode, const Str16& path, const Str16& beneath)
{
    const int openWith = openFlags(mode) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = beneath.isEmpty() ? ::open(bytes.c_str(), openWith, 0666)
                                       : BeneathDirectory(beneath, path).open(openWith, 0666);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return refuse(fd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return refuse(fd);
    if (mode == StdioMode::Truncate && ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FILE* openStdioFile(const Str16& path, StdioMode mode, const Str16& beneath)
{
    const std::string bytes = stdioPathBytes(path);
    // A unit of 0 would silently cut the path short: refuse it instead.
    if (bytes.find('\0') != std::string::npos)
        return nullptr;
    const int fd = openRegular(bytes, mode, path, beneath);
    if (fd < 0)
        return nullptr;
    FILE* file = ::fdopen(fd, streamMode(mode));
    if (!file)
        ::close(fd);
    return file;
}

long stdioFileSize(FILE* file)
{
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || end < 0)
        return -1;
    return end;
}

long stdioReadOnlySize(FILE* file)
{
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0 || status.st_size < 0)
        return -1;
    return long(status.st_size);
}

long stdioPosition(FILE* file)
{
    return std::ftell(file);
}

int fitSize(long size)
{
    if (size > INT_MAX)
        Lumbra::throwError(Lumbra::EIOError, std::string_view("File is too large: " + std::to_string(size) +
                                                              " bytes, sizes stop at " + std::to_string(INT_MAX)));
    return size < 0 ? -1 : int(size);
}

bool stdioSeek(FILE* file, unsigned offset)
{
    const long size = stdioFileSize(file);
    if (size < 0 || offset > static_cast<unsigned long>(size))
        return false;
    return std::fseek(file, long(offset), SEEK_SET) == 0;
}

bool stdioFlush(FILE* file)
{
    return std::fflush(file) == 0 && !std::ferror(file);
}

int stdioClose(FILE*& file)
{
    if (!file)
        return 0;
    const bool failedBefore = std::ferror(file) != 0;
    const int result = std::fclose(file);
    file = nullptr;
    return failedBefore ? EOF : result;
}

} // namespace LUMBRA
