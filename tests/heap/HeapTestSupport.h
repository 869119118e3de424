// Shared fixture for the heap tests: an arena, class tables and a heap that
// is checked for consistency after every case.
#pragma once

#include "VMError.h"
#include "heap/Heap.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A native object that counts its instances.
class Counted : public GCObject {
public:
    explicit Counted(int outside = 0) : outside(outside) { ++live; }
    ~Counted() override { --live; }
    int sizeOutsideHeap() const override { return outside; }
    static int live;

private:
    int outside;
};

class HeapTest : public ::testing::Test {
protected:
    // Class 0: fields 1 and 2 are references. Class 1: field 1 is a vector
    // handle of references, field 2 one of plain words.
    static constexpr int LINKED = 0;
    static constexpr int WITH_ARRAYS = 1;

    void SetUp() override;
    void TearDown() override;

    HeapEntry& header(TAddr data) { return heap->entry(VMHeap::entryOf(data)); }
    TWord word(TAddr data, int index) { return arena.loadWord(data + 4 * index); }
    void setWord(TAddr data, int index, TWord value) { arena.storeWord(data + 4 * index, value); }
    TAddr newObject(int classIndex, int words = 3);
    // A vector handle (code 6 or 7) holding a new OVector<int> with `elements`.
    TAddr newVector(bool ofReferences, const std::vector<TWord>& elements);
    bool isFree(TAddr data) { return header(data).freeHeapEntryIterator != 0; }
    // The VM error code `action` raises (0 when it raises none).
    static int errorOf(const std::function<void()>& action);

    Lumbra::Arena arena{256u << 20};
    Vec<Vec<int>> referenceSlots;
    Vec<Vec<int>> arraySlots;
    Vec<Vec<bool>> arrayIsReference;
    std::unique_ptr<VMHeap> heap;
    bool damaged = false; // set by cases that scribble over headers on purpose
};
