// The stack side of an extension operation: the arguments are the top slots
// of the machine's stack (the last on top); results start at the first
// argument's slot. Wrappers are managed objects whose words are read through
// the machine's arena, so a null or forged wrapper ends in a VM error.
#pragma once

#include "VMExtension.h"
#include "machine/VirtualMachine.h"
#include "values/OFixed.h"

#include <string>

class ExtensionCall {
public:
    // The top `slots` words of `stack` (topmost at `top`) become the
    // arguments; a range outside the machine's stack raises error 6.
    ExtensionCall(VirtualMachine& vm, int top, TWord* stack, int slots);
    // The arguments of operation `operation` of extension `id`: as many words
    // as its row in ExtensionOperations.def declares. An operation without a
    // row ends the run with the fatal error `unknown`.
    static ExtensionCall declared(VirtualMachine& vm, int id, unsigned operation, int top, TWord* stack,
                                  const char* unknown);

    TWord arg(int i) const { return stack[base + i]; }
    // The fixed-point number in arguments `i` (low word) and `i` + 1.
    OFixed fixedArg(int i) const
    {
        return OFixed(TInt64(TUint64(TUint32(arg(i))) | (TUint64(TUint32(arg(i + 1))) << 32)));
    }
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
    // A fixed-point result: two slots, the low word first.
    int leaveFixed(OFixed value) const
    {
        return leave({TWord(TUint32(TUint64(value.raw))), TWord(TUint32(TUint64(value.raw) >> 32))});
    }

    VirtualMachine& vm;

private:
    TWord* stack;
    int base;
};

// The extension's report of an operation it does not know; does not return.
[[noreturn]] void unknownOperation(VirtualMachine& vm, const char* message);
// A device failure: `message` (UTF-8) through the machine's fatal error; does not return.
[[noreturn]] void deviceFailure(VirtualMachine& vm, const std::string& message);
