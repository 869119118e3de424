// How a machine's run ends when bytecode cannot go on: a fatal machine error
// (status 1) or an exit request from bytecode (status 0). Hosts catch it
// around load() and every entry-point call and end the process with `status`,
// writing "FATAL: " + message to standard error when the status is not 0.
#pragma once

#include <string>

struct MachineStop {
    int status = 0;
    std::string message;
};
