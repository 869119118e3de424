// A count-down loop run combined leaves what its single instructions leave:
// at every budget the same stop, and the same words, top, position and steps
// left when it ends.
#include "MachineTestSupport.h"
#include "machine/MachineTestAccess.h"

using namespace MachineTest;

namespace {

// Counts 3 down to 0 with the count-down sequence, the loop's tail either a
// jump back or a fall-through into a second loop; the words above the top
// are logged as pick sees them.
const char* const COUNT_DOWN = R"(
main:
    push 3
again:
    push 1
    sub
    dup
    jz tail
    jmp again
tail:
    pick 0
    logi
    pick 1
    logi
    push 2
down:
    push 1
    sub
    dup
    jz done
    dup
    logi
    jmp down
done:
    pick 0
    logi
    stop
)";

} // namespace

TEST(CombinedCountDown, StopsAndLeavesWhatItsPartsDoAtEveryBudget)
{
    int stops = 0;
    for (TInt64 budget = 1; budget <= 12; ++budget) {
        MachineTestAccess::State states[2];
        Outcome outcomes[2];
        for (const bool combined : {false, true}) {
            Machine m;
            m.vm->setCombinedDispatch(combined);
            outcomes[combined] = m.run(COUNT_DOWN, true, budget);
            states[combined] = MachineTestAccess(*m.vm).capture();
        }
        stops += outcomes[0].stopped;
        EXPECT_EQ(outcomes[1].message, outcomes[0].message) << budget;
        EXPECT_EQ(outcomes[1].logs, outcomes[0].logs) << budget;
        EXPECT_TRUE(states[1] == states[0]) << budget << ": sp " << states[1].sp << " / " << states[0].sp << ", ip "
                                            << states[1].ip << " / " << states[0].ip << ", steps left "
                                            << states[1].fuel << " / " << states[0].fuel;
    }
    EXPECT_GT(stops, 5);
}
