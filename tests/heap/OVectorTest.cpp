// The managed array: capacity rule, insertion, removal and host-side storage.
#include "HeapTestSupport.h"

#include "OVector.h"

#include <string>

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

} // namespace
