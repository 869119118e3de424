#include "natives/fileNativeCall.h"

#include <string_view>

FrameworkServices& fileServices(VirtualMachine& vm)
{
    FrameworkServices* services = vm.services();
    if (!services)
        ioFailure();
    return *services;
}

const ByteVector& byteVectorArg(VirtualMachine& vm, TWord box)
{
    const TWord vector = vm.wordAt(TAddr(box));
    if (vector == 0)
        Lumbra::Arena::nullAddress();
    return *vm.heap().objectAs<ByteVector>(TAddr(vector));
}

TWord newByteVectorBox(VirtualMachine& vm, const void* bytes, int count)
{
    const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
    vm.heap().objectAs<ByteVector>(vector)->insert(0, static_cast<const ByteElement*>(bytes), count);
    return vm.newBox(TWord(vector));
}

void invalidArgument(const char* detail)
{
    Lumbra::throwError(Lumbra::EInvalidArgument, std::string_view(detail));
}

void ioFailure()
{
    Lumbra::raiseError(Lumbra::EIOError);
}

void couldNotOpen(const OString& path)
{
    Lumbra::throwError(Lumbra::EIOError, u"Could not open file: " + path.toU16());
}
