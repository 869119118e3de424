// The stack side of the Graphics and Bitmap natives: holders arrive in
// reference boxes (a null box raises NullPointerException "NULL pointer").
#pragma once

#include "host/GraphicsInterfaces.h"
#include "natives/NativeCallFrame.h"

// The holder in the reference box of argument `i` (0 for a null holder).
inline TWord holderArg(NativeCallFrame& call, int i)
{
    return call.vm.wordAt(TAddr(call.arg(i)));
}
