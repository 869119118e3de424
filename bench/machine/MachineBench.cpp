// Each iteration loads a fresh image and runs its main, including the
// collection that follows main.
#include "BenchPrograms.h"

#include <benchmark/benchmark.h>

namespace {

using namespace MachineBenchPrograms;

void runImage(benchmark::State& state, const std::string& source)
{
    const LumbraAsm::AssemblyResult image = assembled(source);
    for (auto _ : state)
        runOnce(image);
}

void BM_Fib30(benchmark::State& state) { runImage(state, FIB); }
void BM_Loop100M(benchmark::State& state) { runImage(state, loop(100000000)); }
void BM_Churn1M(benchmark::State& state) { runImage(state, CHURN); }

} // namespace

BENCHMARK(BM_Fib30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop100M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Churn1M)->Unit(benchmark::kMillisecond);
