// The interpreter loop: one switch over the opcode byte. ip, sp, the code and
// the stack are held in locals; SAVE writes them back to the machine before
// anything outside the loop runs and RELOAD takes them back afterwards. An
// error leaves the loop as an exception with the machine's ip at the last
// byte of the faulting instruction that was read.
#include "VirtualMachine.h"

#include "NativeGroups.h"
#include "OpcodeTable.h"
#include "VMError.h"

#include <cstring>

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

bool validGcCode(int code) { return code >= 1 && code <= 17 && code != GC_CODE_VECTOR; }

} // namespace

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
    if (h < 0 || handles[h].argumentLevels.isEmpty())
        raiseError(EInvalidArgument);
    const MethodHandle& handle = handles[h];
    const ExportedMethod::MethodEntry* impl = findImplementation(handle.methodRow, -1);
    if (!impl)
        raiseError(EInvalidArgument);
    push(convertReference(handle.argumentLevels[0] - 1, thrown, GC_CODE_REFERENCE));
    push(ip + 1);
    const int base = frameBase(impl->frameDescriptor, sp);
    frameDescriptorStack.append(impl->frameDescriptor);
    frameBaseStack.append(base);
    ip = impl->codeAddress;
}

void VirtualMachine::run()
{
    const signed char* pcode = code;
    TWord* const S = stackBase;
    Arena& mem = *arena_;
    int pc = ip;
    int top = sp;
    int limit = stackLimit;
    int codeEnd = codeLength; // locals: stack stores may alias the machine's fields
    TInt64 steps = fuel;
    bool partial = false; // inside the first dereference of fieldof1..3

#define SAVE() (ip = pc, sp = top, fuel = steps)
#define RELOAD() (pc = ip, top = sp, steps = fuel, limit = stackLimit, pcode = code, codeEnd = codeLength)
#define NEXT(op) \
    pc += instructionSize(OP_##op); \
    continue
#define STEP() \
    if (--steps < 0) { \
        SAVE(); \
        fatalError(OString::fromLatin1("instruction budget exhausted"), ip); \
    }
#define I8(at) TInt32(pcode[pc + (at)])
#define U8(at) TInt32(TUint8(pcode[pc + (at)]))
#define I16(at) TInt32(TInt16(TUint16(TUint8(pcode[pc + (at)]) | TUint16(TUint8(pcode[pc + (at) + 1])) << 8)))
#define I32(at) readI32(pcode + pc + (at))
#define LOAD(addr) mem.loadWord(TAddr(addr))
#define STORE(addr, v) mem.storeWord(TAddr(addr), (v))
#define BYTE(addr) (*reinterpret_cast<SByte*>(mem.resolve(TAddr(addr), 1)))
#define STACK_INDEX(i) ((unsigned)(i) < (unsigned)STACK_WORDS ? (i) : (badStackIndex(), 0))
#define GUARD(addr) ((addr) == 0 ? (Arena::nullAddress(), 0) : (addr))
#define BINARY(op, expr) \
    case OP_##op: { \
        const TWord b = S[top], a = S[top - 1]; \
        (void)a; (void)b; \
        S[top - 1] = (expr); \
        --top; \
        NEXT(op); \
    }
#define AT_SECOND(op, expr) \
    case OP_##op: { \
        const TAddr at = TAddr(S[top - 1]); \
        const TWord b = S[top], a = LOAD(at); \
        STORE(at, (expr)); \
        top -= 2; \
        NEXT(op); \
    }
#define BYTE_AT_SECOND(op, expr) \
    case OP_##op: { \
        SByte& a = BYTE(S[top - 1]); \
        const SByte b = SByte(S[top]); \
        a = SByte(expr); \
        top -= 2; \
        NEXT(op); \
    }
#define BYTE_COMPARE(op, cmp) BINARY(op, truth(SByte(a) cmp SByte(b)))
#define HALF_COMPARE(op, cmp) BINARY(op, truth(TInt16(a) cmp TInt16(b)))

    try {
        for (;;) {
            if ((unsigned)pc >= (unsigned)codeEnd) {
                if (pc < 0)
                    break;
                SAVE();
                fatalError(OString::fromLatin1("Internal error: ip outside the code"), pc);
            }
            if ((unsigned)top > (unsigned)limit) {
                SAVE();
                if (top < 0)
                    badStackIndex();
                stackOverflow();
            }
            const TUint8 opcode = TUint8(pcode[pc]);
            switch (opcode) {
            case OP_Nop:
                NEXT(Nop);
            case OP_Pick: {
                const int from = STACK_INDEX(top + 1 + I8(1));
                S[top + 1] = S[from];
                ++top;
                NEXT(Pick);
            }
            case OP_PickW: {
                const int from = STACK_INDEX(top + 1 + I32(1));
                S[top + 1] = S[from];
                ++top;
                NEXT(PickW);
            }
            case OP_SlotAddr:
                S[top + 1] = TWord(stackAddr + TUint32(top + 1 + I8(1)) * 4);
                ++top;
                NEXT(SlotAddr);
            case OP_SlotAddrW:
                S[top + 1] = TWord(stackAddr + TUint32(top + 1 + I32(1)) * 4);
                ++top;
                NEXT(SlotAddrW);
            case OP_FieldAddr:
                S[top] = TWord(TUint32(GUARD(S[top])) + TUint32(I8(1)) * 4);
                NEXT(FieldAddr);
            case OP_FieldAddrW:
                S[top] = TWord(TUint32(GUARD(S[top])) + TUint32(I32(1)) * 4);
                NEXT(FieldAddrW);
            case OP_Load:
                S[top] = LOAD(S[top]);
                NEXT(Load);
            case OP_Adjust:
            case OP_AdjustW: {
                const TInt64 n = opcode == OP_Adjust ? I8(1) : I32(1);
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
                pc += instructionSize(opcode);
                continue;
            }
            case OP_Jz:
                STEP();
                pc = S[top] == 0 ? pc + 2 + I16(1) : pc + instructionSize(OP_Jz);
                --top;
                continue;
            case OP_JzW:
                STEP();
                pc = S[top] == 0 ? pc + 4 + I32(1) : pc + instructionSize(OP_JzW);
                --top;
                continue;
            case OP_Jmp:
                STEP();
                pc += 2 + I16(1);
                continue;
            case OP_JmpW:
                STEP();
                pc += 4 + I32(1);
                continue;
            case OP_Call: {
                STEP();
                const int frame = I32(5);
                if (frame >= frameDescriptors.size())
                    raiseError(EInvalidArgument);
                if (frameDescriptorStack.size() >= STACK_WORDS) {
                    SAVE();
                    stackOverflow();
                }
                ++top;
                frameDescriptorStack.append(frame);
                frameBaseStack.append(frameBase(frame, top));
                S[top] = pc + 9;
                pc = I32(1);
                continue;
            }
            case OP_VCall: {
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
                if (frameDescriptorStack.size() >= STACK_WORDS) {
                    SAVE();
                    stackOverflow();
                }
                S[top] = pc + 5;
                frameDescriptorStack.append(impl->frameDescriptor);
                frameBaseStack.append(frameBase(impl->frameDescriptor, top));
                pc = impl->codeAddress;
                continue;
            }
            case OP_Ret: {
                STEP();
                if (frameDescriptorStack.isEmpty())
                    raiseError(EInvalidArgument);
                const int from = STACK_INDEX(top - I32(1));
                frameDescriptorStack.removeLast();
                frameBaseStack.removeLast();
                top -= I32(5);
                pc = S[from];
                continue;
            }
            case OP_New: {
                const int gc = I8(1);
                const TInt32 n = I32(2);
                if (!validGcCode(gc)) {
                    SAVE();
                    fatalError(OString::fromLatin1("Invalid mem alloc gc code"), pc + 1);
                }
                if (n < 0)
                    raiseError(EInvalidArgument);
                SAVE();
                const TAddr block = heap_->allocate(TUint32(n) * 4, 0, GcCode(gc));
                S[++top] = TWord(block);
                NEXT(New);
            }
            case OP_Dup:
                S[top + 1] = S[top];
                ++top;
                NEXT(Dup);
            case OP_Not:
                S[top] = truth(S[top] == 0);
                NEXT(Not);
            case OP_Push:
                S[++top] = I32(1);
                NEXT(Push);
            case OP_PushStr: {
                const int s = I32(1);
                if (s < 0 || s >= stringConstants.size())
                    raiseError(EInvalidArgument);
                SAVE();
                S[top + 1] = newStringBox(stringConstants[s]);
                ++top;
                NEXT(PushStr);
            }
            case OP_SetType:
                STORE(S[top], I32(1));
                --top;
                NEXT(SetType);
            case OP_Store:
            case OP_StoreAlt:
                STORE(S[top - 1], S[top]);
                top -= 2;
                pc += 1;
                continue;
            case OP_Clear:
                STORE(S[top], 0);
                --top;
                NEXT(Clear);
            BINARY(Add, TWord(TUint32(a) + TUint32(b)))
            BINARY(Sub, TWord(TUint32(a) - TUint32(b)))
            BINARY(Mul, TWord(TUint32(a) * TUint32(b)))
            BINARY(Div, b == 0 ? (divisionByZero(""), 0) : wrapDiv(a, b))
            BINARY(Rem, b == 0 ? (divisionByZero(""), 0) : wrapRem(a, b))
            case OP_Neg:
                S[top] = TWord(0u - TUint32(S[top]));
                NEXT(Neg);
            case OP_IncAt:
            case OP_DecAt: {
                const TAddr at = TAddr(S[top]);
                STORE(at, TWord(TUint32(LOAD(at)) + (opcode == OP_IncAt ? 1u : ~0u)));
                --top;
                pc += 1;
                continue;
            }
            AT_SECOND(AddAt, TWord(TUint32(a) + TUint32(b)))
            AT_SECOND(SubAt, TWord(TUint32(a) - TUint32(b)))
            AT_SECOND(MulAt, TWord(TUint32(a) * TUint32(b)))
            case OP_DivAt:
            case OP_RemAt: {
                const TWord b = S[top];
                if (b == 0)
                    divisionByZero("");
                const TAddr at = TAddr(S[top - 1]);
                const TWord a = LOAD(at);
                STORE(at, opcode == OP_DivAt ? wrapDiv(a, b) : wrapRem(a, b));
                top -= 2;
                pc += 1;
                continue;
            }
            BINARY(Eq, truth(a == b))
            BINARY(Lt, truth(a < b))
            BINARY(Le, truth(a <= b))
            BINARY(Ne, truth(a != b))
            BINARY(Gt, truth(a > b))
            BINARY(Ge, truth(a >= b))
            BINARY(And, a & b)
            BINARY(Or, a | b)
            BINARY(Xor, a ^ b)
            BINARY(Shl, shiftLeft(a, b))
            BINARY(Shr, shiftRight(a, b))
            AT_SECOND(AndAt, a & b)
            AT_SECOND(OrAt, a | b)
            AT_SECOND(XorAt, a ^ b)
            AT_SECOND(ShlAt, shiftLeft(a, b))
            AT_SECOND(ShrAt, shiftRight(a, b))
            case OP_IntToString:
                SAVE();
                S[top] = newStringBox(OString::fromInt(S[top]));
                NEXT(IntToString);
            case OP_LowByte:
                S[top] &= 0xFF;
                NEXT(LowByte);
            case OP_True:
            case OP_TrueAlt:
                S[++top] = -1;
                pc += 1;
                continue;
            case OP_False:
                S[++top] = 0;
                NEXT(False);
            BINARY(LogicalAnd, truth(a != 0 && b != 0))
            BINARY(LogicalOr, truth(a != 0 || b != 0))
            BINARY(LogicalXor, truth((a != 0) != (b != 0)))
            BINARY(BoolEq, (a != 0) == (b != 0) ? 1 : 0)
            BINARY(BoolNe, (a != 0) != (b != 0) ? 1 : 0)
            case OP_Push2:
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
            case OP_Native: {
                const int group = TInt32(SByte(pcode[pc + 1]));
                ip = pc + 2;
                sp = top;
                fuel = steps;
                callNative(*this, group, I8(2));
                RELOAD();
                pc += 1;
                continue;
            }
            case OP_Zero:
            case OP_ZeroW: {
                const TInt32 n = opcode == OP_Zero ? I8(1) : I32(1);
                const TUint32 at = TUint32(S[top]);
                for (TInt32 i = 0; i < n; ++i)
                    STORE(at + TUint32(i) * 4, 0);
                --top;
                pc += instructionSize(opcode);
                continue;
            }
            case OP_Copy:
            case OP_CopyW: {
                const TInt32 n = opcode == OP_Copy ? I8(1) : I32(1);
                const TUint32 from = TUint32(S[top]), to = TUint32(S[top - 1]);
                for (TInt32 i = 0; i < n; ++i)
                    STORE(to + TUint32(i) * 4, LOAD(from + TUint32(i) * 4));
                --top;
                pc += instructionSize(opcode);
                continue;
            }
            case OP_LoadN:
            case OP_LoadNW: {
                const TInt64 n = opcode == OP_LoadN ? I8(1) : I32(1);
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
                pc += instructionSize(opcode);
                continue;
            }
            case OP_StoreN:
            case OP_StoreNW: {
                const TInt32 n = opcode == OP_StoreN ? I8(1) : I32(1);
                if (n < 0 || n > top)
                    badStackIndex();
                const TUint32 to = TUint32(S[top - n]);
                for (TInt32 i = 0; i < n; ++i)
                    STORE(to + TUint32(i) * 4, S[top - n + 1 + i]);
                top -= n + 1;
                pc += instructionSize(opcode);
                continue;
            }
            case OP_Extension: {
                if (!frameworkServices)
                    throwError(EVM, std::string_view("no host services"));
                ip = pc + 2;
                sp = top;
                fuel = steps;
                sp = frameworkServices->callExtension(I8(1), I8(2), top, S);
                RELOAD();
                pc += 1;
                continue;
            }
            case OP_SignExtend: {
                const TInt32 n = I8(1);
                if (n > top + 1)
                    badStackIndex();
                for (TInt32 i = 0; i < n; ++i)
                    S[top - i] = TWord(SByte(S[top - i]));
                NEXT(SignExtend);
            }
            case OP_NewVector: {
                const int size = I8(1);
                const TAddr variable = TAddr(GUARD(S[top]));
                if (size != 1 && size != 4 && size != 8 && size != 12 && size != 16)
                    throwError(EVM, std::string_view("invalid vector element size " + std::to_string(size)));
                mem.resolve(variable, 8);
                SAVE();
                const TAddr vector = newEmptyVector(*this, size);
                STORE(variable + 4, size);
                STORE(variable, TWord(vector));
                --top;
                NEXT(NewVector);
            }
            case OP_Try: {
                if (handlerTop + 1 >= HANDLER_RECORDS)
                    throwError(EVM, std::string_view("too many exception handlers"));
                ++handlerTop;
                handlers[handlerTop] = {I32(1), top, pc + 8 + I32(5)};
                NEXT(Try);
            }
            case OP_Handlers: {
                const int next = handlerTop + I8(1);
                if (next < 0 || next >= HANDLER_RECORDS)
                    throwError(EVM, std::string_view("exception handler count out of range"));
                handlerTop = next;
                NEXT(Handlers);
            }
            case OP_Throw: {
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
                        pc = h.handlerAddress + 1;
                        top = h.savedSp + 1;
                        if ((unsigned)top > (unsigned)STACK_HARD_LIMIT)
                            badStackIndex();
                        S[top] = thrown;
                        if (top < STACK_SOFT_LIMIT)
                            stackLimit = limit = STACK_SOFT_LIMIT;
                    }
                }
                if (!caught) {
                    SAVE();
                    enterUncaughtHandler(thrown);
                    RELOAD();
                }
                continue;
            }
            case OP_Free:
                SAVE();
                heap_->free(TAddr(S[top]));
                --top;
                NEXT(Free);
            case OP_Box:
                SAVE();
                S[top] = newBox(S[top]);
                NEXT(Box);
            case OP_Deref1:
            case OP_Deref2:
            case OP_Deref3: {
                TWord w = S[STACK_INDEX(top + 1 + I8(1))];
                for (int i = 0; i <= opcode - OP_Deref1; ++i)
                    w = LOAD(w);
                S[++top] = w;
                NEXT(Deref1);
            }
            case OP_FieldOf1:
            case OP_FieldOf2:
            case OP_FieldOf3: {
                const TWord p = S[STACK_INDEX(top + 1 + I8(1))];
                partial = true;
                TWord x = LOAD(p);
                partial = false;
                for (int i = 0; i < opcode - OP_FieldOf1; ++i)
                    x = LOAD(x);
                S[++top] = TWord(TUint32(GUARD(x)) + TUint32(I8(2)) * 4);
                NEXT(FieldOf1);
            }
            case OP_Load2:
                S[top] = LOAD(LOAD(S[top]));
                NEXT(Load2);
            case OP_Load3:
                S[top] = LOAD(LOAD(LOAD(S[top])));
                NEXT(Load3);
            case OP_FreeBox: {
                const TWord box = S[top];
                if (box != 0) {
                    SAVE();
                    heap_->free(TAddr(LOAD(box)));
                    heap_->free(TAddr(box));
                }
                --top;
                NEXT(FreeBox);
            }
            case OP_NewAt:
            case OP_NewAtKeep: {
                const int gc = I8(1);
                const TInt32 n = I32(2);
                if (!validGcCode(gc)) {
                    SAVE();
                    fatalError(OString::fromLatin1("Invalid mem alloc gc code"), pc + 1);
                }
                if (n < 0)
                    raiseError(EInvalidArgument);
                const TAddr at = TAddr(S[top]);
                mem.resolve(at, 4);
                SAVE();
                const TAddr block = heap_->allocate(TUint32(n) * 4, 0, GcCode(gc));
                STORE(at, convertReference(I8(6), TWord(block), GC_CODE_REFERENCE));
                if (opcode == OP_NewAt)
                    --top;
                NEXT(NewAt);
            }
            case OP_NativeBox: {
                SAVE();
                const TAddr block = heap_->allocate(4, 0, GC_CODE_NATIVE);
                STORE(block, S[top]);
                S[top] = TWord(block);
                NEXT(NativeBox);
            }
            case OP_ByteIncAt:
                BYTE(S[top]) += 1;
                --top;
                NEXT(ByteIncAt);
            case OP_ByteDecAt:
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
            case OP_ByteClear:
                BYTE(S[top]) = 0;
                --top;
                NEXT(ByteClear);
            case OP_ByteStore:
                BYTE(S[top - 1]) = SByte(S[top]);
                top -= 2;
                NEXT(ByteStore);
            BYTE_COMPARE(ByteEq, ==)
            BYTE_COMPARE(ByteLt, <)
            BYTE_COMPARE(ByteLe, <=)
            BYTE_COMPARE(ByteNe, !=)
            BYTE_COMPARE(ByteGt, >)
            BYTE_COMPARE(ByteGe, >=)
            case OP_HalfClear:
                std::memset(mem.resolve(TAddr(S[top]), 2), 0, 2);
                --top;
                NEXT(HalfClear);
            case OP_HalfStore: {
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
            case OP_Array:
            case OP_ArrayW: {
                const TInt32 n = opcode == OP_Array ? I8(1) : I32(1);
                if (n < 0 || n > top + 1)
                    badStackIndex();
                SAVE();
                const TAddr block = heap_->allocate(TUint32(n) * 4, 0, GC_CODE_NATIVE);
                if (n > 0)
                    std::memcpy(mem.raw(block), S + top - n + 1, size_t(n) * 4);
                top = top - n + 1;
                S[top] = TWord(block);
                pc += instructionSize(opcode);
                continue;
            }
            default:
                SAVE();
                fatalError(OString::fromLatin1(("Internal error: invalid opcode " +
                                                 std::to_string(TInt32(SByte(opcode)))).c_str()),
                           pc);
            }
        }
    } catch (...) {
        // ip: the last byte of the faulting instruction read so far; natives
        // and extensions have left sp where they stopped.
        if ((unsigned)pc < (unsigned)codeLength) {
            const TUint8 opcode = TUint8(pcode[pc]);
            ip = partial ? pc + 1 : pc + instructionSize(opcode) - 1;
            if (opcode != OP_Native && opcode != OP_Extension)
                sp = top;
        } else {
            ip = pc;
            sp = top;
        }
        fuel = steps;
        throw;
    }
    SAVE();

#undef SAVE
#undef RELOAD
#undef NEXT
#undef STEP
#undef I8
#undef U8
#undef I16
#undef I32
#undef LOAD
#undef STORE
#undef BYTE
#undef STACK_INDEX
#undef GUARD
#undef BINARY
#undef AT_SECOND
#undef BYTE_AT_SECOND
#undef BYTE_COMPARE
#undef HALF_COMPARE
}
