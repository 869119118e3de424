// VMHeap and ReferenceHeap run the same allocations, releases and sweeps;
// after every step each pool must hold the same bytes (headers, footers, node
// ids, data) and the same number of blocks in use. Because both take the head
// of a list first, a free-list order that differed would also show up as a
// block handed out elsewhere.
#include "ReferenceHeap.h"
#include "VMError.h"
#include "heap/Heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

class HeapModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        heap = std::make_unique<VMHeap>(arena, 64000, noSlots, noSlots, noFlags);
        model.addInitialPool(heap->poolStart(0), 64000);
    }

    static TAddr nextPoolStart(void* context)
    {
        auto* self = static_cast<HeapModelTest*>(context);
        return self->heap->poolStart(int(self->model.allPools().size()));
    }

    TAddr allocate(TUint32 size, GcCode code)
    {
        const TAddr data = heap->allocate(size, 0, code);
        const TAddr expected = model.create(size, 0, code, nextPoolStart, this);
        EXPECT_EQ(VMHeap::entryOf(data), expected) << "allocation of " << size;
        if (size >= 4) {
            const TWord value = TWord(random());
            arena.storeWord(data, value);
            model.writeWord(data, TUint32(value));
        }
        live.push_back(data);
        return data;
    }

    void release(size_t index)
    {
        const TAddr data = live[index];
        live.erase(live.begin() + long(index));
        heap->free(data);
        model.freeEntry(VMHeap::entryOf(data));
    }

    // Keeps the blocks of `kept` (positions in `live`) and collects the rest.
    void collectKeeping(const std::vector<bool>& kept)
    {
        std::vector<TAddr> survivors;
        std::set<TAddr> marked;
        for (size_t i = 0; i < live.size(); ++i)
            if (kept[i]) {
                survivors.push_back(live[i]);
                marked.insert(VMHeap::entryOf(live[i]));
                heap->addRoot(live[i]);
            }
        heap->collect();
        for (TAddr data : survivors)
            heap->removeRoot(data);
        model.sweep(marked);
        live = survivors;
    }

    // Every pool byte, the pool count and the blocks in use agree.
    ::testing::AssertionResult sameState()
    {
        if (heap->nOfPools() != int(model.allPools().size()))
            return ::testing::AssertionFailure() << "pools " << heap->nOfPools() << " vs "
                                                 << model.allPools().size();
        if (heap->nOfEntries() != model.nOfEntries())
            return ::testing::AssertionFailure() << "nOfEntries " << heap->nOfEntries() << " vs "
                                                 << model.nOfEntries();
        for (int i = 0; i < heap->nOfPools(); ++i) {
            const ReferenceHeap::Pool& pool = model.allPools()[size_t(i)];
            if (heap->poolStart(i) != pool.start || heap->poolSize(i) != int(pool.bytes.size()))
                return ::testing::AssertionFailure() << "pool " << i << " extent";
            const TUint8* bytes = arena.resolve(pool.start, TUint32(pool.bytes.size()));
            if (std::memcmp(bytes, pool.bytes.data(), pool.bytes.size()) == 0)
                continue;
            size_t b = 0;
            while (bytes[b] == pool.bytes[b])
                ++b;
            return ::testing::AssertionFailure() << "pool " << i << " differs at offset " << b << ": "
                                                 << int(bytes[b]) << " vs " << int(pool.bytes[b]);
        }
        try {
            heap->validate();
        } catch (const Lumbra::ErrorHandlingException&) {
            return ::testing::AssertionFailure() << "validate: "
                                                 << Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
        }
        return ::testing::AssertionSuccess();
    }

    TUint32 mixedSize()
    {
        const TUint32 pick = random() % 100;
        if (pick < 60)
            return random() % 65;
        if (pick < 90)
            return 65 + random() % 540;
        if (pick < 99)
            return 600 + random() % 4400;
        return 64001 + random() % 20000;
    }

    GcCode mixedCode()
    {
        static const GcCode codes[] = {GC_CODE_NATIVE, GcCode(4), GC_CODE_STREAM_HOLDER, GC_CODE_NATIVE};
        return codes[random() % 4];
    }

    Lumbra::Arena arena{256u << 20};
    Vec<Vec<int>> noSlots;
    Vec<Vec<bool>> noFlags;
    std::unique_ptr<VMHeap> heap;
    ReferenceHeap model{64000};
    std::vector<TAddr> live;
    std::mt19937 random{20240611u};
};

TEST_F(HeapModelTest, RandomAllocationsReleasesAndCollectionsFollowTheRules)
{
    for (int step = 0; step < 3000; ++step) {
        const TUint32 op = random() % 10;
        if (op < 6 || live.empty()) {
            allocate(mixedSize(), mixedCode());
        } else if (op < 9) {
            release(random() % live.size());
        } else {
            std::vector<bool> kept(live.size());
            for (size_t i = 0; i < kept.size(); ++i)
                kept[i] = random() % 3 == 0;
            collectKeeping(kept);
        }
        ASSERT_TRUE(sameState()) << "after step " << step << " (op " << op << ")";
    }
}

// Long runs of small dead blocks, broken by survivors, by blocks of the kind
// that owns a stream and by free blocks, in several pools.
TEST_F(HeapModelTest, ChurnCollectionsFollowTheRules)
{
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 6000; ++i)
            allocate(i % 97 == 0 ? 8 : TUint32(4 + 4 * (random() % 3)),
                     i % 131 == 0 ? GC_CODE_STREAM_HOLDER : GC_CODE_NATIVE);
        for (int i = 0; i < 40 && !live.empty(); ++i)
            release(random() % live.size());
        ASSERT_TRUE(sameState()) << "round " << round << " before the collection";
        std::vector<bool> kept(live.size());
        for (size_t i = 0; i < kept.size(); ++i)
            kept[i] = round % 2 == 0 ? i % 50 == 0 : random() % 7 == 0;
        collectKeeping(kept);
        ASSERT_TRUE(sameState()) << "round " << round << " after the collection";
    }
    collectKeeping(std::vector<bool>(live.size(), false));
    ASSERT_TRUE(sameState());
    EXPECT_EQ(heap->nOfEntries(), 0);
}

// Dead runs of every length from one block to whole pools, so that merged
// blocks end in many size classes beside free blocks listed there before.
TEST_F(HeapModelTest, DeadRunsOfEveryLengthFollowTheRules)
{
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 5000; ++i)
            allocate(TUint32(random() % 64), GC_CODE_NATIVE);
        std::vector<bool> kept(live.size());
        for (size_t i = 0, gap = 0; i < kept.size(); ++i, --gap)
            if (gap == 0) {
                kept[i] = true;
                gap = 1 + random() % (round % 2 == 0 ? 8 : 2000);
            }
        collectKeeping(kept);
        ASSERT_TRUE(sameState()) << "round " << round;
    }
}

// Releases in address order and in reverse: every block merges forward or
// backward with the one released before it.
TEST_F(HeapModelTest, ReleasesInAddressOrderAndReverseFollowTheRules)
{
    for (int i = 0; i < 3000; ++i)
        allocate(TUint32(random() % 200), GC_CODE_NATIVE);
    while (live.size() > 1500) {
        release(0);
        ASSERT_TRUE(sameState());
    }
    while (!live.empty()) {
        release(live.size() - 1);
        ASSERT_TRUE(sameState());
    }
    for (int i = 0; i < 2000; ++i)
        allocate(TUint32(random() % 300), GC_CODE_NATIVE);
    ASSERT_TRUE(sameState());
}

} // namespace
