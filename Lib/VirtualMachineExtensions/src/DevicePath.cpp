#include "DevicePath.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string devicePath(const char* path)
{
    const char* root = std::getenv(DEVICE_ROOT_VARIABLE);
    return std::string(root ? root : "") + path;
}

int openDeviceFile(const std::string& path, unsigned kind)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || (status.st_mode & S_IFMT) != kind) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool readDeviceFile(const std::string& path, char* text, size_t capacity)
{
    const int fd = openDeviceFile(path, S_IFREG);
    if (fd < 0)
        return false;
    size_t n = 0;
    while (n < capacity) {
        const ssize_t got = ::read(fd, text + n, capacity - n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        if (got == 0)
            break;
        n += size_t(got);
    }
    ::close(fd);
    text[n] = '\0';
    return true;
}
