// Faults that once crashed, wrapped or leaked: operand arithmetic at its
// limits, frames abandoned by caught exceptions, vector storage released by
// bytecode, and host calls that grow the handle table or queue long chains.
#include "MachineTestSupport.h"
#include "natives/vectorNative.h"

using namespace MachineTest;

TEST(MachineFaults, AMillionCaughtExceptionsLeaveNoFramesBehind)
{
    Machine m;
    const Outcome outcome = m.run(R"(
main:
    new 1, 1                 ; [e]
    push 0                   ; [e, count]
loop:
    try -1, caught
    call thrower, Main
caught:                      ; [e, count, thrown]
    adjust -1
    push 1
    add
    dup
    push 1000000
    eq
    jz loop
    logi
    stop
thrower:                     ; [e, count, ret]
    pick -3
    throw
)");
    EXPECT_EQ(outcome.logs, Logs{"1000000"});
    EXPECT_EQ(m.access().frameDepth(), 0);
}

// Operands at the ends of their range: each ends in an orderly error, never
// in a wrapped ip, index or size.
TEST(MachineFaults, OperandArithmeticAtItsLimitsEndsInAnError)
{
    struct Case {
        const char* program;
        const char* message; // the start of the hook's message, or of the machine's stop message
        const char* code;    // the code the hook logs; null when the machine stops
    };
    const char* const OUTSIDE = "UnknownException (CODE:11) Internal error: ip outside the code";
    const Case cases[] = {
        {"main:\n    jmp.w 0x7fffffff\n", OUTSIDE, nullptr},
        {"main:\n    push 0\n    jz.w 0x7fffffff\n", OUTSIDE, nullptr},
        {"main:\n    try -1, 0x7fffffff\n", "VMException: exception handler address out of range", "10"},
        {"main:\n    pick.w 0x7fffffff\n", "InvalidArgumentException", "6"},
        {"main:\n    pick.w -2147483648\n", "InvalidArgumentException", "6"},
        {"main:\n    slotaddr.w 0x7fffffff\n    load\n", "VMException: invalid address", "10"},
        {"main:\n    ret -2147483648, 0\n", "InvalidArgumentException", "6"},
        {"main:\n    ret 0, -2147483648\n", "InvalidArgumentException", "6"},
        {"main:\n    ret 0, 2147483647\n", "InvalidArgumentException", "6"},
        {"main:\n    call main, Huge\n.frame Huge a=-2147483648 b=-2147483648\n", "InvalidArgumentException", "6"},
        {"main:\n    new 1, 0x40000001\n", "VMException: allocation size out of range", "10"},
        {"main:\n    push 0\n    newat 1, 0x7fffffff, 0\n", "VMException: allocation size out of range", "10"},
    };
    for (const Case& c : cases) {
        Machine m;
        const Outcome outcome = m.run(c.program);
        if (!c.code) {
            EXPECT_EQ(outcome.message.rfind(c.message, 0), 0u) << c.program << outcome.message;
            continue;
        }
        ASSERT_EQ(outcome.logs.size(), 2u) << c.program;
        EXPECT_EQ(outcome.logs[0].rfind(c.message, 0), 0u) << c.program << outcome.logs[0];
        EXPECT_EQ(outcome.logs[1], c.code) << c.program;
    }
}

TEST(MachineFaults, BytecodeCannotReleaseAVectorsStorage)
{
    for (const char* release : {"free", "box\n    freebox"}) {
        Machine m;
        const Outcome outcome = m.run(std::string(R"(
main:
    new 6, 2
    dup
    newvec 4                 ; [h]
    dup
    push 7
    push 3
    native 3, 3              ; three sevens
    dup
    push 0
    native 3, 6              ; [h, address of element 0]
    )") + release + R"(
    push 1
    logi
)");
        EXPECT_EQ(outcome.logs, (Logs{"VMException: release of a vector's storage", "10"})) << release;
    }
}

TEST(MachineFaults, AVectorWhoseStorageWasReleasedStopsWithAnError)
{
    Machine m;
    m.run("main:\n    stop\n");
    VirtualMachine& vm = *m.vm;
    const TAddr vector = newEmptyVector(vm, 4);
    auto* ints = vm.heap().objectAs<OVector<WordElement<1>>>(vector);
    ints->append(WordElement<1>{{7}});
    // Released behind the vector's back (host code can), then reused.
    vm.heap().free(ints->storage());
    const TAddr other = vm.heap().allocate(40, 0, GC_CODE_NATIVE);
    EXPECT_EQ(other, ints->storage());
    EXPECT_THROW(ints->append(WordElement<1>{{8}}), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::lastErrorMessage(), u"VMException: vector storage is not its own");
    EXPECT_EQ(vm.wordAt(other), 0) << "the new owner's bytes are untouched";
}

TEST(MachineFaults, NoElementAddressIntoStorageTheVectorNoLongerOwns)
{
    Machine m;
    m.run("main:\n    stop\n");
    VirtualMachine& vm = *m.vm;
    const TAddr vector = newEmptyVector(vm, 4);
    auto* ints = vm.heap().objectAs<OVector<WordElement<1>>>(vector);
    ints->append(WordElement<1>{{7}});
    const TAddr handle = vm.heap().allocate(VECTOR_HANDLE_BYTES, 0, GC_CODE_NATIVE);
    vm.arena().storeWord(handle, TWord(vector));
    vm.heap().free(ints->storage()); // behind the vector's back
    vm.setTopIndex(1);
    vm.slot(0) = TWord(handle);
    vm.slot(1) = 0; // [handle, index 0]
    EXPECT_THROW(vectorFastCall(vm, 3, 6), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::lastErrorMessage(), u"VMException: vector storage is not its own");
}

TEST(MachineFaults, HandlesResolvedDuringAHostCallDoNotDisturbIt)
{
    Machine m;
    std::string methods;
    for (int i = 0; i < 200; ++i)
        methods += ".method \"m" + std::to_string(i) + "\" code=other frame=Main\n";
    std::vector<int> resolved;
    m.services.onLog = [&](const std::string&) {
        for (int i = 0; i < 200; ++i)
            resolved.push_back(m.vm->getMethodHandle(VUvarString(("m" + std::to_string(i)).c_str()), 0));
    };
    const Outcome outcome = m.run(methods + R"(
main:
    push 5
    logi
    stop
other:
    push -1
    ret 0, 1
)");
    EXPECT_EQ(outcome.logs, Logs{"5"});
    ASSERT_EQ(resolved.size(), 200u);
    const auto& handles = m.access().handles();
    EXPECT_EQ(handles[resolved.back()].methodRow, resolved.back() - resolved.front() + handles[resolved.front()].methodRow);
    EXPECT_EQ(m.access().runningHandle(), -1);
}

TEST(MachineFaults, AHundredThousandChainedStoredCallsRunOneAfterTheOther)
{
    Machine m;
    int calls = 0;
    m.services.onLog = [&](const std::string&) {
        if (++calls < 100000)
            m.vm->deliverForeground(); // queued: the log comes from running bytecode
    };
    const Outcome outcome = m.run(R"(
.method "<*application>.foreground event" code=foreground frame=Main
main:
    new 2, 1
    native 32, 5
foreground:
    push 1
    logi
    ret 0, 1
)");
    EXPECT_EQ(calls, 100000);
    EXPECT_EQ(outcome.logs.size(), 100000u);
    EXPECT_FALSE(m.vm->hasQueuedCalls());
}
