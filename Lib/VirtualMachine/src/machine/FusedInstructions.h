// Combined instructions: frequent short sequences run by one handler of the
// interpreter. They exist only in the dispatch copy of the code (the handler
// ids the loop dispatches on); the code itself, every position and every
// operand stay as loaded. Each is described once, in FusedInstructions.def;
// the matcher, the interpreter's handler table and the guard each handler
// runs first are derived from that row. docs/ARCHITECTURE.md, "The dispatch
// copy", states what a combined handler must keep equal to the parts it
// stands for.
#pragma once

#include "LumbraTypes.h"

#include <iterator>

// Operator families a row of FusedInstructions.def may stand for, one row
// per member: X(instruction, result of operands a (second) and b (top), the
// row's own arguments...).
#define LUMBRA_FUSED_ARITHMETIC(X, ...)                                     \
    X(Add, TWord(TUint32(a) + TUint32(b)) __VA_OPT__(, ) __VA_ARGS__)      \
    X(Sub, TWord(TUint32(a) - TUint32(b)) __VA_OPT__(, ) __VA_ARGS__)      \
    X(Mul, TWord(TUint32(a) * TUint32(b)) __VA_OPT__(, ) __VA_ARGS__)      \
    X(And, a & b __VA_OPT__(, ) __VA_ARGS__)                               \
    X(Or, a | b __VA_OPT__(, ) __VA_ARGS__)                                \
    X(Xor, a ^ b __VA_OPT__(, ) __VA_ARGS__)
#define LUMBRA_FUSED_COMPARISONS(X, ...)      \
    X(Eq, a == b __VA_OPT__(, ) __VA_ARGS__) \
    X(Lt, a < b __VA_OPT__(, ) __VA_ARGS__)  \
    X(Le, a <= b __VA_OPT__(, ) __VA_ARGS__) \
    X(Ne, a != b __VA_OPT__(, ) __VA_ARGS__) \
    X(Gt, a > b __VA_OPT__(, ) __VA_ARGS__)  \
    X(Ge, a >= b __VA_OPT__(, ) __VA_ARGS__)
// The operators of an argument computed just before a call.
#define LUMBRA_FUSED_ARGUMENTS(X, ...)                                 \
    X(Add, TWord(TUint32(a) + TUint32(b)) __VA_OPT__(, ) __VA_ARGS__) \
    X(Sub, TWord(TUint32(a) - TUint32(b)) __VA_OPT__(, ) __VA_ARGS__)

// Each row of FusedInstructions.def as FUSED_ROW(name, stem, member, suffix,
// parts, lowest top, reach, steps, first index, second index); member is Nop
// outside a family.
#define LUMBRA_FUSED_MEMBER_ROW(member, expr, stem, suffix, ...) FUSED_ROW(stem##member##suffix, stem, member, suffix, __VA_ARGS__)
#define FUSED(name, ...) FUSED_ROW(name, name, Nop, , __VA_ARGS__)
#define FUSED_FAMILY(family, stem, suffix, ...) LUMBRA_FUSED_##family(LUMBRA_FUSED_MEMBER_ROW, stem, suffix, __VA_ARGS__)

// Handler ids of the dispatch copy: 0 to 255 are the code's own bytes (a
// byte that is no instruction has the invalid-opcode handler), the
// combined instructions follow.
enum FusedId : TUint16 {
    FUSED_BEFORE_FIRST = 255,
#define FUSED_ROW(name, ...) FUSED_##name,
#include "machine/FusedInstructions.def"
#undef FUSED_ROW
    FUSED_END,
};

inline constexpr int FUSED_FIRST = FUSED_BEFORE_FIRST + 1;
inline constexpr int FUSED_COUNT = FUSED_END - FUSED_FIRST;
// Handler ids in all, the size of the interpreter's table.
inline constexpr int HANDLER_IDS = FUSED_END;

// What a combined handler checks before its body, from its row.
struct FusedGuard {
    // A stack index top + above + the one-byte operand `operandByte` bytes
    // into the sequence; above 0: none.
    struct Index {
        int above = 0;
        int operandByte = 0;
        constexpr bool used() const { return above > 0; }
    };
    int lowestTop = 0; // the parts start at tops down to top - lowestTop
    int reach = 0;     // ... and up to top + reach
    int steps = 0;     // steps the parts take whatever their operands
    Index first, second;
};

#define INDEX(above, operandByte) (FusedGuard::Index{above, operandByte})
#define NO_INDEX FusedGuard::Index{}
// The guards, by id - FUSED_FIRST.
inline constexpr FusedGuard FUSED_GUARDS[] = {
#define FUSED_ROW(name, stem, member, suffix, parts, lowestTop, reach, steps, first, second) \
    {lowestTop, reach, steps, first, second},
#include "machine/FusedInstructions.def"
#undef FUSED_ROW
};
#undef INDEX
#undef NO_INDEX
static_assert(std::size(FUSED_GUARDS) == FUSED_COUNT);

// The highest top every combined handler accepts as far as its reach goes:
// the loop dispatches on the combined ids only from 0 up to the soft stack
// limit less this reach, so the handlers need not test the upper bound again.
constexpr int fusedReach()
{
    int reach = 0;
    for (const FusedGuard& guard : FUSED_GUARDS)
        reach = guard.reach > reach ? guard.reach : reach;
    return reach;
}
inline constexpr int FUSED_REACH = fusedReach();

// The name of combined instruction `id` as its row gives it; null for any
// other id.
const char* fusedName(int id);
// The names, by id - FUSED_FIRST.
inline constexpr const char* FUSED_NAMES[] = {
#define FUSED_ROW(name, ...) #name,
#include "machine/FusedInstructions.def"
#undef FUSED_ROW
};

// The frame descriptors' lower-slot counts (frames of them). A sequence
// ending in a call is combined only where the call names one of these
// frames, with a count no larger than the stack, and a target inside the
// code; one ending in a jump only where the jump lands inside the code. The
// combined handlers then need not check those parts again.
struct CallFrameTable {
    const TInt64* lowerSlots = nullptr;
    int frames = 0;
};

// Fills out[0 .. length) with the handler ids the interpreter dispatches on
// for `code` (length bytes): a combined id where a sequence starts, the
// byte itself elsewhere. Every position is decided on its own, so a jump
// into any byte finds the right handler. With `combine` false every id is
// the code's own byte.
void writeDispatchIds(const signed char* code, int length, bool combine, const CallFrameTable& frames,
                      TUint16* out);
