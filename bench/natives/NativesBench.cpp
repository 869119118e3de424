// Each iteration loads a fresh image and runs its main, including the
// collection that follows main.
#include "Assembler.h"
#include "MemoryInputStream.h"
#include "VirtualMachine.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <stdexcept>

namespace {

// A string of 1M characters ('a' to 'z' over and over) built by appending one
// character at a time, then searched for an absent pattern and counted.
const char* STRING_APPEND_SEARCH = R"(
.method "main" code=main frame=F
.frame F
.string empty ""
.string absent "zyx"
.string abc "abc"
main:
    pushstr empty
    push 0
build:
    pick -2
    pick -2
    push 26
    rem
    push 97
    add
    native 8, 63
    push 1
    add
    dup
    push 1000000
    ge
    jz build
    adjust -1
    dup
    pushstr absent
    push 1
    native 8, 18
    adjust -1
    dup
    pushstr abc
    push 1
    native 8, 38
    adjust -2
    ret 0, 1
)";

// A vector of 1M ints filled by appends, then summed through element reads.
const char* VECTOR_FILL_SUM = R"(
.method "main" code=main frame=F
.frame F
main:
    push 0              ; sum
    new 6, 2
    dup
    newvec 4            ; [sum, handle]
    push 0
fill:
    pick -2
    pick -2
    native 3, 19
    push 1
    add
    dup
    push 1000000
    ge
    jz fill
    adjust -1
    push 0              ; [sum, handle, i]
sum:
    pick -2
    pick -2
    native 3, 8         ; [sum, handle, i, handle, element]
    pick -5
    add
    slotaddr -5
    pick -2
    store               ; sum := sum + element
    adjust -2
    push 1
    add
    dup
    push 1000000
    ge
    jz sum
    adjust -3
    ret 0, 1
)";

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

void runImage(benchmark::State& state, const char* source)
{
    const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(source);
    if (!image.ok)
        throw std::runtime_error(image.error);
    for (auto _ : state) {
        VirtualMachine vm;
        VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image.image));
        vm.load(reader, VUvarString("index.mcb"), nullptr);
        VirtualMachine::setCurrent(nullptr);
    }
}

void BM_StringAppendSearch1M(benchmark::State& state) { runImage(state, STRING_APPEND_SEARCH); }

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
void BM_VectorFillSum1M(benchmark::State& state) { runImage(state, VECTOR_FILL_SUM); }

} // namespace

BENCHMARK(BM_StringAppendSearch1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorFillSum1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HashGigabyteStream)->Unit(benchmark::kMillisecond)->Iterations(1);
