// Writes 100 MB in 64 KiB chunks, closes, reads it back in 64 KiB chunks:
// once through a program calling the FileWriter, OutputStream, FileReader
// and InputStream natives, once with plain stdio calls. Both work in the
// same temporary directory; compare their times as a ratio.
#include "BenchMachine.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int CHUNK = 64 * 1024;
constexpr int CHUNKS = 1600; // 100 MiB

// The machine side: one 64 KiB vector written CHUNKS times, then CHUNKS reads.
const std::string TRANSFER = R"(
.method "main" code=main frame=Main
.frame Main
.string path "transfer.bin"
main:
    push 0
    box                 ; writer variable
    pick -1
    pushstr path
    push 0
    native 22, 1
    new 6, 2            ; the chunk's vector variable
    dup
    newvec 1
    pick -1
    push 120
    push )" + std::to_string(CHUNK) + R"(
    native 1, 3         ; CHUNK copies of one byte
    push )" + std::to_string(CHUNKS) + R"(
writeLoop:
    pick -1
    jz writeDone
    pick -3
    pick -3
    native 21, 3
    push 1
    sub
    jmp writeLoop
writeDone:
    adjust -1
    pick -2
    native 21, 1
    push 0
    box                 ; reader variable
    pick -1
    pushstr path
    native 24, 1
    push )" + std::to_string(CHUNKS) + R"(
readLoop:
    pick -1
    jz readDone
    pick -2
    push )" + std::to_string(CHUNK) + R"(
    native 23, 3
    adjust -1
    push 1
    sub
    jmp readLoop
readDone:
    adjust -1
    pick -1
    native 23, 1
    ret 3, 4
)";

void BM_NativeFileTransfer(benchmark::State& state)
{
    QTemporaryDir dir;
    BenchMachine::runEachIteration(state, TRANSFER, dir.path());
    state.SetBytesProcessed(state.iterations() * 2 * TInt64(CHUNK) * CHUNKS);
}

void BM_StdioFileTransfer(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("transfer.bin").toStdString();
    std::vector<char> chunk(CHUNK, 120);
    for (auto _ : state) {
        FILE* out = std::fopen(path.c_str(), "wb");
        for (int i = 0; i < CHUNKS; ++i)
            std::fwrite(chunk.data(), 1, chunk.size(), out);
        std::fclose(out);
        FILE* in = std::fopen(path.c_str(), "rb");
        for (int i = 0; i < CHUNKS; ++i) {
            std::vector<char> read(CHUNK); // a fresh buffer per chunk, as the natives make
            if (std::fread(read.data(), 1, read.size(), in) != read.size())
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(read.data());
        }
        std::fclose(in);
    }
    state.SetBytesProcessed(state.iterations() * 2 * TInt64(CHUNK) * CHUNKS);
}

} // namespace

BENCHMARK(BM_NativeFileTransfer)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StdioFileTransfer)->Unit(benchmark::kMillisecond)->Iterations(5);
