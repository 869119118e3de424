// The stack side of a native call: arguments are the top words of the stack
// (the last on top); a result replaces the first argument's slot.
#pragma once

#include "OString.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeTable.h"

// The two spellings of a truth value on the stack: most native groups answer
// 1 or 0; the machine's own booleans are -1 or 0.
constexpr TWord oneOrZero(bool value) { return value ? 1 : 0; }
constexpr TWord machineTruth(bool value) { return value ? -1 : 0; }

class NativeCallFrame {
public:
    explicit NativeCallFrame(VirtualMachine& vm) : vm(vm) {}
    // The frame of a declared function: take() knows its arguments.
    template <class Fn>
    NativeCallFrame(VirtualMachine& vm, Fn function)
        : vm(vm), row(nativeFunction(NATIVE_GROUP_OF<Fn>, int(function) & 0xFF))
    {
    }

    // The declared arguments of the function become the arguments.
    void take() { take(row && row->taken > 0 ? row->taken : 0); }
    // The top `slots` words become the arguments.
    void take(int slots)
    {
        base = vm.topIndex() - slots + 1;
        if (base < 0)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
    }
    TWord arg(int i) { return vm.slot(base + i); }
    // The string in the reference box of argument i (shared, not copied).
    OString& str(int i) { return vm.stringFromBox(arg(i)); }
    // The string of argument i and the part of it to use: with `ranged`, the
    // (start, count) of the next two arguments, range-checked (a negative
    // count runs to the end); otherwise the whole string.
    const OString& part(int i, bool ranged, TInt32& start, TInt32& count)
    {
        const OString& text = str(i);
        start = ranged ? arg(i + 1) : 0;
        count = ranged ? arg(i + 2) : text.length();
        if (ranged)
            Lumbra::checkRange(0, text.length(), start, count);
        return text;
    }
    char16_t ch(int i) { return char16_t(arg(i) & 0xFFFF); }
    // A character argument as a one-character string.
    OString chString(int i) { return OString::filled(ch(i), 1); }
    bool flag(int i) { return arg(i) != 0; }

    void leave(TWord word)
    {
        vm.slot(base) = word;
        vm.setTopIndex(base);
    }
    // Truth values: the groups that answer 1 or 0, and the machine's -1 or 0.
    void leaveOneOrZero(bool value) { leave(oneOrZero(value)); }
    void leaveMachineTruth(bool value) { leave(machineTruth(value)); }
    void leaveSign(int value) { leave(value > 0 ? 1 : (value < 0 ? -1 : 0)); }
    // A fresh string reference (string block and box made as a pair).
    void leaveString(const OString& text) { leave(vm.newStringBox(text)); }
    void leaveNothing() { vm.setTopIndex(base - 1); }
    // Argument 0 is a result box: it receives a new string block holding `text`.
    void setResult(const OString& text)
    {
        const TAddr box = TAddr(arg(0));
        vm.wordAt(box); // checks the box before anything is made
        const TAddr string = vm.heap().create<OString>(OString::BLOCK_SIZE, GC_CODE_STRING, text);
        vm.arena().storeWord(box, TWord(string));
        leaveNothing();
    }

    VirtualMachine& vm;
    const NativeFunction* row = nullptr;
    int base = 0;
};
