// The Char native group (10): UTF-16 units in the low 16 bits of a slot,
// classified and case-mapped by Qt.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"

#include <QChar>

void charNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, CharFn(native));
    switch (CharFn(native)) {
    case CharFn::toLowerOf:
    case CharFn::toUpperOf:
    case CharFn::toLower:
    case CharFn::toUpper: {
        // 1 and 2 also drop the receiver below the character.
        call.take(native <= 2 ? 2 : 1);
        const QChar c(call.ch(native <= 2 ? 1 : 0));
        call.leave((native % 2 == 1 ? c.toLower() : c.toUpper()).unicode());
        return;
    }
    case CharFn::isLetter:
    case CharFn::isDigit:
    case CharFn::isSpace: {
        call.take();
        const QChar c(call.ch(0));
        call.leaveOneOrZero(native == 5 ? c.isLetter() : native == 6 ? c.isDigit() : c.isSpace());
        return;
    }
    case CharFn::toString:
        call.take();
        call.leaveString(call.chString(0));
        return;
    case CharFn::fromInt:
        call.take();
        call.leave(call.arg(0) & 0xFFFF);
        return;
    }
}
