#include "BeneathDirectory.h"

#include "FileUtility.h"
#include "StdioFile.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace LUMBRA {

namespace {

std::atomic<bool> fallbackForced {false};
std::atomic<bool> openat2Missing {false};

bool useOpenat2()
{
    if (fallbackForced || openat2Missing)
        return false;
    static const bool disabled = [] {
        const char* value = std::getenv("LUMBRA_NO_OPENAT2");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return !disabled;
}

int refuseWith(int fd, int error)
{
    if (fd >= 0)
        ::close(fd);
    errno = error;
    return -1;
}

// One step of the walk: `name` in `dir`, never following a link. A link
// answers EXDEV, whatever it points to.
int openComponent(int dir, const std::string& name, int flags, mode_t mode)
{
    if (name == "..")
        return refuseWith(-1, EXDEV);
    const int fd = ::openat(dir, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        const int error = errno;
        struct stat status {};
        if (error == ELOOP || error == ENOTDIR || error == EEXIST) {
            if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
                return refuseWith(-1, EXDEV);
        }
        errno = error;
        return -1;
    }
    if (flags & O_PATH) {
        // O_PATH with O_NOFOLLOW opens a link itself instead of failing.
        struct stat status {};
        if (::fstat(fd, &status) != 0 || S_ISLNK(status.st_mode))
            return refuseWith(fd, EXDEV);
    }
    return fd;
}

int walkBeneath(int dir, const std::vector<std::string>& names, size_t count, int flags, mode_t mode)
{
    int current = ::openat(dir, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (current < 0)
        return -1;
    if (count == 0) {
        const int fd = ::openat(current, ".", flags | O_CLOEXEC, mode);
        const int error = errno;
        ::close(current);
        errno = error;
        return fd;
    }
    for (size_t i = 0; i < count; ++i) {
        const bool last = i + 1 == count;
        const int next = last ? openComponent(current, names[i], flags, mode)
                              : openComponent(current, names[i], O_PATH | O_DIRECTORY, 0);
        const int error = errno;
        ::close(current);
        errno = error;
        if (next < 0)
            return -1;
        current = next;
    }
    return current;
}

// The first `count` names opened beneath `dir`.
int openBeneathAt(int dir, const std::vector<std::string>& names, size_t count, int flags, mode_t mode)
{
    if (useOpenat2()) {
        std::string joined;
        for (size_t i = 0; i < count; ++i) {
            if (i > 0)
                joined.push_back('/');
            joined.append(names[i]);
        }
        if (count == 0)
            joined.push_back('.');
        open_how how {};
        how.flags = static_cast<unsigned long long>(flags | O_CLOEXEC);
        how.mode = (flags & O_CREAT) ? mode : 0; // the kernel refuses a mode it would not use
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, dir, joined.c_str(), &how, sizeof how);
        if (fd >= 0)
            return int(fd);
        if (errno == ENOSYS)
            openat2Missing = true;
        // A sandbox may refuse the call itself; the walk then answers.
        if (errno != ENOSYS && errno != EPERM)
            return -1;
    }
    return walkBeneath(dir, names, count, flags, mode);
}

} // namespace

void BeneathDirectory::forceFallback(bool on)
{
    fallbackForced = on;
}

BeneathDirectory::BeneathDirectory(const Str16& root, const Str16& path)
{
    const Str16 outer = FileUtility::normalisedPath(root);
    const Str16 inner = FileUtility::normalisedPath(path);
    if (!FileUtility::isAbsolute(outer) || !FileUtility::isWithin(outer, inner))
        return;
    const std::string rootBytes = stdioPathBytes(outer);
    const std::string rest = stdioPathBytes(inner).substr(rootBytes.size());
    if (rootBytes.find('\0') != std::string::npos || rest.find('\0') != std::string::npos)
        return;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string name = rest.substr(start, end - start);
        if (name == "..")
            return;
        if (!name.empty() && name != ".")
            components.push_back(name);
        start = end + 1;
    }
    // The directory itself is trusted and may be reached through links.
    rootFd = ::open(rootBytes.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    valid = rootFd >= 0;
}

BeneathDirectory::~BeneathDirectory()
{
    if (rootFd >= 0)
        ::close(rootFd);
}

int BeneathDirectory::open(int flags, mode_t mode) const
{
    if (!valid)
        return refuseWith(-1, EXDEV);
    return openBeneathAt(rootFd, components, components.size(), flags, mode);
}

unsigned BeneathDirectory::kind() const
{
    const int fd = open(O_PATH);
    if (fd < 0)
        return 0;
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    ::close(fd);
    return known ? unsigned(status.st_mode & S_IFMT) : 0;
}

int BeneathDirectory::openParent(std::string& last) const
{
    if (!valid || components.empty())
        return refuseWith(-1, EXDEV);
    last = components.back();
    return openBeneathAt(rootFd, components, components.size() - 1, O_PATH | O_DIRECTORY, 0);
}

bool BeneathDirectory::parentInside() const
{
    if (valid && components.empty())
        return true;
    std::string last;
    const int parent = openParent(last);
    if (parent < 0)
        return false;
    ::close(parent);
    return true;
}

bool BeneathDirectory::unlinkFile() const
{
    const unsigned type = kind();
    if (type == 0 || type == S_IFDIR)
        return false;
    std::string last;
    const int parent = openParent(last);
    if (parent < 0)
        return false;
    // unlinkat never follows the last component: a link goes as a link.
    const bool removed = ::unlinkat(parent, last.c_str(), 0) == 0;
    ::close(parent);
    return removed;
}

bool BeneathDirectory::renameTo(const BeneathDirectory& target) const
{
    std::string fromLast, toLast;
    const int from = openParent(fromLast);
    const int to = from < 0 ? -1 : target.openParent(toLast);
    bool moved = false;
    if (to >= 0) {
        // Never replaces: the target name must be free.
        moved = ::renameat2(from, fromLast.c_str(), to, toLast.c_str(), RENAME_NOREPLACE) == 0;
        if (!moved && (errno == EINVAL || errno == ENOSYS)) {
            struct stat status {};
            moved = ::fstatat(to, toLast.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT &&
                    ::renameat(from, fromLast.c_str(), to, toLast.c_str()) == 0;
        }
    }
    if (to >= 0)
        ::close(to);
    if (from >= 0)
        ::close(from);
    return moved;
}

namespace {

// Empties the directory open at `directory` (which it closes): files and
// links are unlinked, subdirectories opened without following and emptied
// the same way, then removed.
bool emptyDirectory(int directory)
{
    DIR* stream = ::fdopendir(directory);
    if (!stream) {
        ::close(directory);
        return false;
    }
    bool emptied = true;
    while (const dirent* entry = ::readdir(stream)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(stream), name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            emptied = false;
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            const int child = ::openat(::dirfd(stream), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            emptied = child >= 0 && emptyDirectory(child) && ::unlinkat(::dirfd(stream), name, AT_REMOVEDIR) == 0 &&
                      emptied;
        } else {
            emptied = ::unlinkat(::dirfd(stream), name, 0) == 0 && emptied;
        }
    }
    ::closedir(stream);
    return emptied;
}

} // namespace

bool BeneathDirectory::removeDirectoryTree() const
{
    std::string last;
    const int parent = openParent(last);
    if (parent < 0)
        return false;
    struct stat status {};
    struct stat followed {};
    bool removed = false;
    if (::fstatat(parent, last.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode)) {
            // The link goes, never what it leads to.
            removed = ::fstatat(parent, last.c_str(), &followed, 0) == 0 && S_ISDIR(followed.st_mode) &&
                      ::unlinkat(parent, last.c_str(), 0) == 0;
        } else if (S_ISDIR(status.st_mode)) {
            const int directory = ::openat(parent, last.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            removed = directory >= 0 && emptyDirectory(directory) &&
                      ::unlinkat(parent, last.c_str(), AT_REMOVEDIR) == 0;
        }
    }
    ::close(parent);
    return removed;
}

bool BeneathDirectory::makeDirectories() const
{
    if (!valid)
        return false;
    int current = ::dup(rootFd);
    for (size_t i = 0; current >= 0 && i < components.size(); ++i) {
        const std::vector<std::string> step {components[i]};
        int next = openBeneathAt(current, step, 1, O_PATH | O_DIRECTORY, 0);
        if (next < 0 && errno == ENOENT && ::mkdirat(current, components[i].c_str(), 0777) == 0)
            next = openBeneathAt(current, step, 1, O_PATH | O_DIRECTORY, 0);
        ::close(current);
        current = next;
    }
    if (current < 0)
        return false;
    ::close(current);
    return true;
}

bool BeneathDirectory::list(Vec<Str16>& files, Vec<Str16>& directories) const
{
    const int fd = open(O_RDONLY | O_DIRECTORY | O_NONBLOCK);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const Str16 name = Str16::fromQString(QFile::decodeName(entry->d_name));
        if (S_ISREG(status.st_mode))
            files.append(name);
        else if (S_ISDIR(status.st_mode))
            directories.append(name);
    }
    ::closedir(dir);
    return true;
}

} // namespace LUMBRA
