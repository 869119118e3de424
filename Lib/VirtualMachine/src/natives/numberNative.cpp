// The Number native group (27): helpers on int and byte values.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"

#include <cstdint>

void numberNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, NumberFn(native));
    switch (NumberFn(native)) {
    case NumberFn::absByte: {
        call.take();
        const TInt32 b = TInt32(static_cast<signed char>(call.arg(0)));
        call.leave(b < 0 ? -b : b);
        return;
    }
    case NumberFn::absInt: {
        call.take();
        const TInt32 v = call.arg(0);
        call.leave(v == INT32_MIN ? INT32_MAX : (v < 0 ? -v : v));
        return;
    }
    case NumberFn::toStringRadix:
        call.take();
        call.leaveString(OString::fromUnsigned(TUint32(call.arg(0)), call.arg(1)));
        return;
    }
}
