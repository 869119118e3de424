// One million small objects of mixed sizes, a tenth of them kept alive:
// the managed heap (allocate, then one collection releases the rest) against
// malloc/free doing the same allocations and releases; the churn of small
// objects that all die; host objects (strings, streams, bitmaps) handed to a
// fresh heap; and the pause of a collection that keeps everything.
#include "heap/Heap.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int OBJECTS = 1000000;

// Mixed small sizes, the same sequence for both contenders.
std::vector<TUint32> objectSizes()
{
    std::vector<TUint32> sizes(OBJECTS);
    TUint32 state = 12345;
    for (TUint32& s : sizes) {
        state = state * 1103515245u + 12345u;
        s = 4 + (state >> 16) % 60;
    }
    return sizes;
}

void BM_HeapAllocateAndCollect(benchmark::State& state)
{
    const std::vector<TUint32> sizes = objectSizes();
    Lumbra::Arena arena(1u << 30);
    Vec<Vec<int>> references, arrays;
    Vec<Vec<bool>> arrayIsReference;
    VMHeap heap(arena, 64000, references, arrays, arrayIsReference);
    std::vector<TAddr> live;
    live.reserve(OBJECTS / 10);
    for (auto _ : state) {
        for (int i = 0; i < OBJECTS; ++i) {
            const TAddr data = heap.allocate(sizes[size_t(i)], 0, GC_CODE_NATIVE);
            if (i % 10 == 0) {
                heap.addRoot(data);
                live.push_back(data);
            }
        }
        heap.collect(); // releases the 90 % that no root holds
        for (TAddr data : live)
            heap.removeRoot(data);
        heap.collect(); // and the rest, so every iteration starts alike
        live.clear();
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
}

void BM_MallocAllocateAndFree(benchmark::State& state)
{
    const std::vector<TUint32> sizes = objectSizes();
    std::vector<void*> all(OBJECTS);
    for (auto _ : state) {
        for (int i = 0; i < OBJECTS; ++i) {
            all[size_t(i)] = std::calloc(1, sizes[size_t(i)]);
            benchmark::DoNotOptimize(all[size_t(i)]);
        }
        for (int i = 0; i < OBJECTS; ++i)
            if (i % 10 != 0)
                std::free(all[size_t(i)]);
        for (int i = 0; i < OBJECTS; i += 10)
            std::free(all[size_t(i)]);
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
}

// The machine's churn pattern at heap level: one million 8-byte objects, none
// kept, then one collection that merges them back into free pools.
void BM_HeapChurnSmallObjects(benchmark::State& state)
{
    Lumbra::Arena arena(1u << 30);
    Vec<Vec<int>> references, arrays;
    Vec<Vec<bool>> arrayIsReference;
    VMHeap heap(arena, 64000, references, arrays, arrayIsReference);
    for (auto _ : state) {
        for (int i = 0; i < OBJECTS; ++i)
            benchmark::DoNotOptimize(heap.allocate(8, 0, GC_CODE_VM_OBJECT));
        heap.collect();
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
}

// One million host objects adopted by a heap whose object table starts empty,
// as when a call turns numbers into strings, then the collection that drops them.
void BM_HeapAdoptHostObjects(benchmark::State& state)
{
    for (auto _ : state) {
        Lumbra::Arena arena(1u << 30);
        Vec<Vec<int>> references, arrays;
        Vec<Vec<bool>> arrayIsReference;
        VMHeap heap(arena, 64000, references, arrays, arrayIsReference);
        for (int i = 0; i < OBJECTS; ++i)
            benchmark::DoNotOptimize(heap.adopt(new GCObject, 8, GC_CODE_NATIVE));
        heap.collect();
    }
    state.SetItemsProcessed(state.iterations() * OBJECTS);
}

// The pause of one full collection while the argument's number of small
// objects (8 to 64 bytes) stay alive, each held by a root: every collection
// marks and sweeps them all and frees nothing.
void BM_FullCollectionPause(benchmark::State& state)
{
    const int live = int(state.range(0));
    const std::vector<TUint32> sizes = objectSizes();
    Lumbra::Arena arena(1u << 30);
    Vec<Vec<int>> references, arrays;
    Vec<Vec<bool>> arrayIsReference;
    VMHeap heap(arena, 64000, references, arrays, arrayIsReference);
    for (int i = 0; i < live; ++i)
        heap.addRoot(heap.allocate(sizes[size_t(i) % sizes.size()], 0, GC_CODE_NATIVE));
    for (auto _ : state)
        heap.collect();
    state.SetItemsProcessed(state.iterations() * live);
}

// The pause of one collection at a safepoint with the argument's MiB live:
// a chain of 32-byte objects (word 1 links the next) held by one stack word,
// queued as the machine queues its stack, then traced and swept.
void BM_SafepointCollectionPause(benchmark::State& state)
{
    const TInt64 liveBytes = TInt64(state.range(0)) << 20;
    Lumbra::Arena arena(1u << 30);
    Vec<Vec<int>> references, arrays;
    Vec<Vec<bool>> arrayIsReference;
    Vec<int> link;
    link.append(1);
    references.append(link);
    arrays.append(Vec<int>());
    arrayIsReference.append(Vec<bool>());
    VMHeap heap(arena, 64000, references, arrays, arrayIsReference);
    constexpr TUint32 SIZE = 32;
    TAddr head = 0;
    for (TInt64 bytes = 0; bytes < liveBytes; bytes += SIZE + VMHeap::OVERHEAD) {
        const TAddr data = heap.allocate(SIZE, 0, GC_CODE_VM_OBJECT);
        arena.storeWord(data, 0);
        arena.storeWord(data + 4, TWord(head));
        head = data;
    }
    for (auto _ : state) {
        heap.markStackWord(TWord(head));
        if (!heap.collectQueued())
            state.SkipWithError("the collection met a damaged block");
    }
    state.counters["objects"] = double(heap.nOfEntries());
}

} // namespace

BENCHMARK(BM_SafepointCollectionPause)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullCollectionPause)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeapChurnSmallObjects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeapAdoptHostObjects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeapAllocateAndCollect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MallocAllocateAndFree)->Unit(benchmark::kMillisecond);
