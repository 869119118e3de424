// One small program per instruction family, with the edge cases of each.
#include "MachineTestSupport.h"

using namespace MachineTest;

namespace {

Logs logsOf(const std::string& body)
{
    Machine m;
    const Outcome outcome = m.run(body);
    EXPECT_FALSE(outcome.stopped) << outcome.message;
    return outcome.logs;
}

} // namespace

TEST(Instructions, StackAccessAndAdjust)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 5
    push 6
    pick -1     ; duplicates the top
    logi
    pick -2     ; the word under the top
    logi
    adjust 2    ; two zero words
    add
    logi
    adjust -1
    push2 7, 8  ; first word below
    logi
    logi
    push 9
    dup
    add
    logi
    true
    true.alt
    add
    logi
    false
    logi
    stop
)"),
              (Logs{"6", "5", "0", "8", "7", "18", "-2", "0"}));
}

TEST(Instructions, ArithmeticWrapsAndTruncates)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 2147483647
    push 1
    add
    logi
    push -7
    push 2
    div
    logi
    push -7
    push 2
    rem
    logi
    push -2147483648
    push -1
    div
    logi
    push -2147483648
    push -1
    rem
    logi
    push 65536
    push 65536
    mul
    logi
    push -2147483648
    neg
    logi
    push 300
    lowbyte
    logi
    stop
)"),
              (Logs{"-2147483648", "-3", "-1", "-2147483648", "0", "0", "-2147483648", "44"}));
}

TEST(Instructions, TruthValuesAndLogic)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 1
    push 2
    lt
    logi
    push -1
    push 1
    gt
    logi
    push 3
    push 3
    le
    logi
    push 5
    not
    logi
    push 5
    push 0
    lor
    logi
    push 5
    push 7
    land
    logi
    push 5
    push 7
    lxor
    logi
    push 5
    push 7
    booleq
    logi
    push 0
    push 7
    boolne
    logi
    push 12
    push 10
    xor
    logi
    stop
)"),
              (Logs{"-1", "0", "-1", "0", "-1", "-1", "0", "1", "1", "6"}));
}

TEST(Instructions, ShiftRules)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 1
    push 32
    shl
    logi
    push -8
    push -1
    shl
    logi
    push -8
    push 40
    shr
    logi
    push 3
    push -1
    shr
    logi
    push -8
    push 1
    shr
    logi
    push 1
    push -32
    shl
    logi
    stop
)"),
              (Logs{"0", "-4", "0", "6", "-4", "0"}));
}

TEST(Instructions, BranchesPopTheTestedWord)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 42
    push 0
    jz zero
    push 99
zero:
    logi          ; 42: the zero was popped, 99 skipped
    push 42
    push 1
    jz.w never
    logi          ; 42: the one was popped
    push 0        ; counts to 5
loop:
    dup
    push 5
    lt
    jz done
    push 1
    add
    jmp.w loop
done:
    logi
never:
    stop
)"),
              (Logs{"42", "42", "5"}));
}

TEST(Instructions, BranchToItselfRunsUntilTheBudgetEnds)
{
    Machine m;
    const Outcome outcome = m.run("main:\n    jmp $\n", true, 1000);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message, "UnknownException (CODE:11) instruction budget exhausted at 0");
}

TEST(Instructions, ObjectFieldsThroughAddresses)
{
    EXPECT_EQ(logsOf(R"(
main:
    new 2, 4
    dup
    fieldaddr 1
    push 10
    store           ; word 1 = 10
    dup
    fieldaddr 1
    inc.at          ; 11
    dup
    fieldaddr 1
    push 3
    mul.at          ; 33
    dup
    fieldaddr 1
    push 5
    rem.at          ; 3
    dup
    fieldaddr 1
    push 4
    shl.at          ; 48
    dup
    fieldaddr 1
    load
    logi
    dup
    fieldaddr 2
    push 7
    push 8
    storen 2        ; words 2, 3 = 7, 8; removes four words
    dup
    fieldaddr 2
    loadn 2
    sub
    logi
    dup
    fieldaddr 3
    loadn 1
    logi
    dup
    fieldaddr 1
    dup
    loadn 0         ; pops only
    zero 3
    dup
    fieldaddr 2
    load
    logi
    stop
)"),
              (Logs{"48", "-1", "8", "0"}));
}

TEST(Instructions, BlocksArraysAndBoxes)
{
    EXPECT_EQ(logsOf(R"(
main:
    push 100
    push 1
    push 2
    push 3
    array 3          ; one reference in the slot of the lowest word
    dup
    fieldaddr 2
    load
    logi
    adjust -1
    logi             ; 100 is next below
    push 55
    box
    dup
    load
    logi
    box
    load2
    logi
    new 2, 3
    dup
    new 2, 1
    copy 1           ; word 0 of the new object <- word 0 of the first
    adjust -1
    push 77
    nativebox
    load
    logi
    stop
)"),
              (Logs{"3", "100", "55", "55", "77"}));
}

TEST(Instructions, BytesAndHalves)
{
    EXPECT_EQ(logsOf(R"(
main:
    new 2, 2
    dup
    push 127
    bstore
    dup
    binc.at          ; wraps to -128
    dup
    loadn 1
    lowbyte
    logi
    dup
    push 3
    bshl.at          ; -128 << 3 keeps the low 8 bits: 0
    dup
    loadn 1
    logi
    dup
    push -5
    bstore
    dup
    push -1
    bshl.at          ; negative count: the sign
    dup
    loadn 1
    lowbyte
    logi
    dup
    push 64
    bstore
    dup
    push -2
    bshr.at          ; negative count: 0
    dup
    loadn 1
    logi
    dup
    push 0x1FFFF
    hstore
    dup
    loadn 1
    logi
    adjust -1
    push 0x1FF
    push 0x2FF
    beq              ; low bytes equal
    logi
    push 0x8000
    push 1
    hlt              ; -32768 < 1
    logi
    push 0x80
    push 0x7F
    blt
    logi
    push 200
    push 3
    sext8 2
    add
    logi
    push -9
    push 3
    bshl
    logi
    push 0x80
    push 9
    bshr
    logi
    stop
)"),
              (Logs{"128", "0", "255", "0", "65535", "-1", "-1", "-1", "-53", "-72", "-1"}));
}

TEST(Instructions, StringsFromConstantsAndNumbers)
{
    EXPECT_EQ(logsOf(R"(
.string hello "hello, wörld"
main:
    pushstr hello
    native 30, 1
    push -12
    itos
    native 30, 1
    native 32, 4
    native 30, 1
    stop
)"),
              (Logs{"hello, wörld", "-12", "No Callstack available"}));
}

TEST(Instructions, NewAtStoresAtTheRequestedLevel)
{
    EXPECT_EQ(logsOf(R"(
main:
    new 2, 1
    dup
    newat.keep 2, 3, 1   ; word 0 <- a box holding a new 3-word block
    load
    load
    fieldaddr 2
    load
    logi
    newat 1, 1, 0
    stop
)"),
              (Logs{"0"}));
}

TEST(Instructions, VectorVariables)
{
    EXPECT_EQ(logsOf(R"(
main:
    adjust 2
    slotaddr -2
    newvec 12
    logi           ; element size in the second word
    jz empty       ; the vector reference is not null
    push 1
    logi
empty:
    stop
)"),
              (Logs{"12", "1"}));
}

TEST(Instructions, InvalidOperandsAreOrderlyErrors)
{
    struct Case {
        const char* body;
        Logs logs;
    };
    const Case cases[] = {
        {"main:\n    push 0\n    load\n", {"NullPointerException: NULL pointer", "1"}},
        {"main:\n    push 123456789\n    load\n", {}},
        {"main:\n    push 1\n    push 0\n    div\n", {"DivisionByZeroException", "3"}},
        {"main:\n    new 2, 1\n    push 0\n    div.at\n", {"DivisionByZeroException", "3"}},
        {"main:\n    push 1\n    push 0\n    bdiv\n", {"DivisionByZeroException: Division by zero.", "3"}},
        {"main:\n    new 2, 1\n    push 0\n    brem.at\n", {"DivisionByZeroException: Division by zero.", "3"}},
        {"main:\n    push 0\n    push 7\n    shl.at\n", {"NullPointerException: NULL pointer", "1"}},
        {"main:\n    push 0\n    newat 1, 1, 0\n", {"NullPointerException: NULL pointer", "1"}},
        {"main:\n    adjust 2\n    slotaddr -2\n    newvec 3\n", {"VMException: invalid vector element size 3", "10"}},
        {"main:\n    pushstr 5\n", {"InvalidArgumentException", "6"}},
        {"main:\n    pick.w 100000\n", {"InvalidArgumentException", "6"}},
        {"main:\n    native 32, 16\n", {"VMException: System:2", "10"}},
        {"main:\n    native 30, 9\n", {"VMException: Debug:2", "10"}},
    };
    for (const Case& c : cases) {
        Machine m;
        const Outcome outcome = m.run(c.body);
        if (c.logs.empty()) { // a wild address: the arena's message, code 10
            ASSERT_EQ(outcome.logs.size(), 2u) << c.body;
            EXPECT_EQ(outcome.logs[1], "10") << c.body;
            continue;
        }
        EXPECT_EQ(outcome.logs, c.logs) << c.body;
        EXPECT_EQ(m.services.exitCalls, 1) << c.body;
    }
}

TEST(Instructions, FatalErrorsNameMessageAndPosition)
{
    struct Case {
        const char* body;
        const char* message;
    };
    const Case cases[] = {
        {"main:\n    nop\n    .raw 200\n", "UnknownException (CODE:11) Internal error: invalid opcode -56 at 1"},
        {"main:\n    .raw 56\n", "UnknownException (CODE:11) Internal error: invalid opcode 56 at 0"},
        {"main:\n    native 36, 1\n", "UnknownException (CODE:11) Internal error: invalid group in native call: 36 at 2"},
        {"main:\n    native 200, 1\n", "UnknownException (CODE:11) Internal error: invalid group in native call: -56 at 2"},
        {"main:\n    native 2, 1\n", "UnknownException (CODE:11) Internal error: native group 2 is reserved at 2"},
        {"main:\n    new 8, 1\n", "UnknownException (CODE:11) Invalid mem alloc gc code at 1"},
        {"main:\n    push 0\n    newat 18, 1, 0\n", "UnknownException (CODE:11) Invalid mem alloc gc code at 6"},
    };
    for (const Case& c : cases) {
        Machine m;
        const Outcome outcome = m.run(c.body);
        EXPECT_TRUE(outcome.stopped) << c.body;
        EXPECT_EQ(outcome.status, 1) << c.body;
        EXPECT_EQ(outcome.message, c.message) << c.body;
        EXPECT_TRUE(outcome.logs.empty()) << c.body;
    }
}
