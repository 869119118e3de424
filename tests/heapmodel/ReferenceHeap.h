// A deliberately plain heap that follows the allocation, release and sweep
// rules one step at a time: every block taken from a free list gives its node
// back to the node pool and every block put into one acquires a node again.
// It lays its pools out byte for byte like VMHeap, so the two can be compared
// on every pool byte after each operation.
#pragma once

#include "LumbraTypes.h"

#include <cstring>
#include <list>
#include <set>
#include <vector>

class ReferenceHeap {
public:
    // Pool starts come from the real heap, which places them in the arena.
    struct Pool {
        TAddr start;
        std::vector<TUint8> bytes;
    };

    explicit ReferenceHeap(TUint32 minPoolSize) : minPoolSize(minPoolSize) {}

    // The first pool, whose single block starts in a free list.
    void addInitialPool(TAddr start, TUint32 n)
    {
        addPool(start, n);
        addToFreeList(start + 28);
    }
    TAddr create(TUint32 size, TInt32 objectFlag, TInt32 code, TAddr (*nextPoolStart)(void*), void* context);
    TAddr freeEntry(TAddr block); // the free block that results
    void sweep(const std::set<TAddr>& marked);
    void writeWord(TAddr addr, TUint32 value) { std::memcpy(at(addr), &value, 4); }

    const std::vector<Pool>& allPools() const { return pools; }
    int nOfEntries() const { return entries; }

private:
    enum Word { USED, SIZE, FLAG, MARKED, CODE, LINK };

    struct Node {
        int id;
        TAddr block;
    };

    void addPool(TAddr start, TUint32 n);
    TUint8* at(TAddr addr);
    TUint32 word(TAddr block, Word w) { TUint32 v; std::memcpy(&v, at(block + 4 * w), 4); return v; }
    void setWord(TAddr block, Word w, TUint32 v) { std::memcpy(at(block + 4 * w), &v, 4); }
    void setFooter(TAddr block, TUint32 size) { writeWord(block + 24 + size, size + 28); }
    bool isFree(TAddr block) { return word(block, LINK) != 0; }
    static int sizeClass(TUint32 size);
    int acquireId();
    void addToFreeList(TAddr block);
    void unlinkFree(TAddr block);
    Pool& poolOf(TAddr addr);

    TUint32 minPoolSize;
    std::vector<Pool> pools;
    std::list<Node> lists[32];
    std::vector<int> freeIds;
    int nodeBlocks = 0;
    int entries = 0;
};
