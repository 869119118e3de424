// The stack side of an extension operation: the arguments are the top slots
// of the machine's stack (the last on top); results start at the first
// argument's slot. Wrappers are managed objects whose words are read through
// the machine's arena, so a null or forged wrapper ends in a VM error.
#pragma once

#include "VMExtension.h"
#include "VirtualMachine.h"

class ExtensionCall {
public:
    // The top `slots` words of `stack` (topmost at `top`) become the
    // arguments; a range outside the machine's stack raises error 6.
    ExtensionCall(VirtualMachine& vm, int top, TWord* stack, int slots);

    TWord arg(int i) const { return stack[base + i]; }
    // Word `word` of the wrapper passed as argument `i` (null: error 1 "NULL pointer").
    TWord wrapperWord(int i, int word = 0) const;
    void setWrapperWord(int i, TWord value, int word = 0) const;
    // The native object held in the first word of the wrapper in argument `i`.
    template <class T>
    T& wrapped(int i) const
    {
        return *vm.heap().objectAs<T>(TAddr(wrapperWord(i)));
    }

    // Results: `words` written from the first argument's slot; answers the new top.
    int leave(std::initializer_list<TWord> words) const;
    int leaveNothing() const { return base - 1; }

    VirtualMachine& vm;

private:
    TWord* stack;
    int base;
};

// The extension's report of an operation it does not know; does not return.
[[noreturn]] void unknownOperation(VirtualMachine& vm, const char* message);

// An extension whose operations are all unknown to it: every call ends in its
// unknown-operation report.
class OperationlessExtension : public VMExtension {
public:
    OperationlessExtension(VirtualMachine& vm, const char* unknownMessage) : vm(vm), unknownMessage(unknownMessage) {}
    int call(unsigned, int, TWord*) override { unknownOperation(vm, unknownMessage); }

protected:
    VirtualMachine& vm;

private:
    const char* unknownMessage;
};
