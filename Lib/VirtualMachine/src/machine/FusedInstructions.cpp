#include "machine/FusedInstructions.h"

#include "image/OpcodeTable.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeFunctions.h"
#include "values/ObjectWrapper.h"

#include <cstring>
#include <type_traits>

using namespace Lumbra;

namespace {

// The vector group of one-word primitive elements, the one with a fast path.
constexpr int wordVectorGroup()
{
#define LUMBRA_WORD_GROUP(group, Element, reference) \
    if (std::is_same_v<Element, WordElement<1>> && !(reference)) \
        return group;
    LUMBRA_VECTOR_GROUPS(LUMBRA_WORD_GROUP)
#undef LUMBRA_WORD_GROUP
    return -1;
}
static_assert(wordVectorGroup() > 0);

// One part of a pattern: an instruction and what its operands must be.
struct Part {
    enum Kind : TUint8 {
        End,         // no part: the pattern is shorter
        Any,         // the opcode, any operands
        Member,      // the family member's opcode
        Operand,     // the opcode with a one-byte operand equal to value
        AdjustDown,  // adjust n, n <= 0
        JzInside,    // jz landing inside the code
        JmpInside,   // jmp likewise
        CallKnown,   // call to a known frame and a target inside the code
        WordVector,  // native call of function `value` of the one-word vector group
    };
    Kind kind = End;
    TUint8 opcode = 0;
    TInt32 value = 0;
};

constexpr int MAX_PARTS = 6;

struct Pattern {
    TUint16 id;
    TUint8 member;
    Part parts[MAX_PARTS];
};

#define IS(op) Part{Part::Any, OP_##op, 0}
#define OP Part{Part::Member, 0, 0}
#define OPERAND(op, v) Part{Part::Operand, OP_##op, v}
#define ADJUST_DOWN Part{Part::AdjustDown, OP_Adjust, 0}
#define JZ_INSIDE Part{Part::JzInside, OP_Jz, 0}
#define JMP_INSIDE Part{Part::JmpInside, OP_Jmp, 0}
#define CALL_KNOWN Part{Part::CallKnown, OP_Call, 0}
#define NATIVE_FN(fn) Part{Part::WordVector, OP_Native, TInt32(VectorFn::fn)}
#define PART_LIST(...) {__VA_ARGS__}
// In the .def's order, which is the matcher's.
constexpr Pattern PATTERNS[] = {
#define FUSED_ROW(name, stem, member, suffix, parts, ...) {FUSED_##name, OP_##member, PART_LIST parts},
#include "machine/FusedInstructions.def"
#undef FUSED_ROW
};
#undef IS
#undef OP
#undef OPERAND
#undef ADJUST_DOWN
#undef JZ_INSIDE
#undef JMP_INSIDE
#undef CALL_KNOWN
#undef NATIVE_FN
#undef PART_LIST
static_assert(std::size(PATTERNS) == FUSED_COUNT);

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
    bool matches(const Pattern& p) const
    {
        for (int i = 0; i < MAX_PARTS && p.parts[i].kind != Part::End; ++i)
            if (!matches(i, p.parts[i], p.member))
                return false;
        return true;
    }

private:
    bool matches(int i, const Part& part, TUint8 member) const
    {
        if (i >= n || op(i) != (part.kind == Part::Member ? member : part.opcode))
            return false;
        switch (part.kind) {
        case Part::End:
            return false;
        case Part::Any:
        case Part::Member:
            return true;
        case Part::Operand:
            return i8(i) == part.value;
        case Part::AdjustDown:
            return i8(i) <= 0;
        case Part::JzInside:
        case Part::JmpInside:
            return jumpsInside(i);
        case Part::CallKnown:
            return callsKnownFrame(i);
        case Part::WordVector:
            return i8(i) == wordVectorGroup() && i8(i, 1) == part.value;
        }
        return false;
    }
    TUint8 op(int i) const { return TUint8(code[starts[i]]); }
    // The signed byte operand at offset `k` of part i.
    TInt32 i8(int i, int k = 0) const { return code[starts[i] + 1 + k]; }
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
    bool inside(TInt64 position) const { return position >= 0 && position < length; }

    const signed char* code;
    int length;
    const CallFrameTable& frames;
    int n = 0;
    int starts[MAX_PARTS] = {};
};

// The patterns by their first part's opcode, in the matcher's order.
struct PatternsByOpcode {
    std::vector<const Pattern*> of[256];
    PatternsByOpcode()
    {
        for (const Pattern& p : PATTERNS) {
            if (p.parts[0].kind == Part::Member)
                of[p.member].push_back(&p);
            else
                of[p.parts[0].opcode].push_back(&p);
        }
    }
};

int combined(const Sequence& s, TUint8 first)
{
    static const PatternsByOpcode byOpcode;
    for (const Pattern* p : byOpcode.of[first])
        if (s.matches(*p))
            return p->id;
    return 0;
}

} // namespace

const char* fusedName(int id)
{
    return id >= FUSED_FIRST && id < FUSED_END ? FUSED_NAMES[id - FUSED_FIRST] : nullptr;
}

void writeDispatchIds(const signed char* code, int length, bool combine, const CallFrameTable& frames,
                      TUint16* out)
{
    for (int at = 0; at < length; ++at) {
        const TUint8 op = TUint8(code[at]);
        out[at] = op;
        if (combine && isValidOpcode(op))
            if (const int fused = combined(Sequence(code, length, at, frames), op))
                out[at] = TUint16(fused);
    }
}
