// Dropping sounds loaded while no sound server is connected grows linearly
// with their number: N players are loaded into one box, so that all but the
// last are garbage, and collected; twice as many take less than three times
// as long (a map's logarithm and the caches add to the linear part). A linear
// search of the waiting loads per dropped player would take four times as
// long (14 times was seen). Times are the test thread's CPU times of the collection alone,
// the best of five runs; sanitizer builds collect fewer and skip the
// comparison.
#include "ExtensionTestSupport.h"
#include "NeedsService.h"

#include <algorithm>
#include <ctime>
#include <fstream>

using namespace ExtensionTest;

namespace {

// CPU seconds to collect `count` dropped players.
double collectionSeconds(int count)
{
    MachineWithExtensions m;
    const TWord player = TWord(m.box());
    const TWord samples = TWord(m.byteArray({1, 2, 3}));
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(m.call(28, 2, {player, samples, 0}).errorCode, 0);
    const int objects = m.vm->heap().nativeObjectCount();
    const double start = threadCpuSeconds();
    m.collect();
    const double seconds = threadCpuSeconds() - start;
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), objects - (count - 1));
    return seconds;
}

} // namespace

TEST(AudioTeardown, TwiceAsManyDroppedSoundsTakeLessThanThreeTimesAsLong)
{
    const std::string config = ::testing::TempDir() + "no-autospawn.conf";
    std::ofstream(config) << "autospawn = no\n";
    setenv("PULSE_CLIENTCONFIG", config.c_str(), 1);
    setenv("PULSE_SERVER", "unix:/nonexistent-lumbra-test/native", 1);
    ensureApplication();
#if defined(__SANITIZE_ADDRESS__)
    collectionSeconds(2000);
    LUMBRA_SKIP_BECAUSE("times under the sanitizers say nothing about growth");
#endif
    constexpr int N = 50000;
    expectLinearGrowth(collectionSeconds, N);
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_CLIENTCONFIG");
}
