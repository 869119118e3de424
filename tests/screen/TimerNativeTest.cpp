// Timer natives: host timers, listener roots, delay clamping, failures.
#include "ScreenTestSupport.h"

namespace ScreenTest {
namespace {

// main creates a listener block [77, timer id] with a 25 ms timer and logs the
// id; the timer entry logs the listener's first word; "cancel<listener>"
// removes the listener's timer.
constexpr const char* TIMER_PROGRAM = R"(
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.method "cancel<*listener>" code=cancel frame=Main
main:
    new 2, 2
    dup
    push 77
    store
    push 0
    pick -2
    push 25
    native 33, 1
    pick -2
    fieldaddr 1
    pick -2
    store
    logi
    adjust -1
    ret 0, 1
tick:                   ; the listener arrives unboxed
    pick -2
    load
    logi
    ret 0, 2
cancel:
    push 0
    pick -3
    load
    fieldaddr 1
    load
    native 33, 2
    ret 0, 2
)";

TEST(TimerNatives, ListenerLivesWhileItsTimerExists)
{
    ScreenMachine m;
    const Outcome started = m.run(TIMER_PROGRAM);
    ASSERT_FALSE(started.stopped) << started.message;
    EXPECT_EQ(started.logs, Logs{"10"});
    ASSERT_EQ(m.services.timers.size(), 1u);
    const TWord listener = m.services.timers.at(10).listener;
    EXPECT_EQ(m.services.timers.at(10).delay, 25);
    EXPECT_EQ(m.vm->heap().rootCount(), 1);

    VirtualMachine& vm = *m.vm;
    const int entriesWithListener = vm.heap().nOfEntries();
    ASSERT_GE(entriesWithListener, 1);
    for (int i = 0; i < 3; ++i)
        vm.heap().collect();
    EXPECT_EQ(vm.heap().nOfEntries(), entriesWithListener);
    vm.deliverTimer(listener);
    vm.deliverTimer(listener);
    EXPECT_EQ(m.services.logs, (Logs{"10", "77", "77"}));
    vm.heap().validate();

    // Removing the timer gives the listener back to the collector.
    Vec<int> args, levels;
    args.append(listener);
    levels.append(0);
    vm.callMethod(vm.getMethodHandle(VUvarString("cancel<listener>"), 0), args, levels, -1);
    EXPECT_TRUE(m.services.timers.empty());
    EXPECT_EQ(vm.heap().rootCount(), 0);
    EXPECT_EQ(vm.heap().nOfEntries(), entriesWithListener - 1);
    vm.heap().validate();
}

TEST(TimerNatives, NegativeDelaysBecomeZero)
{
    ScreenMachine m;
    const Outcome outcome = m.run(R"(
main:
    push 0
    new 2, 1
    push -5
    native 33, 1
    push 0
    pick -2
    push -7
    native 33, 3
    push 0
    pick -2
    push 300
    native 33, 3
    logi
    ret 0, 1
)");
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    EXPECT_EQ(outcome.logs, Logs{"10"});
    EXPECT_EQ(m.services.timers.at(10).delay, 0);
    EXPECT_EQ(m.services.delayUpdates, (std::vector<std::pair<int, int>>{{10, 0}, {10, 300}}));
}

TEST(TimerNatives, RemovingAnUnknownTimerTouchesNoRoot)
{
    ScreenMachine m;
    testing::internal::CaptureStderr();
    const Outcome outcome = m.run(R"(
main:
    push 0
    new 2, 1
    push 5
    native 33, 1
    push 0
    push 99
    native 33, 2
    push 0
    push 99
    push 5
    native 33, 3
    logi
    ret 0, 1
)");
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    EXPECT_EQ(outcome.logs, Logs{"10"});
    EXPECT_EQ(errors, "");
    EXPECT_EQ(m.services.timers.size(), 1u);
    EXPECT_EQ(m.vm->heap().rootCount(), 1);
}

TEST(TimerNatives, ListenerMustBeAHeapObjectOrNull)
{
    ScreenMachine forged;
    const Outcome refused = forged.run(R"(
main:
    push 0
    push 70000
    push 5
    native 33, 1
    ret 1, 2
)");
    EXPECT_EQ(refused.logs, (Logs{"VMException: listener is not a heap object", "10"}));
    EXPECT_TRUE(forged.services.timers.empty());
    EXPECT_EQ(forged.vm->heap().rootCount(), 0);

    // A null listener needs no root; removing its timer removes none.
    ScreenMachine null;
    const Outcome outcome = null.run(R"(
main:
    push 0
    push 0
    push 5
    native 33, 1
    push 0
    pick -2
    native 33, 2
    logi
    ret 0, 1
)");
    ASSERT_FALSE(outcome.stopped) << outcome.message;
    EXPECT_EQ(outcome.logs, Logs{"10"});
    EXPECT_EQ(null.vm->heap().rootCount(), 0);
    EXPECT_TRUE(null.services.timers.empty());
}

TEST(TimerNatives, UndefinedFunctionNamesTheGroupAndPosition)
{
    ScreenMachine m;
    const Outcome outcome = m.run("main:\n    native 33, 4\n    ret 0, 1\n");
    EXPECT_EQ(outcome.logs, (Logs{"VMException: Timer:2", "10"}));
}

TEST(TimerNativesDeathTest, TimerIdsBelowTenAreFatal)
{
    EXPECT_DEATH(
        {
            ScreenMachine m;
            m.services.nextId = 3;
            m.run("main:\n    push 0\n    new 2, 1\n    push 5\n    native 33, 1\n    ret 1, 2\n");
        },
        "timerID >= 10");
}

} // namespace
} // namespace ScreenTest
