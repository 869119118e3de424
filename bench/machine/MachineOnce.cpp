// Runs one benchmark program once, for instruction counts under callgrind:
//   machine_once fib | loop [COUNT] | churn
#include "BenchPrograms.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    using namespace MachineBenchPrograms;
    const char* which = argc > 1 ? argv[1] : "";
    std::string source;
    if (std::strcmp(which, "fib") == 0)
        source = FIB;
    else if (std::strcmp(which, "loop") == 0)
        source = loop(argc > 2 ? std::atol(argv[2]) : 100000000);
    else if (std::strcmp(which, "churn") == 0)
        source = CHURN;
    else {
        std::fprintf(stderr, "usage: machine_once fib | loop [COUNT] | churn\n");
        return 2;
    }
    runOnce(assembled(source));
    return 0;
}
