#include "StartupReports.h"

#include "TimeLimitWatchdog.h"
#include "Trace.h"
#include "VMError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace Lumbra {

namespace {

int fatalLine(const std::string& message)
{
    // Written in pieces, so that a run stopped because memory ran out still
    // says so; one line under the stream's lock. A message may hold NUL units.
    flockfile(stderr);
    std::fputs("FATAL: ", stderr);
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    funlockfile(stderr);
    std::fflush(stderr);
    try {
        Trace::fatal(message);
    } catch (const std::bad_alloc&) {
        // The trace line is extra: the report above is what counts.
    }
    return 1;
}

// Why the image at `path` could not be opened. The opening refuses names
// that leave the application directory, whose errno says little: the file
// itself is asked.
std::string whyNotOpened(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return std::strerror(EISDIR);
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (::access(path.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return "refused: a link or a name leading outside the application directory";
}

} // namespace

int reportOpenFailure(const Str16& resolvedPath)
{
    const std::string path = resolvedPath.toUtf8();
    std::fprintf(stderr, "Failed to open '%s': %s\n", path.c_str(), whyNotOpened(path).c_str());
    std::fflush(stderr);
    return 1;
}

int reportMachineStop(const MachineStop& stop)
{
    if (stop.status == 1)
        fatalLine(stop.message);
    else if (stop.status == MachineStop::TIME_LIMIT_STATUS)
        writeTimeLimitLine(stop.message); // the watchdog may have written it
    else if (!stop.message.empty())
        std::fprintf(stderr, "%s\n", stop.message.c_str());
    std::fflush(stderr);
    return stop.status;
}

int reportEscapedError()
{
    return fatalLine(u16ToUtf8(lastErrorMessage()));
}

int reportHostError(const std::exception& error)
{
    return fatalLine(std::string("host error: ") + error.what());
}

} // namespace Lumbra
