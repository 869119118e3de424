// Fixed values on the stack of a native call: two slots, the low word in the
// deeper one. Arguments and results otherwise follow NativeCallFrame.
#pragma once

#include "natives/stringNativeCall.h"
#include "values/OFixed.h"

inline OFixed fixedArg(NativeCallFrame& call, int i)
{
    return OFixed(ORaw::fromWords(TUint32(call.arg(i)), call.arg(i + 1)));
}

// Replaces the arguments by a Fixed result.
inline void leaveFixed(NativeCallFrame& call, OFixed f)
{
    call.vm.slot(call.base + 1) = ORaw::high(f.raw);
    call.vm.slot(call.base) = TWord(ORaw::low(f.raw));
    call.vm.setTopIndex(call.base + 1);
}

// Takes `slots` argument words and leaves a Fixed (for natives without arguments too).
inline void replaceByFixed(NativeCallFrame& call, int slots, OFixed f)
{
    call.take(slots);
    leaveFixed(call, f);
}
