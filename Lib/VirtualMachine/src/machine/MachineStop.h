// How a machine's run ends when bytecode cannot go on: a fatal machine error
// (status 1), an exit request from bytecode (status 0) or the run's time
// limit. Hosts catch it around load() and every entry-point call and end the
// process with `status`, writing "FATAL: " + message to standard error for
// status 1 and the message alone for the others.
#pragma once

#include <string>

struct MachineStop {
    // The status of a run ended by its time limit, as `timeout` uses.
    static constexpr int TIME_LIMIT_STATUS = 124;
    int status = 0;
    std::string message;
};
