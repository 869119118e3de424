// The Char native group (10): UTF-16 units in the low 16 bits of a slot,
// classified and case-mapped by Qt.
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"

#include <QChar>

void charNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    switch (native) {
    case 1: case 2: case 3: case 4: {
        // 1 and 2 also drop the receiver below the character.
        call.take(native <= 2 ? 2 : 1);
        const QChar c(call.ch(native <= 2 ? 1 : 0));
        call.leave((native % 2 == 1 ? c.toLower() : c.toUpper()).unicode());
        return;
    }
    case 5: case 6: case 7: {
        call.take(1);
        const QChar c(call.ch(0));
        call.leaveOneOrZero(native == 5 ? c.isLetter() : native == 6 ? c.isDigit() : c.isSpace());
        return;
    }
    case 8:
        call.take(1);
        call.leaveString(call.chString(0));
        return;
    case 9:
        call.take(1);
        call.leave(call.arg(0) & 0xFFFF);
        return;
    default:
        undefinedNativeFunction(vm);
    }
}
