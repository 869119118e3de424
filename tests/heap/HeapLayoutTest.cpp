// Pool layout, block sizes, splitting, coalescing, size classes and the report.
#include "HeapTestSupport.h"

#include "VUvarString.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char* FRESH_REPORT =
    "\nheaders 80 + actual 0 + wasted 0 + outsideHeap 0 = total 80\n"
    "stringContents=0 bitmapContents=0 fontContents=0\n"
    "nOfEntries=0 nOfPools=1 SzOfPools=64080 AllContents=64000 freeSpace=64000\n";

TEST_F(HeapTest, FreshHeapReportsOnePoolOfOneFreeBlock)
{
    VUvarString out("before");
    EXPECT_EQ(heap->getMemUsage(&out), 80);
    EXPECT_EQ(out.toLatin1(), std::string("before") + FRESH_REPORT);
    EXPECT_EQ(heap->getMemUsage(nullptr), 80);

    const TAddr start = heap->poolStart(0);
    EXPECT_EQ(heap->poolSize(0), 64080);
    EXPECT_EQ(heap->entry(start).gcCode, GC_CODE_TERMINATOR);
    EXPECT_EQ(arena.loadWord(start + 24), 28);
    EXPECT_EQ(heap->entry(start + 28).size, 64000u);
    EXPECT_EQ(arena.loadWord(start + 52 + 64000), 64028);
    EXPECT_EQ(heap->entry(start + 64056).gcCode, GC_CODE_TERMINATOR);
}

TEST_F(HeapTest, ReportCountsUsedWastedAndOutsideBytes)
{
    heap->allocate(6, 0, GC_CODE_NATIVE);                    // 8 bytes, split
    heap->create<Counted>(12, GC_CODE_STRING, 100);          // outside 100, string
    heap->create<Counted>(4, GC_CODE_FONT, 7);               // outside 7, font
    const HeapMemUsage u = heap->memUsage();
    EXPECT_EQ(u.actual, 8 + 12 + 4);
    EXPECT_EQ(u.wasted, 0);
    EXPECT_EQ(u.outsideHeap, 107);
    EXPECT_EQ(u.headers, 80 + 3 * 28);
    EXPECT_EQ(u.total, u.headers + u.actual + u.outsideHeap);
    EXPECT_EQ(heap->memUsageText(),
              "\nheaders 164 + actual 24 + wasted 0 + outsideHeap 107 = total 295\n"
              "stringContents=100 bitmapContents=0 fontContents=7\n"
              "nOfEntries=3 nOfPools=1 SzOfPools=64080 AllContents=63916 freeSpace=63892\n");
}

TEST_F(HeapTest, RequestsAreRoundedToWordsAndZeroFilled)
{
    const TAddr a = heap->allocate(6, 0, GC_CODE_NATIVE);
    EXPECT_EQ(header(a).size, 8u);
    EXPECT_EQ(header(a).usedSize, 8u);
    EXPECT_EQ(header(a).gcCode, GC_CODE_NATIVE);
    EXPECT_EQ(a, heap->poolStart(0) + 28 + 24);
    // The rest of the pool became one free block right behind it.
    const TAddr tail = VMHeap::entryOf(a) + 28 + 8;
    EXPECT_EQ(heap->entry(tail).size, 64000u - 8 - 28);
    EXPECT_NE(heap->entry(tail).freeHeapEntryIterator, 0u);

    setWord(a, 0, -1);
    setWord(a, 1, -1);
    heap->free(a);
    const TAddr again = heap->allocate(8, 0, GC_CODE_NATIVE);
    EXPECT_EQ(word(again, 0), 0);
    EXPECT_EQ(word(again, 1), 0);
}

// Every block reads zero whether its bytes were never handed out, were
// scribbled on and released, or came back to the arena with a whole pool:
// small blocks cut from a remainder, large ones in pools of their own.
TEST_F(HeapTest, EveryBlockReadsZeroFreshOrReused)
{
    const TUint32 sizes[] = {8, 36, 200, 4000, 70000, 300000};
    auto scribbleAndCheck = [&](TUint32 size, const char* when) {
        const TAddr data = heap->allocate(size, 0, GC_CODE_NATIVE);
        const TUint8* bytes = arena.resolve(data, size);
        EXPECT_EQ(std::count(bytes, bytes + size, 0), TInt64(size)) << size << " bytes, " << when;
        std::memset(arena.raw(data), 0xA5, size);
        return data;
    };
    for (const char* when : {"fresh", "reused"}) {
        std::vector<TAddr> blocks;
        for (TUint32 size : sizes)
            blocks.push_back(scribbleAndCheck(size, when));
        for (TAddr data : blocks)
            heap->free(data);
    }
    // A second heap on the same arena gets the first one's pool ranges, here
    // written again after they were given back (through kept addresses).
    std::vector<std::pair<TAddr, int>> pools;
    for (int i = 0; i < heap->nOfPools(); ++i)
        pools.emplace_back(heap->poolStart(i), heap->poolSize(i));
    heap.reset();
    for (const auto& [start, length] : pools)
        std::memset(arena.raw(start), 0xA5, size_t(length));
    heap = std::make_unique<VMHeap>(arena, 64000, referenceSlots, arraySlots, arrayIsReference);
    ManagedMemory::setCurrent(heap.get());
    for (TUint32 size : sizes)
        scribbleAndCheck(size, "in a pool given back");
}

TEST_F(HeapTest, ZeroByteRequestsGetDistinctBlocks)
{
    const TAddr a = heap->allocate(0, 0, GC_CODE_NATIVE);
    const TAddr b = heap->allocate(0, 0, GC_CODE_NATIVE);
    EXPECT_NE(a, b);
    EXPECT_EQ(header(a).size, 0u);
    EXPECT_EQ(b - a, 28u);
    EXPECT_EQ(heap->nOfEntries(), 2);
}

TEST_F(HeapTest, SurplusOf28StaysInTheBlockButMoreIsSplitOff)
{
    const TAddr forty = heap->allocate(40, 0, GC_CODE_NATIVE);
    heap->allocate(4, 0, GC_CODE_NATIVE); // keeps the block from merging with the rest
    heap->free(forty);

    const TAddr twelve = heap->allocate(12, 0, GC_CODE_NATIVE); // class 6 comes before the big block
    EXPECT_EQ(twelve, forty);
    EXPECT_EQ(header(twelve).size, 40u);
    EXPECT_EQ(header(twelve).usedSize, 12u);
    EXPECT_EQ(heap->memUsage().wasted, 28);

    heap->free(twelve);
    const TAddr eight = heap->allocate(8, 0, GC_CODE_NATIVE);
    EXPECT_EQ(eight, forty);
    EXPECT_EQ(header(eight).size, 8u);
    const TAddr rest = VMHeap::entryOf(eight) + 28 + 8;
    EXPECT_EQ(heap->entry(rest).size, 4u);
    EXPECT_NE(heap->entry(rest).freeHeapEntryIterator, 0u);
}

TEST_F(HeapTest, LargeRequestMakesAPoolOfItsOwn)
{
    const TAddr big = heap->allocate(70001, 0, GC_CODE_NATIVE);
    EXPECT_EQ(heap->nOfPools(), 2);
    EXPECT_EQ(heap->poolSize(1), 70004 + 80);
    EXPECT_EQ(header(big).size, 70004u);
    EXPECT_EQ(big, heap->poolStart(1) + 52);
    EXPECT_EQ(heap->totalSizeOfPools(), 64080 + 70084);
    EXPECT_EQ(heap->memUsage().freeSpace, 64000);
}

// Three adjacent blocks released in every order end as one free block.
TEST_F(HeapTest, ReleasedNeighboursCoalesceInEveryOrder)
{
    const int orders[][3] = {{1, 0, 2}, {0, 2, 1}, {2, 1, 0}, {0, 1, 2}, {2, 0, 1}};
    for (const auto& order : orders) {
        TAddr block[3];
        for (TAddr& b : block)
            b = heap->allocate(16, 0, GC_CODE_NATIVE);
        const TAddr guard = heap->allocate(4, 0, GC_CODE_NATIVE);
        for (int i : order)
            heap->free(block[i]);
        EXPECT_EQ(header(block[0]).size, 3u * 16 + 2 * 28) << order[0] << order[1] << order[2];
        EXPECT_TRUE(isFree(block[0]));
        EXPECT_EQ(arena.loadWord(block[0] + 104), 104 + 28);
        heap->validate();
        heap->free(guard);
        heap->validate();
        EXPECT_EQ(heap->memUsage().freeSpace, 64000) << "everything merged back";
    }
}

TEST_F(HeapTest, ReleasedBlockIsReusedWhenNothingLargerIsFree)
{
    const TAddr hundred = heap->allocate(100, 0, GC_CODE_NATIVE);
    heap->allocate(4, 0, GC_CODE_NATIVE);
    heap->allocate(64000 - 128 - 32, 0, GC_CODE_NATIVE); // takes the rest exactly
    EXPECT_EQ(heap->memUsage().freeSpace, 0);
    heap->free(hundred);
    EXPECT_EQ(heap->allocate(100, 0, GC_CODE_NATIVE), hundred);
    EXPECT_EQ(heap->nOfPools(), 1);
}

TEST_F(HeapTest, LargerClassesAreTakenFirstAndInReleaseOrder)
{
    TAddr small[4];
    for (TAddr& s : small) {
        s = heap->allocate(64, 0, GC_CODE_NATIVE);
        heap->allocate(4, 0, GC_CODE_NATIVE);
    }
    heap->free(small[2]);
    heap->free(small[0]);
    // 40 is class 6: classes 7 and up come first, so the pool remainder is cut.
    EXPECT_GT(heap->allocate(40, 0, GC_CODE_NATIVE), small[3]);
    // 32 is class 5: class 6 holds the released blocks, oldest first.
    EXPECT_EQ(heap->allocate(32, 0, GC_CODE_NATIVE), small[2]);
    EXPECT_EQ(heap->allocate(32, 0, GC_CODE_NATIVE), small[0]);
}

TEST_F(HeapTest, SizeClassesArePowersOfTwo)
{
    const std::pair<TUint32, int> cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3},
                                             {64, 6}, {65, 7}, {128, 7}, {129, 8}, {64000, 16},
                                             {0x80000000u, 31}};
    for (auto [size, expected] : cases)
        EXPECT_EQ(VMHeap::sizeClass(size), expected) << size;
}

TEST_F(HeapTest, PairAndTripleAreAdjacentBlocks)
{
    TAddr string, box;
    heap->allocatePair(10, 0, GC_CODE_STRING, 4, 0, GC_CODE_REFERENCE, string, box);
    EXPECT_EQ(box, string + 12 + 28);
    EXPECT_EQ(header(string).size, 12u);
    EXPECT_EQ(header(string).usedSize, 12u);
    EXPECT_EQ(header(box).usedSize, 4u);
    EXPECT_EQ(header(box).gcCode, GC_CODE_REFERENCE);
    EXPECT_EQ(heap->nOfEntries(), 2);

    TAddr a, b, c;
    heap->allocateTriple(4, 0, GC_CODE_NATIVE, 8, 0, GC_CODE_VECTOR_HANDLE, 2, 0, GC_CODE_REFERENCE, a, b, c);
    EXPECT_EQ(b, a + 4 + 28);
    EXPECT_EQ(c, b + 8 + 28);
    EXPECT_EQ(header(c).usedSize, 4u);
    EXPECT_EQ(header(b).gcCode, GC_CODE_VECTOR_HANDLE);
    EXPECT_EQ(heap->nOfEntries(), 5);
    EXPECT_EQ(heap->memUsage().actual, 12 + 4 + 4 + 8 + 4);
}

TEST_F(HeapTest, PairKeepsASurplusInItsLastBlock)
{
    // A free block of 8 + 4 + 28 + 20 bytes: 20 surplus stays with the second block.
    const TAddr hole = heap->allocate(60, 0, GC_CODE_NATIVE);
    heap->allocate(4, 0, GC_CODE_NATIVE);
    heap->allocate(64000 - 88 - 32, 0, GC_CODE_NATIVE);
    heap->free(hole);
    TAddr first, second;
    heap->allocatePair(8, 0, GC_CODE_NATIVE, 4, 0, GC_CODE_REFERENCE, first, second);
    EXPECT_EQ(first, hole);
    EXPECT_EQ(header(second).size, 24u);
    EXPECT_EQ(header(second).usedSize, 4u);
    EXPECT_EQ(heap->memUsage().wasted, 20);
}

TEST_F(HeapTest, BelongsToPoolsFindsTheEnclosingBlock)
{
    const TAddr a = heap->allocate(40, 0, GC_CODE_NATIVE);
    const TAddr b = heap->allocate(40, 0, GC_CODE_NATIVE);
    EXPECT_EQ(heap->belongsToPools(a + 17), VMHeap::entryOf(a));
    EXPECT_EQ(heap->belongsToPools(VMHeap::entryOf(b)), VMHeap::entryOf(b));
    EXPECT_EQ(heap->belongsToPools(b + 40), VMHeap::entryOf(b)) << "footer belongs to the block";
    EXPECT_EQ(heap->belongsToPools(heap->poolStart(0) + 3), heap->poolStart(0));
    EXPECT_EQ(heap->belongsToPools(heap->poolStart(0) - 1), 0u);
    EXPECT_EQ(heap->belongsToPools(heap->poolStart(0) + 64080), 0u);
    EXPECT_EQ(heap->belongsToPools(heap->poolStart(0) + 64070), 0u) << "trailing terminator";
    // The free rest of the pool is found too.
    EXPECT_EQ(heap->belongsToPools(b + 200), VMHeap::entryOf(b) + 68);
}

TEST_F(HeapTest, ThrowingConstructorLeavesNothingBehind)
{
    struct Failing : GCObject {
        Failing() { Lumbra::raiseError(Lumbra::EInvalidArgument); }
    };
    EXPECT_EQ(errorOf([&] { heap->create<Failing>(8, GC_CODE_NATIVE); }), Lumbra::EInvalidArgument);
    EXPECT_EQ(heap->nOfEntries(), 0);
    EXPECT_EQ(heap->nativeObjectCount(), 0);
}

// An 8 MiB arena carved into pools of small blocks, all of them dropped: a
// block larger than any pool fits once the collection has run, whether the
// arena is nearly full (the collection gives the emptied pools back) or not
// (the failed pool request does), and also when it needs the pools' room
// and the never-used room above them together.
TEST_F(HeapTest, EmptiedPoolsMakeRoomForALargeBlock)
{
    struct Case {
        TUint32 filled;  // arena bytes in use before the collection
        TUint32 request; // then allocated in one block
    };
    for (const Case c : {Case{5u << 20, 4u << 20}, Case{5u << 20, 6u << 20}, Case{7u << 20, 7u << 20}}) {
        SCOPED_TRACE(std::to_string(c.filled) + " filled, " + std::to_string(c.request) + " requested");
        Lumbra::Arena small(8u << 20);
        VMHeap h(small, 64000, referenceSlots, arraySlots, arrayIsReference);
        while (small.bytesInUse() < c.filled)
            h.allocate(12, 0, GC_CODE_NATIVE);
        EXPECT_GT(h.nOfPools(), 70);
        h.collect(); // no roots: every block is dropped
        TAddr big = 0;
        EXPECT_EQ(errorOf([&] { big = h.allocate(c.request, 0, GC_CODE_NATIVE); }), 0);
        EXPECT_NE(big, 0u);
        EXPECT_EQ(errorOf([&] { h.validate(); }), 0) << Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
        EXPECT_EQ(h.memUsage().actual, c.request);
    }
}

} // namespace
