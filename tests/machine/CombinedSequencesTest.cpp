// Programs run combined leave what their single instructions leave: the same
// stop and logs, and the same words (those above the top too), top, position
// and steps left when they end.
#include "MachineTestSupport.h"
#include "machine/MachineTestAccess.h"

#include <string>

using namespace MachineTest;

namespace {

// Runs `program` plain and combined and compares the two ends.
int expectBothModesAgree(const std::string& program, TInt64 budget, const std::string& what)
{
    MachineTestAccess::State states[2];
    Outcome outcomes[2];
    for (const bool combined : {false, true}) {
        Machine m;
        m.vm->setCombinedDispatch(combined);
        outcomes[combined] = m.run(program, true, budget);
        states[combined] = MachineTestAccess(*m.vm).capture();
    }
    EXPECT_EQ(outcomes[1].message, outcomes[0].message) << what;
    EXPECT_EQ(outcomes[1].logs, outcomes[0].logs) << what;
    EXPECT_TRUE(states[1] == states[0]) << what << ": sp " << states[1].sp << " / " << states[0].sp << ", ip "
                                        << states[1].ip << " / " << states[0].ip << ", steps left "
                                        << states[1].fuel << " / " << states[0].fuel;
    return outcomes[0].stopped;
}

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

TEST(CombinedSequences, CountDownStopsWhereItsPartsDoAtEveryBudget)
{
    int stops = 0;
    for (TInt64 budget = 1; budget <= 12; ++budget)
        stops += expectBothModesAgree(COUNT_DOWN, budget, "budget " + std::to_string(budget));
    EXPECT_GT(stops, 5);
}

// An element read through its address and a load: in range, past the end,
// below 0, and through a null handle.
TEST(CombinedSequences, ElementAddressAndLoadReadWhatTheirPartsRead)
{
    for (const char* read : {"pick -1\n    push 2", "pick -1\n    push 3", "pick -1\n    push -1", "push 0\n    push 1"}) {
        const std::string program = R"(
main:
    new 6, 2
    dup
    newvec 4
    push 0
fill:
    pick -2
    pick -2
    native 3, 19
    push 1
    add
    dup
    push 3
    ge
    jz fill
    adjust -1
    pick -1
    push 1
    native 3, 6
    load
    logi
    )" + std::string(read) + R"(
    native 3, 6
    load
    logi
    stop
)";
        expectBothModesAgree(program, -1, read);
    }
}
