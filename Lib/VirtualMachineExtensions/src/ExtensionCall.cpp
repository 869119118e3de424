#include "ExtensionCall.h"

#include "ExtensionOperations.h"
#include "VMError.h"

ExtensionCall::ExtensionCall(VirtualMachine& vm, int top, TWord* stack, int slots)
    : vm(vm), stack(stack), base(top - slots + 1)
{
    if (!stack || top >= VirtualMachine::STACK_WORDS || base < 0 || slots < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
}

ExtensionCall ExtensionCall::declared(VirtualMachine& vm, int id, unsigned operation, int top, TWord* stack,
                                      const char* unknown)
{
    const ExtensionOperation* row = extensionOperation(id, operation);
    if (!row)
        unknownOperation(vm, unknown);
    return ExtensionCall(vm, top, stack, row->taken);
}

TWord ExtensionCall::wrapperWord(int i, int word) const
{
    return vm.wordAt(TAddr(arg(i)), word);
}

void ExtensionCall::setWrapperWord(int i, TWord value, int word) const
{
    vm.arena().storeWord(TAddr(arg(i)) + TAddr(word) * 4, value);
}

int ExtensionCall::leave(std::initializer_list<TWord> words) const
{
    int index = base;
    for (TWord word : words) {
        if (index >= VirtualMachine::STACK_WORDS)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        stack[index++] = word;
    }
    return index - 1;
}

void unknownOperation(VirtualMachine& vm, const char* message)
{
    deviceFailure(vm, message);
}

void deviceFailure(VirtualMachine& vm, const std::string& message)
{
    vm.fatalError(OString::fromUtf8(reinterpret_cast<const unsigned char*>(message.data()), int(message.size())), 1);
    Lumbra::raiseError(Lumbra::EFatal); // not reached: the machine's report does not return
}
