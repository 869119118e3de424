// The managed array: capacity rule, insertion, removal and host-side storage.
#include "HeapTestSupport.h"

#include "OVector.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

TEST_F(HeapTest, VectorCapacityFollowsTheGrowthRule)
{
    OVector<TWord> v;
    EXPECT_EQ(v.storage(), 0u);
    v.append(1);
    EXPECT_EQ(v.capacityOf(), 10);
    const TAddr first = v.storage();
    for (int i = 2; i <= 10; ++i)
        v.append(i);
    EXPECT_EQ(v.storage(), first) << "fits without new storage";
    v.append(11);
    EXPECT_EQ(v.capacityOf(), 13);
    EXPECT_NE(v.storage(), first);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(v[i], i + 1);
    EXPECT_EQ(header(v.storage()).size, 13u * 4);
    EXPECT_EQ(word(v.storage(), 11), 0) << "new storage is cleared";
    EXPECT_EQ(OVectorBase::capacityFor(100), 120);
}

TEST_F(HeapTest, VectorInsertChecksPositionAndKeepsOrder)
{
    OVector<TWord> v;
    EXPECT_EQ(errorOf([&] { v.insert(1, 5); }), Lumbra::EIndexOutOfBounds);
    EXPECT_EQ(errorOf([&] { v.insert(-1, 5); }), Lumbra::EIndexOutOfBounds);
    const TWord values[] = {1, 2, 3};
    v.insert(0, values, 3);
    EXPECT_EQ(v.capacityOf(), 10);
    v.insert(1, 9);
    v.insert(v.size(), 8);
    const TWord expected[] = {1, 9, 2, 3, 8};
    ASSERT_EQ(v.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v[i], expected[i]);
    EXPECT_EQ(errorOf([&] { v[5]; }), Lumbra::EIndexOutOfBounds);
    // Inserting the vector's own elements into itself.
    TWord* own = &v[0];
    v.insert(0, own, 5);
    EXPECT_EQ(v.size(), 10);
    EXPECT_EQ(v[5], 1);
    EXPECT_EQ(v[6], 9);
}

TEST_F(HeapTest, VectorRemovalShrinksStorageBelowHalf)
{
    OVector<signed char> v;
    for (int i = 0; i < 20; ++i)
        v.append(static_cast<signed char>(i));
    EXPECT_EQ(v.capacityOf(), 20);
    const TAddr storage = v.storage();
    v.removeRange(0, 5); // 15 left, more than half of 20: in place
    EXPECT_EQ(v.storage(), storage);
    EXPECT_EQ(v[0], 5);
    v.removeRange(10, 5); // 10 left, not more than half: new storage
    EXPECT_NE(v.storage(), storage);
    EXPECT_EQ(v.capacityOf(), 12);
    EXPECT_EQ(v[9], 14);
    EXPECT_EQ(errorOf([&] { v.removeRange(5, 6); }), Lumbra::EIndexOutOfBounds);
    v.removeRange(0, v.size());
    EXPECT_EQ(v.storage(), 0u);
    EXPECT_EQ(v.capacityOf(), 0);
}

TEST_F(HeapTest, VectorOfHostObjectsKeepsThemOutOfTheArena)
{
    OVector<std::string> v;
    v.append("one");
    v.append("two");
    v.insert(0, std::string("zero"));
    EXPECT_EQ(v.storage(), 0u);
    EXPECT_EQ(v.capacityOf(), 10);
    EXPECT_EQ(v[0], "zero");
    EXPECT_EQ(v[2], "two");
    v.removeAt(1);
    EXPECT_EQ(v[1], "two");
    EXPECT_EQ(heap->nOfEntries(), 0);
}

TEST_F(HeapTest, VectorStorageIsReclaimedByTheCollector)
{
    const TAddr handle = newVector(false, {1, 2, 3});
    auto* v = heap->objectAs<OVector<TWord>>(TAddr(word(handle, 0)));
    for (int i = 0; i < 30; ++i)
        v->append(i); // every growth leaves old storage behind
    heap->addRoot(handle);
    const int before = heap->nOfEntries();
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 3);
    EXPECT_GT(before, 3);
    EXPECT_EQ(v->size(), 33);
    EXPECT_EQ((*v)[32], 29);
    heap->removeRoot(handle);
}

// Storage for a filled append is not cleared first, so it must never show
// what a freed block held: not past the elements, nor in elements a short
// read left unwritten, nor after a fill that throws.
TEST_F(HeapTest, FilledAppendNeverShowsWhatAFreedBlockHeld)
{
    constexpr int OLD = 5000, N = 1001;
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::vector<char> onDisk(N / 2, 7); // a short read: the file ends halfway
    ASSERT_EQ(std::fwrite(onDisk.data(), 1, onDisk.size(), file), onDisk.size());
    struct Case {
        const char* name;
        std::function<bool(signed char*, int)> fill;
        bool wrote;
        bool throws;
        int written; // bytes the fill leaves nonzero
    };
    const std::vector<Case> cases = {
        {"whole", [](signed char* p, int n) { std::memset(p, 1, size_t(n)); return true; }, true, false, N},
        {"short read at end of file",
         [file](signed char* p, int n) {
             std::rewind(file);
             return std::fread(p, 1, size_t(n), file) == size_t(n);
         },
         false, false, 0},
        {"throws", [](signed char* p, int n) -> bool { std::memset(p, 1, size_t(n / 2)); throw std::bad_alloc(); },
         false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TAddr old = heap->allocateStorage(OLD);
        std::memset(arena.raw(old), 0xAB, OLD);
        heap->free(old);
        OVector<signed char> v;
        bool wrote = false;
        bool threw = false;
        try {
            wrote = v.appendFilled(N, c.fill);
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        ASSERT_EQ(v.storage(), old) << "the freed block is reused";
        EXPECT_EQ(wrote, c.wrote);
        EXPECT_EQ(threw, c.throws);
        const TUint32 blockBytes = header(v.storage()).size;
        EXPECT_GE(blockBytes, TUint32(v.capacityOf()));
        for (TUint32 i = 0; i < blockBytes; ++i) {
            const TUint8 expected = int(i) < c.written ? 1 : 0;
            ASSERT_EQ(arena.raw(v.storage())[i], expected) << "byte " << i;
        }
        v.clear();
        heap->free(old);
    }
    std::fclose(file);
}

// Storage that grows keeps its elements and clears the capacity past the new ones.
TEST_F(HeapTest, FilledAppendToGrownStorageKeepsTheElements)
{
    OVector<TWord> v;
    for (TWord i = 1; i <= 10; ++i)
        v.append(i);
    const TAddr old = v.storage();
    EXPECT_TRUE(v.appendFilled(3, [](TWord* p, int n) {
        for (int i = 0; i < n; ++i)
            p[i] = 100 + i;
        return true;
    }));
    EXPECT_NE(v.storage(), old);
    ASSERT_EQ(v.size(), 13);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(v[i], i + 1);
    EXPECT_EQ(v[12], 102);
    EXPECT_EQ(v.capacityOf(), 15);
    EXPECT_EQ(word(v.storage(), 13), 0);
    EXPECT_EQ(word(v.storage(), 14), 0);
    EXPECT_TRUE(v.appendFilled(0, [](TWord*, int n) { return n == 0; }));
    EXPECT_EQ(v.size(), 13);
}

} // namespace
