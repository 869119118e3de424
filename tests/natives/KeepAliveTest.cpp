// An application object keeps strings and vectors alive across many host
// calls, each followed by a collection, while every call mutates them and
// leaves garbage behind. Nothing reachable may be lost and nothing
// unreachable may survive: each call adds exactly one string reference
// (a box and its string) to what the application reaches.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {

// Application object: word 0 type, 1 a string box, 2 a string box, 3-4 a
// vector variable of string references, 5-6 a vector variable of ints.
constexpr const char* KEEP_ALIVE = R"(
.method "main" code=main frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.type App refs=[1,2] vectors=[*3, 5]
.frame Main
.string initial "s"
.string bang "!"
.string junk "junk"
main:
    new 1, 7
    dup
    settype App
    dup
    fieldaddr 1
    pushstr initial
    store
    dup
    fieldaddr 2
    pushstr bang
    store
    dup
    fieldaddr 3
    newvec 4
    dup
    fieldaddr 5
    newvec 4
    native 32, 5            ; the application object becomes a root
    ret 0, 1
foreground:                 ; [app, return]
    pick -2                 ; field 1 gets one more 'x', in place
    fieldaddr 1
    load
    push 120
    native 8, 63
    pick -2                 ; field 2 := field 1 + "!", a new string
    fieldaddr 2
    pick -3
    fieldaddr 1
    load
    pushstr bang
    native 8, 48
    store
    pick -2                 ; a fresh copy of field 1 is appended to the references
    fieldaddr 3
    pick -3
    fieldaddr 1
    load
    push 0
    push -1
    native 8, -106
    native 7, 19
    pick -2                 ; the reference count is appended to the ints
    fieldaddr 5
    pick -3
    fieldaddr 3
    native 7, 11
    native 3, 19
    pushstr junk            ; garbage: a repeated string and a filled vector
    push 3
    native 8, 49
    adjust -1
    new 6, 2
    dup
    newvec 4
    dup
    push 7
    push 50
    native 3, 3
    adjust -1
    pick -2                 ; log field 2, the first and last references, the last int
    fieldaddr 2
    load
    native 30, 1
    pick -2
    fieldaddr 3
    native 7, 9
    native 30, 1
    pick -2
    fieldaddr 3
    native 7, 10
    native 30, 1
    pick -2
    fieldaddr 5
    native 3, 10
    native 8, -122
    native 30, 1
    ret 0, 2
)";

} // namespace

TEST(KeepAlive, StringsAndVectorsSurviveCollectionsAndGarbageDoesNot)
{
    constexpr int CALLS = 60;
    std::vector<int> entries;
    const RunResult result = runSource(KEEP_ALIVE, [&](VirtualMachine& vm) {
        entries.push_back(vm.heap().nOfEntries());
        for (int call = 1; call <= CALLS; ++call) {
            vm.deliverForeground();
            vm.heap().validate();
            entries.push_back(vm.heap().nOfEntries());
        }
    });
    ASSERT_FALSE(result.stopped) << result.stopMessage;

    std::vector<std::string> expected;
    std::string field = "s";
    for (int call = 1; call <= CALLS; ++call) {
        field += 'x';
        expected = expected + std::vector<std::string>{field + "!", "sx", field, std::to_string(call)};
    }
    EXPECT_EQ(result.log, expected);

    ASSERT_EQ(int(entries.size()), CALLS + 1);
    // The first call adds the two vectors' storage besides its reference.
    EXPECT_EQ(entries[1] - entries[0], 4);
    for (int call = 2; call <= CALLS; ++call)
        EXPECT_EQ(entries[call] - entries[call - 1], 2) << "after call " << call;
}
