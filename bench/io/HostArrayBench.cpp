// Appends to host arrays must cost the same per element at any length
// (growth by a quarter plus 8), and compare with std::vector.
#include "VUvarString.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void vecAppend(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        Vec<int> v;
        for (int i = 0; i < n; ++i)
            v.append(i);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(vecAppend)->Arg(1 << 10)->Arg(1 << 20);

void stdVectorPushBack(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        std::vector<int> v;
        for (int i = 0; i < n; ++i)
            v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(stdVectorPushBack)->Arg(1 << 10)->Arg(1 << 20);

void stringAppend(benchmark::State& state)
{
    const int n = int(state.range(0));
    const Str16 piece("segment/");
    for (auto _ : state) {
        Str16 text;
        for (int i = 0; i < n; ++i)
            text.append(piece);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(stringAppend)->Arg(1 << 6)->Arg(1 << 12);

} // namespace
