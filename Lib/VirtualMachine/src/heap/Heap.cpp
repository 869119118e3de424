// VMHeap: pools, block headers, allocation, release and coalescing.
#include "heap/Heap.h"

#include "VMError.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

// The library is compiled position-independent: helpers marked HOT are hidden
// (not interposable), so the compiler may inline them into the allocation,
// release and sweep paths.
#define HOT __attribute__((visibility("hidden")))
#define HOT_INLINE __attribute__((always_inline)) inline

namespace {
// Requests above this cannot be laid out in a pool whose length fits an int.
constexpr TUint32 LARGEST_REQUEST = 0x7FFF0000u;
constexpr TUint32 TERMINATOR_LENGTH = 28; // leading terminator: header + footer

TUint32 roundUp4(TUint64 size)
{
    if (size > LARGEST_REQUEST)
        throw std::bad_alloc();
    return TUint32((size + 3) & ~TUint64(3));
}
} // namespace

VMHeap::VMHeap(Lumbra::Arena& arena, int minPoolSize, const Vec<Vec<int>>& classReferenceSlots,
               const Vec<Vec<int>>& classArraySlots,
               const Vec<Vec<bool>>& classArrayElementIsReference)
    : arena_(arena), arenaBase(arena.raw(0)), minPoolSize(minPoolSize),
      classReferenceSlots(classReferenceSlots), classArraySlots(classArraySlots), classArrayElementIsReference(classArrayElementIsReference)
{
    for (int i = 0; i < SIZE_CLASSES; ++i)
        freeHeapEntries.append(new LinkedList<FreeSlot>(&nodePool));
    // Room for the bits of the whole arena up front: growing them copies,
    // and the pages of the reserve are only touched as pools are added.
    const size_t bitWords = size_t(arena.reserved()) / 4 / 64 + 1;
    blockStarts.reserve(bitWords);
    storageStarts.reserve(bitWords);
    addEntryToFreeEntries(newPool(roundUp4(TUint32(std::max(minPoolSize, 0)))));
    restartAllocationCount();
}

VMHeap::~VMHeap()
{
    if (ManagedMemory::current() == this)
        ManagedMemory::setCurrent(nullptr);
    try {
        sweep(); // nothing is marked: releases every block and runs every destructor
    } catch (const Lumbra::ErrorHandlingException&) {
        // Damaged headers stop the walk; the objects left are deleted below.
    }
    for (NativeSlot& slot : natives) {
        GCObject* object = slot.object;
        slot.object = nullptr;
        delete object;
    }
    for (LinkedList<FreeSlot>* list : freeHeapEntries)
        delete list;
    if (!arenaGoesToo)
        for (int i = 0; i < pools.size(); ++i)
            arena_.release(pools[i], TUint32(poolSizes[i]));
}

void VMHeap::corrupt(const char* what)
{
    Lumbra::throwError(Lumbra::EVM, std::string_view(std::string("heap damaged: ") + what));
}

HeapEntry& VMHeap::entry(TAddr entryAddr) const
{
    return *reinterpret_cast<HeapEntry*>(arena_.resolve(entryAddr, HEADER));
}

// ---- untrusted header access ------------------------------------------------

const VMHeap::PoolExtent* VMHeap::searchPool(TAddr addr) const
{
    auto it = std::upper_bound(extents.begin(), extents.end(), addr,
                               [](TAddr a, const PoolExtent& p) { return a < p.start; });
    if (it == extents.begin())
        return nullptr;
    --it;
    if (addr >= it->end)
        return nullptr;
    lastPool = size_t(it - extents.begin());
    return &*it;
}

HOT TAddr VMHeap::nextOf(TAddr entry, const PoolExtent& pool) const
{
    return entry + OVERHEAD + checkedSize(entry, pool);
}

TWord VMHeap::dataWord(TAddr entry, TUint32 index, TUint32 size) const
{
    if (index >= size / 4)
        corrupt("word outside its block");
    TWord value;
    std::memcpy(&value, arena_.raw(dataOf(entry) + 4 * index), 4);
    return value;
}

// ---- pools and allocation ---------------------------------------------------

TAddr VMHeap::newPool(TUint32 n)
{
    if (n > LARGEST_REQUEST)
        throw std::bad_alloc();
    const TUint32 length = n + POOL_EXTRA;
    // The arena's unused part below an eighth: collect at the next safepoint.
    // The pool is still made: the safepoint comes after this allocation.
    const TUint32 reserve = arena_.reserved();
    if (reserve - arena_.bytesInUse() < reserve / 8 + length) {
        wanted = true;
        credit = std::min<TInt64>(credit, 0); // the inline allocation declines from now on, and so looks
    }
    const TUint64 before = arena_.bytesHandedOut();
    TAddr start;
    try {
        start = arena_.allocateCleared(length);
    } catch (const std::bad_alloc&) {
        // Emptied pools hold arena room that a request larger than any of
        // them can only use once they are given back.
        if (releaseEmptyPools() == 0)
            throw;
        start = arena_.allocateCleared(length);
    }
    poolBytesSince += arena_.bytesHandedOut() - before;
    bool addedPool = false, addedSize = false;
    try {
        pools.append(start);
        addedPool = true;
        poolSizes.append(int(length));
        addedSize = true;
        extents.insert(std::upper_bound(extents.begin(), extents.end(), start,
                                        [](TAddr a, const PoolExtent& p) { return a < p.start; }),
                       PoolExtent{start, start + length});
    } catch (...) {
        if (addedSize)
            poolSizes.removeLast();
        if (addedPool)
            pools.removeLast();
        arena_.release(start, length);
        throw;
    }
    const size_t bitWords = (size_t(start) + length) / 4 / 64 + 1;
    if (blockStarts.size() < bitWords) {
        blockStarts.resize(bitWords);
        storageStarts.resize(bitWords);
    }
    HeapEntry* leading = reinterpret_cast<HeapEntry*>(arena_.raw(start));
    *leading = HeapEntry{0, 0, 0, 0, GC_CODE_TERMINATOR, 0};
    setFooter(start, 0);
    const TAddr block = start + TERMINATOR_LENGTH;
    setBit(blockStarts, start, true);
    setBit(blockStarts, block, true);
    *reinterpret_cast<HeapEntry*>(arena_.raw(block)) = HeapEntry{0, n, 0, 0, 0, 0};
    setFooter(block, n);
    *reinterpret_cast<HeapEntry*>(arena_.raw(block + OVERHEAD + n)) =
        HeapEntry{0, 0, 0, 0, GC_CODE_TERMINATOR, 0};
    totalSizeOfPools_ += int(length);
    return block;
}

TUint64 VMHeap::releaseEmptyPools()
{
    TUint64 released = 0;
    int kept = 0;
    for (int i = 0; i < pools.size(); ++i) {
        const TAddr start = pools[i];
        const TUint32 length = TUint32(poolSizes[i]);
        const TAddr block = start + TERMINATOR_LENGTH;
        const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
        // One free block from the leading terminator to the trailing one;
        // a header that does not say so exactly keeps its pool.
        ListEntry<FreeSlot>* node = he->freeHeapEntryIterator == 0
                                        ? nullptr
                                        : nodePool.find(TInt64(he->freeHeapEntryIterator) - 1);
        if (TUint64(he->size) + POOL_EXTRA != length || !node || node->data.block != block ||
            node->data.size != he->size) {
            pools[kept] = start;
            poolSizes[kept] = poolSizes[i];
            ++kept;
            continue;
        }
        dropFreeNode(node);
        clearBits(blockStarts, start, start + length);
        clearBits(storageStarts, start, start + length);
        totalSizeOfPools_ -= int(length);
        arena_.release(start, length);
        released += length;
    }
    if (released == 0)
        return 0;
    pools.removeLast(pools.size() - kept);
    poolSizes.removeLast(poolSizes.size() - kept);
    // The extents of the pools given back have no block start left.
    std::erase_if(extents, [this](const PoolExtent& p) { return !isBlockStart(p.start); });
    lastPool = 0;
    return released;
}

// ---- free lists ---------------------------------------------------------------
//
// Taking a block out of a list and putting a block back releases a node to
// the pool and acquires one again. The pool hands back the id it was given
// last, so the heap keeps the node it would get back and links it at its new
// place directly: lists, node ids and the pool's free ids end up exactly as
// with a release followed by an acquire.

HOT void VMHeap::addEntryToFreeEntries(TAddr entryAddr)
{
    const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(entryAddr));
    const TUint32 size = he->size;
    freeListIndex(size);
    linkFree(nodePool.acquire(), entryAddr, size);
}

HOT void VMHeap::dropFreeNode(LinkedListIterator<FreeSlot> node)
{
    unlinkNode(node);
    nodePool.release(node);
}

// The size of a listed free block once its header and footer still agree
// with what was listed; a block that no longer names its node loses it.
HOT_INLINE TUint32 VMHeap::listedSize(LinkedListIterator<FreeSlot> node)
{
    const TAddr block = node->data.block;
    const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
    if (he->freeHeapEntryIterator != TUint32(node->id) + 1) {
        dropFreeNode(node);
        corrupt("free block lost its free-list link");
    }
    const TUint32 size = node->data.size;
    TUint32 footer;
    std::memcpy(&footer, arena_.raw(block + HEADER + size), 4);
    if (he->size != size || footer != size + OVERHEAD)
        corrupt("free block size");
    return size;
}

// Every block of a larger class fits, so the lowest non-empty larger class
// gives its head at once; only the request's own class needs size checks.
HOT_INLINE VMHeap::FreeFit VMHeap::findFreeEntry(TUint32 size)
{
    const int k = sizeClass(size);
    const TUint64 larger = TUint64(nonEmptyLists) & (~TUint64(0) << (k + 1));
    if (larger != 0) {
        const LinkedListIterator<FreeSlot> node =
            freeHeapEntries.data()[std::countr_zero(larger)]->first();
        return FreeFit{node, node->data.block, listedSize(node)};
    }
    if (k >= SIZE_CLASSES)
        return FreeFit{};
    for (LinkedListIterator<FreeSlot> node = freeHeapEntries.data()[k]->first(); node; node = node->next) {
        const TUint32 blockSize = listedSize(node);
        if (blockSize >= size)
            return FreeFit{node, node->data.block, blockSize};
    }
    return FreeFit{};
}

HOT TAddr VMHeap::createHeapEntry(TUint32 requested, TInt32 objectFlag, GcCode code, bool clear)
{
    const TUint32 size = roundUp4(requested);
    if (const TAddr block = splitClassHead(size, objectFlag, code, clear))
        return block;
    return splitFreeEntry(size, objectFlag, code, clear);
}

TAddr VMHeap::splitFreeEntry(TUint32 size, TInt32 objectFlag, GcCode code, bool clear)
{
    credit -= size + OVERHEAD;
    if (credit <= 0)
        wanted = true;
    FreeFit fit = findFreeEntry(size);
    // A new pool is cleared by the arena; the only words written in it since
    // are headers, footers and terminators, all outside its block's data.
    bool cleared = false;
    if (fit.block == 0) {
        fit.block = newPool(std::max(size, roundUp4(TUint32(std::max(minPoolSize, 0)))));
        fit.size = checkedSize(fit.block, *poolOf(fit.block));
        cleared = true;
    }
    const TAddr block = fit.block;
    const TUint32 blockSize = fit.size;
    if (blockSize < size)
        corrupt("free block smaller than its size class");
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    if (blockSize - size > 28) {
        const TAddr tail = block + OVERHEAD + size;
        const TUint32 tailSize = blockSize - size - OVERHEAD;
        *reinterpret_cast<HeapEntry*>(arena_.raw(tail)) = HeapEntry{0, tailSize, 0, 0, 0, 0};
        setFooter(tail, tailSize);
        setBit(blockStarts, tail, true);
        if (fit.node)
            relinkFree(fit.node, tail, tailSize);
        else
            addEntryToFreeEntries(tail);
        he->size = size;
        setFooter(block, size);
    } else if (fit.node) {
        dropFreeNode(fit.node);
    }
    he->gcCode = code;
    he->usedSize = size;
    he->objectFlag = objectFlag;
    he->marked = 0;
    he->freeHeapEntryIterator = 0;
    if (clear && !cleared)
        zeroData(arena_.raw(dataOf(block)), he->size);
    ++nOfEntries_;
    return block;
}

TAddr VMHeap::allocate(TUint32 size, TInt32 objectFlag, GcCode code)
{
    return dataOf(createHeapEntry(size, objectFlag, code));
}

// Splits `first` (just allocated) after `firstSize` bytes; the rest becomes
// an in-use block of its own.
TAddr VMHeap::cutBlock(TAddr first, TUint32 firstSize, TUint32 secondUsed, TInt32 flag, GcCode code)
{
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(first));
    const TAddr second = first + OVERHEAD + firstSize;
    const TUint32 secondSize = he->size - firstSize - OVERHEAD;
    *reinterpret_cast<HeapEntry*>(arena_.raw(second)) =
        HeapEntry{secondUsed, secondSize, flag, 0, code, 0};
    setFooter(second, secondSize);
    setBit(blockStarts, second, true);
    he->size = firstSize;
    he->usedSize = firstSize;
    setFooter(first, firstSize);
    ++nOfEntries_;
    return second;
}

void VMHeap::allocatePair(TUint32 sizeA, TInt32 flagA, GcCode codeA, TUint32 sizeB, TInt32 flagB,
                          GcCode codeB, TAddr& dataA, TAddr& dataB)
{
    const TUint32 a = roundUp4(sizeA), b = roundUp4(sizeB);
    const TAddr first = createHeapEntry(roundUp4(TUint64(a) + b + OVERHEAD), flagA, codeA);
    const TAddr second = cutBlock(first, a, b, flagB, codeB);
    dataA = dataOf(first);
    dataB = dataOf(second);
}

void VMHeap::allocateTriple(TUint32 sizeA, TInt32 flagA, GcCode codeA, TUint32 sizeB, TInt32 flagB,
                            GcCode codeB, TUint32 sizeC, TInt32 flagC, GcCode codeC, TAddr& dataA,
                            TAddr& dataB, TAddr& dataC)
{
    const TUint32 a = roundUp4(sizeA), b = roundUp4(sizeB), c = roundUp4(sizeC);
    const TAddr first = createHeapEntry(roundUp4(TUint64(a) + b + c + 2 * OVERHEAD), flagA, codeA);
    const TAddr second = cutBlock(first, a, b, flagB, codeB);
    const TAddr third = cutBlock(second, b, c, flagC, codeC);
    dataA = dataOf(first);
    dataB = dataOf(second);
    dataC = dataOf(third);
}

// ---- release ----------------------------------------------------------------

void VMHeap::free(TAddr data)
{
    if (data == 0)
        return;
    freeEntry(entryOf(data));
}

void VMHeap::freeFromBytecode(TAddr data)
{
    if (data != 0 && isStorage(data))
        Lumbra::throwError(Lumbra::EVM, std::string_view("release of a vector's storage"));
    free(data);
}

TAddr VMHeap::allocateStorage(TUint32 size)
{
    const TAddr data = allocate(size, 0, GC_CODE_NATIVE);
    setBit(storageStarts, entryOf(data), true);
    return data;
}

TAddr VMHeap::allocateStorageUncleared(TUint32 size)
{
    const TAddr block = createHeapEntry(size, 0, GC_CODE_NATIVE, false);
    // The bytes past `size` (rounding, and the slack of a block not split) are cleared.
    const TUint32 blockSize = reinterpret_cast<const HeapEntry*>(arena_.raw(block))->size;
    const TUint32 written = size & ~TUint32(3);
    std::memset(arena_.raw(dataOf(block) + written), 0, blockSize - written);
    setBit(storageStarts, block, true);
    return dataOf(block);
}

TAddr VMHeap::freeEntry(TAddr block)
{
    const PoolExtent* pool = poolOf(block);
    if (!pool)
        corrupt("release of an address outside the heap");
    TUint32 followingSize;
    return releaseEntry(block, *pool, checkedSize(block, *pool), followingSize);
}

// Releases the block at `block`, whose `size` was checked against `pool`.
// The size of the block after the result is checked on the way and left in
// `followingSize` for the sweep (when that block is not the trailer).
HOT TAddr VMHeap::releaseEntry(TAddr block, const PoolExtent& pool, TUint32 size, TUint32& followingSize)
{
    if (isFree(block))
        corrupt("block released twice");
    HeapEntry* current = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    const TInt32 gcCode = current->gcCode;
    const TInt32 objectFlag = current->objectFlag;
    --nOfEntries_;
    if (gcCode == GC_CODE_STREAM_HOLDER || objectFlag != 0) {
        if (gcCode == GC_CODE_STREAM_HOLDER)
            releaseNativeObjects(block, size, 1);
        if (objectFlag != 0)
            releaseNativeObjects(block, checkedSize(block, pool), 0);
        size = checkedSize(block, pool); // destructors may not move blocks, but check anyway
    }
    setBit(storageStarts, block, false);
    current->objectFlag = 0;
    current->gcCode = GC_CODE_FREE;
    current->marked = 0;
    current->freeHeapEntryIterator = 0;

    // The node of the neighbour absorbed last is the one the merged block
    // would get back from the pool; it is kept and moved instead.
    LinkedListIterator<FreeSlot> kept = nullptr;
    auto absorb = [&](LinkedListIterator<FreeSlot> node, TAddr neighbour) {
        if (kept)
            dropFreeNode(kept);
        kept = node;
        reinterpret_cast<HeapEntry*>(arena_.raw(neighbour))->freeHeapEntryIterator = 0;
    };
    try {
        const TAddr trailer = pool.end - HEADER;
        for (TAddr next = block + OVERHEAD + size; next != trailer; next = block + OVERHEAD + size) {
            const TUint32 nextSize = checkedSize(next, pool);
            const LinkedListIterator<FreeSlot> node = freeNodeOf(next);
            if (!node) {
                followingSize = nextSize;
                break;
            }
            absorb(node, next);
            forgetStart(next);
            size += nextSize + OVERHEAD;
            current->size = size;
            setFooter(block, size);
        }
        while (block > pool.start + TERMINATOR_LENGTH) {
            TUint32 previousLength;
            std::memcpy(&previousLength, arena_.raw(block - 4), 4);
            if (previousLength < OVERHEAD || (previousLength & 3) != 0 ||
                previousLength > block - pool.start - TERMINATOR_LENGTH)
                corrupt("previous block footer");
            // A header size that matches the footer word just read places
            // the whole previous block inside the pool.
            const TAddr previous = block - previousLength;
            if (reinterpret_cast<const HeapEntry*>(arena_.raw(previous))->size + OVERHEAD != previousLength)
                corrupt("previous block size");
            const LinkedListIterator<FreeSlot> node = freeNodeOf(previous);
            if (!node)
                break;
            absorb(node, previous);
            forgetStart(block);
            size += previousLength;
            block = previous;
            current = reinterpret_cast<HeapEntry*>(arena_.raw(block));
            current->size = size;
            setFooter(block, size);
        }
    } catch (...) {
        if (kept)
            dropFreeNode(kept);
        throw;
    }
    if (kept)
        relinkFree(kept, block, size);
    else
        addEntryToFreeEntries(block);
    return block;
}

// ---- native objects ---------------------------------------------------------

TInt32 VMHeap::addNative(GCObject* object)
{
    const TInt64 outside = std::max(object->sizeOutsideHeap(), 0);
    if (outside > 0 && outside > hostBytesLimit - hostBytes) {
        hostLimitFailed = true;
        throw std::bad_alloc();
    }
    credit -= outside;
    if (credit <= 0)
        wanted = true;
    TInt32 index;
    if (!freeNativeSlots.empty()) {
        index = freeNativeSlots.back();
        freeNativeSlots.pop_back();
    } else {
        natives.push_back(NativeSlot{});
        index = TInt32(natives.size()) - 1;
    }
    natives[size_t(index)] = NativeSlot{object, 0, outside};
    hostBytes += outside;
    ++liveObjects;
    return index;
}

void VMHeap::rechargeHostBytes(TAddr data)
{
    if (!findObject(data))
        return;
    NativeSlot& slot = natives[lastObjectSlot]; // findObject's answer
    const TInt64 outside = std::max(slot.object->sizeOutsideHeap(), 0);
    const TInt64 growth = outside - slot.hostBytes;
    const bool pastLimit = growth > 0 && growth > hostBytesLimit - hostBytes;
    slot.hostBytes = outside;
    hostBytes += growth;
    if (growth > 0) {
        credit -= growth;
        if (credit <= 0)
            wanted = true;
    }
    if (pastLimit) {
        hostLimitFailed = true;
        throw std::bad_alloc();
    }
}

void VMHeap::dropNative(int index)
{
    hostBytes -= natives[size_t(index)].hostBytes;
    natives[size_t(index)] = NativeSlot{};
    if (size_t(index) == lastObjectSlot)
        lastObjectAddr = 0;
    --liveObjects;
    freeNativeSlots.push_back(index); // cannot throw: capacity grows with natives
}

// The table slot named by data word `wordIndex` of `block` (stored as index
// + 1, 0 meaning none), or -1 when the word names no slot of this block.
int VMHeap::nativeIndexOf(TAddr block, TUint32 size, TInt32 wordIndex) const
{
    if (TUint32(wordIndex) >= size / 4)
        return -1;
    const TInt64 index = TInt64(TUint32(dataWord(block, TUint32(wordIndex), size))) - 1;
    if (index < 0 || index >= TInt64(natives.size()))
        return -1;
    const NativeSlot& slot = natives[size_t(index)];
    return slot.object && slot.block == block ? int(index) : -1;
}

// Destroys the native object that data word `wordIndex` names. A damaged word
// (non-zero but not naming a slot of this block) falls back to a search by
// block so the object is still destroyed exactly once.
void VMHeap::releaseNativeObjects(TAddr block, TUint32 size, TInt32 wordIndex)
{
    int index = nativeIndexOf(block, size, wordIndex);
    if (index < 0) {
        if (TUint32(wordIndex) < size / 4 && dataWord(block, TUint32(wordIndex), size) == 0)
            return;
        for (size_t i = 0; i < natives.size(); ++i)
            if (natives[i].object && natives[i].block == block) {
                index = int(i);
                break;
            }
        if (index < 0)
            return;
    }
    GCObject* object = natives[size_t(index)].object;
    dropNative(index);
    if (TUint32(wordIndex) < size / 4)
        std::memset(arena_.raw(dataOf(block) + 4 * TUint32(wordIndex)), 0, 4);
    delete object;
}

// dropNative must not throw, so the free-slot list always has room for every
// slot of the table. Its storage grows by doubling, as the table's does: an
// exact reserve would take a new block of the table's size for every object.
void VMHeap::reserveFreeNativeSlot()
{
    const size_t needed = natives.size() + 1;
    if (freeNativeSlots.capacity() < needed)
        freeNativeSlots.reserve(std::max(needed, 2 * freeNativeSlots.capacity()));
}

TAddr VMHeap::adopt(GCObject* object, TUint32 blockSize, GcCode code)
{
    reserveFreeNativeSlot();
    const TInt32 index = addNative(object);
    TAddr data;
    try {
        data = allocate(std::max<TUint32>(blockSize, 4), -1, code);
    } catch (...) {
        dropNative(index);
        throw;
    }
    natives[size_t(index)].block = entryOf(data);
    const TWord word = index + 1;
    std::memcpy(arena_.raw(data), &word, 4);
    return data;
}

GCObject* VMHeap::objectAt(TAddr addr)
{
    if (addr == 0)
        Lumbra::Arena::nullAddress();
    if (GCObject* object = findObject(addr))
        return object;
    Lumbra::throwError(Lumbra::EVM, std::string_view("not a native object"));
}

GCObject* VMHeap::searchObject(TAddr addr)
{
    if (addr == 0)
        return nullptr;
    const TAddr block = entryOf(addr);
    const PoolExtent* pool = poolOf(block);
    if (pool && block != pool->start && block != pool->end - HEADER) {
        const TUint32 size = checkedSize(block, *pool);
        const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
        if (he->objectFlag == -1 && !isFree(block)) {
            const int index = nativeIndexOf(block, size, 0);
            if (index >= 0) {
                lastObjectAddr = addr;
                lastObjectSlot = size_t(index);
                return natives[size_t(index)].object;
            }
        }
    }
    return nullptr;
}

TAddr VMHeap::streamHolderBlock(TAddr holderData, TUint32& size) const
{
    const TAddr block = entryOf(holderData);
    const PoolExtent* pool = holderData ? poolOf(block) : nullptr;
    if (!pool || block == pool->start || block == pool->end - HEADER)
        corrupt("stream holder outside the heap");
    size = checkedSize(block, *pool);
    if (size < 8 || isFree(block))
        corrupt("stream holder");
    return block;
}

void VMHeap::attachStream(TAddr holderData, GCObject* stream)
{
    try {
        TUint32 size;
        const TAddr block = streamHolderBlock(holderData, size);
        releaseNativeObjects(block, size, 1);
        reserveFreeNativeSlot();
        const TWord word = addNative(stream) + 1;
        natives[size_t(word - 1)].block = block;
        std::memcpy(arena_.raw(holderData + 4), &word, 4);
    } catch (...) {
        delete stream;
        throw;
    }
}

GCObject* VMHeap::streamOf(TAddr holderData)
{
    TUint32 size;
    const TAddr block = streamHolderBlock(holderData, size);
    if (dataWord(block, 1, size) == 0)
        return nullptr;
    const int index = nativeIndexOf(block, size, 1);
    if (index < 0)
        corrupt("stream holder's stream");
    return natives[size_t(index)].object;
}

// ---- address lookup ---------------------------------------------------------

TAddr VMHeap::belongsToPools(TAddr address) const
{
    const PoolExtent* pool = poolOf(address);
    if (!pool)
        return 0;
    // No object lives in the trailing terminator: addresses there find nothing.
    if (address >= pool->end - HEADER)
        return 0;
    // The nearest block start at or below the address, 64 words at a time;
    // the pool's leading terminator is a start, so the search ends in the pool.
    size_t word = address / 4;
    TUint64 bits = blockStarts[word / 64] & (~TUint64(0) >> (63 - word % 64));
    while (bits == 0) {
        word = (word / 64 - 1) * 64 + 63;
        bits = blockStarts[word / 64];
    }
    return TAddr((word / 64 * 64 + 63 - size_t(std::countl_zero(bits))) * 4);
}
