// Loading a large generated image: about 10 MB of code and 100,000 exported
// methods, from memory and from a file.
#include "FileBytes.h"
#include "ImageModel.h"
#include "MemoryInputStream.h"
#include "VUvarFileReader.h"
#include "image/BytecodeLoader.h"
#include "image/OpcodeTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>
#include <random>

using namespace Lumbra;
using namespace LumbraAsm;

namespace {

const Bytes& largeImage()
{
    static const Bytes image = [] {
        ImageModel m;
        std::mt19937 rng(7);
        const int methods = 100000, virtuals = 5000, types = 2000, frames = 3000, strings = 5000;
        const int codeSize = 10 * 1000 * 1000;
        for (int i = 0; i < methods; ++i)
            m.methods.push_back({"app.Class" + std::to_string(i / 10) + ".method" + std::to_string(i % 10) + "(int)",
                                 TInt32(rng() % codeSize), TInt32(i % frames)});
        for (int i = 0; i < virtuals; ++i)
            m.virtualMethods.push_back({"app.virtual" + std::to_string(i) + "()",
                                        {{TInt32(i % types), TInt32(rng() % codeSize), TInt32(i % frames)}}});
        for (int i = 0; i < types; ++i) {
            ImageType t;
            t.referenceFields = {1, 2, 3};
            t.hasSuper = i > 0 ? 1 : 0;
            t.superType = i / 2;
            m.types.push_back(t);
        }
        for (int i = 0; i < frames; ++i) {
            ImageFrame f;
            f.lowerSlotsA = 2;
            f.referenceSlots = {0, 1};
            f.upperSlots = 4;
            m.frames.push_back(f);
        }
        for (int i = 0; i < strings; ++i)
            m.strings.push_back("string constant number " + std::to_string(i));
        // A mix of plain and relocated instructions.
        const TUint8 mix[] = {OP_Pick, OP_Push, OP_Add, OP_Call, OP_VCall, OP_PushStr, OP_SetType, OP_Try,
                              OP_Jz, OP_Ret, OP_Native, OP_Load, OP_Store, OP_NewAt};
        while (int(m.code.size()) < codeSize) {
            const TUint8 op = mix[rng() % sizeof mix];
            m.code.push_back(op);
            const size_t at = m.code.size();
            m.code.resize(at + opcodeInfo(op).operandBytes, 0);
            if (op == OP_VCall)
                m.code[at] = TUint8(rng() % 200);
        }
        return encodeImage(m);
    }();
    return image;
}

void BM_LoadFromMemory(benchmark::State& state)
{
    const Bytes& image = largeImage();
    for (auto _ : state) {
        state.PauseTiming();
        MachineTables tables;
        auto* stream = new MemoryInputStream(image);
        state.ResumeTiming();
        VUvarFileReader reader(stream);
        int index = -1;
        if (!loadBytecode(tables, VUvarString("index.mcb"), reader, index))
            state.SkipWithError("image refused");
        benchmark::DoNotOptimize(tables.codeBytes.data());
        state.PauseTiming();
        tables = MachineTables();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
    state.counters["imageMB"] = double(image.size()) / 1e6;
}
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFromFile(benchmark::State& state)
{
    const Bytes& image = largeImage();
    const std::string path = "/tmp/lumbra-loader-bench-" + std::to_string(::getpid()) + ".mcb";
    writeFileBytes(path, image);
    for (auto _ : state) {
        state.PauseTiming();
        MachineTables tables;
        state.ResumeTiming();
        VUvarFileReader reader(VUvarString(path.c_str()));
        int index = -1;
        if (!loadBytecode(tables, VUvarString("index.mcb"), reader, index))
            state.SkipWithError("image refused");
        benchmark::DoNotOptimize(tables.codeBytes.data());
        state.PauseTiming();
        tables = MachineTables();
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
