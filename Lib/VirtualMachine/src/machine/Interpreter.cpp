// The interpreter loop, threaded: every handler ends by jumping straight to
// the next opcode's handler through a table of label addresses (GCC/Clang
// labels as values) filled from Opcodes.def. ip, sp, the code and the stack
// are held in locals; SAVE writes them back to the machine before anything
// outside the loop runs and RELOAD takes them back afterwards. An error leaves
// the loop as an exception with the machine's ip at the last byte of the
// faulting instruction that was read.
//
// Only instructions that transfer control check ip against the code's end:
// straight-line execution past the end lands in the padding behind the code,
// whose bytes are no instruction, and the invalid-opcode handler reports it.
#include "machine/VirtualMachine.h"

#include "VMError.h"
#include "image/OpcodeTable.h"
#include "machine/FusedInstructions.h"
#include "machine/OpProfile.h"
#include "machine/VectorFastPath.h"
#include "natives/NativeGroups.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if !defined(__GNUC__)
#error "the interpreter loop needs labels as values (GCC or Clang)"
#endif

using namespace Lumbra;

namespace {

using SByte = signed char;
using TInt16 = std::int16_t;

inline TWord shiftLeft(TWord v, TWord c)
{
    if (c > 31 || c < -31)
        return 0;
    return c >= 0 ? TWord(TUint32(v) << c) : TWord(v >> -c);
}

inline TWord shiftRight(TWord v, TWord c)
{
    if (c > 31 || c < -31)
        return 0;
    return c >= 0 ? TWord(v >> c) : TWord(TUint32(v) << -c);
}

inline TWord truth(bool b) { return b ? -1 : 0; }

inline TWord wrapDiv(TWord n, TWord d) { return d == -1 ? TWord(0u - TUint32(n)) : n / d; }
inline TWord wrapRem(TWord n, TWord d) { return d == -1 ? 0 : n % d; }

inline TInt32 readI16(const signed char* p)
{
    std::int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline TInt32 readI32(const signed char* p)
{
    TInt32 v;
    std::memcpy(&v, p, 4);
    return v;
}

[[noreturn]] void divisionByZero(const char* detail)
{
    throwError(EDivisionByZero, std::string_view(detail));
}

[[noreturn]] void badStackIndex() { raiseError(EInvalidArgument); }

// Operand arithmetic is done in 64 bits: a stack index or a count read from
// the code may be anything, and 32-bit sums of them would overflow.
inline int stackIndex(TInt64 i) { return TUint64(i) < TUint64(VirtualMachine::STACK_WORDS) ? int(i) : (badStackIndex(), 0); }
inline bool fitsInt(TInt64 v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The largest block bytecode may ask for; a word count beyond it would wrap.
constexpr TInt64 MAX_BLOCK_BYTES = 0x7FFF0000;

// Set only in a build that checks the tests comparing the two dispatch
// modes: the argument-and-call handler of sub then forgets one step.
#if defined(LUMBRA_MUTATE_COMBINED_STEP)
constexpr int MISCOUNTED_STEPS = 1;
#else
constexpr int MISCOUNTED_STEPS = 0;
#endif

bool validGcCode(int code) { return code >= 1 && code <= 17 && code != GC_CODE_VECTOR; }

} // namespace

// Defined here rather than with the other call helpers so that the calls,
// returns and virtual dispatch of the loop can inline them (hidden: the
// library is compiled position-independent, and interposable functions are
// never inlined).
#define HOT __attribute__((visibility("hidden")))

HOT const Lumbra::MachineTables::ExportedMethod::MethodEntry* VirtualMachine::findImplementation(int row, int key) const
{
    // A direct-mapped cache of (row, key) -> the first matching entry, so a
    // virtual call scans the row's implementations once per receiver type.
    const ExportedMethod& method = methods[row];
    ImplementationCacheLine& line =
        implementationCache[(TUint32(row) * 2654435761u ^ TUint32(key)) & (IMPLEMENTATION_CACHE_LINES - 1)];
    if (line.row == row && line.key == key)
        return line.index < 0 ? nullptr : &method.implementations[line.index];
    int found = -1;
    for (int i = 0; i < method.implementations.size(); ++i)
        if (method.implementations[i].typeId == key) {
            found = i;
            break;
        }
    line = {row, key, found};
    return found < 0 ? nullptr : &method.implementations[found];
}

HOT int VirtualMachine::frameBase(int descriptor, int spAtReturn) const
{
    if (descriptor < 0)
        return spAtReturn;
    const MethodGCInfo& info = frameDescriptors[descriptor];
    const TInt64 base = TInt64(spAtReturn) - info.lowerSlotsA - info.lowerSlotsB;
    if (!fitsInt(base))
        raiseError(EInvalidArgument);
    return int(base);
}

void VirtualMachine::stackOverflow()
{
    if (stackLimit == STACK_SOFT_LIMIT) {
        stackLimit = STACK_HARD_LIMIT; // the reserve above is for delivering this error
        throwError(EVM, std::string_view("stack overflow"));
    }
    VirtualMachine::fatalError(OString::fromLatin1("stack overflow"), ip);
}

void VirtualMachine::enterUncaughtHandler(TWord thrown)
{
    const int h = entries[EntryPrintThrowableAndExit];
    const ExportedMethod::MethodEntry* impl =
        h < 0 || handles[h].argumentLevels.isEmpty() ? nullptr : findImplementation(handles[h].methodRow, -1);
    if (!impl) {
        // Error 6 goes to vminternalthrow; thrown from there it would come
        // back for ever, so then the run stops, saying what was thrown.
        std::string cause = "uncaught exception: an object of type " + std::to_string(arena_->loadWord(TAddr(thrown)))
                          + " thrown at " + std::to_string(ip);
        if (internalThrowRunning())
            cause += " while vminternalthrow ran for " + deliveredError;
        cause += h < 0 || handles[h].argumentLevels.isEmpty() ? ", no vmprintthrowableandexit in the image"
                                                               : ", vmprintthrowableandexit has no code";
        if (internalThrowRunning())
            throw MachineStop{1, u16ToUtf8(errorNameText(EInvalidArgument)) + " (" + cause + ")"};
        uncaughtCause = cause;
        raiseError(EInvalidArgument);
    }
    const MethodHandle& handle = handles[h];
    push(convertReference(handle.argumentLevels[0] - 1, thrown, GC_CODE_REFERENCE));
    push(ip + 1);
    pushFrame(impl->frameDescriptor, frameBase(impl->frameDescriptor, sp));
    ip = impl->codeAddress;
}

void VirtualMachine::pushFrame(int descriptor, int base)
{
    // Outside the loop the depth may pass STACK_WORDS (the uncaught-exception
    // handler is entered whatever the depth): the records grow here.
    if (frameDepth >= int(callFrames.size()))
        callFrames.resize(std::size_t(frameDepth) + 1);
    callFrames[std::size_t(frameDepth)] = {descriptor, base};
    ++frameDepth;
}

void VirtualMachine::run()
{
    const signed char* pcode = code;
    TWord* const S = stackBase;
    Arena& mem = *arena_;
    const signed char* ins = pcode + ip; // the instruction being run
    // The handler id of the instruction at `ins` is the 16-bit word at
    // 2 * ins + bias: one scaled load, as a byte at a fixed distance would be.
    std::uintptr_t dispatchBias = std::uintptr_t(dispatchIds.data()) - 2 * std::uintptr_t(pcode);
    std::ptrdiff_t top = sp; // as wide as a pointer: indexing the stack needs no sign extension
    int limit = stackLimit;
    int codeEnd = codeLength; // locals: stack stores may alias the machine's fields
    TInt64 steps = fuel;
    CallFrame* frames = callFrames.data();
    const TInt64* const lowerSlots = frameLowerSlots.data();
    int depth = frameDepth; // frames[depth - 1]: the innermost call
    bool partial = false; // inside the first dereference of fieldof1..3

    // Handler of every id of the dispatch copy: the opcode bytes (those
    // without an instruction go to op_invalid), then the combined instructions.
    const void* handlerOf[HANDLER_IDS];
    for (const void*& handler : handlerOf)
        handler = &&op_invalid;
#define OPCODE(number, name, mnemonic, layout, reloc, doc) handlerOf[number] = &&op_##name;
#include "image/Opcodes.def"
#undef OPCODE
#define FUSED_ROW(name, ...) handlerOf[FUSED_##name] = &&fused_##name;
#include "machine/FusedInstructions.def"
#undef FUSED_ROW
    // Profiling (combined dispatch is off then): every id goes to op_profile,
    // which counts the instruction and then jumps to its opcode's own handler,
    // kept by the profile.
    if (opProfile) {
        std::copy(std::begin(handlerOf), std::begin(handlerOf) + 256, opProfile->handlers);
        std::fill(std::begin(handlerOf), std::end(handlerOf), &&op_profile);
    }

#define SAVE() (ip = pc, sp = top, fuel = steps, frameDepth = depth)
    // After a call out of the loop: the registers back, and a collection the
    // call made wanted (by allocating) brought to the next step check, a
    // safepoint, by holding back the steps left until then.
#define RELOAD() \
    do { \
        pcode = code, ins = pcode + ip, top = sp, steps = fuel, limit = stackLimit, codeEnd = codeLength; \
        dispatchBias = std::uintptr_t(dispatchIds.data()) - 2 * std::uintptr_t(pcode), frames = callFrames.data(), depth = frameDepth; \
        if (__builtin_expect(heap_->wantsCollection(), 0) && steps > 0) { \
            heldSteps += steps; \
            steps = 0; \
        } \
    } while (0)
    // ip as an offset into the code, read from `ins`; JUMP_TO moves `ins`.
#define pc (int(ins - pcode))
#define JUMP_TO(target) (ins = pcode + (target))
#define OPCODE_BYTE (TUint8(*ins))
#define HANDLER_ID (*reinterpret_cast<const TUint16*>(std::uintptr_t(ins) * 2 + dispatchBias))
    // The stack check runs before every instruction, against an immediate (a
    // compare with a value in memory measured several times slower here),
    // unsigned so that it also catches a negative sp. From 0 up to the soft
    // limit less FUSED_REACH every combined handler accepts the top, and the
    // dispatch copy's id runs. Outside that band, out of the loop's line, the
    // limit in force (the soft one or, while an overflow is delivered, the
    // hard one) is checked and the byte's own handler runs, as the combined
    // handler's guard would have fallen back to it.
#define DISPATCH() \
    do { \
        if (__builtin_expect(TUint64(top) > TUint64(STACK_SOFT_LIMIT - FUSED_REACH), 0)) { \
            if (TUint64(top) > TUint64(limit)) \
                goto stackFault; \
            goto* handlerOf[OPCODE_BYTE]; \
        } \
        goto* handlerOf[HANDLER_ID]; \
    } while (0)
    // After a transfer of control ip may lie anywhere.
#define JUMP_DISPATCH() \
    do { \
        if (__builtin_expect((unsigned)pc >= (unsigned)codeEnd, 0)) \
            goto codeFault; \
        DISPATCH(); \
    } while (0)
#define NEXT(op) \
    ins += instructionSize(OP_##op); \
    DISPATCH()
#define STEP() \
    if (__builtin_expect(--steps < 0, 0)) { \
        SAVE(); \
        refuel(); \
        steps = fuel; \
    }
#define I8(offset) TInt32(ins[offset])
#define I16(offset) readI16(ins + (offset))
#define I32(offset) readI32(ins + (offset))
#define LOAD(addr) mem.loadWord(TAddr(addr))
#define STORE(addr, v) mem.storeWord(TAddr(addr), (v))
#define BYTE(addr) (*reinterpret_cast<SByte*>(mem.resolve(TAddr(addr), 1)))
#define STACK_INDEX(i) stackIndex(i)
    // A relative jump: the target is computed in 64 bits, and one that no
    // ip can hold is a fault at the jump rather than a wrapped ip.
#define JUMP_RELATIVE(offset) \
    do { \
        const TInt64 target = TInt64(pc) + (offset); \
        if (!fitsInt(target)) \
            goto codeFault; \
        JUMP_TO(int(target)); \
    } while (0)
    // The call at `ins`, its checks passed (frame descriptor index, a free
    // frame record, the step taken): the return address pushed, the frame
    // recorded, ip at the target. The base is computed before the record is
    // written, so a base out of range leaves the depth as it was.
#define ENTER_CALL(frame) \
    do { \
        ++top; \
        const TInt64 base = TUint32(frame) < TUint32(frameLowerSlots.size()) ? top - lowerSlots[frame] \
                                                                             : frameBase((frame), top); \
        if (!fitsInt(base)) \
            raiseError(EInvalidArgument); \
        frames[depth] = {int(frame), int(base)}; \
        ++depth; \
        S[top] = pc + 9; \
        JUMP_TO(I32(1)); \
        JUMP_DISPATCH(); \
    } while (0)
    // A return whose return-address slot and new top are inside the stack
    // and whose frame records are not empty.
#define LEAVE_CALL(from, newTop) \
    do { \
        --depth; \
        top = int(newTop); \
        JUMP_TO(S[from]); \
        JUMP_DISPATCH(); \
    } while (0)
#define GUARD(addr) ((addr) == 0 ? (Arena::nullAddress(), 0) : (addr))
    // The operands of New and NewAt: a gc code (an invalid one is a fatal
    // error at its byte) and a non-negative word count.
#define ALLOCATION_OPERANDS(gc, n) \
    const int gc = I8(1); \
    const TInt32 n = I32(2); \
    if (!validGcCode(gc)) { \
        SAVE(); \
        fatalError(OString::fromLatin1("Invalid mem alloc gc code"), pc + 1); \
    } \
    if (n < 0) \
        raiseError(EInvalidArgument); \
    if (TInt64(n) * 4 > MAX_BLOCK_BYTES) \
        throwError(EVM, std::string_view("allocation size out of range"))
#define BINARY(op, expr) \
    op_##op: { \
        const TWord b = S[top], a = S[top - 1]; \
        (void)a; (void)b; \
        S[top - 1] = (expr); \
        --top; \
        NEXT(op); \
    }
#define AT_SECOND(op, expr) \
    op_##op: { \
        const TAddr at = TAddr(S[top - 1]); \
        const TWord b = S[top], a = LOAD(at); \
        STORE(at, (expr)); \
        top -= 2; \
        NEXT(op); \
    }
#define BYTE_AT_SECOND(op, expr) \
    op_##op: { \
        SByte& a = BYTE(S[top - 1]); \
        const SByte b = SByte(S[top]); \
        a = SByte(expr); \
        top -= 2; \
        NEXT(op); \
    }
#define COMPARISON(op, expr) BINARY(op, truth(expr))
#define BYTE_COMPARE(op, cmp) BINARY(op, truth(SByte(a) cmp SByte(b)))
#define HALF_COMPARE(op, cmp) BINARY(op, truth(TInt16(a) cmp TInt16(b)))

    try {
        JUMP_DISPATCH();

    codeFault:
        if (pc < 0)
            goto finished;
        SAVE();
        fatalError(OString::fromLatin1("Internal error: ip outside the code"), pc);
    stackFault:
        if ((unsigned)pc >= (unsigned)codeEnd) // the code check comes first
            goto codeFault;
        SAVE();
        if (top < 0)
            badStackIndex();
        stackOverflow();

    op_Nop:
        NEXT(Nop);
    op_Pick: {
        const int from = STACK_INDEX(TInt64(top) + 1 + I8(1));
        S[top + 1] = S[from];
        ++top;
        NEXT(Pick);
    }
    op_PickW: {
        const int from = STACK_INDEX(TInt64(top) + 1 + I32(1));
        S[top + 1] = S[from];
        ++top;
        NEXT(PickW);
    }
    op_SlotAddr:
        S[top + 1] = TWord(stackAddr + TUint32(TInt64(top) + 1 + I8(1)) * 4);
        ++top;
        NEXT(SlotAddr);
    op_SlotAddrW:
        S[top + 1] = TWord(stackAddr + TUint32(TInt64(top) + 1 + I32(1)) * 4);
        ++top;
        NEXT(SlotAddrW);
    op_FieldAddr:
        S[top] = TWord(TUint32(GUARD(S[top])) + TUint32(I8(1)) * 4);
        NEXT(FieldAddr);
    op_FieldAddrW:
        S[top] = TWord(TUint32(GUARD(S[top])) + TUint32(I32(1)) * 4);
        NEXT(FieldAddrW);
    op_Load:
        S[top] = LOAD(S[top]);
        NEXT(Load);
    op_Adjust:
    op_AdjustW: {
        const TInt64 n = OPCODE_BYTE == OP_Adjust ? I8(1) : I32(1);
        if (n <= 0) {
            top = int(std::max<TInt64>(top + n, -1));
        } else {
            if (top + n > limit) {
                SAVE();
                stackOverflow();
            }
            std::memset(S + top + 1, 0, size_t(n) * 4);
            top += int(n);
        }
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }
    op_Jz:
        STEP();
        if (S[top] == 0)
            JUMP_RELATIVE(2 + I16(1));
        else
            ins += instructionSize(OP_Jz);
        --top;
        JUMP_DISPATCH();
    op_JzW:
        STEP();
        if (S[top] == 0)
            JUMP_RELATIVE(4 + TInt64(I32(1)));
        else
            ins += instructionSize(OP_JzW);
        --top;
        JUMP_DISPATCH();
    op_Jmp:
        STEP();
        JUMP_RELATIVE(2 + I16(1));
        JUMP_DISPATCH();
    op_JmpW:
        STEP();
        JUMP_RELATIVE(4 + TInt64(I32(1)));
        JUMP_DISPATCH();
    op_Call: {
        STEP();
        const int frame = I32(5);
        if (frame >= frameDescriptors.size())
            raiseError(EInvalidArgument);
        if (depth >= STACK_WORDS) {
            SAVE();
            stackOverflow();
        }
        ENTER_CALL(frame);
    }
    op_VCall: {
        STEP();
        const int row = I32(1);
        if (row < 0 || row >= methods.size())
            raiseError(EInvalidArgument);
        const ExportedMethod::MethodEntry* impl = findImplementation(row, S[top]);
        if (!impl) {
            SAVE();
            fatalError(OString::fromLatin1("Invalid type in virtual method call"), -1);
        }
        if (impl->frameDescriptor < 0 || impl->frameDescriptor >= frameDescriptors.size())
            raiseError(EInvalidArgument);
        if (depth >= STACK_WORDS) {
            SAVE();
            stackOverflow();
        }
        S[top] = pc + 5;
        frames[depth] = {impl->frameDescriptor, frameBase(impl->frameDescriptor, top)};
        ++depth;
        JUMP_TO(impl->codeAddress);
        JUMP_DISPATCH();
    }
    op_Ret: {
        STEP();
        if (depth == 0) {
            errorDetail = "ret with no call to return from";
            raiseError(EInvalidArgument);
        }
        const TInt64 at = TInt64(top) - I32(1);
        const TInt64 newTop = TInt64(top) - I32(5);
        if (TUint64(at) >= TUint64(STACK_WORDS)) {
            errorDetail = "ret reads its return address " + std::to_string(I32(1)) + " words below the top, outside the stack";
            badStackIndex();
        }
        if (newTop < -1 || newTop >= STACK_WORDS) {
            errorDetail = "ret removes " + std::to_string(I32(5)) + " words, more than the stack holds";
            badStackIndex();
        }
        const int from = int(at);
        LEAVE_CALL(from, newTop);
    }
    op_New: {
        ALLOCATION_OPERANDS(gc, n);
        TAddr block = heap_->tryAllocateFromClassHead(TUint32(n) * 4, 0, GcCode(gc));
        if (block == 0) {
            SAVE();
            block = heap_->allocate(TUint32(n) * 4, 0, GcCode(gc));
            RELOAD();
        }
        S[++top] = TWord(block);
        NEXT(New);
    }
    op_Dup:
        S[top + 1] = S[top];
        ++top;
        NEXT(Dup);
    op_Not:
        S[top] = truth(S[top] == 0);
        NEXT(Not);
    op_Push:
        S[++top] = I32(1);
        NEXT(Push);
    op_PushStr: {
        const int s = I32(1);
        if (s < 0 || s >= stringConstants.size())
            raiseError(EInvalidArgument);
        SAVE();
        S[top + 1] = newStringBox(stringConstants[s]);
        RELOAD();
        ++top;
        NEXT(PushStr);
    }
    op_SetType:
        STORE(S[top], I32(1));
        --top;
        NEXT(SetType);
    op_Store:
    op_StoreAlt:
        STORE(S[top - 1], S[top]);
        top -= 2;
        ins += 1;
        DISPATCH();
    op_Clear:
        STORE(S[top], 0);
        --top;
        NEXT(Clear);
    LUMBRA_FUSED_ARITHMETIC(BINARY)
    BINARY(Div, b == 0 ? (divisionByZero(""), 0) : wrapDiv(a, b))
    BINARY(Rem, b == 0 ? (divisionByZero(""), 0) : wrapRem(a, b))
    op_Neg:
        S[top] = TWord(0u - TUint32(S[top]));
        NEXT(Neg);
    op_IncAt:
    op_DecAt: {
        const TAddr at = TAddr(S[top]);
        STORE(at, TWord(TUint32(LOAD(at)) + (OPCODE_BYTE == OP_IncAt ? 1u : ~0u)));
        --top;
        ins += 1;
        DISPATCH();
    }
    AT_SECOND(AddAt, TWord(TUint32(a) + TUint32(b)))
    AT_SECOND(SubAt, TWord(TUint32(a) - TUint32(b)))
    AT_SECOND(MulAt, TWord(TUint32(a) * TUint32(b)))
    op_DivAt:
    op_RemAt: {
        const TWord b = S[top];
        if (b == 0)
            divisionByZero("");
        const TAddr at = TAddr(S[top - 1]);
        const TWord a = LOAD(at);
        STORE(at, OPCODE_BYTE == OP_DivAt ? wrapDiv(a, b) : wrapRem(a, b));
        top -= 2;
        ins += 1;
        DISPATCH();
    }
    LUMBRA_FUSED_COMPARISONS(COMPARISON)
    BINARY(Shl, shiftLeft(a, b))
    BINARY(Shr, shiftRight(a, b))
    AT_SECOND(AndAt, a & b)
    AT_SECOND(OrAt, a | b)
    AT_SECOND(XorAt, a ^ b)
    AT_SECOND(ShlAt, shiftLeft(a, b))
    AT_SECOND(ShrAt, shiftRight(a, b))
    op_IntToString:
        SAVE();
        S[top] = newStringBox(OString::fromInt(S[top]));
        RELOAD();
        NEXT(IntToString);
    op_LowByte:
        S[top] &= 0xFF;
        NEXT(LowByte);
    op_True:
    op_TrueAlt:
        S[++top] = -1;
        ins += 1;
        DISPATCH();
    op_False:
        S[++top] = 0;
        NEXT(False);
    BINARY(LogicalAnd, truth(a != 0 && b != 0))
    BINARY(LogicalOr, truth(a != 0 || b != 0))
    BINARY(LogicalXor, truth((a != 0) != (b != 0)))
    BINARY(BoolEq, (a != 0) == (b != 0) ? 1 : 0)
    BINARY(BoolNe, (a != 0) != (b != 0) ? 1 : 0)
    op_Push2:
        S[top + 1] = I32(1);
        S[top + 2] = I32(5);
        top += 2;
        NEXT(Push2);
    BINARY(ByteDiv, SByte(b) == 0 ? (divisionByZero("Division by zero."), 0)
                                  : TWord(SByte(a)) / TWord(SByte(b)))
    BINARY(ByteRem, SByte(b) == 0 ? (divisionByZero("Division by zero."), 0)
                                  : TWord(SByte(a)) % TWord(SByte(b)))
    BINARY(ByteShl, TUint8(b) >= 32 ? 0 : TWord(TUint32(TWord(SByte(a))) << TUint8(b)))
    BINARY(ByteShr, TWord(SByte(a)) >> std::min<int>(TUint8(b), 31))
    op_Native: {
        const int group = TInt32(SByte(ins[1]));
        ip = pc + 2;
        sp = top;
        fuel = steps;
        frameDepth = depth;
        // The element reads and appends of inner loops skip the table checks
        // of the general dispatch: both are defined in every group they take.
#if LUMBRA_CHECK_NATIVE_STACK
        if (vectorFastCall(*this, group, I8(2)))
            checkNativeStackEffect(*this, group, I8(2), top);
        else
            callNative(*this, group, I8(2));
#else
        if (!vectorFastCall(*this, group, I8(2)))
            callNative(*this, group, I8(2));
#endif
        RELOAD();
        ins += 1;
        JUMP_DISPATCH();
    }
    op_Zero:
    op_ZeroW: {
        const TInt32 n = OPCODE_BYTE == OP_Zero ? I8(1) : I32(1);
        const TUint32 at = TUint32(S[top]);
        for (TInt32 i = 0; i < n; ++i)
            STORE(at + TUint32(i) * 4, 0);
        --top;
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }
    op_Copy:
    op_CopyW: {
        const TInt32 n = OPCODE_BYTE == OP_Copy ? I8(1) : I32(1);
        const TUint32 from = TUint32(S[top]), to = TUint32(S[top - 1]);
        for (TInt32 i = 0; i < n; ++i)
            STORE(to + TUint32(i) * 4, LOAD(from + TUint32(i) * 4));
        --top;
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }
    op_LoadN:
    op_LoadNW: {
        const TInt64 n = OPCODE_BYTE == OP_LoadN ? I8(1) : I32(1);
        if (n <= 0) {
            --top;
        } else {
            if (top + n - 1 > limit) {
                SAVE();
                stackOverflow();
            }
            const TUint32 from = TUint32(S[top]);
            for (int i = 0; i < n; ++i)
                S[top + i] = LOAD(from + TUint32(i) * 4);
            top += int(n) - 1;
        }
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }
    op_StoreN:
    op_StoreNW: {
        const TInt32 n = OPCODE_BYTE == OP_StoreN ? I8(1) : I32(1);
        if (n < 0 || n > top)
            badStackIndex();
        const TUint32 to = TUint32(S[top - n]);
        for (TInt32 i = 0; i < n; ++i)
            STORE(to + TUint32(i) * 4, S[top - n + 1 + i]);
        top -= n + 1;
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }
    op_Extension: {
        frameDepth = depth; // current before anything here can fail
        if (!frameworkServices)
            throwError(EVM, std::string_view("no host services"));
        ip = pc + 2;
        sp = top;
        fuel = steps;
        const int result = frameworkServices->callExtension(I8(1), I8(2), top, S);
        // The host answers the new top; the stack must still contain it.
        if (result < -1 || result > limit)
            badStackIndex();
        sp = result;
        RELOAD();
        ins += 1;
        JUMP_DISPATCH();
    }
    op_SignExtend: {
        const TInt32 n = I8(1);
        if (n > top + 1)
            badStackIndex();
        for (TInt32 i = 0; i < n; ++i)
            S[top - i] = TWord(SByte(S[top - i]));
        NEXT(SignExtend);
    }
    op_NewVector: {
        const int size = I8(1);
        const TAddr variable = TAddr(GUARD(S[top]));
        if (size != 1 && size != 4 && size != 8 && size != 12 && size != 16)
            throwError(EVM, std::string_view("invalid vector element size " + std::to_string(size)));
        mem.resolve(variable, 8);
        SAVE();
        const TAddr vector = newEmptyVector(*this, size);
        RELOAD();
        STORE(variable + 4, size);
        STORE(variable, TWord(vector));
        --top;
        NEXT(NewVector);
    }
    op_Try: {
        if (handlerTop + 1 >= HANDLER_RECORDS)
            throwError(EVM, std::string_view("too many exception handlers"));
        // The handler resumes at this address + 1, which must be an ip too.
        const TInt64 handler = TInt64(pc) + 8 + I32(5);
        if (handler < -1 || handler >= INT32_MAX)
            throwError(EVM, std::string_view("exception handler address out of range"));
        ++handlerTop;
        handlers[handlerTop] = {I32(1), int(top), int(handler), depth};
        NEXT(Try);
    }
    op_Handlers: {
        const int next = handlerTop + I8(1);
        if (next < 0 || next >= HANDLER_RECORDS)
            throwError(EVM, std::string_view("exception handler count out of range"));
        handlerTop = next;
        NEXT(Handlers);
    }
    op_Throw: {
        STEP();
        const TWord thrown = S[top];
        if (thrown == 0) {
            NEXT(Throw);
        }
        const TWord type = LOAD(thrown);
        bool caught = false;
        while (handlerTop > 0 && !caught) {
            const HandlerRecord h = handlers[handlerTop];
            --handlerTop;
            caught = h.typeId <= 0;
            // Bounded walk: a damaged super-type table may hold a cycle.
            for (int t = type, n = 0; !caught && t > 0 && n <= superTypes.size(); ++n) {
                if (t == h.typeId)
                    caught = true;
                else if (t >= superTypes.size())
                    raiseError(EInvalidArgument);
                else
                    t = superTypes[t];
            }
            if (caught) {
                JUMP_TO(h.handlerAddress + 1);
                top = h.savedSp + 1;
                if (TUint64(top) > TUint64(STACK_HARD_LIMIT))
                    badStackIndex();
                S[top] = thrown;
                if (top < STACK_SOFT_LIMIT)
                    stackLimit = limit = STACK_SOFT_LIMIT;
                // The calls the exception left are over: their frames go too.
                if (h.frameDepth >= 0 && h.frameDepth < depth)
                    depth = h.frameDepth;
            }
        }
        if (!caught) {
            SAVE();
            enterUncaughtHandler(thrown);
            RELOAD();
        }
        JUMP_DISPATCH();
    }
    op_Free:
        SAVE();
        heap_->freeFromBytecode(TAddr(S[top]));
        --top;
        NEXT(Free);
    op_Box:
        SAVE();
        S[top] = newBox(S[top]);
        RELOAD();
        NEXT(Box);
    op_Deref1:
    op_Deref2:
    op_Deref3: {
        TWord w = S[STACK_INDEX(top + 1 + I8(1))];
        for (int i = 0; i <= OPCODE_BYTE - OP_Deref1; ++i)
            w = LOAD(w);
        S[++top] = w;
        NEXT(Deref1);
    }
    op_FieldOf1:
    op_FieldOf2:
    op_FieldOf3: {
        const TWord p = S[STACK_INDEX(top + 1 + I8(1))];
        partial = true;
        TWord x = LOAD(p);
        partial = false;
        for (int i = 0; i < OPCODE_BYTE - OP_FieldOf1; ++i)
            x = LOAD(x);
        S[++top] = TWord(TUint32(GUARD(x)) + TUint32(I8(2)) * 4);
        NEXT(FieldOf1);
    }
    op_Load2:
        S[top] = LOAD(LOAD(S[top]));
        NEXT(Load2);
    op_Load3:
        S[top] = LOAD(LOAD(LOAD(S[top])));
        NEXT(Load3);
    op_FreeBox: {
        const TWord box = S[top];
        if (box != 0) {
            SAVE();
            heap_->freeFromBytecode(TAddr(LOAD(box)));
            heap_->freeFromBytecode(TAddr(box));
        }
        --top;
        NEXT(FreeBox);
    }
    op_NewAt:
    op_NewAtKeep: {
        ALLOCATION_OPERANDS(gc, n);
        const TAddr at = TAddr(S[top]);
        mem.resolve(at, 4);
        SAVE();
        const TAddr block = heap_->allocate(TUint32(n) * 4, 0, GcCode(gc));
        STORE(at, convertReference(I8(6), TWord(block), GC_CODE_REFERENCE));
        RELOAD();
        if (OPCODE_BYTE == OP_NewAt)
            --top;
        NEXT(NewAt);
    }
    op_NativeBox: {
        SAVE();
        const TAddr block = heap_->allocate(4, 0, GC_CODE_NATIVE);
        RELOAD();
        STORE(block, S[top]);
        S[top] = TWord(block);
        NEXT(NativeBox);
    }
    op_ByteIncAt:
        BYTE(S[top]) += 1;
        --top;
        NEXT(ByteIncAt);
    op_ByteDecAt:
        BYTE(S[top]) -= 1;
        --top;
        NEXT(ByteDecAt);
    BYTE_AT_SECOND(ByteAddAt, a + b)
    BYTE_AT_SECOND(ByteSubAt, a - b)
    BYTE_AT_SECOND(ByteMulAt, a * b)
    BYTE_AT_SECOND(ByteDivAt, b == 0 ? (divisionByZero("Division by zero."), 0) : int(a) / int(b))
    BYTE_AT_SECOND(ByteRemAt, b == 0 ? (divisionByZero("Division by zero."), 0) : int(a) % int(b))
    BYTE_AT_SECOND(ByteAndAt, a & b)
    BYTE_AT_SECOND(ByteOrAt, a | b)
    BYTE_AT_SECOND(ByteXorAt, a ^ b)
    BYTE_AT_SECOND(ByteShlAt, b > 0 ? (b >= 8 ? 0 : TUint8(a) << b) : b == 0 ? a : (a < 0 ? -1 : 0))
    BYTE_AT_SECOND(ByteShrAt, b > 0 ? int(a) >> std::min<int>(b, 7) : b == 0 ? a : 0)
    op_ByteClear:
        BYTE(S[top]) = 0;
        --top;
        NEXT(ByteClear);
    op_ByteStore:
        BYTE(S[top - 1]) = SByte(S[top]);
        top -= 2;
        NEXT(ByteStore);
    BYTE_COMPARE(ByteEq, ==)
    BYTE_COMPARE(ByteLt, <)
    BYTE_COMPARE(ByteLe, <=)
    BYTE_COMPARE(ByteNe, !=)
    BYTE_COMPARE(ByteGt, >)
    BYTE_COMPARE(ByteGe, >=)
    op_HalfClear:
        std::memset(mem.resolve(TAddr(S[top]), 2), 0, 2);
        --top;
        NEXT(HalfClear);
    op_HalfStore: {
        const TUint16 half = TUint16(S[top]);
        std::memcpy(mem.resolve(TAddr(S[top - 1]), 2), &half, 2);
        top -= 2;
        NEXT(HalfStore);
    }
    HALF_COMPARE(HalfEq, ==)
    HALF_COMPARE(HalfLt, <)
    HALF_COMPARE(HalfLe, <=)
    HALF_COMPARE(HalfNe, !=)
    HALF_COMPARE(HalfGt, >)
    HALF_COMPARE(HalfGe, >=)
    op_Array:
    op_ArrayW: {
        const TInt32 n = OPCODE_BYTE == OP_Array ? I8(1) : I32(1);
        if (n < 0 || n > top + 1)
            badStackIndex();
        SAVE();
        const TAddr block = heap_->allocate(TUint32(n) * 4, 0, GC_CODE_NATIVE);
        RELOAD();
        if (n > 0)
            std::memcpy(mem.raw(block), S + top - n + 1, size_t(n) * 4);
        top = top - n + 1;
        S[top] = TWord(block);
        ins += instructionSize(OPCODE_BYTE);
        DISPATCH();
    }

    // ---- combined instructions (FusedInstructions.def)
    // The ordinary handler of the first part, when the fast path may not run.
#define PLAIN() goto* handlerOf[OPCODE_BYTE]
    // A combined handler's label and the guard its row describes: every top
    // the parts start at lies in the stack below the soft limit, the stack
    // indices its picks read are inside the stack, the steps its parts take
    // are there. If not, its first part runs alone. A body may check more
    // before it changes anything.
#define FUSED_INDEX_OUTSIDE(index) \
    (index.used() && TUint64(top + index.above + I8(index.operandByte)) >= TUint64(STACK_WORDS))
#define FUSED_HANDLER(name) \
    fused_##name: { \
        constexpr FusedGuard guard = FUSED_GUARDS[FUSED_##name - FUSED_FIRST]; \
        if ((guard.lowestTop > 0 && top < guard.lowestTop) || \
            (guard.reach > FUSED_REACH && top > STACK_SOFT_LIMIT - guard.reach) || \
            (guard.steps > 0 && steps < guard.steps) || FUSED_INDEX_OUTSIDE(guard.first) || \
            FUSED_INDEX_OUTSIDE(guard.second)) \
            PLAIN(); \
    }
    // The dispatch of a combined handler whose top is still inside the band
    // the dispatch before it checked (where it found it, or lower but not
    // below 0): no check again.
#define DISPATCH_IN_BAND() goto* handlerOf[HANDLER_ID]
    // push c; op. The stack words above the top are written as the parts
    // write them: bytecode can read them.
#define FUSED_PUSH_ARITHMETIC(name, expr) \
    FUSED_HANDLER(Push##name) { \
        const TWord a = S[top], b = I32(1); \
        S[top + 1] = b; \
        S[top] = (expr); \
        ins += 6; \
        DISPATCH_IN_BAND(); \
    }
#define FUSED_PUSH_COMPARISON(name, expr) FUSED_PUSH_ARITHMETIC(name, truth(expr))
    LUMBRA_FUSED_ARITHMETIC(FUSED_PUSH_ARITHMETIC)
    LUMBRA_FUSED_COMPARISONS(FUSED_PUSH_COMPARISON)
    // pick k; push c; op
#define FUSED_PICK_PUSH_ARITHMETIC(name, expr) \
    FUSED_HANDLER(PickPush##name) { \
        const TWord a = S[top + 1 + I8(1)], b = I32(3); \
        S[top + 2] = b; \
        S[top + 1] = (expr); \
        ++top; \
        ins += 8; \
        DISPATCH(); \
    }
    LUMBRA_FUSED_ARITHMETIC(FUSED_PICK_PUSH_ARITHMETIC)
    // pick k; op
#define FUSED_PICK_ARITHMETIC(name, expr) \
    FUSED_HANDLER(Pick##name) { \
        const TWord a = S[top], b = S[top + 1 + I8(1)]; \
        S[top + 1] = b; \
        S[top] = (expr); \
        ins += 3; \
        DISPATCH_IN_BAND(); \
    }
    LUMBRA_FUSED_ARITHMETIC(FUSED_PICK_ARITHMETIC)
    // The jz or jmp at `ins` to a target inside the code (checked when its
    // sequence was combined): no range check on the way.
#define JUMP_INSIDE() (ins += 2 + I16(1))
    // The jz ending a branch sequence, `ins` at it, its step already allowed.
#define FUSED_JZ_THEN(zero, dispatch) \
    --steps; \
    if (zero) \
        JUMP_INSIDE(); \
    else \
        ins += 3; \
    --top; \
    dispatch()
#define FUSED_JZ(zero) FUSED_JZ_THEN(zero, DISPATCH)
    // pick k; push c; cmp
#define PICK_PUSH_COMPARE(expr) \
    const TWord a = S[top + 1 + I8(1)], b = I32(3); \
    S[top + 2] = b; \
    S[top + 1] = truth(expr); \
    ++top; \
    ins += 8
    // [dup | pick k] [push c] cmp; jz d, and `pick k; push c; cmp; jz d; ret`
    // whose ret, when the jz falls through to it, follows without a dispatch.
#define FUSED_BRANCHES(name, expr) \
    FUSED_HANDLER(name##Jz) { \
        const TWord a = S[top - 1], b = S[top]; \
        S[top - 1] = truth(expr); \
        --top; \
        ins += 1; \
        FUSED_JZ(!(expr)); \
    } \
    FUSED_HANDLER(Push##name##Jz) { \
        const TWord a = S[top], b = I32(1); \
        S[top + 1] = b; \
        S[top] = truth(expr); \
        ins += 6; \
        FUSED_JZ(!(expr)); \
    } \
    FUSED_HANDLER(DupPush##name##Jz) { \
        const TWord a = S[top], b = I32(2); \
        S[top + 2] = b; \
        S[top + 1] = truth(expr); \
        ++top; \
        ins += 7; \
        FUSED_JZ_THEN(!(expr), DISPATCH_IN_BAND); \
    } \
    FUSED_HANDLER(PickPush##name##Jz) { \
        PICK_PUSH_COMPARE(expr); \
        FUSED_JZ_THEN(!(expr), DISPATCH_IN_BAND); \
    } \
    FUSED_HANDLER(PickPush##name##JzRet) { \
        PICK_PUSH_COMPARE(expr); \
        if (expr) { \
            --steps; \
            --top; \
            ins += 3; \
            goto op_Ret; \
        } \
        FUSED_JZ_THEN(true, DISPATCH_IN_BAND); \
    }
    LUMBRA_FUSED_COMPARISONS(FUSED_BRANCHES)
    // slotaddr k; pick -2; store: the top goes into a stack slot directly
    // when the slot is on the stack (the arena word at its address).
#define SET_SLOT() \
    const int slot = top + 1 + I8(1); \
    const TWord value = S[top]; \
    S[top + 1] = TWord(stackAddr + TUint32(slot) * 4); \
    S[top + 2] = value; \
    S[slot] = value; \
    ins += 5
    FUSED_HANDLER(SetSlot) {
        SET_SLOT();
        DISPATCH_IN_BAND();
    }
    FUSED_HANDLER(SetSlotAdjust) {
        SET_SLOT();
        const int adjusted = top + I8(1); // the adjustment is never upwards
        ins += 2;
        if (adjusted < 0) {
            top = -1;
            DISPATCH();
        }
        top = adjusted;
        DISPATCH_IN_BAND();
    }
    // ... and the return that follows: the top the return starts at lies in
    // the stack, its slots too, and there is a call to return from.
    FUSED_HANDLER(SetSlotAdjustRet) {
        const int adjusted = int(std::max<std::ptrdiff_t>(top + I8(6), -1));
        const TInt64 from = TInt64(adjusted) - I32(8), newTop = TInt64(adjusted) - I32(12);
        if (adjusted < 0 || depth == 0 || TUint64(from) >= TUint64(STACK_WORDS) || newTop < -1 ||
            newTop >= STACK_WORDS)
            PLAIN();
        SET_SLOT();
        top = adjusted;
        ins += 2;
        --steps;
        LEAVE_CALL(from, newTop);
    }
    // add; then the sequence above, whose handler decides on its own whether
    // it may run whole (the add's result is what its plain handler would see).
    FUSED_HANDLER(AddSetSlotAdjustRet) {
        S[top - 1] = TWord(TUint32(S[top - 1]) + TUint32(S[top]));
        --top;
        ins += 1;
        goto fused_SetSlotAdjustRet;
    }
    // pick a; pick b (dup for the first), then `finish`. The second pick may
    // read the word the first one pushed.
#define PICK_PICK(first, second, size, finish) \
    { \
        S[top + 1] = S[first]; \
        S[top + 2] = S[second]; \
        finish; \
        ins += (size); \
        DISPATCH(); \
    }
#define PICKED_SUM() (S[top + 1] = TWord(TUint32(S[top + 1]) + TUint32(S[top + 2])), ++top)
    FUSED_HANDLER(PickPick)
    PICK_PICK(top + 1 + I8(1), top + 2 + I8(3), 4, top += 2)
    FUSED_HANDLER(DupPick)
    PICK_PICK(top, top + 2 + I8(2), 3, top += 2)
    FUSED_HANDLER(PickPickAdd)
    PICK_PICK(top + 1 + I8(1), top + 2 + I8(3), 5, PICKED_SUM())
    FUSED_HANDLER(DupPickAdd)
    PICK_PICK(top, top + 2 + I8(2), 4, PICKED_SUM())
    // push c; add; jmp d
    FUSED_HANDLER(PushAddJmp) {
        const TWord b = I32(1);
        S[top + 1] = b;
        S[top] = TWord(TUint32(S[top]) + TUint32(b));
        ins += 6;
        --steps;
        JUMP_INSIDE();
        DISPATCH_IN_BAND();
    }
    // push c; sub; dup; jz d, a count down and its test, and the jmp back
    // after it: each step taken where its part takes it (the guard allowed
    // both). The push's word above the top is overwritten by the dup's.
#define COUNT_DOWN() \
    const TWord left = TWord(TUint32(S[top]) - TUint32(I32(1))); \
    S[top] = left; \
    S[++top] = left; \
    ins += 7
    FUSED_HANDLER(PushSubDupJz) {
        COUNT_DOWN();
        FUSED_JZ_THEN(left == 0, DISPATCH_IN_BAND);
    }
    FUSED_HANDLER(PushSubDupJzJmp) {
        COUNT_DOWN();
        --steps;
        --top;
        if (left != 0) {
            ins += 3;
            --steps;
        }
        JUMP_INSIDE();
        DISPATCH_IN_BAND();
    }
    // pick k; push c; op; call t, f: the argument computed, then the call made
    // (a free frame record checked too). The frame and the target were checked
    // when the sequence was combined: the base lies within a stack's height of
    // the top. The pushed constant's slot takes the return address.
#define FUSED_ARGUMENT_CALL(name, expr) \
    FUSED_HANDLER(PickPush##name##Call) { \
        if (depth >= STACK_WORDS) \
            PLAIN(); \
        const TWord a = S[top + 1 + I8(1)], b = I32(3); \
        S[top + 1] = (expr); \
        top += 2; \
        steps -= 1 - MISCOUNTED_STEPS * (OP_##name == OP_Sub); \
        const int frame = I32(13); \
        frames[depth] = {frame, int(top - lowerSlots[frame])}; \
        ++depth; \
        S[top] = pc + 17; \
        JUMP_TO(I32(9)); \
        DISPATCH(); \
    }
    LUMBRA_FUSED_ARGUMENTS(FUSED_ARGUMENT_CALL)
    // Element read and append of one-word vectors: [handle, index] -> [handle,
    // element] and [handle, value] -> []. Anything unusual takes the native call.
    FUSED_HANDLER(WordVectorRead) {
        TWord element;
        if (!readWordElement(*heap_, mem, S[top - 1], S[top], element))
            PLAIN();
        S[top] = element;
        ins += 3;
        DISPATCH_IN_BAND();
    }
    // The element's address, then a load from it: [handle, index] ->
    // [element], the index left above the top as the native leaves it.
    FUSED_HANDLER(WordVectorLoad) {
        TWord element;
        if (!readWordElement(*heap_, mem, S[top - 1], S[top], element))
            PLAIN();
        S[top - 1] = element;
        --top;
        ins += 4;
        DISPATCH();
    }
    FUSED_HANDLER(WordVectorAppend) {
        if (!appendWordElement(*heap_, mem, S[top - 1], S[top]))
            PLAIN();
        top -= 2;
        ins += 3;
        DISPATCH();
    }
    // A jz or jmp alone whose target lies inside the code.
    FUSED_HANDLER(JzInside) {
        FUSED_JZ(S[top] == 0);
    }
    FUSED_HANDLER(JmpInside) {
        STEP();
        JUMP_INSIDE();
        DISPATCH_IN_BAND();
    }

    op_profile:
        goto* opProfile->countAndDispatch(ins, OPCODE_BYTE);

    op_invalid:
        SAVE();
        if (pc >= codeEnd) // ran off the end into the padding
            fatalError(OString::fromLatin1("Internal error: ip outside the code"), pc);
        fatalError(OString::fromLatin1(("Internal error: invalid opcode " +
                                         std::to_string(TInt32(SByte(OPCODE_BYTE)))).c_str()),
                   pc);
    } catch (...) {
        // The instruction as it stood before it ran: the local top is still
        // the one it started with (natives and extensions move the machine's sp).
        faultStart = pc;
        faultTop = top;
        faultDepth = depth;
        // ip: the last byte of the faulting instruction read so far; natives
        // and extensions have left sp where they stopped.
        if ((unsigned)pc < (unsigned)codeLength) {
            const TUint8 faulting = TUint8(pcode[pc]);
            ip = partial ? pc + 1 : pc + instructionSize(faulting) - 1;
            if (faulting != OP_Native && faulting != OP_Extension)
                sp = top, frameDepth = depth;
        } else {
            ip = pc;
            sp = top;
            frameDepth = depth;
        }
        fuel = steps;
        throw;
    }
finished:
    SAVE();

#undef SAVE
#undef pc
#undef JUMP_TO
#undef OPCODE_BYTE
#undef RELOAD
#undef DISPATCH
#undef JUMP_DISPATCH
#undef NEXT
#undef STEP
#undef I8
#undef I16
#undef I32
#undef LOAD
#undef STORE
#undef BYTE
#undef STACK_INDEX
#undef JUMP_RELATIVE
#undef GUARD
#undef ALLOCATION_OPERANDS
#undef BINARY
#undef AT_SECOND
#undef BYTE_AT_SECOND
#undef BYTE_COMPARE
#undef COMPARISON
#undef PLAIN
#undef HANDLER_ID
#undef FUSED_INDEX_OUTSIDE
#undef FUSED_HANDLER
#undef FUSED_PUSH_ARITHMETIC
#undef FUSED_PUSH_COMPARISON
#undef FUSED_PICK_PUSH_ARITHMETIC
#undef FUSED_PICK_ARITHMETIC
#undef FUSED_JZ
#undef FUSED_BRANCHES
#undef SET_SLOT
#undef PICK_PICK
#undef PICKED_SUM
#undef COUNT_DOWN
#undef JUMP_INSIDE
#undef FUSED_ARGUMENT_CALL
#undef ENTER_CALL
#undef LEAVE_CALL
#undef HALF_COMPARE
}
