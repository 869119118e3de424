// VMHeap: roots, marking and the sweep.
//
// Marking runs on an explicit work list so that deep object graphs cannot
// exhaust the native stack. Children are pushed in reverse so that they are
// visited in the same depth-first order (and raise the same first error) as
// a recursive trace would.
#include "heap/Heap.h"

#include "OVector.h"
#include "VMError.h"

#include <cstdio>
#include <cstring>

void VMHeap::addRoot(TAddr data)
{
    const TAddr block = entryOf(data);
    rootNodes[block].push_back(roots.append(block));
}

void VMHeap::removeRoot(TAddr data)
{
    const auto found = rootNodes.find(entryOf(data));
    if (found != rootNodes.end()) {
        // The oldest root of the block goes, as a search from the front would find it.
        std::vector<LinkedListIterator<TAddr>>& nodes = found->second;
        roots.remove(nodes.front());
        nodes.erase(nodes.begin());
        if (nodes.empty())
            rootNodes.erase(found);
        return;
    }
    std::fprintf(stderr, "Error: Removing non-existing root: %d", TInt32(data));
    std::fflush(stderr);
}

void VMHeap::markObject(TAddr data)
{
    Vec<WorkItem> work;
    work.append(WorkItem{Task::Mark, false, data, 0});
    runWork(work);
}

void VMHeap::markArray(TAddr handle, bool elementsAreReferences)
{
    Vec<WorkItem> work;
    work.append(WorkItem{Task::Array, elementsAreReferences, handle, 0});
    runWork(work);
}

// A trace that fails leaves marks behind; a later trace would stop at them
// and the sweep would then release the unvisited children of reachable
// blocks. Clearing every mark keeps the next collection sound.
void VMHeap::clearMarks()
{
    try {
        for (int i = 0; i < pools.size(); ++i) {
            const PoolExtent& pool = *poolOf(pools[i]);
            for (TAddr block = pool.start + 28; block != pool.end - HEADER;) {
                const TUint32 size = checkedSize(block, pool);
                reinterpret_cast<HeapEntry*>(arena_.raw(block))->marked = 0;
                block += OVERHEAD + size;
            }
        }
    } catch (const Lumbra::ErrorHandlingException&) {
        // Damaged headers: the marks past the damage stay; the error already pending wins.
    }
}

void VMHeap::markIfInPools(TWord word)
{
    const TAddr block = belongsToPools(TAddr(word) - HEADER);
    if (block != 0)
        markObject(dataOf(block));
}

void VMHeap::runWork(Vec<WorkItem>& work)
{
    try {
        traceAll(work);
    } catch (...) {
        clearMarks();
        throw;
    }
}

void VMHeap::traceAll(Vec<WorkItem>& work)
{
    while (!work.isEmpty()) {
        const WorkItem item = work.last();
        work.removeLast();
        switch (item.task) {
        case Task::Mark:
            markEntry(entryOf(item.addr), work);
            break;
        case Task::ClassArrays: {
            // item.addr is the object's block, item.value its class index.
            const TInt32 c = item.value;
            if (c < 0 || c >= classArraySlots.size() || c >= classArrayElementIsReference.size())
                Lumbra::raiseError(Lumbra::EInvalidArgument);
            const Vec<int>& slots = classArraySlots[c];
            const Vec<bool>& isReference = classArrayElementIsReference[c];
            const TUint32 size = checkedSize(item.addr, *poolOf(item.addr));
            const int traced = std::min(slots.size(), isReference.size());
            if (traced < slots.size()) // the slot without a flag fails after the others
                work.append(WorkItem{Task::ClassArrays, false, 0, -1});
            for (int j = traced - 1; j >= 0; --j) {
                const TUint32 w = TUint32(slots[j]);
                if (w >= size / 4)
                    corrupt("array slot outside its object");
                work.append(WorkItem{Task::Array, isReference[j], dataOf(item.addr) + 4 * w, 0});
            }
            break;
        }
        case Task::Array: {
            const TWord vector = arena_.loadWord(item.addr);
            if (vector == 0)
                break;
            work.append(WorkItem{Task::ArrayBody, item.flag, TAddr(vector), 0});
            work.append(WorkItem{Task::Mark, false, TAddr(vector), 0});
            break;
        }
        case Task::ArrayBody:
            traceArrayBody(item.addr, item.flag, work);
            break;
        case Task::StackWord:
            traceStackWord(item.addr, work);
            break;
        case Task::StackVector: {
            // item.addr: a vector variable's address, checked to lie in the arena.
            TWord vector;
            std::memcpy(&vector, arena_.raw(item.addr), 4);
            const TAddr block = vector == 0 ? 0 : plausibleBlock(TAddr(vector), true);
            if (block != 0 && reinterpret_cast<const HeapEntry*>(arena_.raw(block))->gcCode == GC_CODE_VECTOR)
                work.append(WorkItem{Task::Array, item.flag, item.addr, 0});
            break;
        }
        }
    }
}

void VMHeap::traceArrayBody(TAddr vector, bool elementsAreReferences, Vec<WorkItem>& work)
{
    const OVectorBase* v = objectAs<OVectorBase>(vector);
    const int n = v->size();
    if (n == 0)
        return;
    if (n < 0)
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    const TAddr storage = v->storage();
    if (storage == 0) // elements kept in host memory
        return;
    if (elementsAreReferences) {
        const TAddr block = entryOf(storage);
        const PoolExtent* pool = poolOf(block);
        if (!pool || block == pool->start || block == pool->end - HEADER)
            corrupt("vector storage outside the heap");
        if (TUint32(n) > checkedSize(block, *pool) / 4)
            corrupt("vector storage shorter than its count");
        const TUint8* words = arena_.raw(storage);
        for (int i = n - 1; i >= 0; --i) {
            TWord element;
            std::memcpy(&element, words + 4 * size_t(i), 4);
            if (element != 0)
                work.append(WorkItem{Task::Mark, false, TAddr(element), 0});
        }
    }
    work.append(WorkItem{Task::Mark, false, storage, 0});
}

void VMHeap::markEntry(TAddr block, Vec<WorkItem>& work)
{
    const PoolExtent* pool = poolOf(block);
    if (!pool)
        corrupt("reference outside the heap");
    // A reference to a terminator is a reference into free space. Terminators
    // are never swept, so they are not marked: every such reference fails.
    if (block == pool->start || block == pool->end - HEADER)
        Lumbra::raiseError(Lumbra::EVM);
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    const TUint32 size = checkedSize(block, *pool);
    if (he->marked == 1)
        return;
    he->marked = 1;

    switch (he->gcCode) {
    case GC_CODE_FREE:
    case GC_CODE_TERMINATOR:
        Lumbra::raiseError(Lumbra::EVM);
    case GC_CODE_VM_OBJECT: {
        const TWord c = dataWord(block, 0, size);
        if (c < 0 || c >= classReferenceSlots.size())
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        work.append(WorkItem{Task::ClassArrays, false, block, c});
        const Vec<int>& slots = classReferenceSlots[c];
        for (int i = slots.size() - 1; i >= 0; --i) {
            const TWord child = dataWord(block, TUint32(slots[i]), size);
            if (child != 0)
                work.append(WorkItem{Task::Mark, false, TAddr(child), 0});
        }
        break;
    }
    case GC_CODE_VECTOR_HANDLE:
    case GC_CODE_OBJECT_VECTOR_HANDLE:
        dataWord(block, 0, size); // the handle must hold its word
        work.append(WorkItem{Task::Array, he->gcCode == GC_CODE_OBJECT_VECTOR_HANDLE, dataOf(block), 0});
        break;
    case GC_CODE_REFERENCE: {
        // Boxes also carry plain values (an int passed at a reference level):
        // a word outside every pool is a value, not a reference.
        const TWord child = dataWord(block, 0, size);
        if (child != 0 && TAddr(child) >= HEADER && poolOf(entryOf(TAddr(child))))
            work.append(WorkItem{Task::Mark, false, TAddr(child), 0});
        break;
    }
    case GC_CODE_GRAPHICS_HOLDER: {
        const TWord typeId = dataWord(block, 0, size);
        if (typeId != GRAPHICS_CONTEXT_TYPE_ID && typeId != BITMAP_TYPE_ID)
            Lumbra::raiseError(Lumbra::EVM);
        if (typeId == BITMAP_TYPE_ID) {
            const TWord bitmap = dataWord(block, 2, size);
            if (bitmap != 0)
                work.append(WorkItem{Task::Mark, false, TAddr(bitmap), 0});
        }
        const TWord container = dataWord(block, 1, size);
        if (container != 0)
            work.append(WorkItem{Task::Mark, false, TAddr(container), 0});
        break;
    }
    default:
        break;
    }

    // References a native object reports are traced before its kind's own.
    if (he->objectFlag == -1 && !isFree(block)) {
        const int index = nativeIndexOf(block, size, 0);
        if (index < 0)
            corrupt("native object reference");
        markStack.clear();
        natives[size_t(index)].object->pushReferences(markStack);
        for (int i = 0; i < markStack.size(); ++i)
            work.append(WorkItem{Task::Mark, false, TAddr(markStack[i]), 0});
        markStack.clear();
    }
}

// ---- collection at a safepoint --------------------------------------------

TAddr VMHeap::plausibleBlock(TAddr addr, bool exact) const
{
    if (addr < HEADER)
        return 0;
    const TAddr block = exact ? (isBlockStart(entryOf(addr)) ? entryOf(addr) : 0) : belongsToPools(addr);
    if (block == 0)
        return 0;
    const PoolExtent* pool = poolOf(block);
    if (!pool || block == pool->start || block == pool->end - HEADER)
        return 0;
    const TUint32 size = checkedSize(block, *pool); // a damaged header raises
    if (addr < dataOf(block) || (addr >= dataOf(block) + size && addr != dataOf(block)) || isFree(block))
        return 0;
    const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
    switch (he->gcCode) {
    case GC_CODE_FREE:
    case GC_CODE_TERMINATOR:
        return 0;
    case GC_CODE_VM_OBJECT: {
        const TWord c = size >= 4 ? dataWord(block, 0, size) : -1;
        return c >= 0 && c < classReferenceSlots.size() ? block : 0;
    }
    case GC_CODE_GRAPHICS_HOLDER: {
        const TWord typeId = size >= 4 ? dataWord(block, 0, size) : 0;
        return typeId == GRAPHICS_CONTEXT_TYPE_ID || typeId == BITMAP_TYPE_ID ? block : 0;
    }
    default:
        return he->gcCode > 0 && he->gcCode < GC_CODE_TERMINATOR ? block : 0;
    }
}

void VMHeap::traceStackWord(TAddr addr, Vec<WorkItem>& work)
{
    const TAddr block = plausibleBlock(addr, false);
    if (block == 0)
        return;
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    if (he->marked == 1)
        return;
    if (he->gcCode == GC_CODE_VECTOR) {
        // Its kind of elements is unknown here: every word of the storage in
        // use is taken as a stack word is. The vector marks its storage itself.
        const OVectorBase* v = objectAs<OVectorBase>(dataOf(block));
        const TAddr storage = v->storage();
        const TInt64 bytes = TInt64(std::max(v->size(), 0)) * std::max(v->elementSize(), 0);
        if (storage != 0 && bytes > 0) {
            const TAddr storageBlock = plausibleBlock(storage, true);
            if (storageBlock != 0) {
                const TUint32 size = checkedSize(storageBlock, *poolOf(storageBlock));
                const TUint32 words = TUint32(std::min<TInt64>(bytes, size) / 4);
                for (TUint32 i = words; i-- > 0;) {
                    const TWord element = dataWord(storageBlock, i, size);
                    if (element != 0)
                        work.append(WorkItem{Task::StackWord, false, TAddr(element), 0});
                }
            }
        }
    }
    work.append(WorkItem{Task::Mark, false, dataOf(block), 0});
}

void VMHeap::markStackWord(TWord word)
{
    if (word != 0)
        stackWork.append(WorkItem{Task::StackWord, false, TAddr(word), 0});
}

void VMHeap::markStackReference(TWord word)
{
    if (word != 0 && TAddr(word) >= HEADER && isBlockStart(entryOf(TAddr(word))))
        stackWork.append(WorkItem{Task::StackWord, false, TAddr(word), 0});
}

void VMHeap::markStackVector(TAddr variable, bool elementsAreReferences)
{
    if (arena_.contains(variable, 8))
        stackWork.append(WorkItem{Task::StackVector, elementsAreReferences, variable, 0});
}

bool VMHeap::collectQueued()
{
    Vec<WorkItem> work;
    std::swap(work, stackWork);
    bool done = false;
    try {
        markStack.clear();
        for (LinkedListIterator<TAddr> node = roots.first(); node; node = node->next) {
            if (!isBlockStart(node->data))
                corrupt("root is not a block");
            work.append(WorkItem{Task::Mark, false, dataOf(node->data), 0});
        }
        traceAll(work);
        sweep();
        done = true;
    } catch (...) {
        clearMarks();
    }
    stackWork.clear();
    if (done)
        afterCollection();
    else
        restartAllocationCount();
    return done;
}

TInt64 VMHeap::freeBytesInPools() const
{
    TInt64 bytes = 0;
    for (const LinkedList<FreeSlot>* list : freeHeapEntries)
        for (LinkedListIterator<FreeSlot> node = list->first(); node; node = node->next)
            bytes += TInt64(node->data.size) + OVERHEAD;
    return bytes;
}

void VMHeap::restartAllocationCount()
{
    credit = stress ? 0 : trigger;
    arenaMark = arena_.bytesHandedOut();
    poolBytesSince = 0;
    wanted = false;
}

void VMHeap::afterCollection()
{
    ++collections;
    // Close to a full arena, emptied pools go back to it: arena ranges that
    // are not blocks, and blocks larger than a pool, need that room too.
    const TInt64 reserve = arena_.reserved();
    if (reserve - TInt64(arena_.bytesInUse()) < reserve / 8)
        releaseEmptyPools();
    const TInt64 freeBytes = freeBytesInPools();
    liveBytes = TInt64(arena_.bytesInUse()) - freeBytes + hostBytes;
    trigger = std::max(MIN_COLLECTION_TRIGGER, liveBytes);
    restartAllocationCount();
    if (!stress) {
        // An arena too small for the trigger: the next collection comes
        // before the free space in the pools and the arena's room above its
        // last eighth are used up. Were it wanted only when a pool has to be
        // made, that pool would be made first, and every cycle would leave
        // the heap one pool larger until the arena is full. Close to full,
        // the next one comes once half of what is left is used.
        const TInt64 usable = freeBytes + (reserve - TInt64(arena_.bytesInUse()));
        credit = std::min(credit, std::max(usable - reserve / 8, usable / 2));
    }
    if (freeBytes > trigger)
        discardFreePages();
}

// Resident memory follows the live data: the pages inside large free blocks
// go back to the system, as far as the free space passes what may be
// allocated before the next collection (those pages are reused soon).
void VMHeap::discardFreePages()
{
    TInt64 surplus = freeBytesInPools() - trigger;
    // Class k holds sizes up to 2^k: below the smallest block worth it, stop.
    for (int k = SIZE_CLASSES - 1; k >= 0 && surplus > 0 && (TUint64(1) << k) >= DISCARD_MIN_BLOCK; --k) {
        for (LinkedListIterator<FreeSlot> node = freeHeapEntries[k]->first(); node && surplus > 0; node = node->next) {
            const TUint32 size = node->data.size;
            if (size < DISCARD_MIN_BLOCK)
                continue;
            // The header and footer stay; the data in between is not read
            // while the block is free, and is cleared when it is handed out.
            arena_.discardPages(dataOf(node->data.block), size);
            surplus -= size;
        }
    }
}

void VMHeap::collect()
{
    markStack.clear();
    for (LinkedListIterator<TAddr> node = roots.first(); node; node = node->next) {
        // Bytecode may release any block explicitly, a rooted one included;
        // once its space is reused the root no longer starts a block, and
        // tracing it would write a mark into whatever lies there now.
        if (!isBlockStart(node->data)) {
            clearMarks();
            corrupt("root is not a block");
        }
        markObject(dataOf(node->data));
    }
    sweep();
    afterCollection();
}

namespace {
// The next block's place depends on this one's size: fetching this far ahead
// by address keeps the walk from waiting on memory block by block (a prefetch
// past the arena's end is harmless).
constexpr int SWEEP_PREFETCH = 2048;
} // namespace

// Each block's size is checked once: releasing a block checks the one after
// the merged result on its way and hands its size on.
void VMHeap::sweepPool(const PoolExtent& pool)
{
    const HeapEntry* leading = reinterpret_cast<const HeapEntry*>(arena_.raw(pool.start));
    if (!(leading->gcCode == GC_CODE_TERMINATOR))
        corrupt("he->gcCode == GC_CODE_TERMINATOR");
    const TAddr trailer = pool.end - HEADER;
    TAddr block = pool.start + 28;
    TUint32 size = block != trailer ? checkedSize(block, pool) : 0;
    while (block != trailer) {
        HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
        __builtin_prefetch(reinterpret_cast<const char*>(he) + SWEEP_PREFETCH, 1);
        if (he->marked != 0 || isFree(block)) {
            he->marked = 0;
            block += OVERHEAD + size;
            if (block != trailer)
                size = checkedSize(block, pool);
            continue;
        }
        TUint32 followingSize = 0;
        const TAddr released = releaseEntry(block, pool, size, followingSize);
        HeapEntry* merged = reinterpret_cast<HeapEntry*>(arena_.raw(released));
        merged->marked = 0;
        block = released + OVERHEAD + merged->size;
        size = followingSize;
        if (block != trailer)
            block = absorbDeadRun(released, block, pool, size);
    }
}

// Releases the plain dead blocks that follow the free block `free`, starting
// with `block` (of `size`, checked), with the result of releasing them one by
// one: each would merge backward into `free` and move its node to the tail of
// the size class it has then, so the node goes to the tail of the final class
// once, when the run ends. Each absorbed header and footer is written as that
// release would leave it. Stops before a block that is live, free, owns a
// native object or is followed by a free block (those take the general path);
// returns that block with its checked size in `size`.
TAddr VMHeap::absorbDeadRun(TAddr free, TAddr block, const PoolExtent& pool, TUint32& size)
{
    const TAddr trailer = pool.end - HEADER;
    const LinkedListIterator<FreeSlot> node = freeNodeOf(free);
    const TAddr first = block;
    TUint32 mergedSize = reinterpret_cast<const HeapEntry*>(arena_.raw(free))->size;
    int absorbed = 0;
    auto settle = [&] {
        nOfEntries_ -= absorbed;
        clearBits(blockStarts, first, block);
        clearBits(storageStarts, first, block);
        reinterpret_cast<HeapEntry*>(arena_.raw(free))->size = mergedSize;
        relinkFree(node, free, mergedSize);
    };
    // The arena's base in a register: the header stores below cannot move it.
    TUint8* const base = arenaBase;
    try {
        while (block != trailer) {
            HeapEntry* dead = reinterpret_cast<HeapEntry*>(base + block);
            __builtin_prefetch(reinterpret_cast<const char*>(dead) + SWEEP_PREFETCH, 1);
            if (dead->marked != 0 || dead->freeHeapEntryIterator != 0 || dead->objectFlag != 0 ||
                dead->gcCode == GC_CODE_STREAM_HOLDER)
                break;
            // checkedSize of the next block: its start is word aligned and
            // past this one already, so only its end is left to check.
            const TAddr after = block + OVERHEAD + size;
            TUint32 afterSize = 0;
            if (after != trailer) {
                if (after > trailer - OVERHEAD)
                    corrupt("block outside its pool");
                const HeapEntry* next = reinterpret_cast<const HeapEntry*>(base + after);
                afterSize = next->size;
                if ((afterSize & 3) != 0 || afterSize > trailer - after - OVERHEAD)
                    corrupt("block size");
                TUint32 footer;
                std::memcpy(&footer, base + after + HEADER + afterSize, 4);
                if (footer != afterSize + OVERHEAD)
                    corrupt("block footer");
                if (next->freeHeapEntryIterator != 0)
                    break;
            }
            dead->gcCode = GC_CODE_FREE;
            mergedSize += size + OVERHEAD;
            const TUint32 mergedFooter = mergedSize + OVERHEAD; // where this block's footer was
            std::memcpy(base + after - 4, &mergedFooter, 4);
            ++absorbed;
            block = after;
            size = afterSize;
        }
    } catch (...) {
        settle();
        throw;
    }
    settle();
    return block;
}

void VMHeap::sweep()
{
    for (int i = 0; i < pools.size(); ++i)
        sweepPool(*poolOf(pools[i]));
}
