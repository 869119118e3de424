#include "StartupReports.h"

#include "Trace.h"
#include "VMError.h"

#include <cstdio>
#include <string>

namespace Lumbra {

namespace {

int fatalLine(const std::string& message)
{
    // Written whole: a message may hold NUL units.
    const std::string line = "FATAL: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    Trace::fatal(message);
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
