// Start-up, host calls with levels and results, the queue, collection and
// the orderly ends of a machine.
#include "MachineTestSupport.h"

using namespace MachineTest;

TEST(StartUp, MissingMainOrBrokenImageIsFatal)
{
    Machine noMain;
    LumbraAsm::Bytes image = Machine::assembleText(".method \"other\" code=x\n.frame F\nx:\n    ret 0, 1\n");
    Outcome outcome = noMain.loadBytes(image);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message, "UnknownException (CODE:11) 'main' not found");

    Machine broken;
    outcome = broken.loadBytes(LumbraAsm::Bytes{1, 2, 3});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message, "UnknownException (CODE:11) Error while reading bytecode: image rejected at byte "
                               "offset 0, header, identity length: identity length must be 20");
}

TEST(StartUp, ErrorWithoutInternalThrowEndsWithStatus1)
{
    Machine m;
    const Outcome outcome = m.run("main:\n    push 0\n    load\n", false);
    EXPECT_EQ(outcome.status, 1);
    // The fixed text, then the error that found no vminternalthrow and where it was raised.
    EXPECT_EQ(outcome.message,
              "InvalidArgumentException (NullPointerException: NULL pointer at 5, no vminternalthrow<int>,<string> "
              "in the image)");
}

TEST(SystemGroup, ExitRequestAndExitService)
{
    Machine request;
    Outcome outcome = request.run(R"(
.string bye "bye"
main:
    pushstr bye
    native 32, 2
    push 1
    logi
)");
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(request.services.messages, Logs{"bye"});
    EXPECT_TRUE(outcome.logs.empty());

    Machine service;
    outcome = service.run("main:\n    native 32, 1\n    push 1\n    logi\n");
    EXPECT_EQ(service.services.exitCalls, 1);
    EXPECT_TRUE(outcome.logs.empty());
}

TEST(SystemGroup, TimesValuesAndStackEffects)
{
    Machine m;
    const Outcome outcome = m.run(R"(
main:
    native 32, 3
    logi
    native 32, 8
    logi
    native 32, 6
    logi
    push 4
    push 5
    push 6
    native 32, 13
    logi
    push 9
    native 32, 14
    logi
    ret 0, 1
)");
    EXPECT_EQ(outcome.logs, (Logs{"5", "7", "0", "4", "0"}));
}

TEST(Collection, RootsSurviveTheCollectionAfterMain)
{
    Machine m;
    const Outcome outcome = m.run(R"(
.string text "garbage"
.type Holder refs=[1]
main:
    new 2, 2
    native 32, 5       ; first application object
    new 1, 3
    dup
    settype Holder
    dup
    native 32, 5       ; replaces it
    fieldaddr 1
    new 2, 1
    store              ; reachable through the application object
    new 2, 5
    pushstr text
    adjust -2
    ret 0, 1
)");
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(m.vm->heap().rootCount(), 1);
    EXPECT_NE(m.access().application(), 0);
    // The application object and the object it holds remain.
    EXPECT_EQ(m.vm->heap().nOfEntries(), 2);
}

TEST(Collection, StackRootsKeepLiveObjectsDuringACall)
{
    Machine m;
    int entriesDuringCall = -1;
    m.services.onLog = [&](const std::string&) {
        m.vm->collectWithStackRoots();
        entriesDuringCall = m.vm->heap().nOfEntries();
    };
    const Outcome outcome = m.run(R"(
.string x "x"
main:
    new 2, 1           ; stays on the stack
    new 2, 1
    adjust -1          ; dropped
    pushstr x
    native 30, 1
    ret 1, 2
)");
    EXPECT_EQ(outcome.logs, Logs{"x"});
    EXPECT_EQ(entriesDuringCall, 1);
    EXPECT_EQ(m.vm->heap().nOfEntries(), 0);
}

TEST(HostCalls, SignatureResolution)
{
    Machine m;
    m.loadBytes(Machine::assembleText(R"(
.method "mainly" code=main frame=Main
.method "main" code=main frame=Main
.method "<*application>.draw to<**canvas>" code=main frame=Main
.method "(*get<int>" code=main frame=Main
.method "<application>.draw to<canvas>x" code=main frame=Main
.frame Main
main:
    ret 0, 1
)"));
    VirtualMachine& vm = *m.vm;
    MachineTestAccess access = m.access();
    const auto& handles = access.handles();
    // "main" matches the first row that begins with it.
    const int mainHandle = access.entry(VirtualMachine::EntryMain);
    ASSERT_GE(mainHandle, 0);
    EXPECT_EQ(access.tables().methods[handles[mainHandle].methodRow].signature, VUvarString("mainly"));
    EXPECT_EQ(vm.entrySignature(VirtualMachine::EntryMain), VUvarString("main"));

    const int draw = access.entry(VirtualMachine::EntryDraw);
    ASSERT_GE(draw, 0);
    EXPECT_EQ(handles[draw].argumentLevels.size(), 2);
    EXPECT_EQ(handles[draw].argumentLevels[0], 1);
    EXPECT_EQ(handles[draw].argumentLevels[1], 2);
    EXPECT_EQ(vm.getMethodHandle(VUvarString("<application>.draw"), 0), draw); // same row, same handle

    const int get = vm.getMethodHandle(VUvarString("(get<int>"), 0);
    ASSERT_GE(get, 0);
    EXPECT_EQ(handles[get].hasResult, 1);
    EXPECT_EQ(handles[get].resultLevel, 1);
    EXPECT_EQ(handles[get].argumentLevels.size(), 1);
    EXPECT_EQ(vm.getMethodHandle(VUvarString("nothing"), 0), -1);
    EXPECT_EQ(vm.getMethodHandle(VUvarString("main"), -1), -1); // extensions see virtual rows only
}

TEST(HostCalls, ResultsAndLevels)
{
    Machine m;
    m.run(R"(
.method "(*twice<int>" code=twice frame=Main
main:
    ret 0, 1
twice:                 ; [result, n, ret] -> result: a box of a block holding 2n
    new 2, 1
    dup
    pick -4
    dup
    add
    store
    box
    slotaddr -4
    pick -2
    store
    adjust -1
    ret 0, 2
)");
    VirtualMachine& vm = *m.vm;
    const int h = vm.getMethodHandle(VUvarString("(twice<int>"), 0);
    Vec<int> args, levels;
    args.append(21);
    levels.append(0);
    const TWord block = vm.callMethod(h, args, levels, 0);
    EXPECT_EQ(vm.wordAt(TAddr(block)), 42);
    const TWord box = vm.callMethod(h, args, levels, 1); // kept through the collection
    EXPECT_EQ(vm.wordAt(TAddr(vm.wordAt(TAddr(box)))), 42);
    vm.heap().validate();

    EXPECT_EQ(vm.convertReference(5, 1, GC_CODE_REFERENCE), 0);
    const TWord twice = vm.convertReference(2, 77, GC_CODE_REFERENCE);
    EXPECT_EQ(vm.convertReference(-2, twice, GC_CODE_REFERENCE), 77);
    EXPECT_THROW(vm.convertReference(-2, vm.newBox(0), GC_CODE_REFERENCE), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::lastErrorMessage(), u"NullPointerException: NULL pointer");
}

TEST(HostCalls, CallsDuringACallAreQueued)
{
    Machine m;
    m.services.onLog = [&](const std::string& line) {
        if (line == "a") {
            m.vm->deliverForeground();
            m.vm->deliverBackground(); // no entry: nothing queued
        }
    };
    const Outcome outcome = m.run(R"(
.method "<*application>.foreground event" code=foreground frame=Main
.string a "a"
.string b "b"
.string fg "fg"
main:
    new 2, 1
    native 32, 5
    pushstr a
    native 30, 1
    pushstr b
    native 30, 1
    ret 0, 1
foreground:
    pushstr fg
    native 30, 1
    ret 0, 2
)");
    EXPECT_EQ(outcome.logs, (Logs{"a", "b", "fg"}));
    EXPECT_FALSE(m.vm->hasQueuedCalls());
    EXPECT_EQ(m.access().runningHandle(), -1);
    EXPECT_EQ(m.vm->runningSignature(), VUvarString());
}

TEST(HostCalls, StoredCallsKeepTheirObjectsThroughTheRunningCallsCollection)
{
    Machine m;
    m.services.onLog = [&](const std::string& line) {
        if (line != "a")
            return;
        VirtualMachine& vm = *m.vm;
        const TAddr block = vm.heap().allocate(4, 0, GC_CODE_NATIVE); // held by nothing but the stored call
        vm.arena().storeWord(block, 1234);
        Vec<int> args, levels;
        args.append(TWord(block));
        levels.append(1);
        vm.callMethod(vm.getMethodHandle(VUvarString("show<"), 0), args, levels, -1);
    };
    const Outcome outcome = m.run(R"(
.method "show<*block>" code=show frame=Main
.string a "a"
main:
    pushstr a
    native 30, 1
    ret 0, 1
show:                  ; [block, ret]
    pick -2
    load
    itos
    native 30, 1
    ret 0, 2
)");
    EXPECT_EQ(outcome.logs, (Logs{"a", "1234"}));
    EXPECT_EQ(m.vm->heap().rootCount(), 0) << "the stored call's roots are dropped once it ran";
    m.vm->heap().validate();
}

TEST(HostCalls, DirectCallWhileRunningIsFatal)
{
    Machine m;
    m.services.onLog = [&](const std::string&) { m.vm->deliverTimer(m.access().application()); };
    const Outcome outcome = m.run(R"(
.method "<*systemtimerlistener>.systemtimerevent" code=main frame=Main
.string a "a"
main:
    pushstr a
    native 30, 1
    ret 0, 1
)");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.message, "UnknownException (CODE:11) VM concurrency error");
}
