// VMHeap: the memory report and the consistency check.
#include "heap/Heap.h"

#include "VMError.h"
#include "VUvarString.h"

#include <cstring>
#include <unordered_set>

HeapMemUsage VMHeap::memUsage() const
{
    HeapMemUsage u;
    for (int i = 0; i < pools.size(); ++i) {
        const PoolExtent& pool = *poolOf(pools[i]);
        TInt64 contents = 0, freeSize = 0;
        const TAddr trailer = pool.end - HEADER;
        for (TAddr block = pool.start + 28; block != trailer;) {
            const TUint32 size = checkedSize(block, pool);
            const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
            contents += size;
            if (isFree(block)) {
                freeSize += size;
            } else {
                if (he->usedSize > size)
                    corrupt("used size above block size");
                u.actual += he->usedSize;
                u.wasted += size - he->usedSize;
                if (he->objectFlag == -1) {
                    const int index = nativeIndexOf(block, size, 0);
                    const TInt64 outside = index >= 0 ? natives[size_t(index)].object->sizeOutsideHeap() : 0;
                    u.outsideHeap += outside;
                    if (he->gcCode == GC_CODE_STRING)
                        u.stringContents += outside;
                    else if (he->gcCode == GC_CODE_FONT)
                        u.fontContents += outside;
                }
            }
            block += OVERHEAD + size;
        }
        u.headers += poolSizes[i] - contents;
        u.szOfPools += poolSizes[i];
        u.allContents += contents;
        u.freeSpace += freeSize;
    }
    LUMBRA_ASSERT(u.szOfPools == u.freeSpace + u.actual + u.wasted + u.headers);
    u.total = u.headers + u.actual + u.wasted + u.outsideHeap;
    u.nOfEntries = nOfEntries_;
    u.nOfPools = pools.size();
    return u;
}

std::string VMHeap::memUsageText() const
{
    const HeapMemUsage u = memUsage();
    auto n = [](TInt64 v) { return std::to_string(TInt32(v)); };
    return "\nheaders " + n(u.headers) + " + actual " + n(u.actual) + " + wasted " + n(u.wasted) +
           " + outsideHeap " + n(u.outsideHeap) + " = total " + n(u.total) + "\n" +
           "stringContents=" + n(u.stringContents) + " bitmapContents=0 fontContents=" +
           n(u.fontContents) + "\n" + "nOfEntries=" + n(u.nOfEntries) + " nOfPools=" + n(u.nOfPools) +
           " SzOfPools=" + n(u.szOfPools) + " AllContents=" + n(u.allContents) +
           " freeSpace=" + n(u.freeSpace) + "\n";
}

int VMHeap::getMemUsage(VUvarString* out) const
{
    if (!out)
        return int(memUsage().total);
    const std::string text = memUsageText();
    out->append(VUvarString(text.data(), int(text.size())));
    return int(memUsage().total);
}

void VMHeap::validate() const
{
    auto fail = [](const std::string& what) {
        Lumbra::throwError(Lumbra::EVM, std::string_view("heap check: " + what));
    };
    auto isTerminator = [&](TAddr at) {
        const HeapEntry* t = reinterpret_cast<const HeapEntry*>(arena_.raw(at));
        return t->usedSize == 0 && t->size == 0 && t->objectFlag == 0 && t->marked == 0 &&
               t->gcCode == GC_CODE_TERMINATOR && t->freeHeapEntryIterator == 0;
    };
    if (pools.size() != int(extents.size()) || poolSizes.size() != pools.size())
        fail("pool tables disagree");
    TInt64 poolTotal = 0;
    int inUse = 0, freeBlocks = 0;
    std::unordered_set<TAddr> inUseBlocks;
    for (int i = 0; i < pools.size(); ++i) {
        const PoolExtent* pool = poolOf(pools[i]);
        if (!pool || pool->start != pools[i] || pool->end - pool->start != TUint32(poolSizes[i]))
            fail("pool extent");
        poolTotal += poolSizes[i];
        TUint32 leadingFooter;
        std::memcpy(&leadingFooter, arena_.raw(pool->start + 24), 4);
        if (!isTerminator(pool->start) || leadingFooter != 28)
            fail("leading terminator");
        if (!isTerminator(pool->end - HEADER))
            fail("trailing terminator");
        bool previousFree = false;
        for (TAddr block = pool->start + 28; block != pool->end - HEADER;) {
            const TUint32 size = checkedSize(block, *pool);
            const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
            if (he->marked != 0)
                fail("mark left at " + std::to_string(block));
            const ListEntry<FreeSlot>* node = freeNodeOf(block);
            if (node) {
                if (previousFree)
                    fail("adjacent free blocks at " + std::to_string(block));
                if (node->data.sizeClass != sizeClass(size))
                    fail("free block in the wrong size class");
                if (node->data.size != size)
                    fail("free block size differs from its listed size");
                if (he->gcCode != GC_CODE_FREE || he->objectFlag != 0)
                    fail("free block with a kind");
                ++freeBlocks;
            } else {
                if (he->usedSize > size)
                    fail("used size above block size");
                ++inUse;
                inUseBlocks.insert(block);
            }
            previousFree = node != nullptr;
            block += OVERHEAD + size;
        }
    }
    if (poolTotal != totalSizeOfPools_)
        fail("totalSizeOfPools");
    if (inUse != nOfEntries_)
        fail("nOfEntries " + std::to_string(nOfEntries_) + " but " + std::to_string(inUse) + " blocks in use");
    int listed = 0;
    for (const LinkedList<FreeSlot>* list : freeHeapEntries)
        listed += list->count();
    if (listed != freeBlocks || nodePool.nodesInUse() != freeBlocks)
        fail("free lists hold " + std::to_string(listed) + " blocks, pools " + std::to_string(freeBlocks));
    int live = 0;
    for (size_t i = 0; i < natives.size(); ++i) {
        if (!natives[i].object)
            continue;
        ++live;
        const TAddr block = natives[i].block;
        if (!inUseBlocks.count(block))
            fail("native object of a released block");
        const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
        const TUint32 size = he->size;
        const bool owned = (he->objectFlag == -1 && nativeIndexOf(block, size, 0) == int(i)) ||
                           (he->gcCode == GC_CODE_STREAM_HOLDER && nativeIndexOf(block, size, 1) == int(i));
        if (!owned)
            fail("native object not named by its block");
    }
    if (live != liveObjects)
        fail("native object count");
    memUsage();
}
