// The bounds of a run: the instruction budget, handed to the interpreter as
// fuel in portions, and the time limit, checked whenever a portion runs out.
#include "machine/VirtualMachine.h"

#include <algorithm>
#include <utility>

namespace {
// Steps between two looks at the clock: small enough to notice a passed
// limit within a fraction of a millisecond, large enough to cost nothing.
constexpr TInt64 FUEL_PORTION = 1 << 16;
} // namespace

void VirtualMachine::setInstructionBudget(TInt64 steps)
{
    instructionBudget = steps < 0 ? -1 : steps;
    fuel = 0;
}

void VirtualMachine::setTimeLimit(TInt64 milliseconds)
{
    timeLimitMillis = milliseconds < 0 ? -1 : milliseconds;
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<TInt64>(milliseconds, 0));
    // The next step takes a fresh portion and so reads the clock.
    if (instructionBudget >= 0)
        instructionBudget += std::max<TInt64>(fuel, 0) + std::exchange(heldSteps, 0);
    fuel = 0;
}

MachineStop VirtualMachine::timeLimitStop() const
{
    return MachineStop{MachineStop::TIME_LIMIT_STATUS,
                       "time limit of " + std::to_string(timeLimitMillis) + " ms exceeded"};
}

void VirtualMachine::refuel()
{
    // `fuel` is -1: the step being taken is not paid for yet.
    if (timeLimitMillis >= 0 && std::chrono::steady_clock::now() >= deadline)
        throw timeLimitStop();
    // Every register is saved here: a safepoint. The steps held back to reach
    // it are given back, this one paid from them.
    if (heap_->wantsCollection())
        collectAtSafepoint();
    if (heldSteps > 0) {
        fuel = std::exchange(heldSteps, 0) - 1;
        return;
    }
    if (instructionBudget < 0) {
        fuel = FUEL_PORTION - 1;
        return;
    }
    if (instructionBudget == 0) {
        fuel = -1;
        fatalError(OString::fromLatin1("instruction budget exhausted"), ip);
    }
    const TInt64 portion = std::min(instructionBudget, FUEL_PORTION);
    instructionBudget -= portion;
    fuel = portion - 1;
}
