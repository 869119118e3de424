#include "ReferenceHeap.h"

#include <algorithm>
#include <stdexcept>

TUint8* ReferenceHeap::at(TAddr addr)
{
    Pool& pool = poolOf(addr);
    return pool.bytes.data() + (addr - pool.start);
}

ReferenceHeap::Pool& ReferenceHeap::poolOf(TAddr addr)
{
    for (Pool& pool : pools)
        if (addr >= pool.start && addr < pool.start + pool.bytes.size())
            return pool;
    throw std::out_of_range("address outside the reference pools");
}

int ReferenceHeap::sizeClass(TUint32 size)
{
    int k = 0;
    while ((TUint64(1) << k) < size)
        ++k;
    return k;
}

int ReferenceHeap::acquireId()
{
    if (freeIds.empty()) {
        for (int i = 255; i >= 0; --i)
            freeIds.push_back(nodeBlocks * 256 + i);
        ++nodeBlocks;
    }
    const int id = freeIds.back();
    freeIds.pop_back();
    return id;
}

void ReferenceHeap::addToFreeList(TAddr block)
{
    const int id = acquireId();
    lists[sizeClass(word(block, SIZE))].push_back(Node{id, block});
    setWord(block, LINK, TUint32(id) + 1);
}

void ReferenceHeap::unlinkFree(TAddr block)
{
    const int id = int(word(block, LINK)) - 1;
    for (std::list<Node>& list : lists)
        for (auto it = list.begin(); it != list.end(); ++it)
            if (it->id == id) {
                list.erase(it);
                freeIds.push_back(id);
                setWord(block, LINK, 0);
                return;
            }
    throw std::logic_error("free block without a node");
}

void ReferenceHeap::addPool(TAddr start, TUint32 n)
{
    pools.push_back(Pool{start, std::vector<TUint8>(n + 80, 0)});
    setWord(start, CODE, 18);
    setFooter(start, 0);
    setWord(start + 28, SIZE, n);
    setFooter(start + 28, n);
    setWord(start + 56 + n, CODE, 18);
}

TAddr ReferenceHeap::create(TUint32 size, TInt32 objectFlag, TInt32 code,
                            TAddr (*nextPoolStart)(void*), void* context)
{
    ++entries;
    size = (size + 3) & ~3u;
    const int k = sizeClass(size);
    TAddr block = 0;
    for (int i = k + 1; i < 32 && !block; ++i)
        if (!lists[i].empty())
            block = lists[i].front().block;
    for (auto it = lists[k].begin(); it != lists[k].end() && !block; ++it)
        if (word(it->block, SIZE) >= size)
            block = it->block;
    if (block) {
        unlinkFree(block);
    } else {
        const TUint32 n = std::max(size, (minPoolSize + 3) & ~3u);
        addPool(nextPoolStart(context), n);
        block = pools.back().start + 28;
    }
    const TUint32 blockSize = word(block, SIZE);
    if (blockSize - size > 28) {
        const TAddr tail = block + 28 + size;
        for (int w = USED; w <= LINK; ++w)
            setWord(tail, Word(w), 0);
        setWord(tail, SIZE, blockSize - size - 28);
        setFooter(tail, blockSize - size - 28);
        addToFreeList(tail);
        setWord(block, SIZE, size);
        setFooter(block, size);
    }
    setWord(block, CODE, TUint32(code));
    setWord(block, USED, size);
    setWord(block, FLAG, TUint32(objectFlag));
    setWord(block, LINK, 0);
    std::memset(at(block + 24), 0, word(block, SIZE)); // the whole data area, surplus included
    return block;
}

TAddr ReferenceHeap::freeEntry(TAddr block)
{
    --entries;
    setWord(block, FLAG, 0);
    setWord(block, CODE, 0);
    setWord(block, MARKED, 0);
    Pool& pool = poolOf(block);
    const TAddr trailer = pool.start + TAddr(pool.bytes.size()) - 24;
    TUint32 size = word(block, SIZE);
    for (TAddr next = block + 28 + size; next != trailer && isFree(next); next = block + 28 + size) {
        unlinkFree(next);
        size += word(next, SIZE) + 28;
        setWord(block, SIZE, size);
        setFooter(block, size);
    }
    while (block > pool.start + 28) {
        TUint32 previousLength;
        std::memcpy(&previousLength, at(block - 4), 4);
        const TAddr previous = block - previousLength;
        if (!isFree(previous))
            break;
        unlinkFree(previous);
        size += previousLength;
        block = previous;
        setWord(block, SIZE, size);
        setFooter(block, size);
    }
    addToFreeList(block);
    return block;
}

void ReferenceHeap::sweep(const std::set<TAddr>& marked)
{
    for (Pool& pool : pools) {
        const TAddr trailer = pool.start + TAddr(pool.bytes.size()) - 24;
        for (TAddr block = pool.start + 28; block != trailer;) {
            if (marked.count(block) || isFree(block)) {
                block += 28 + word(block, SIZE);
                continue;
            }
            const TAddr merged = freeEntry(block);
            block = merged + 28 + word(merged, SIZE);
        }
    }
}
