// The Graphics native group (18): drawing on a canvas (a screen or bitmap
// holder). A null canvas, or a null bitmap or font where one is drawn, draws
// nothing.
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/NumericCall.h"
#include "natives/fileNativeCall.h"
#include "natives/graphicsHolderCall.h"

namespace {

// Function 1: [canvas*, bitmap*, x, y, alpha].
void drawBitmap(NativeCallFrame& call)
{
    call.take(5);
    VirtualMachine& vm = call.vm;
    const TWord canvas = holderArg(call, 0);
    const TWord source = holderArg(call, 1);
    if (canvas != 0 && source != 0) {
        endPaintingOfHolder(vm, source);
        VMBitmap* bitmap = canvas == source ? nullptr : bitmapOfHolder(vm, source);
        if (bitmap) {
            if (MGraphicsContainer* container = containerOfHolder(vm, canvas))
                container->drawBitmap(bitmap, call.arg(2), call.arg(3), call.arg(4));
        }
    }
    call.leaveNothing();
}

// Functions 2 ([canvas*, string*, x, y, colour, font*]) and 3 ([canvas*,
// string*, start, count, x, y, colour, font*]).
void drawText(NativeCallFrame& call, bool ranged)
{
    const int point = ranged ? 4 : 2;
    call.take(point + 4);
    VirtualMachine& vm = call.vm;
    TInt32 start, count;
    const OString& text = call.part(1, ranged, start, count);
    VUvarFont* font = fontFromBox(vm, call.arg(point + 3));
    const TWord canvas = holderArg(call, 0);
    if (font && canvas != 0) {
        const TInt32 type = font->type();
        if (type != VUvarFont::NATIVE_TYPE && type != VUvarFont::BITMAP_TYPE)
            invalidArgument("Draw string: invalid font type");
        if (MGraphicsContainer* container = containerOfHolder(vm, canvas)) {
            const TInt32 x = call.arg(point), y = call.arg(point + 1);
            const TUint32 colour = TUint32(call.arg(point + 2));
            if (type == VUvarFont::NATIVE_TYPE)
                container->drawTextNative(text, start, count, x, y, colour);
            else {
                container->drawTextBitmap(text, start, count, x, y, colour, *font);
                rechargeFontInBox(vm, call.arg(point + 3)); // the glyph pixmap made at a first draw
            }
        }
    }
    call.leaveNothing();
}

// Functions 4 and 5: [canvas*, four numbers, colour].
void fillRectOrDrawLine(NativeCallFrame& call, bool line)
{
    call.take(6);
    const TWord canvas = holderArg(call, 0);
    if (canvas != 0) {
        if (MGraphicsContainer* container = containerOfHolder(call.vm, canvas)) {
            const TUint32 colour = TUint32(call.arg(5));
            if (line)
                container->drawLine(call.arg(1), call.arg(2), call.arg(3), call.arg(4), colour);
            else
                container->fillRect(call.arg(1), call.arg(2), call.arg(3), call.arg(4), colour);
        }
    }
    call.leaveNothing();
}

// Function 6: [canvas*, bitmap*, x, y, width, height, offset x, offset y, alpha].
void drawTiled(NativeCallFrame& call)
{
    call.take(9);
    VirtualMachine& vm = call.vm;
    const TWord canvas = holderArg(call, 0);
    const TWord source = holderArg(call, 1);
    if (canvas != 0 && source != 0) {
        endPaintingOfHolder(vm, source);
        VMBitmap* bitmap = bitmapOfHolder(vm, source);
        if (MGraphicsContainer* container = containerOfHolder(vm, canvas))
            container->drawTiled(call.arg(2), call.arg(3), call.arg(4), call.arg(5), bitmap, call.arg(6),
                                 call.arg(7), call.arg(8));
    }
    call.leaveNothing();
}

// The canvas's container and the source's bitmap for functions 7 and 10;
// false (draw nothing) for a null canvas or source, or an empty canvas.
bool canvasAndSource(NativeCallFrame& call, MGraphicsContainer*& container, VMBitmap*& bitmap)
{
    const TWord canvas = holderArg(call, 0);
    const TWord source = holderArg(call, 1);
    if (canvas == 0 || source == 0)
        return false;
    bitmap = bitmapOfHolder(call.vm, source);
    container = containerOfHolder(call.vm, canvas);
    return container != nullptr;
}

// Function 7: [canvas*, bitmap*, x, y, source x, source y, source width, source height, alpha].
void drawBitmapRegion(NativeCallFrame& call)
{
    call.take(9);
    MGraphicsContainer* container = nullptr;
    VMBitmap* bitmap = nullptr;
    if (canvasAndSource(call, container, bitmap))
        container->drawBitmapRegion(bitmap, call.arg(2), call.arg(3), call.arg(4), call.arg(5), call.arg(6),
                                    call.arg(7), call.arg(8));
    call.leaveNothing();
}

// Function 8: [canvas*, colour]. A bitmap is filled through its pixels, the screen by painting.
void fill(NativeCallFrame& call)
{
    call.take(2);
    VirtualMachine& vm = call.vm;
    const TWord canvas = holderArg(call, 0);
    const TUint32 colour = TUint32(call.arg(1));
    if (canvas != 0 && holderTypeId(vm, canvas) == BITMAP_TYPE_ID) {
        endPaintingOfHolder(vm, canvas);
        if (VMBitmap* bitmap = bitmapOfHolder(vm, canvas))
            bitmap->fill(colour);
    } else if (canvas != 0) {
        if (MGraphicsContainer* container = containerOfHolder(vm, canvas))
            container->fillAll(colour);
    }
    call.leaveNothing();
}

// Function 9: [four boxes, int]; only the boxes are checked.
void checkBoxes(NativeCallFrame& call)
{
    call.take(5);
    for (int i = 0; i < 4; ++i)
        holderArg(call, i);
    call.leaveNothing();
}

// Function 10: [canvas*, bitmap*, x, y, angle, scale x, scale y, alpha]; the
// three numbers are Fixed values of two slots each.
void drawTransformed(NativeCallFrame& call)
{
    call.take(11);
    MGraphicsContainer* container = nullptr;
    VMBitmap* bitmap = nullptr;
    if (canvasAndSource(call, container, bitmap))
        container->drawTransformed(bitmap, call.arg(2), call.arg(3), fixedArg(call, 4).toReal(),
                                   fixedArg(call, 6).toReal(), fixedArg(call, 8).toReal(), call.arg(10));
    call.leaveNothing();
}

} // namespace

void graphicsNative(VirtualMachine& vm, int function)
{
    NativeCallFrame call(vm, GraphicsFn(function));
    switch (GraphicsFn(function)) {
    case GraphicsFn::drawBitmap:
        drawBitmap(call);
        break;
    case GraphicsFn::drawText:
    case GraphicsFn::drawTextRange:
        drawText(call, function == 3);
        break;
    case GraphicsFn::fillRect:
    case GraphicsFn::drawLine:
        fillRectOrDrawLine(call, function == 5);
        break;
    case GraphicsFn::drawTiled:
        drawTiled(call);
        break;
    case GraphicsFn::drawBitmapRegion:
        drawBitmapRegion(call);
        break;
    case GraphicsFn::fill:
        fill(call);
        break;
    case GraphicsFn::touch:
        checkBoxes(call);
        break;
    case GraphicsFn::drawTransformed:
        drawTransformed(call);
        break;
    }
}
