// Each iteration loads a fresh image and runs its main, including the
// collection that follows main.
#include "BenchPrograms.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

namespace {

// 1 GiB through one Hash object: a 16 MiB byte vector appended 64 times,
// then digested (SHA-256).
const char* HASH_GIGABYTE = R"(
.method "main" code=main frame=F
.frame F
main:
    push 0
    box                 ; [hash]
    dup
    push 3
    native 34, 1
    push 0
    box                 ; [hash, bytes]
    dup
    push 120
    push 16777216
    native 1, 3
    push 0              ; [hash, bytes, i]
append:
    pick -3
    pick -3
    native 34, 3
    push 1
    add
    dup
    push 64
    ge
    jz append
    adjust -1
    pick -2
    native 34, 4
    adjust -3
    ret 0, 1
)";

void runImage(benchmark::State& state, const std::string& source)
{
    const LumbraAsm::AssemblyResult image = BenchPrograms::assembled(source);
    for (auto _ : state)
        BenchPrograms::runOnce(image);
}

// The string and vector programs of bench/vs-lua at 10^6 elements.
void BM_StringAppendSearch1M(benchmark::State& state)
{
    runImage(state, BenchPrograms::sized("string_append_search", 1000000));
}

// Peak resident memory of the whole process after digesting 1 GiB: it stays
// near the arena's working set, far below the bytes hashed.
void BM_HashGigabyteStream(benchmark::State& state)
{
    runImage(state, HASH_GIGABYTE);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
    state.SetBytesProcessed(state.iterations() * (TInt64(64) << 24));
}
void BM_VectorFillSum1M(benchmark::State& state)
{
    runImage(state, BenchPrograms::sized("vector_fill_sum", 1000000));
}

} // namespace

BENCHMARK(BM_StringAppendSearch1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorFillSum1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashGigabyteStream)->Unit(benchmark::kMillisecond)->Iterations(1);
