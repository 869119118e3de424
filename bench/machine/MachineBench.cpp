// Each iteration loads a fresh image and runs its main, including the
// collection that follows main.
#include "Assembler.h"
#include "MemoryInputStream.h"
#include "VirtualMachine.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

const char* FIB = R"(
.method "main" code=main frame=F
.frame F
main:
    push 30
    call fib, F
    adjust -1
    ret 0, 1
fib:
    pick -2
    push 2
    lt
    jz recurse
    ret 0, 1
recurse:
    pick -2
    push 1
    sub
    call fib, F
    pick -3
    push 2
    sub
    call fib, F
    add
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 0, 1
)";

const char* LOOP = R"(
.method "main" code=main frame=F
.frame F
main:
    push 0
loop:
    push 1
    add
    dup
    push 100000000
    ge
    jz loop
    adjust -1
    ret 0, 1
)";

const char* CHURN = R"(
.method "main" code=main frame=F
.frame F
main:
    push 1000000
loop:
    new 2, 2
    fieldaddr 1
    push 7
    store
    push 1
    sub
    dup
    jz done
    jmp loop
done:
    adjust -1
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

void BM_Fib30(benchmark::State& state) { runImage(state, FIB); }
void BM_Loop100M(benchmark::State& state) { runImage(state, LOOP); }
void BM_Churn1M(benchmark::State& state) { runImage(state, CHURN); }

} // namespace

BENCHMARK(BM_Fib30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop100M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Churn1M)->Unit(benchmark::kMillisecond);
