// Key events: built by key delivery, read by the KeyEvent natives.
#include "ScreenTestSupport.h"
#include "natives/NativeGroups.h"
#include "values/KeyEvent.h"

namespace ScreenTest {
namespace {

// The key handlers log "pressed"/"released", then the event's code,
// modifiers, scan code and text.
constexpr const char* KEY_PROGRAM = R"(
.method "<*application>.key pressed<*keyevent>" code=pressed frame=Main
.method "<*application>.key released<*keyevent>" code=released frame=Main
.string pressedText "pressed"
.string releasedText "released"
main:
    new 2, 1
    native 32, 5
    ret 0, 1
pressed:
    pushstr pressedText
    native 30, 1
    jmp fields
released:
    pushstr releasedText
    native 30, 1
fields:
    pick -2
    native 35, 1
    logi
    pick -2
    native 35, 2
    logi
    pick -2
    native 35, 3
    logi
    pick -2
    native 35, 4
    native 30, 1
    ret 0, 3
)";

TEST(KeyEventNatives, HandlersReadEveryField)
{
    ScreenMachine m;
    ASSERT_FALSE(m.run(KEY_PROGRAM).stopped);
    VirtualMachine& vm = *m.vm;
    vm.deliverKey(0x41, 38, 0, OString::fromU16(u"a"), 1);
    vm.deliverKey(0x01000001, 36, 5, OString::fromU16(u"\u00e9\u20ac"), 0x100); // low byte 0: released
    vm.deliverKey(0x01000000, 9, 0, OString(), 0);
    EXPECT_EQ(m.services.logs, (Logs{"pressed", "65", "0", "38", "a",                       //
                                     "released", "16777217", "5", "36", "\u00e9\u20ac",      //
                                     "released", "16777216", "0", "9", ""}));
    // The events belonged to their calls only.
    EXPECT_EQ(vm.heap().nativeObjectCount(), 0);
    vm.heap().validate();
}

TEST(KeyEventNatives, EventObjectHoldsItsValues)
{
    ScreenMachine m;
    ASSERT_FALSE(m.run("main:\n    ret 0, 1\n").stopped);
    VirtualMachine& vm = *m.vm;
    OString text = OString::fromU16(u"xy");
    const TAddr event = newKeyEvent(vm.heap(), 0x20, 65, 3, text);
    text = OString::fromU16(u"changed"); // the event keeps its own copy
    const Lumbra::KeyEvent* e = vm.heap().objectAs<Lumbra::KeyEvent>(event);
    EXPECT_EQ(e->keyCode, 0x20);
    EXPECT_EQ(e->scanCode, 65);
    EXPECT_EQ(e->modifiers, 3);
    EXPECT_EQ(e->text.toU16(), u"xy");
    EXPECT_EQ(vm.heap().entry(VMHeap::entryOf(event)).gcCode, GC_CODE_NATIVE);
    vm.heap().validate();
    vm.heap().collect();
    EXPECT_EQ(vm.heap().nativeObjectCount(), 0);
}

TEST(KeyEventNatives, OperandMustBeAKeyEvent)
{
    ScreenMachine nullBox;
    EXPECT_EQ(nullBox.run("main:\n    push 0\n    native 35, 1\n    ret 1, 2\n").logs,
              (Logs{"NullPointerException: NULL pointer", "1"}));

    ScreenMachine nullEvent;
    EXPECT_EQ(nullEvent.run("main:\n    push 0\n    box\n    native 35, 4\n    ret 1, 2\n").logs,
              (Logs{"NullPointerException: NULL pointer", "1"}));

    // A plain block is no native object; a string is a native object of another kind.
    ScreenMachine plain;
    EXPECT_EQ(plain.run("main:\n    new 2, 3\n    box\n    native 35, 3\n    ret 1, 2\n").logs,
              (Logs{"VMException: not a native object", "10"}));
    ScreenMachine string;
    EXPECT_EQ(string.run(".string s \"k\"\nmain:\n    pushstr s\n    native 35, 1\n    ret 1, 2\n").logs,
              (Logs{"VMException: object of the wrong kind", "10"}));
}

TEST(KeyEventNatives, UndefinedFunctionNamesTheGroupAndPosition)
{
    ScreenMachine m;
    EXPECT_EQ(m.run("main:\n    native 35, 5\n    ret 0, 1\n").logs,
              (Logs{"VMException: KeyEvent: invalid opcode 2", "10"}));
}

} // namespace
} // namespace ScreenTest
