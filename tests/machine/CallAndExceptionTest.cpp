// Calls and returns, virtual dispatch, handlers, throws and error delivery.
#include "MachineTestSupport.h"

using namespace MachineTest;

namespace {

const char* ANIMALS = R"(
.virtual "speak"
.impl type=Dog code=dogSpeak frame=Main
.impl type=Cat code=catSpeak frame=Main
.type Animal
.type Dog super=Animal
.type Puppy super=Dog
.type Cat super=Animal
.type Rock
.string woof "woof"
.string meow "meow"
.string caught "caught"
.string after "after"
dogSpeak:
    pushstr woof
    native 30, 1
    ret 0, 1
catSpeak:
    pushstr meow
    native 30, 1
    ret 0, 1
)";

// fib: [n, ret] -> [fib(n)]; the base case returns with `ret LEAF`.
const std::string FIB = R"(
fib:
    pick -2
    push 2
    lt
    jz recurse
    ret LEAF
recurse:
    pick -2
    push 1
    sub
    call fib, Main
    pick -3
    push 2
    sub
    call fib, Main
    add
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 0, 1
)";

// main logs fib(n); the base case's return has the operands `leaf`.
std::string fibProgram(int n, const char* leaf = "0, 1")
{
    std::string body = "main:\n    push " + std::to_string(n) + "\n    call fib, Main\n    logi\n    ret 0, 1\n" + FIB;
    body.replace(body.find("LEAF"), 4, leaf);
    return body;
}

Outcome runWithAnimals(const std::string& body)
{
    Machine m;
    return m.run(body + ANIMALS);
}

} // namespace

TEST(Calls, RecursiveDirectCalls)
{
    Machine m;
    const Outcome outcome = m.run(fibProgram(10));
    EXPECT_EQ(outcome.logs, Logs{"55"});
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(m.access().frameDepth(), 0);
}

// Calls, compare-and-return and add-and-return run combined stop where the
// single instructions stop: every budget, at every step of the recursion, and
// a base case whose return reads its address from the wrong slot.
TEST(Calls, CombinedCallsAndReturnsStopWhereTheirPartsDo)
{
    const auto outcomeOf = [&](const std::string& body, bool combined, TInt64 budget) {
        Machine m;
        m.vm->setCombinedDispatch(combined);
        return m.run(body, true, budget);
    };
    int stops = 0;
    for (TInt64 budget = 1; budget <= 120; ++budget) {
        const Outcome plain = outcomeOf(fibProgram(9), false, budget);
        const Outcome combined = outcomeOf(fibProgram(9), true, budget);
        stops += plain.stopped;
        EXPECT_EQ(combined.stopped, plain.stopped) << budget;
        EXPECT_EQ(combined.message, plain.message) << budget;
        EXPECT_EQ(combined.logs, plain.logs) << budget;
    }
    EXPECT_EQ(stops, 120);
    const Outcome plain = outcomeOf(fibProgram(9, "2, 1"), false, 100000);
    const Outcome combined = outcomeOf(fibProgram(9, "2, 1"), true, 100000);
    EXPECT_TRUE(plain.stopped);
    EXPECT_EQ(combined.message, plain.message);
    EXPECT_EQ(combined.logs, plain.logs);
    EXPECT_EQ(outcomeOf(fibProgram(9), true, -1).logs, Logs{"34"});
}

TEST(Calls, VirtualDispatchByTypeId)
{
    const Outcome outcome = runWithAnimals(R"(
main:
    new 1, 1
    dup
    settype Cat
    dup
    load
    vcall "speak"
    dup
    settype Dog
    dup
    load
    vcall "speak"
    stop
)");
    EXPECT_EQ(outcome.logs, (Logs{"meow", "woof"}));
}

TEST(Calls, VirtualCallWithoutImplementationIsFatal)
{
    const Outcome outcome = runWithAnimals("main:\n    push 999\n    vcall \"speak\"\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message, "UnknownException (CODE:11) Invalid type in virtual method call");
}

TEST(Exceptions, HandlersMatchThroughSuperTypes)
{
    const Outcome outcome = runWithAnimals(R"(
main:
    push 5
    try Animal, handler      ; outer: catches Animal and its subtypes
    try Cat, wrong           ; inner: does not match a Puppy
    new 1, 1
    dup
    settype Puppy
    throw
    push 1
    logi
wrong:
    pushstr woof
    native 30, 1
handler:                     ; [5, thrown]
    adjust -1
    logi                     ; the saved sp restored: 5 below
    pushstr caught
    native 30, 1
    push 0
    throw                    ; null: nothing happens
    try -1, any              ; a negative type catches everything
    new 1, 1
    dup
    settype Rock
    throw
    pushstr woof
    native 30, 1
any:
    adjust -1
    pushstr after
    native 30, 1
    try 0, wrong             ; the image's type 0, Animal, relocated: a Rock passes
    new 1, 1
    dup
    settype Rock
    throw
)");
    ASSERT_EQ(outcome.logs.size(), 4u);
    EXPECT_EQ((Logs{outcome.logs[0], outcome.logs[1], outcome.logs[2]}), (Logs{"5", "caught", "after"}));
    EXPECT_EQ(outcome.logs[3], "5") << "uncaught: the Rock's type id (image types start at 1)";
}

TEST(Exceptions, UncaughtGoesToTheLastResortHandler)
{
    Machine m;
    const Outcome outcome = m.run(std::string(R"(
main:
    try Cat, never
    new 1, 1
    dup
    settype Dog
    throw
never:
    stop
)") + ANIMALS);
    ASSERT_EQ(outcome.logs.size(), 1u);
    EXPECT_EQ(m.services.exitCalls, 1);
    EXPECT_EQ(m.access().handlerTop(), 0);
    EXPECT_NE(outcome.logs[0], "0"); // the Dog's type id
}

TEST(Exceptions, UncaughtWithoutHandlerFunctionIsError6)
{
    Machine m;
    const Outcome outcome = m.run(R"(
.method "vminternalthrow<int>,<*string>" code=hook frame=Main
main:
    new 1, 1
    throw
hook:
    pick -2
    native 30, 1
    native 32, 1
)", false);
    EXPECT_EQ(outcome.logs, Logs{"InvalidArgumentException"});
}

TEST(Exceptions, TheHandlerArrayHolds127Records)
{
    Machine m;
    const Outcome outcome = m.run(R"(
main:
    push 0
loop:
    try 0, loop
    push 1
    add
    jmp loop
)");
    EXPECT_EQ(outcome.logs, (Logs{"VMException: too many exception handlers", "10"}));
    EXPECT_EQ(m.access().handlerTop(), 127);
    const TWord* stack = m.access().stack();
    EXPECT_EQ(stack[0] == -1 ? stack[1] : stack[0], 127);
}

TEST(Exceptions, RemovingMoreHandlersThanActiveIsAnError)
{
    Machine m;
    EXPECT_EQ(m.run("main:\n    handlers -1\n").logs,
              (Logs{"VMException: exception handler count out of range", "10"}));
}

TEST(Exceptions, StackOverflowIsDeliveredThenFatal)
{
    Machine deep;
    EXPECT_EQ(deep.run("main:\n    call main, Main\n").logs, (Logs{"VMException: stack overflow", "10"}));

    // A hook that overflows again uses up the reserve: the machine stops.
    Machine again;
    const Outcome outcome = again.run(R"(
.method "vminternalthrow<int>,<*string>" code=main frame=Main
main:
    call main, Main
)", false);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message.rfind("UnknownException (CODE:11) stack overflow at ", 0), 0u) << outcome.message;
}

TEST(Exceptions, ErrorInHookCanBeCaughtByBytecode)
{
    // vminternalthrow turns the error into a bytecode exception caught by main.
    Machine m;
    const Outcome outcome = m.run(R"(
.method "vminternalthrow<int>,<*string>" code=hook frame=Main
.type Error
main:
    try Error, handler
    push 1
    push 0
    div
handler:
    load
    adjust 0
    push 1
    logi
    stop
hook:
    pick -3
    logi
    new 1, 1
    dup
    settype Error
    throw
)", false);
    EXPECT_EQ(outcome.logs, (Logs{"3", "1"}));
    EXPECT_FALSE(outcome.stopped);
}
