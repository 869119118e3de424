// The Byte native group (9) has no operations. Function 0 is not produced by
// valid bytecode either; it is rejected like every other number.
#include "natives/NativeGroups.h"

#include "machine/VirtualMachine.h"
#include "natives/NativeFunctions.h"

void byteNative(VirtualMachine& vm, int)
{
    undefinedNativeFunction(vm, NATIVE_GROUP_OF<ByteFn>);
}
