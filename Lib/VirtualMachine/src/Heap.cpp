// VMHeap: pools, block headers, allocation, release and coalescing.
#include "Heap.h"

#include "VMError.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

// The library is compiled position-independent: helpers marked HOT are hidden
// (not interposable), so the compiler may inline them into the allocation,
// release and sweep paths.
#define HOT __attribute__((visibility("hidden")))

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
    : arena_(arena), minPoolSize(minPoolSize), classReferenceSlots(classReferenceSlots),
      classArraySlots(classArraySlots), classArrayElementIsReference(classArrayElementIsReference)
{
    for (int i = 0; i < SIZE_CLASSES; ++i)
        freeHeapEntries.append(new LinkedList<FreeSlot>(&nodePool));
    addEntryToFreeEntries(newPool(roundUp4(TUint32(std::max(minPoolSize, 0)))));
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
    for (int i = 0; i < pools.size(); ++i)
        arena_.release(pools[i], TUint32(poolSizes[i]));
}

void VMHeap::corrupt(const char* what)
{
    Lumbra::throwError(Lumbra::EVM, std::string_view(std::string("heap damaged: ") + what));
}

HOT int VMHeap::sizeClass(TUint32 size)
{
    return size <= 1 ? 0 : int(std::bit_width(size - 1));
}

HeapEntry& VMHeap::entry(TAddr entryAddr) const
{
    return *reinterpret_cast<HeapEntry*>(arena_.resolve(entryAddr, HEADER));
}

// ---- untrusted header access ------------------------------------------------

HOT const VMHeap::PoolExtent* VMHeap::poolOf(TAddr addr) const
{
    // Allocation, release and the sweep mostly stay in one pool for a while.
    if (lastPool < extents.size()) {
        const PoolExtent& recent = extents[lastPool];
        if (addr >= recent.start && addr < recent.end)
            return &recent;
    }
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

// The size of the block at `entry` once its position, size and footer agree
// with the pool it lies in.
HOT TUint32 VMHeap::checkedSize(TAddr entry, const PoolExtent& pool) const
{
    const TAddr trailer = pool.end - HEADER;
    if (entry < pool.start + TERMINATOR_LENGTH || (entry & 3) != 0 || entry > trailer - OVERHEAD)
        corrupt("block outside its pool");
    const TUint32 size = reinterpret_cast<const HeapEntry*>(arena_.raw(entry))->size;
    if ((size & 3) != 0 || size > trailer - entry - OVERHEAD)
        corrupt("block size");
    TUint32 footer;
    std::memcpy(&footer, arena_.raw(entry + HEADER + size), 4);
    if (footer != size + OVERHEAD)
        corrupt("block footer");
    return size;
}

HOT TAddr VMHeap::nextOf(TAddr entry, const PoolExtent& pool) const
{
    return entry + OVERHEAD + checkedSize(entry, pool);
}

HOT ListEntry<FreeSlot>* VMHeap::freeNodeOf(TAddr entry) const
{
    const TUint32 link = reinterpret_cast<const HeapEntry*>(arena_.raw(entry))->freeHeapEntryIterator;
    if (link == 0)
        return nullptr;
    ListEntry<FreeSlot>* node = nodePool.find(TInt64(link) - 1);
    if (!node || node->data.block != entry)
        corrupt("free-list link");
    return node;
}

HOT void VMHeap::unlinkFree(TAddr entry)
{
    ListEntry<FreeSlot>* node = freeNodeOf(entry);
    freeHeapEntries[node->data.sizeClass]->remove(node);
    reinterpret_cast<HeapEntry*>(arena_.raw(entry))->freeHeapEntryIterator = 0;
}

TWord VMHeap::dataWord(TAddr entry, TUint32 index, TUint32 size) const
{
    if (index >= size / 4)
        corrupt("word outside its block");
    TWord value;
    std::memcpy(&value, arena_.raw(dataOf(entry) + 4 * index), 4);
    return value;
}

HOT void VMHeap::setFooter(TAddr entry, TUint32 size)
{
    const TUint32 footer = size + OVERHEAD;
    std::memcpy(arena_.raw(entry + HEADER + size), &footer, 4);
}

// ---- pools and allocation ---------------------------------------------------

TAddr VMHeap::newPool(TUint32 n)
{
    if (n > LARGEST_REQUEST)
        throw std::bad_alloc();
    const TUint32 length = n + POOL_EXTRA;
    const TAddr start = arena_.allocate(length);
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
    HeapEntry* leading = reinterpret_cast<HeapEntry*>(arena_.raw(start));
    *leading = HeapEntry{0, 0, 0, 0, GC_CODE_TERMINATOR, 0};
    setFooter(start, 0);
    const TAddr block = start + TERMINATOR_LENGTH;
    *reinterpret_cast<HeapEntry*>(arena_.raw(block)) = HeapEntry{0, n, 0, 0, 0, 0};
    setFooter(block, n);
    *reinterpret_cast<HeapEntry*>(arena_.raw(block + OVERHEAD + n)) =
        HeapEntry{0, 0, 0, 0, GC_CODE_TERMINATOR, 0};
    totalSizeOfPools_ += int(length);
    return block;
}

HOT void VMHeap::addEntryToFreeEntries(TAddr entryAddr)
{
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(entryAddr));
    const int indexInFreeEntries = sizeClass(he->size);
    LUMBRA_ASSERT(indexInFreeEntries < int ( freeHeapEntries.size() ));
    LinkedListIterator<FreeSlot> node =
        freeHeapEntries[indexInFreeEntries]->append(FreeSlot{entryAddr, indexInFreeEntries});
    he->freeHeapEntryIterator = TUint32(node->id) + 1;
}

// Unlinks a free-list node after checking that its block still names it.
HOT TAddr VMHeap::takeFreeNode(LinkedListIterator<FreeSlot> node)
{
    const TAddr block = node->data.block;
    LinkedList<FreeSlot>* list = freeHeapEntries[node->data.sizeClass];
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    const bool linked = he->freeHeapEntryIterator == TUint32(node->id) + 1;
    list->remove(node);
    if (!linked)
        corrupt("free block lost its free-list link");
    he->freeHeapEntryIterator = 0;
    return block;
}

HOT TAddr VMHeap::findFreeEntry(TUint32 size)
{
    const int k = sizeClass(size);
    for (int i = k + 1; i < SIZE_CLASSES; ++i) {
        LinkedList<FreeSlot>* list = freeHeapEntries.data()[i];
        if (!list->isEmpty())
            return takeFreeNode(list->first());
    }
    for (LinkedListIterator<FreeSlot> node = freeHeapEntries[k]->first(); node; node = node->next) {
        const TAddr block = node->data.block;
        if (checkedSize(block, *poolOf(block)) >= size)
            return takeFreeNode(node);
    }
    return 0;
}

HOT TAddr VMHeap::createHeapEntry(TUint32 requested, TInt32 objectFlag, GcCode code)
{
    const TUint32 size = roundUp4(requested);
    TAddr block = findFreeEntry(size);
    if (block == 0)
        block = newPool(std::max(size, roundUp4(TUint32(std::max(minPoolSize, 0)))));
    const TUint32 blockSize = checkedSize(block, *poolOf(block));
    if (blockSize < size)
        corrupt("free block smaller than its size class");
    HeapEntry* he = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    if (blockSize - size > 28) {
        const TAddr tail = block + OVERHEAD + size;
        const TUint32 tailSize = blockSize - size - OVERHEAD;
        *reinterpret_cast<HeapEntry*>(arena_.raw(tail)) = HeapEntry{0, tailSize, 0, 0, 0, 0};
        setFooter(tail, tailSize);
        addEntryToFreeEntries(tail);
        he->size = size;
        setFooter(block, size);
    }
    he->gcCode = code;
    he->usedSize = size;
    he->objectFlag = objectFlag;
    he->marked = 0;
    he->freeHeapEntryIterator = 0;
    std::memset(arena_.raw(dataOf(block)), 0, he->size);
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

TAddr VMHeap::freeEntry(TAddr block)
{
    const PoolExtent* pool = poolOf(block);
    if (!pool)
        corrupt("release of an address outside the heap");
    checkedSize(block, *pool);
    if (isFree(block))
        corrupt("block released twice");
    const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
    const TInt32 gcCode = he->gcCode;
    const TInt32 objectFlag = he->objectFlag;
    --nOfEntries_;
    if (gcCode == GC_CODE_STREAM_HOLDER)
        releaseNativeObjects(block, checkedSize(block, *pool), 1);
    if (objectFlag != 0)
        releaseNativeObjects(block, checkedSize(block, *pool), 0);

    TUint32 size = checkedSize(block, *pool); // destructors may not move blocks, but check anyway
    HeapEntry* current = reinterpret_cast<HeapEntry*>(arena_.raw(block));
    current->objectFlag = 0;
    current->gcCode = GC_CODE_FREE;
    current->marked = 0;
    current->freeHeapEntryIterator = 0;

    const TAddr trailer = pool->end - HEADER;
    for (TAddr next = block + OVERHEAD + size; next != trailer; next = block + OVERHEAD + size) {
        const TUint32 nextSize = checkedSize(next, *pool);
        if (!isFree(next))
            break;
        unlinkFree(next);
        size += nextSize + OVERHEAD;
        current->size = size;
        setFooter(block, size);
    }
    while (block > pool->start + TERMINATOR_LENGTH) {
        TUint32 previousLength;
        std::memcpy(&previousLength, arena_.raw(block - 4), 4);
        if (previousLength < OVERHEAD || (previousLength & 3) != 0 ||
            previousLength > block - pool->start - TERMINATOR_LENGTH)
            corrupt("previous block footer");
        const TAddr previous = block - previousLength;
        if (checkedSize(previous, *pool) + OVERHEAD != previousLength)
            corrupt("previous block size");
        if (!isFree(previous))
            break;
        unlinkFree(previous);
        size += previousLength;
        block = previous;
        current = reinterpret_cast<HeapEntry*>(arena_.raw(block));
        current->size = size;
        setFooter(block, size);
    }
    addEntryToFreeEntries(block);
    return block;
}

// ---- native objects ---------------------------------------------------------

TInt32 VMHeap::addNative(GCObject* object)
{
    TInt32 index;
    if (!freeNativeSlots.empty()) {
        index = freeNativeSlots.back();
        freeNativeSlots.pop_back();
    } else {
        natives.push_back(NativeSlot{});
        index = TInt32(natives.size()) - 1;
    }
    natives[size_t(index)] = NativeSlot{object, 0};
    ++liveObjects;
    return index;
}

void VMHeap::dropNative(int index)
{
    natives[size_t(index)] = NativeSlot{};
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

TAddr VMHeap::adopt(GCObject* object, TUint32 blockSize, GcCode code)
{
    freeNativeSlots.reserve(natives.size() + 1);
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
    const TAddr block = entryOf(addr);
    const PoolExtent* pool = poolOf(block);
    if (pool && block != pool->start && block != pool->end - HEADER) {
        const TUint32 size = checkedSize(block, *pool);
        const HeapEntry* he = reinterpret_cast<const HeapEntry*>(arena_.raw(block));
        if (he->objectFlag == -1 && !isFree(block)) {
            const int index = nativeIndexOf(block, size, 0);
            if (index >= 0)
                return natives[size_t(index)].object;
        }
    }
    Lumbra::throwError(Lumbra::EVM, std::string_view("not a native object"));
}

void VMHeap::attachStream(TAddr holderData, GCObject* stream)
{
    try {
        const TAddr block = entryOf(holderData);
        const PoolExtent* pool = holderData ? poolOf(block) : nullptr;
        if (!pool || block == pool->start || block == pool->end - HEADER)
            corrupt("stream holder outside the heap");
        const TUint32 size = checkedSize(block, *pool);
        if (size < 8 || isFree(block))
            corrupt("stream holder");
        releaseNativeObjects(block, size, 1);
        freeNativeSlots.reserve(natives.size() + 1);
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
    const TAddr block = entryOf(holderData);
    const PoolExtent* pool = holderData ? poolOf(block) : nullptr;
    if (!pool || block == pool->start || block == pool->end - HEADER)
        corrupt("stream holder outside the heap");
    const TUint32 size = checkedSize(block, *pool);
    if (size < 8 || isFree(block))
        corrupt("stream holder");
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
    const HeapEntry* last = reinterpret_cast<const HeapEntry*>(arena_.raw(pool->start));
    if (!(last->gcCode == GC_CODE_TERMINATOR))
        corrupt("last->gcCode == GC_CODE_TERMINATOR");
    if (address < pool->start + TERMINATOR_LENGTH)
        return pool->start;
    const TAddr trailer = pool->end - HEADER;
    // No object lives in the trailing terminator: addresses there find nothing.
    for (TAddr block = pool->start + TERMINATOR_LENGTH; block != trailer;) {
        const TAddr next = nextOf(block, *pool);
        if (address < next)
            return block;
        block = next;
    }
    return 0;
}
