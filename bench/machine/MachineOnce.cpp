// Runs one benchmark program of bench/vs-lua once, for instruction counts
// under callgrind:
//   machine_once PROGRAM SIZE     (fib 30, loop 10000000, churn 1000000, ...)
#include "BenchPrograms.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: machine_once PROGRAM SIZE\n");
        return 2;
    }
    using namespace BenchPrograms;
    runOnce(assembled(sized(argv[1], std::atol(argv[2]))));
    return 0;
}
