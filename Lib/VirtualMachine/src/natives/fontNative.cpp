// The Font native group (20): metrics of native and bitmap fonts. A null
// font measures everything as 0; a substring is range-checked first.
#include "host/GraphicsInterfaces.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"

namespace {

// Functions 2 ([font*] -> [height]) and 3 ([font*] -> [ascent]).
void lineMetric(NativeCallFrame& call, bool height)
{
    call.take(1);
    VUvarFont* font = fontFromBox(call.vm, call.arg(0));
    call.leave(!font ? 0 : height ? font->height() : font->ascent());
}

// Functions 4 to 7: [font*, string*], then (start, count) when `ranged`,
// then the maximum width when `fitting`.
void textMetric(NativeCallFrame& call, bool ranged, bool fitting)
{
    call.take(2 + (ranged ? 2 : 0) + (fitting ? 1 : 0));
    VUvarFont* font = fontFromBox(call.vm, call.arg(0));
    if (!font) {
        call.leave(0);
        return;
    }
    TInt32 start, count;
    const OString& text = call.part(1, ranged, start, count);
    call.leave(fitting ? font->fitCount(text, start, count, call.arg(ranged ? 4 : 2)) : font->width(text, start, count));
}

} // namespace

void fontNative(VirtualMachine& vm, int function)
{
    NativeCallFrame call(vm, FontFn(function));
    switch (FontFn(function)) {
    case FontFn::height:
    case FontFn::ascent:
        lineMetric(call, function == 2);
        break;
    case FontFn::width:
    case FontFn::widthOfRange:
        textMetric(call, function == 5, false);
        break;
    case FontFn::fitCount:
    case FontFn::fitCountOfRange:
        textMetric(call, function == 7, true);
        break;
    }
}
