#include "StartupReports.h"

#include "TimeLimitWatchdog.h"
#include "Trace.h"
#include "VMError.h"

#include <cstdio>
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

} // namespace

int reportOpenFailure(const Str16& resolvedPath)
{
    std::fprintf(stderr, "Failed to open '%s'\n", resolvedPath.toUtf8().c_str());
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
