#include "Vec.h"
#include "VmErrorExpect.h"

#include <string>

namespace {

Vec<int> filled(int n)
{
    Vec<int> v;
    for (int i = 0; i < n; ++i)
        v.append(i * 10);
    return v;
}

TEST(Vec, GrowsByAQuarterPlusEight)
{
    Vec<int> v;
    EXPECT_EQ(v.capacity(), 0);
    v.append(0);
    EXPECT_EQ(v.capacity(), 8);
    for (int i = 1; i < 8; ++i)
        v.append(i);
    EXPECT_EQ(v.capacity(), 8);
    v.append(8);
    EXPECT_EQ(v.capacity(), 18);
    for (int i = 9; i < 19; ++i)
        v.append(i);
    EXPECT_EQ(v.capacity(), 30); // 18 * 5 / 4 + 8
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(v[i], i);
}

TEST(Vec, ReserveBelowCountFailsAndKeepsContents)
{
    Vec<int> v = filled(5);
    const int capacityBefore = v.capacity();
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v.reserve(4));
    EXPECT_EQ(v.count(), 5);
    EXPECT_EQ(v.capacity(), capacityBefore);
    EXPECT_EQ(v[4], 40);

    Vec<int> empty;
    empty.reserve(0);
    EXPECT_EQ(empty.capacity(), 1);
}

TEST(Vec, IndexAndSizeErrorsRaiseInvalidArgument)
{
    Vec<int> v = filled(3);
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v[3]);
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v[-1]);
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v.setSize(-1));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v.removeLast(4));
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, v.insert(4, 0));
    Vec<int> empty;
    EXPECT_VM_ERROR(Lumbra::EInvalidArgument, empty.last());
}

TEST(Vec, SetSizeReservesOnlyBeyondCapacity)
{
    Vec<int> v = filled(3); // capacity 8
    v.setSize(6);
    EXPECT_EQ(v.count(), 6);
    EXPECT_EQ(v.capacity(), 8);
    v.setSize(20);
    EXPECT_EQ(v.capacity(), 20);
    EXPECT_EQ(v[2], 20);
    v.setSize(1);
    EXPECT_EQ(v.count(), 1);
    EXPECT_EQ(v[0], 0);
}

TEST(Vec, InsertRemoveAndClear)
{
    Vec<int> v = filled(3);
    v.insert(0, -1);
    v.insert(4, 99);
    v.insert(2, 5);
    const int expected[] = {-1, 0, 5, 10, 20, 99};
    ASSERT_EQ(v.count(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(v[i], expected[i]);
    v.removeLast(2);
    EXPECT_EQ(v.count(), 4);
    EXPECT_EQ(v.last(), 10);
    v.clear();
    EXPECT_EQ(v.count(), 0);
    EXPECT_EQ(v.capacity(), 0);
    EXPECT_EQ(v.data(), nullptr);
}

TEST(Vec, CopiesOwnTheirElements)
{
    Vec<Vec<std::string>> outer;
    Vec<std::string> inner;
    inner.append("first");
    outer.append(inner);
    Vec<Vec<std::string>> copy(outer);
    copy[0][0] = "changed";
    copy[0].append("more");
    EXPECT_EQ(outer[0][0], "first");
    EXPECT_EQ(outer[0].count(), 1);

    Vec<Vec<std::string>> assigned;
    assigned = copy;
    EXPECT_NE(assigned[0].data(), copy[0].data());
    EXPECT_EQ(assigned[0][1], "more");
}

TEST(Vec, AppendingOwnElementSurvivesGrowth)
{
    Vec<std::string> v;
    for (int i = 0; i < 8; ++i)
        v.append(std::string(40, char('a' + i)));
    ASSERT_EQ(v.count(), v.capacity());
    v.append(v[0]); // the source lives in the buffer being replaced
    v.insert(0, v[8]);
    EXPECT_EQ(v[9], std::string(40, 'a'));
    EXPECT_EQ(v[0], std::string(40, 'a'));
    EXPECT_EQ(v[1], std::string(40, 'a'));
}

} // namespace
