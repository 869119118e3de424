// Combined instructions: frequent short sequences run by one handler of the
// interpreter. They exist only in the dispatch copy of the code (the bytes the
// loop dispatches on); the code itself, every position and every operand stay
// as loaded. A combined handler first checks that none of its parts could
// fail or leave the fast path (stack bounds, stack indices, fuel); if one
// could, it runs the first part through its ordinary handler instead, so
// errors, positions and budget counting are those of the single instructions.
#pragma once

#include "LumbraTypes.h"

// Binary operators a constant push or a branch is combined with:
// X(opcode enumerator, result of operands a (second) and b (top)).
#define LUMBRA_FUSED_ARITHMETIC(X)                  \
    X(Add, TWord(TUint32(a) + TUint32(b)))          \
    X(Sub, TWord(TUint32(a) - TUint32(b)))          \
    X(Mul, TWord(TUint32(a) * TUint32(b)))          \
    X(And, a & b)                                   \
    X(Or, a | b)                                    \
    X(Xor, a ^ b)
#define LUMBRA_FUSED_COMPARISONS(X) \
    X(Eq, a == b)                   \
    X(Lt, a < b)                    \
    X(Le, a <= b)                   \
    X(Ne, a != b)                   \
    X(Gt, a > b)                    \
    X(Ge, a >= b)
// The operators of an argument computed just before a call.
#define LUMBRA_FUSED_ARGUMENTS(X)          \
    X(Add, TWord(TUint32(a) + TUint32(b))) \
    X(Sub, TWord(TUint32(a) - TUint32(b)))

// The combined instructions, one enumerator each, numbered from FUSED_FIRST
// (opcode numbers that are no instruction; real invalid bytes are dispatched
// as FUSED_INVALID).
enum FusedOpcode : TUint8 {
    FUSED_BEFORE_FIRST = 185,
#define LUMBRA_FUSED_PUSH_OP(op, expr) FUSED_Push##op,
    LUMBRA_FUSED_ARITHMETIC(LUMBRA_FUSED_PUSH_OP)       // push c; op
    LUMBRA_FUSED_COMPARISONS(LUMBRA_FUSED_PUSH_OP)
#undef LUMBRA_FUSED_PUSH_OP
#define LUMBRA_FUSED_PICK_PUSH_OP(op, expr) FUSED_PickPush##op,
    LUMBRA_FUSED_ARITHMETIC(LUMBRA_FUSED_PICK_PUSH_OP)  // pick k; push c; op
#undef LUMBRA_FUSED_PICK_PUSH_OP
#define LUMBRA_FUSED_PICK_OP(op, expr) FUSED_Pick##op,
    LUMBRA_FUSED_ARITHMETIC(LUMBRA_FUSED_PICK_OP)       // pick k; op
#undef LUMBRA_FUSED_PICK_OP
// [dup | pick k] [push c] cmp; jz d, and pick k; push c; cmp; jz d; ret a, b
#define LUMBRA_FUSED_BRANCHES(op, expr) \
    FUSED_##op##Jz, FUSED_Push##op##Jz, FUSED_DupPush##op##Jz, FUSED_PickPush##op##Jz, FUSED_PickPush##op##JzRet,
    LUMBRA_FUSED_COMPARISONS(LUMBRA_FUSED_BRANCHES)
#undef LUMBRA_FUSED_BRANCHES
#define LUMBRA_FUSED_ARGUMENT_CALL(op, expr) FUSED_PickPush##op##Call,
    LUMBRA_FUSED_ARGUMENTS(LUMBRA_FUSED_ARGUMENT_CALL)  // pick k; push c; op; call t, f
#undef LUMBRA_FUSED_ARGUMENT_CALL
    FUSED_SetSlot,       // slotaddr k; pick -2; store
    FUSED_SetSlotAdjust, // slotaddr k; pick -2; store; adjust n (n <= 0)
    FUSED_SetSlotAdjustRet, // slotaddr k; pick -2; store; adjust n (n <= 0); ret a, b
    FUSED_AddSetSlotAdjustRet, // add; then the five above
    FUSED_PickPick,      // pick a; pick b
    FUSED_DupPick,       // dup; pick b
    FUSED_PickPickAdd,   // pick a; pick b; add
    FUSED_DupPickAdd,    // dup; pick b; add
    FUSED_PushAddJmp,    // push c; add; jmp d
    FUSED_WordVectorRead,   // native 3, 8 (a single instruction with a shorter path)
    FUSED_WordVectorAppend, // native 3, 19
    FUSED_JzInside,         // jz d, landing inside the code (a single instruction with fewer checks)
    FUSED_JmpInside,        // jmp d, likewise
    FUSED_END,
    FUSED_INVALID = 255,
};
static_assert(FUSED_END <= FUSED_INVALID, "combined instructions must fit the free opcode numbers");

inline constexpr int FUSED_FIRST = FUSED_BEFORE_FIRST + 1;

// The frame descriptors' lower-slot counts (frames of them). A sequence
// ending in a call is combined only where the call names one of these
// frames, with a count no larger than the stack, and a target inside the
// code; one ending in a jump only where the jump lands inside the code. The
// combined handlers then need not check those parts again.
struct CallFrameTable {
    const TInt64* lowerSlots = nullptr;
    int frames = 0;
};

// Fills out[0 .. length) with the bytes the interpreter dispatches on for
// `code` (length bytes): the opcode of a plain instruction, a combined opcode
// where a sequence starts, FUSED_INVALID for a byte that is no instruction.
// Every position is decided on its own, so a jump into any byte finds the
// right handler. With `combine` false only invalid bytes are rewritten.
void writeDispatchBytes(const signed char* code, int length, bool combine, const CallFrameTable& frames,
                        TUint8* out);
