// Each iteration loads a fresh image and runs its main, including the
// collection that follows main.
#include "BenchPrograms.h"

#include <benchmark/benchmark.h>

namespace {

using namespace BenchPrograms;

void runImage(benchmark::State& state, const char* program, long size)
{
    const LumbraAsm::AssemblyResult image = assembled(sized(program, size));
    for (auto _ : state)
        runOnce(image);
}

void BM_Fib30(benchmark::State& state) { runImage(state, "fib", 30); }
void BM_Loop10M(benchmark::State& state) { runImage(state, "loop", 10000000); }
void BM_Churn1M(benchmark::State& state) { runImage(state, "churn", 1000000); }

} // namespace

BENCHMARK(BM_Fib30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Churn1M)->Unit(benchmark::kMillisecond);
