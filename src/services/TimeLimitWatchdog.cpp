#include "TimeLimitWatchdog.h"

#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace Lumbra {

namespace {

std::mutex lineMutex;
bool lineWritten = false;

} // namespace

bool writeTimeLimitLine(const std::string& line)
{
    // Held while the line is written: the watchdog cannot end the process
    // halfway through another thread's copy of it.
    const std::lock_guard<std::mutex> lock(lineMutex);
    if (lineWritten)
        return false;
    lineWritten = true;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    return true;
}

void startTimeLimitWatchdog(std::chrono::steady_clock::time_point deadline, const std::string& line, int status)
{
    std::thread([deadline, line, status] {
        std::this_thread::sleep_until(deadline);
        writeTimeLimitLine(line);
        _exit(status);
    }).detach();
}

} // namespace Lumbra
