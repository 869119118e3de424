// Screen natives: size and orientation, repaint requests, orientation listeners.
#include "ScreenTestSupport.h"

namespace ScreenTest {
namespace {

TEST(ScreenNatives, SizeFollowsTheOrientation)
{
    ScreenMachine m;
    const Outcome outcome = m.run(R"(
main:
    native 31, 4
    logi
    native 31, 2
    pick -2
    logi
    logi
    adjust -1
    push 1
    native 31, 3
    native 31, 2
    pick -2
    logi
    logi
    adjust -1
    native 31, 4
    logi
    ret 0, 1
)");
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    EXPECT_EQ(outcome.logs, (Logs{"2", "800", "480", "480", "800", "1"}));
    EXPECT_EQ(m.services.orientationRequests, std::vector<int>{1});
}

TEST(ScreenNatives, RepaintRequestsAndScreenFlag)
{
    ScreenMachine m;
    const Outcome outcome = m.run(R"(
main:
    native 31, 1
    push 10
    push 20
    push 30
    push 40
    native 31, 6
    push 1
    native 31, 3
    native 31, 1
    push 2
    native 31, 5
    ret 0, 1
)");
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    EXPECT_EQ(m.services.areas, (std::vector<Area>{{0, 0, 800, 480}, {10, 20, 30, 40}, {0, 0, 480, 800}}));
    EXPECT_EQ(m.services.screenFlag, std::optional<bool>(true));

    ScreenMachine off;
    off.run("main:\n    push 0\n    native 31, 5\n    ret 0, 1\n");
    EXPECT_EQ(off.services.screenFlag, std::optional<bool>(false));
}

TEST(ScreenNatives, OrientationListenerIsARootUntilRemoved)
{
    ScreenMachine m;
    const Outcome outcome = m.run(R"(
.method "drop<*listener>" code=drop frame=Main
main:
    new 2, 1
    native 31, 7
    ret 0, 1
drop:
    pick -2
    load
    native 31, 8
    ret 0, 2
)");
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    ASSERT_EQ(m.services.listenersAdded.size(), 1u);
    const TWord listener = m.services.listenersAdded[0];
    VirtualMachine& vm = *m.vm;
    EXPECT_EQ(vm.heap().rootCount(), 1);
    EXPECT_EQ(vm.heap().nOfEntries(), 1); // survived the collection after main

    Vec<int> args, levels;
    args.append(listener);
    levels.append(0);
    vm.callMethod(vm.getMethodHandle(VUvarString("drop<listener>"), 0), args, levels, -1);
    EXPECT_EQ(m.services.listenersRemoved, std::vector<TWord>{listener});
    EXPECT_EQ(vm.heap().rootCount(), 0);
    EXPECT_EQ(vm.heap().nOfEntries(), 0);
    vm.heap().validate();
}

TEST(ScreenNatives, ForgedListenerIsRefused)
{
    ScreenMachine m;
    const Outcome outcome = m.run("main:\n    push 123456\n    native 31, 7\n    ret 0, 1\n");
    EXPECT_EQ(outcome.logs, (Logs{"VMException: listener is not a heap object", "10"}));
    EXPECT_EQ(m.vm->heap().rootCount(), 0);
}

TEST(ScreenNatives, UndefinedFunctionNamesTheGroupAndPosition)
{
    ScreenMachine m;
    const Outcome outcome = m.run("main:\n    push 1\n    native 31, 9\n    ret 0, 1\n");
    // push takes five bytes, so the function byte of the native call is at 7.
    EXPECT_EQ(outcome.logs, (Logs{"VMException: Screen:7", "10"}));
}

} // namespace
} // namespace ScreenTest
