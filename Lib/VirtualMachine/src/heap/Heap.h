// The machine's managed heap: boundary-tagged blocks in pools of the arena,
// 32 size-class free lists with coalescing, and a mark-and-sweep collector.
//
// Block headers, footers and data are arena bytes that bytecode can write, so
// every header word is checked before it is trusted; an inconsistency raises
// VMException. Everything the heap must be able to rely on (pool extents,
// free-list nodes, native objects) is kept in host memory.
#pragma once

#include "ManagedMemory.h"
#include "heap/LinkedList.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class VUvarString;

// The six header words in front of every block's data.
struct HeapEntry {
    TUint32 usedSize;
    TUint32 size;
    TInt32 objectFlag;
    TInt32 marked;
    TInt32 gcCode;
    TUint32 freeHeapEntryIterator; // free-list node id + 1; 0 while in use
};
static_assert(sizeof(HeapEntry) == 24);

// What a free-list node records about its block (host side, trusted).
struct FreeSlot {
    TAddr block = 0;
    TInt32 sizeClass = 0;
    TUint32 size = 0; // the block's size when it was listed
};

// The figures of the memory report.
struct HeapMemUsage {
    TInt64 headers = 0, actual = 0, wasted = 0, outsideHeap = 0, total = 0;
    TInt64 stringContents = 0, fontContents = 0;
    TInt64 nOfEntries = 0, nOfPools = 0, szOfPools = 0, allContents = 0, freeSpace = 0;
};

class VMHeap final : public ManagedMemory {
public:
    static constexpr TUint32 HEADER = sizeof(HeapEntry);
    static constexpr TUint32 OVERHEAD = HEADER + 4; // header + footer
    static constexpr TUint32 POOL_EXTRA = 80;       // terminators + one header/footer
    static constexpr int SIZE_CLASSES = 32;
    // Host memory that the native objects held at one time may own (pixels,
    // glyphs, sound samples); past this, adoption fails as the arena does.
    static constexpr TInt64 DEFAULT_HOST_BYTES_LIMIT = TInt64(1) << 30;
    // A collection is wanted once the bytes allocated since the last one
    // (blocks, host memory of native objects, other arena ranges) pass
    // max(this, the bytes live after it).
    static constexpr TInt64 MIN_COLLECTION_TRIGGER = TInt64(32) << 20;
    // Free blocks at least this large give their inner pages back to the
    // system after a collection, as far as the free space in the pools passes
    // what the program may allocate before the next one.
    static constexpr TUint32 DISCARD_MIN_BLOCK = 16384;

    VMHeap(Lumbra::Arena& arena, int minPoolSize, const Vec<Vec<int>>& classReferenceSlots,
           const Vec<Vec<int>>& classArraySlots, const Vec<Vec<bool>>& classArrayElementIsReference);
    ~VMHeap() override;
    // The arena is destroyed right after the heap: the destructor still runs
    // every destructor but leaves the pools to go with the arena's mapping
    // (one unmapping instead of a page release per pool).
    void poolsGoWithArena() { arenaGoesToo = true; }
    VMHeap(const VMHeap&) = delete;
    VMHeap& operator=(const VMHeap&) = delete;

    // ManagedMemory
    Lumbra::Arena& arena() override { return arena_; }
    TAddr allocate(TUint32 size, TInt32 objectFlag, GcCode code) override;
    TAddr adopt(GCObject* object, TUint32 blockSize, GcCode code) override;
    GCObject* objectAt(TAddr addr) override;
    // The native object at `addr`, null where objectAt raises an error.
    GCObject* findObject(TAddr addr)
    {
        if (addr != 0 && addr == lastObjectAddr && natives[lastObjectSlot].block == entryOf(addr))
            return natives[lastObjectSlot].object;
        return searchObject(addr);
    }
    TAddr allocateStorage(TUint32 size) override;
    // Storage whose first `size` bytes are not cleared: the caller writes
    // them. What the block holds past them is cleared.
    TAddr allocateStorageUncleared(TUint32 size) override;
    bool isStorage(TAddr data) const override { return ownsStorage(data); }
    // Whether `data` is a block handed out as vector storage (isStorage, inline).
    bool ownsStorage(TAddr data) const { return data >= HEADER && testBit(storageStarts, entryOf(data)); }

    // Allocation and release; addresses of entries are data addresses - 24.
    // `clear`: zero-fill the data (only the uncleared storage says no).
    TAddr createHeapEntry(TUint32 size, TInt32 objectFlag, GcCode code, bool clear = true);
    // allocate's common case, inline for the interpreter: a block cut from
    // the front of the head of the lowest larger size class. The data
    // address, or 0 when the general path must run (`size`: a multiple of 4).
    __attribute__((always_inline)) TAddr tryAllocateFromClassHead(TUint32 size, TInt32 objectFlag, GcCode code)
    {
        const TAddr block = splitClassHead(size, objectFlag, code);
        return block == 0 ? 0 : dataOf(block);
    }
    void allocatePair(TUint32 sizeA, TInt32 flagA, GcCode codeA, TUint32 sizeB, TInt32 flagB,
                      GcCode codeB, TAddr& dataA, TAddr& dataB);
    void allocateTriple(TUint32 sizeA, TInt32 flagA, GcCode codeA, TUint32 sizeB, TInt32 flagB,
                        GcCode codeB, TUint32 sizeC, TInt32 flagC, GcCode codeC, TAddr& dataA,
                        TAddr& dataB, TAddr& dataC);
    void free(TAddr data);
    // Release asked for by bytecode: a vector's storage is refused (VMException).
    void freeFromBytecode(TAddr data);
    TAddr freeEntry(TAddr entry);
    void addEntryToFreeEntries(TAddr entry);
    // The block whose extent contains `address`, or 0 when it lies in no pool.
    TAddr belongsToPools(TAddr address) const;
    // Whether a block (in use or free) starts at `entry`; constant time.
    bool isBlockStart(TAddr entry) const { return testBit(blockStarts, entry); }

    static TAddr entryOf(TAddr data) { return data - HEADER; }
    static TAddr dataOf(TAddr entry) { return entry + HEADER; }
    static int sizeClass(TUint32 size);

    // Stream holders (GC_CODE_STREAM_HOLDER): word 1 names the held stream
    // through the native-object table; it is destroyed with the holder.
    void attachStream(TAddr holderData, GCObject* stream);
    GCObject* streamOf(TAddr holderData);

    // Collection.
    void addRoot(TAddr data);
    void removeRoot(TAddr data);
    void markObject(TAddr data);
    void markArray(TAddr handle, bool elementsAreReferences);
    void markIfInPools(TWord word);
    void collect();
    void sweep();

    // ---- collection at a safepoint, with the machine's value stack as roots.
    // The machine queues its stack words, then collectQueued traces them with
    // the roots and sweeps. A word is followed only to a live block of a
    // plausible kind; nothing here raises: a trace that meets a damaged block
    // clears every mark and frees nothing (the result is then false).
    // Any word: keeps the live block whose data it points into (an interior
    // address too); a vector found so keeps its storage, and the storage's
    // words are taken the same way.
    void markStackWord(TWord word);
    // A slot described as a reference: followed only when it is the start of
    // a live block's data.
    void markStackReference(TWord word);
    // A slot described as a vector variable's address (or a pair of slots
    // that is one): its vector is traced when it is a live vector.
    void markStackVector(TAddr variable, bool elementsAreReferences);
    bool collectQueued();

    // ---- when to collect
    // Whether the next safepoint should collect (allocation since the last
    // collection past its trigger, the arena nearly full, or stress mode).
    bool wantsCollection() const
    {
        return wanted || stress ||
               TInt64(arena_.bytesHandedOut() - arenaMark) - TInt64(poolBytesSince) > credit;
    }
    // Collect at every safepoint (a check on the roots of running code).
    void setStress(bool on) { stress = on; restartAllocationCount(); }
    bool stressed() const { return stress; }
    // The bytes live after the last collection: arena ranges in use minus the
    // free space in the pools, plus the host memory of native objects.
    TInt64 liveAfterCollection() const { return liveBytes; }
    int collectionCount() const { return collections; }
    // Whether the last failed allocation failed on the host-memory limit (and forgets it).
    bool takeHostLimitFailure() { return std::exchange(hostLimitFailed, false); }
    TInt64 hostBytesLimitValue() const { return hostBytesLimit; }
    // Bytes in the free lists.
    TInt64 freeBytesInPools() const;

    // Memory report: the result is the total; the text is appended to `out`.
    int getMemUsage(VUvarString* out) const;
    HeapMemUsage memUsage() const;
    std::string memUsageText() const;

    // Full consistency check (pools, accounting, free lists, native table);
    // raises VMException describing the first inconsistency.
    void validate() const;

    int nOfEntries() const { return nOfEntries_; }
    int nOfPools() const { return pools.size(); }
    int totalSizeOfPools() const { return totalSizeOfPools_; }
    int rootCount() const { return roots.count(); }
    int nativeObjectCount() const { return liveObjects; }
    // What the held native objects owned outside the heap when adopted, or
    // when last recharged.
    TInt64 hostBytesHeld() const { return hostBytes; }
    // Charges the native object at `data` (nothing when there is none) with
    // what it owns outside the heap now: a pixel copy or glyph pixmap it made
    // since adoption, or what it gave back. Growth counts towards the next
    // collection. Growth past the host limit is still recorded, as the bytes
    // are held until the object is collected, and then fails as adoption
    // does: std::bad_alloc, with takeHostLimitFailure() true.
    void rechargeHostBytes(TAddr data);
    void setHostBytesLimit(TInt64 bytes) { hostBytesLimit = bytes; }
    // Calls `visit` with every native object the heap holds, held streams included.
    template <class Visit>
    void forEachNativeObject(Visit&& visit) const
    {
        for (const NativeSlot& slot : natives)
            if (slot.object)
                visit(*slot.object);
    }
    TAddr poolStart(int i) const { return pools[i]; }
    int poolSize(int i) const { return poolSizes[i]; }
    // Header of a block, for inspection (no checks beyond the arena's range).
    HeapEntry& entry(TAddr entryAddr) const;

private:
    struct NativeSlot {
        GCObject* object = nullptr;
        TAddr block = 0;
        TInt64 hostBytes = 0; // charged when adopted, returned when dropped
    };
    struct PoolExtent {
        TAddr start;
        TAddr end;
    };
    enum class Task : TUint8 { Mark, ClassArrays, Array, ArrayBody, StackWord, StackVector };
    struct WorkItem {
        Task task;
        bool flag;
        TAddr addr;
        TInt32 value;
    };

    [[noreturn]] static void corrupt(const char* what);

    // Untrusted header access.
    const PoolExtent* poolOf(TAddr addr) const;
    const PoolExtent* searchPool(TAddr addr) const;
    TUint32 checkedSize(TAddr entry, const PoolExtent& pool) const;
    // The block of a stream holder in use and its size; corrupt() otherwise.
    TAddr streamHolderBlock(TAddr holderData, TUint32& size) const;
    TAddr nextOf(TAddr entry, const PoolExtent& pool) const;
    ListEntry<FreeSlot>* freeNodeOf(TAddr entry) const;
    bool isFree(TAddr entry) const { return freeNodeOf(entry) != nullptr; }
    TWord dataWord(TAddr entry, TUint32 index, TUint32 size) const;
    void setFooter(TAddr entry, TUint32 size);

    // A free block chosen for an allocation; its node is still linked.
    struct FreeFit {
        LinkedListIterator<FreeSlot> node = nullptr;
        TAddr block = 0;
        TUint32 size = 0;
    };

    TAddr newPool(TUint32 n);
    // Gives every pool that holds only one free block back to the arena;
    // the bytes given back. Never raises: a doubtful pool is kept.
    TUint64 releaseEmptyPools();
    FreeFit findFreeEntry(TUint32 size);
    TAddr splitClassHead(TUint32 size, TInt32 objectFlag, GcCode code, bool clear = true);
    TAddr splitFreeEntry(TUint32 size, TInt32 objectFlag, GcCode code, bool clear);
    int freeListIndex(TUint32 size) const;
    TUint32 listedSize(LinkedListIterator<FreeSlot> node);
    void linkFree(LinkedListIterator<FreeSlot> node, TAddr entry, TUint32 size);
    void relinkFree(LinkedListIterator<FreeSlot> node, TAddr entry, TUint32 size);
    void unlinkNode(LinkedListIterator<FreeSlot> node);
    void dropFreeNode(LinkedListIterator<FreeSlot> node);
    TAddr releaseEntry(TAddr entry, const PoolExtent& pool, TUint32 size, TUint32& followingSize);
    TAddr cutBlock(TAddr first, TUint32 firstSize, TUint32 secondUsed, TInt32 flag, GcCode code);
    void markEntry(TAddr entry, Vec<WorkItem>& work);
    void runWork(Vec<WorkItem>& work);
    void traceAll(Vec<WorkItem>& work);
    void clearMarks();
    void traceArrayBody(TAddr vector, bool elementsAreReferences, Vec<WorkItem>& work);
    void releaseNativeObjects(TAddr entry, TUint32 size, TInt32 wordIndex);
    int nativeIndexOf(TAddr entry, TUint32 size, TInt32 wordIndex) const;
    // The slot of a newly held object; std::bad_alloc when the memory it
    // owns outside the heap would pass the host limit.
    TInt32 addNative(GCObject* object);
    void dropNative(int index);
    void reserveFreeNativeSlot();
    void sweepPool(const PoolExtent& pool);
    // The live block whose data holds `addr` and whose kind a reference may
    // name, or 0; `exact`: `addr` must be the data's start. A damaged header raises.
    TAddr plausibleBlock(TAddr addr, bool exact) const;
    void traceStackWord(TAddr addr, Vec<WorkItem>& work);
    // After every collection: the live bytes, the next trigger, the pages of
    // surplus free space given back.
    void afterCollection();
    void restartAllocationCount();
    void discardFreePages();
    TAddr absorbDeadRun(TAddr free, TAddr block, const PoolExtent& pool, TUint32& size);

    Lumbra::Arena& arena_;
    TUint8* const arenaBase; // the arena's mapping never moves
    NodePool<FreeSlot> nodePool;
    int minPoolSize;
    Vec<TAddr> pools;
    Vec<int> poolSizes;
    Vec<LinkedList<FreeSlot>*> freeHeapEntries;
    TUint32 nonEmptyLists = 0; // bit k set while freeHeapEntries[k] holds a block
    LinkedList<TAddr> roots;
    // Each rooted block's nodes in `roots`, oldest first: a root is removed
    // without a search, so N removals take time linear in N.
    std::unordered_map<TAddr, std::vector<LinkedListIterator<TAddr>>> rootNodes;
    int nOfEntries_ = 0;
    int totalSizeOfPools_ = 0;
    bool arenaGoesToo = false;
    const Vec<Vec<int>>& classReferenceSlots;
    const Vec<Vec<int>>& classArraySlots;
    const Vec<Vec<bool>>& classArrayElementIsReference;
    Vec<int> markStack;

    // One bit per arena word, kept by allocation, release and the sweep (host
    // memory, so bytecode cannot forge them): where blocks start (the leading
    // terminators included), and which blocks are vector storage.
    static bool testBit(const std::vector<TUint64>& bits, TAddr addr)
    {
        const size_t word = addr / 4;
        return word / 64 < bits.size() && (bits[word / 64] >> (word % 64) & 1) != 0;
    }
    static void setBit(std::vector<TUint64>& bits, TAddr addr, bool on)
    {
        const size_t word = addr / 4;
        const TUint64 mask = TUint64(1) << (word % 64);
        bits[word / 64] = on ? bits[word / 64] | mask : bits[word / 64] & ~mask;
    }
    // Clears the bits of every word in [from, to).
    static void clearBits(std::vector<TUint64>& bits, TAddr from, TAddr to)
    {
        size_t word = from / 4;
        const size_t end = std::min(size_t(to / 4), bits.size() * 64);
        while (word < end) {
            const size_t count = std::min<size_t>(64 - word % 64, end - word);
            const TUint64 mask = (count == 64 ? ~TUint64(0) : (TUint64(1) << count) - 1) << (word % 64);
            bits[word / 64] &= ~mask;
            word += count;
        }
    }
    // A block stops being one: it no longer starts anything, nor is storage.
    void forgetStart(TAddr entry)
    {
        setBit(blockStarts, entry, false);
        setBit(storageStarts, entry, false);
    }
    std::vector<TUint64> blockStarts;
    std::vector<TUint64> storageStarts;

    std::vector<PoolExtent> extents; // sorted by start, for address lookup
    mutable size_t lastPool = 0;     // index in extents of the last pool found
    std::vector<NativeSlot> natives;
    std::vector<TInt32> freeNativeSlots;
    int liveObjects = 0;
    TInt64 hostBytes = 0;
    TInt64 hostBytesLimit = DEFAULT_HOST_BYTES_LIMIT;
    // Allocation since the last collection: `credit` counts down from the
    // trigger by block and host bytes; other arena ranges are what the arena
    // handed out past `arenaMark`, less the pools made since.
    TInt64 credit = MIN_COLLECTION_TRIGGER;
    TInt64 trigger = MIN_COLLECTION_TRIGGER;
    TUint64 arenaMark = 0;
    TUint64 poolBytesSince = 0;
    TInt64 liveBytes = 0;
    bool wanted = false;
    bool stress = false;
    bool hostLimitFailed = false;
    int collections = 0;
    Vec<WorkItem> stackWork;
    // The last address objectAt resolved and its table slot: a slot is only
    // reused after dropNative, which forgets it.
    TAddr lastObjectAddr = 0;
    size_t lastObjectSlot = 0;
    // findObject past that last address.
    GCObject* searchObject(TAddr addr);
};

// ---- hot helpers of allocation, release and the sweep -----------------------

inline int VMHeap::sizeClass(TUint32 size)
{
    return size <= 1 ? 0 : int(std::bit_width(size - 1));
}

inline const VMHeap::PoolExtent* VMHeap::poolOf(TAddr addr) const
{
    // Allocation, release and the sweep mostly stay in one pool for a while.
    if (lastPool < extents.size()) {
        const PoolExtent& recent = extents[lastPool];
        if (addr >= recent.start && addr < recent.end)
            return &recent;
    }
    return searchPool(addr);
}

// The size of the block at `entry` once its position, size and footer agree
// with the pool it lies in.
inline TUint32 VMHeap::checkedSize(TAddr entry, const PoolExtent& pool) const
{
    const TAddr trailer = pool.end - HEADER;
    if (entry < pool.start + OVERHEAD || (entry & 3) != 0 || entry > trailer - OVERHEAD)
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

inline ListEntry<FreeSlot>* VMHeap::freeNodeOf(TAddr entry) const
{
    const TUint32 link = reinterpret_cast<const HeapEntry*>(arena_.raw(entry))->freeHeapEntryIterator;
    if (link == 0)
        return nullptr;
    ListEntry<FreeSlot>* node = nodePool.find(TInt64(link) - 1);
    if (!node || node->data.block != entry)
        corrupt("free-list link");
    return node;
}

inline void VMHeap::setFooter(TAddr entry, TUint32 size)
{
    const TUint32 footer = size + OVERHEAD;
    std::memcpy(arenaBase + entry + HEADER + size, &footer, 4);
}

// Zero-fills a data area of `size` bytes (a multiple of 4). Small objects
// are the common case: a few overlapping word stores instead of a call.
inline void zeroData(TUint8* data, TUint32 size)
{
    constexpr TUint64 zero = 0;
    if (size > 32) {
        std::memset(data, 0, size);
    } else if (size >= 16) {
        std::memcpy(data, &zero, 8);
        std::memcpy(data + 8, &zero, 8);
        std::memcpy(data + size - 16, &zero, 8);
        std::memcpy(data + size - 8, &zero, 8);
    } else if (size >= 8) {
        std::memcpy(data, &zero, 8);
        std::memcpy(data + size - 8, &zero, 8);
    } else if (size == 4) {
        std::memcpy(data, &zero, 4);
    }
}


// The common case of allocation: what is left of the head of the lowest
// larger size class after this split stays in that class. The remainder
// keeps the node, which goes to the tail of its list as the general path
// would move it (after a collection the emptied pools take turns); only its
// header moves forward. Anything unusual, a damaged header included,
// returns 0 for the general path.
__attribute__((always_inline)) inline TAddr VMHeap::splitClassHead(TUint32 size, TInt32 objectFlag,
                                                                            GcCode code, bool clear)
{
    const int k = sizeClass(size);
    const TUint64 larger = TUint64(nonEmptyLists) & (~TUint64(0) << (k + 1));
    if (larger == 0 || credit < TInt64(size + OVERHEAD)) // past the trigger: the general path notes it
        return 0;
    const int listIndex = std::countr_zero(larger);
    LinkedList<FreeSlot>* const list = freeHeapEntries.data()[listIndex];
    const LinkedListIterator<FreeSlot> node = list->first();
    TUint8* const base = arenaBase;
    const TAddr block = node->data.block;
    const TUint32 blockSize = node->data.size;
    HeapEntry* const he = reinterpret_cast<HeapEntry*>(base + block);
    TUint32 footer;
    std::memcpy(&footer, base + block + HEADER + blockSize, 4);
    const TUint32 tailSize = blockSize - size - OVERHEAD;
    if (he->freeHeapEntryIterator != TUint32(node->id) + 1 || he->size != blockSize ||
        footer != blockSize + OVERHEAD || blockSize - size <= 28 ||
        tailSize <= TUint32(1) << (listIndex - 1)) // the tail's class must stay listIndex
        return 0;
    if (node != list->lastNode())
        list->moveToTail(node);
    const TAddr tail = block + OVERHEAD + size;
    *reinterpret_cast<HeapEntry*>(base + tail) = HeapEntry{0, tailSize, 0, 0, 0, TUint32(node->id) + 1};
    setFooter(tail, tailSize); // the footer word stays where it was
    setBit(blockStarts, tail, true);
    node->data.block = tail;
    node->data.size = tailSize;
    *he = HeapEntry{size, size, objectFlag, 0, code, 0};
    setFooter(block, size);
    if (clear)
        zeroData(base + block + HEADER, size);
    ++nOfEntries_;
    credit -= size + OVERHEAD;
    return block;
}

inline int VMHeap::freeListIndex(TUint32 size) const
{
    const int indexInFreeEntries = sizeClass(size);
    LUMBRA_ASSERT(indexInFreeEntries < int ( freeHeapEntries.size() ));
    return indexInFreeEntries;
}

// Appends a detached node for `entry` (of `size` bytes) at the tail of its
// size class and stores the node in the block's header.
inline void VMHeap::linkFree(LinkedListIterator<FreeSlot> node, TAddr entry, TUint32 size)
{
    const int k = freeListIndex(size);
    freeHeapEntries.data()[k]->linkAtTail(node);
    nonEmptyLists |= TUint32(1) << k;
    node->data = FreeSlot{entry, k, size};
    reinterpret_cast<HeapEntry*>(arena_.raw(entry))->freeHeapEntryIterator = TUint32(node->id) + 1;
}

// Moves a linked node to the tail of the list for `size` and gives it to
// `entry`; a node that is already there stays where it is.
inline void VMHeap::relinkFree(LinkedListIterator<FreeSlot> node, TAddr entry, TUint32 size)
{
    const int k = freeListIndex(size);
    if (node->data.sizeClass != k || freeHeapEntries.data()[k]->lastNode() != node) {
        unlinkNode(node);
        linkFree(node, entry, size);
        return;
    }
    node->data.block = entry;
    node->data.size = size;
    reinterpret_cast<HeapEntry*>(arena_.raw(entry))->freeHeapEntryIterator = TUint32(node->id) + 1;
}

inline void VMHeap::unlinkNode(LinkedListIterator<FreeSlot> node)
{
    const int k = node->data.sizeClass;
    LinkedList<FreeSlot>* list = freeHeapEntries.data()[k];
    list->unlink(node);
    if (list->isEmpty())
        nonEmptyLists &= ~(TUint32(1) << k);
}
