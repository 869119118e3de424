// Which sequence, if any, starts at each byte of the code.
#include "machine/FusedInstructions.h"

#include "image/OpcodeTable.h"
#include "machine/VirtualMachine.h"

#include <cstring>

using namespace Lumbra;

namespace {

// The instructions decoded from one position on, as far as the code goes.
class Sequence {
public:
    Sequence(const signed char* code, int length, int at, const CallFrameTable& frames)
        : code(code), length(length), frames(frames)
    {
        for (n = 0; n < MAX_PARTS && at < length; ++n) {
            const TUint8 op = TUint8(code[at]);
            if (!isValidOpcode(op) || at + instructionSize(op) > length)
                break;
            starts[n] = at;
            at += instructionSize(op);
        }
    }
    bool has(int i) const { return i < n; }
    // Whether part i exists and is opcode `op`.
    bool is(int i, Opcode op) const { return i < n && TUint8(code[starts[i]]) == op; }
    // The signed byte operand at offset `k` of part i.
    TInt32 i8(int i, int k = 0) const { return code[starts[i] + 1 + k]; }
    TUint8 op(int i) const { return TUint8(code[starts[i]]); }
    // Whether part i, a jz or jmp, lands inside the code.
    bool jumpsInside(int i) const
    {
        std::int16_t offset;
        std::memcpy(&offset, code + starts[i] + 1, 2);
        return inside(TInt64(starts[i]) + 2 + offset);
    }
    // Whether part i, a call, names a known frame the stack can hold and a
    // target inside the code.
    bool callsKnownFrame(int i) const
    {
        TInt32 target, frame;
        std::memcpy(&target, code + starts[i] + 1, 4);
        std::memcpy(&frame, code + starts[i] + 5, 4);
        return inside(target) && frame >= 0 && frame < frames.frames &&
               TUint64(frames.lowerSlots[frame] + VirtualMachine::STACK_WORDS) <= 2u * VirtualMachine::STACK_WORDS;
    }

private:
    bool inside(TInt64 position) const { return position >= 0 && position < length; }

    static constexpr int MAX_PARTS = 6;
    const signed char* code;
    int length;
    const CallFrameTable& frames;
    int n = 0;
    int starts[MAX_PARTS] = {};
};

// The combined opcode of `pick k; push c; op` (pushed) or `pick k; op` for
// an arithmetic op, or 0.
int pickedArithmetic(TUint8 op, bool pushed)
{
#define LUMBRA_FUSED_CASE(name, expr) \
    case OP_##name:                   \
        return pushed ? FUSED_PickPush##name : FUSED_Pick##name;
    switch (op) {
        LUMBRA_FUSED_ARITHMETIC(LUMBRA_FUSED_CASE)
    default:
        return 0;
    }
#undef LUMBRA_FUSED_CASE
}

// The combined opcode of `push c; op` or `[prefix] [push c] cmp; jz`, or 0.
int arithmetic(TUint8 op)
{
#define LUMBRA_FUSED_CASE(name, expr) \
    case OP_##name:                   \
        return FUSED_Push##name;
    switch (op) {
        LUMBRA_FUSED_ARITHMETIC(LUMBRA_FUSED_CASE)
        LUMBRA_FUSED_COMPARISONS(LUMBRA_FUSED_CASE)
    default:
        return 0;
    }
#undef LUMBRA_FUSED_CASE
}

// prefix 0: `cmp; jz`, 1: `push c; cmp; jz`, 2: with dup before, 3: with pick k
// before, 4: with pick k before and ret after.
int branch(TUint8 cmp, int prefix)
{
#define LUMBRA_FUSED_CASE(name, expr) \
    case OP_##name:                   \
        return FUSED_##name##Jz + prefix;
    switch (cmp) {
        LUMBRA_FUSED_COMPARISONS(LUMBRA_FUSED_CASE)
    default:
        return 0;
    }
#undef LUMBRA_FUSED_CASE
}

// The vector group of one-word primitive elements.
constexpr int WORD_VECTOR_GROUP = 3;

// The combined opcode of `pick k; push c; op; call`, or 0.
int argumentCall(TUint8 op)
{
#define LUMBRA_FUSED_CASE(name, expr) \
    case OP_##name:                   \
        return FUSED_PickPush##name##Call;
    switch (op) {
        LUMBRA_FUSED_ARGUMENTS(LUMBRA_FUSED_CASE)
    default:
        return 0;
    }
#undef LUMBRA_FUSED_CASE
}

// The combined opcode of `slotaddr k; pick -2; store [; adjust n [; ret]]`
// from part `first` on, or 0.
int setSlot(const Sequence& s, int first)
{
    if (!s.is(first, OP_SlotAddr) || !s.is(first + 1, OP_Pick) || s.i8(first + 1) != -2 || !s.is(first + 2, OP_Store))
        return 0;
    if (!s.is(first + 3, OP_Adjust) || s.i8(first + 3) > 0)
        return FUSED_SetSlot;
    return s.is(first + 4, OP_Ret) ? FUSED_SetSlotAdjustRet : FUSED_SetSlotAdjust;
}

int combined(const Sequence& s)
{
    if (const int fused = setSlot(s, 0))
        return fused;
    if (s.is(0, OP_Add) && setSlot(s, 1) == FUSED_SetSlotAdjustRet)
        return FUSED_AddSetSlotAdjustRet;
    const bool dup = s.is(0, OP_Dup), pick = s.is(0, OP_Pick);
    if (pick && s.is(1, OP_Push) && s.is(3, OP_Call) && s.callsKnownFrame(3))
        if (const int fused = argumentCall(s.op(2)))
            return fused;
    if (pick && s.is(1, OP_Push) && s.is(3, OP_Jz) && s.jumpsInside(3) && s.is(4, OP_Ret))
        if (const int fused = branch(s.op(2), 4))
            return fused;
    if ((dup || pick) && s.is(1, OP_Push) && s.is(3, OP_Jz) && s.jumpsInside(3))
        if (const int fused = branch(s.op(2), dup ? 2 : 3))
            return fused;
    if (pick && s.is(1, OP_Push) && s.has(2))
        if (const int fused = pickedArithmetic(s.op(2), true))
            return fused;
    if (pick && s.has(1))
        if (const int fused = pickedArithmetic(s.op(1), false))
            return fused;
    if (s.is(0, OP_Push) && s.is(2, OP_Jz) && s.jumpsInside(2))
        if (const int fused = branch(s.op(1), 1))
            return fused;
    if (s.is(1, OP_Jz) && s.jumpsInside(1))
        if (const int fused = branch(s.op(0), 0))
            return fused;
    if (s.is(0, OP_Push) && s.is(1, OP_Add) && s.is(2, OP_Jmp) && s.jumpsInside(2))
        return FUSED_PushAddJmp;
    if (s.is(0, OP_Push) && s.has(1))
        if (const int fused = arithmetic(s.op(1)))
            return fused;
    if (s.is(0, OP_Native) && s.i8(0) == WORD_VECTOR_GROUP && s.i8(0, 1) == 8)
        return FUSED_WordVectorRead;
    if (s.is(0, OP_Native) && s.i8(0) == WORD_VECTOR_GROUP && s.i8(0, 1) == 19)
        return FUSED_WordVectorAppend;
    if ((dup || pick) && s.is(1, OP_Pick) && s.is(2, OP_Add))
        return dup ? FUSED_DupPickAdd : FUSED_PickPickAdd;
    if ((dup || pick) && s.is(1, OP_Pick))
        return dup ? FUSED_DupPick : FUSED_PickPick;
    if (s.is(0, OP_Jz) && s.jumpsInside(0))
        return FUSED_JzInside;
    if (s.is(0, OP_Jmp) && s.jumpsInside(0))
        return FUSED_JmpInside;
    return 0;
}

} // namespace

void writeDispatchBytes(const signed char* code, int length, bool combine, const CallFrameTable& frames,
                        TUint8* out)
{
    for (int at = 0; at < length; ++at) {
        const TUint8 op = TUint8(code[at]);
        out[at] = isValidOpcode(op) ? op : TUint8(FUSED_INVALID);
        if (combine && isValidOpcode(op))
            if (const int fused = combined(Sequence(code, length, at, frames)))
                out[at] = TUint8(fused);
    }
}
