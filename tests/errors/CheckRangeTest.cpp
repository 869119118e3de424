// The shared range check and its messages, character for character.
#include "ErrorTestSupport.h"

#include <climits>

using namespace Lumbra;

namespace {

std::u16string rangeFailure(TInt32 base, TInt32 size, TInt32 first, TInt32 count)
{
    return raisedMessage(ERange, [&] { checkRange(base, size, first, count); });
}

} // namespace

TEST(CheckRangeTest, CountToTheEndIsResolved)
{
    TInt32 first = 3, count = -1;
    checkRange(0, 10, first, count);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(count, 7);
    first = 10;
    count = -5;
    checkRange(0, 10, first, count);
    EXPECT_EQ(count, 0);
}

TEST(CheckRangeTest, ValidRangesPassUnchanged)
{
    TInt32 first = 12, count = 0;
    checkRange(0, 10, first, count);
    EXPECT_EQ(count, 0);
    first = 7;
    count = 3;
    checkRange(0, 10, first, count);
    EXPECT_EQ(first, 7);
    EXPECT_EQ(count, 3);
}

TEST(CheckRangeTest, EmptyCountWithNegativeFirst)
{
    EXPECT_EQ(rangeFailure(0, 10, -1, 0), u"RangeException: Invalid Range, first should be non-negative (first=-1)");
}

TEST(CheckRangeTest, CountToTheEndMessages)
{
    EXPECT_EQ(rangeFailure(0, 10, -2, -1),
              u"RangeException: Invalid Range, first should not be less than 0, first = -2");
    EXPECT_EQ(rangeFailure(0, 10, 11, -1),
              u"RangeException: Invalid Range, first should not be more than 10, first = 11");
}

TEST(CheckRangeTest, PositiveCountMessagesKeepTheirSpacing)
{
    EXPECT_EQ(rangeFailure(0, 10, -4, 2),
              u"RangeException: Invalid Range, first should not be less than0, first =  -4");
    EXPECT_EQ(rangeFailure(0, 10, 8, 3), u"RangeException: Invalid Range, range out of bounds: 11 > 10");
    EXPECT_EQ(rangeFailure(5, 10, 4, 1),
              u"RangeException: Invalid Range, first should not be less than5, first =  4");
    EXPECT_EQ(rangeFailure(5, 10, 14, 2), u"RangeException: Invalid Range, range out of bounds: 16 > 15");
}

TEST(CheckRangeTest, HugeCountsDoNotWrapAround)
{
    EXPECT_EQ(rangeFailure(0, 10, 5, INT_MAX),
              u"RangeException: Invalid Range, range out of bounds: 2147483652 > 10");
}
