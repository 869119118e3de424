// A run's wall-clock limit, held even while one instruction (a long native
// call) runs: a thread of its own waits for the deadline, writes the
// time-limit line and ends the process at once with _exit. Nothing is torn
// down then, so writers the application left open are not flushed.
#pragma once

#include <chrono>
#include <string>

namespace Lumbra {

// Starts the watchdog: once `deadline` passes, `line` goes to standard error
// (unless it was written already) and the process ends with `status`.
void startTimeLimitWatchdog(std::chrono::steady_clock::time_point deadline, const std::string& line, int status);

// Writes the time-limit line unless it was written already, from whichever
// thread gets there first; false when it had been.
bool writeTimeLimitLine(const std::string& line);

} // namespace Lumbra
