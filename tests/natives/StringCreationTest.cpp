// String natives that create strings and answer simple queries.
#include "NativeTestSupport.h"

using namespace NativeTest;

TEST(StringNatives, Smoke)
{
    Program p;
    const int s = p.text("Hello");
    p.copy(s);
    p.string(10, 1, 1);
    p.logInt();
    EXPECT_EQ(run(p).log, ints({5}));
}
