// Drives the heap with random allocations, releases, root changes, reference
// writes, collections and (in half the runs) random writes into block data
// and headers. An undamaged heap must pass its full consistency check after
// every step; a damaged one may raise VM errors but must never crash, and
// every native object must be destroyed exactly once by the end.
#include "VMError.h"
#include "heap/Heap.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

int liveObjects = 0;

class Tracked : public GCObject {
public:
    explicit Tracked(int outside) : outside(outside) { ++liveObjects; }
    ~Tracked() override { --liveObjects; }
    int sizeOutsideHeap() const override { return outside; }

private:
    int outside;
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool more() const { return position < size; }
    uint32_t byte() { return position < size ? data[position++] : 0; }
    uint32_t word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return v;
    }
    template <class T>
    T pick(const std::vector<T>& from)
    {
        return from.empty() ? T() : from[(byte() << 8 | byte()) % from.size()];
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

struct Session {
    explicit Session(bool damaging) : damaging(damaging)
    {
        // Class 0: no references; 1: words 1 and 2; 2: word 1 and a vector field at word 2.
        references.setSize(3);
        references[1].append(1);
        references[1].append(2);
        references[2].append(1);
        arrays.setSize(3);
        arrays[2].append(2);
        arrayIsReference.setSize(3);
        arrayIsReference[2].append(true);
    }

    Lumbra::Arena arena{64u << 20};
    Vec<Vec<int>> references;
    Vec<Vec<int>> arrays;
    Vec<Vec<bool>> arrayIsReference;
    std::vector<TAddr> blocks;
    std::vector<TAddr> roots;
    bool damaging;
    bool damaged = false;
};

// True when `data` is the data address of a block in use: the only
// references that undamaged code ever stores or hands to the heap.
bool isLive(VMHeap& heap, TAddr data)
{
    const TAddr e = VMHeap::entryOf(data);
    return data != 0 && heap.isBlockStart(e) && heap.entry(e).freeHeapEntryIterator == 0;
}

GcCode kindFor(uint32_t choice)
{
    static const GcCode kinds[] = {GC_CODE_VM_OBJECT, GC_CODE_VM_OBJECT, GC_CODE_VM_OBJECT, GC_CODE_NATIVE,
                                   GC_CODE_REFERENCE, GC_CODE_VECTOR_HANDLE, GC_CODE_OBJECT_VECTOR_HANDLE,
                                   GC_CODE_GRAPHICS_HOLDER, GC_CODE_STREAM_HOLDER, GcCode(4)};
    return kinds[choice % (sizeof(kinds) / sizeof(kinds[0]))];
}

// Roots survive collections only because collect marks them; before a bare
// sweep, host code lets go of them as the machine does before it sweeps.
void dropRoots(Session& s, VMHeap& heap)
{
    for (TAddr root : s.roots)
        heap.removeRoot(root);
    s.roots.clear();
}

void step(Session& s, VMHeap& heap, Input& in)
{
    const uint32_t op = in.byte() % 13;
    switch (op) {
    case 0:
    case 1: { // plain block
        const GcCode code = kindFor(in.byte());
        uint32_t size = in.byte() % 64 * 4 + in.byte() % 4;
        if (in.byte() == 255)
            size = 64000 + in.word() % 200000;
        TAddr data;
        if (code == GC_CODE_NATIVE && in.byte() % 2) {
            // Storage a read fills: nothing past what the caller writes may
            // show what the block held before.
            data = heap.allocateStorageUncleared(size);
            const uint32_t blockSize = heap.entry(VMHeap::entryOf(data)).size;
            const TUint8* bytes = s.arena.raw(data);
            for (uint32_t i = size & ~3u; i < blockSize; ++i)
                check(bytes[i] == 0);
            std::memset(s.arena.raw(data), 0xA5, size);
        } else {
            data = heap.allocate(size, 0, code);
        }
        if (code == GC_CODE_VM_OBJECT && size >= 4)
            s.arena.storeWord(data, TWord(in.byte() % 3));
        if (code == GC_CODE_GRAPHICS_HOLDER && size >= 12)
            s.arena.storeWord(data, TWord(1 + in.byte() % 2));
        s.blocks.push_back(data);
        break;
    }
    case 2: // native object
        s.blocks.push_back(heap.create<Tracked>(4 + in.byte() % 16 * 4, in.byte() % 2 ? GC_CODE_STRING : GC_CODE_NATIVE,
                                                int(in.byte())));
        break;
    case 3: { // adjacent blocks
        TAddr a, b, c;
        if (in.byte() % 2) {
            heap.allocatePair(in.byte() % 40, 0, GC_CODE_VM_OBJECT, 4, 0, GC_CODE_REFERENCE, a, b);
            s.arena.storeWord(b, TWord(a));
            s.blocks.insert(s.blocks.end(), {a, b});
        } else {
            heap.allocateTriple(in.byte() % 40, 0, GC_CODE_NATIVE, 8, 0, GC_CODE_REFERENCE, in.byte() % 20, 0,
                                GC_CODE_NATIVE, a, b, c);
            s.blocks.insert(s.blocks.end(), {a, b, c});
        }
        break;
    }
    case 4: { // reference write into a block that has room for it
        const TAddr from = in.pick(s.blocks);
        const TAddr to = in.pick(s.blocks);
        const uint32_t index = 1 + in.byte() % 3;
        if (!isLive(heap, from) || heap.entry(VMHeap::entryOf(from)).size < 4 * (index + 1) ||
            heap.entry(VMHeap::entryOf(from)).objectFlag != 0)
            break;
        if (!isLive(heap, to)) { // a forged or stale reference is damage
            if (!s.damaging)
                break;
            s.damaged = true;
        }
        s.arena.storeWord(from + 4 * index, TWord(to));
        break;
    }
    case 5:
        if (TAddr b = in.pick(s.blocks); b && (s.damaging || isLive(heap, b))) {
            s.damaged = s.damaged || !isLive(heap, b);
            heap.addRoot(b);
            s.roots.push_back(b);
        }
        break;
    case 6: // mostly roots that exist: a missing one only prints a warning
        if (!s.roots.empty()) {
            const size_t i = in.byte() % s.roots.size();
            heap.removeRoot(s.roots[i]);
            s.roots.erase(s.roots.begin() + long(i));
        }
        break;
    case 7:
        heap.collect();
        break;
    case 8: // explicit release: undamaged host code only frees a block it just made
        if (s.damaging) {
            const TAddr b = in.pick(s.blocks);
            s.damaged = s.damaged || !isLive(heap, b);
            heap.free(b);
        } else {
            heap.free(heap.allocate(in.byte(), 0, kindFor(in.byte())));
        }
        break;
    case 9: // random write into data or header
        if (s.damaging) {
            const TAddr b = in.pick(s.blocks);
            const TAddr at = (b - 28 + in.byte() % 64 * 4) & ~3u;
            if (b && s.arena.contains(at, 4)) {
                s.arena.storeWord(at, TWord(in.word()));
                s.damaged = true;
            }
        }
        break;
    case 10:
        dropRoots(s, heap); // a sweep without collect does not mark roots: they would dangle
        heap.markIfInPools(TWord(in.pick(s.blocks) + in.byte() - 40));
        heap.sweep();
        break;
    case 11:
        if (TAddr b = in.pick(s.blocks))
            heap.objectAt(b);
        break;
    case 12:
        dropRoots(s, heap);
        heap.sweep();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    {
        Session s(in.byte() % 2 == 1);
        VMHeap heap(s.arena, 64000, s.references, s.arrays, s.arrayIsReference);
        ManagedMemory::setCurrent(&heap);
        for (int steps = 0; in.more() && steps < 2000; ++steps) {
            try {
                step(s, heap, in);
            } catch (const Lumbra::ErrorHandlingException&) {
                if (std::getenv("HEAP_FUZZ_TRACE"))
                    std::fprintf(stderr, "step %d: %s\n", steps, Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()).c_str());
            } catch (const std::bad_alloc&) {
            }
            try {
                const HeapMemUsage u = heap.memUsage();
                check(u.szOfPools == u.freeSpace + u.actual + u.wasted + u.headers);
                check(u.szOfPools == heap.totalSizeOfPools());
                check(u.total == u.headers + u.actual + u.wasted + u.outsideHeap);
                if (!s.damaged)
                    heap.validate();
            } catch (const Lumbra::ErrorHandlingException&) {
                if (!s.damaged)
                    std::fprintf(stderr, "undamaged heap failed its check: %s\n",
                                 Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()).c_str());
                check(s.damaged);
            }
        }
    }
    check(liveObjects == 0);
    return 0;
}
