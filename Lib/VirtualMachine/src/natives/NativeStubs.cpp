// Native groups whose operations are not implemented yet: every function
// number raises the group's undefined-function error. A group's line goes
// away when its implementation lands.
#include "NativeGroups.h"

#include "OVector.h"
#include "VirtualMachine.h"

#define LUMBRA_UNDEFINED_GROUP(group, function) \
    void function(VirtualMachine& vm, int) { undefinedNativeFunction(vm); }

LUMBRA_UNDEFINED_GROUP(15, sizeNative)
LUMBRA_UNDEFINED_GROUP(19, bitmapNative)
LUMBRA_UNDEFINED_GROUP(20, fontNative)
