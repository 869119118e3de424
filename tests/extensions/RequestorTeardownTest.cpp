// Tearing down native objects grows linearly with their number: N position
// requestors, each rooted in a box of its own, are unrooted and collected;
// twice as many take less than three times as long. A quadratic teardown (a
// linear search per root, per signal connection) would take four times as
// long; a linear one measures 2.1 to 2.6 times on a busy machine, the map
// lookups and the caches growing with N. Times are the test thread's CPU times of the teardown alone, the best of
// five runs; sanitizer builds skip the comparison.
#include "CLocationPositionRequestorGCObject.h"
#include "ExtensionTestSupport.h"
#include "NeedsService.h"
#include "GpsDaemonControl.h"

#include <algorithm>
#include <ctime>
#include <vector>

using namespace ExtensionTest;

namespace {

// CPU seconds to unroot and collect `count` running requestors.
double teardownSeconds(int count)
{
    MachineWithExtensions m;
    const TWord observer = m.box();
    std::vector<TAddr> boxes;
    boxes.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        boxes.push_back(m.box());
        EXPECT_EQ(m.call(27, 1, {TWord(boxes.back()), observer, 0, 1}).top, 9);
    }
    EXPECT_EQ(LocationService::GpsDaemonControl::defaultControl()->startCount(), count);
    const double start = threadCpuSeconds();
    for (TAddr box : boxes)
        m.vm->heap().removeRoot(box);
    m.collect();
    const double seconds = threadCpuSeconds() - start;
    EXPECT_EQ(LocationService::GpsDaemonControl::defaultControl()->startCount(), 0);
    return seconds;
}

} // namespace

TEST(RequestorTeardown, TwiceAsManyTakeLessThanThreeTimesAsLong)
{
#if defined(__SANITIZE_ADDRESS__)
    LUMBRA_SKIP_BECAUSE("times under the sanitizers say nothing about growth");
#endif
    ensureApplication();
    setenv("LUMBRA_GPSD", "127.0.0.1:1", 1); // nothing listens there
    constexpr int N = 20000;
    expectLinearGrowth(teardownSeconds, N);
    unsetenv("LUMBRA_GPSD");
}
