// The Bitmap native group (19): making, loading, reading, writing, scaling
// and encoding bitmaps. Results are stored as new bitmap holders in result
// boxes; every function that reads or replaces a bitmap first ends the
// painting on it, so it sees the finished drawing.
#include "host/BitmapFileLoader.h"
#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/fileNativeCall.h"
#include "natives/graphicsHolderCall.h"

#include <string>

namespace {

// Sides and area beyond which a bitmap is refused: far more than a handset
// screen, small enough that one call cannot exhaust the host's memory.
constexpr TInt32 MAX_SIDE = 32767;
constexpr TInt64 MAX_PIXELS = TInt64(1) << 25;

constexpr int SMOOTH_QUALITY = 10;
constexpr int FAST_QUALITY = 0;

std::string numbers(std::initializer_list<TInt32> values)
{
    std::string text;
    for (TInt32 v : values)
        text += (text.empty() ? "" : ", ") + std::to_string(v);
    return text;
}

void requireSize(TInt32 width, TInt32 height)
{
    if (width < 0)
        invalidArgument("Width should be non-negative");
    if (height < 0)
        invalidArgument("Height should be non-negative");
}

// A new bitmap of a checked non-negative size; null when either side is 0.
VMBitmap* newBitmap(VirtualMachine& vm, TInt32 width, TInt32 height)
{
    if (width == 0 || height == 0)
        return nullptr;
    if (width > MAX_SIDE || height > MAX_SIDE || TInt64(width) * height > MAX_PIXELS)
        invalidArgument("Bitmap is too large");
    return graphicsBackend(vm).newBitmap(width, height);
}

// Stores a new holder of `bitmap` in the result box of argument 0.
void storeHolder(NativeCallFrame& call, VMBitmap* bitmap)
{
    const TAddr box = TAddr(call.arg(0));
    try {
        call.vm.wordAt(box); // checks the box before the holder is made
    } catch (...) {
        delete bitmap;
        throw;
    }
    call.vm.arena().storeWord(box, TWord(newBitmapHolder(call.vm, bitmap)));
    call.leaveNothing();
}

// The bitmap holder of argument `i`, its painting ended; a null holder
// raises NullPointerException without detail.
TWord endedHolderArg(NativeCallFrame& call, int i)
{
    const TWord holder = holderArg(call, i);
    if (holder == 0)
        Lumbra::raiseError(Lumbra::ENullPointer);
    endPaintingOfHolder(call.vm, holder);
    return holder;
}

// Function 1: [result box, width, height, colour].
void create(NativeCallFrame& call)
{
    call.take(4);
    requireSize(call.arg(1), call.arg(2));
    VMBitmap* bitmap = newBitmap(call.vm, call.arg(1), call.arg(2));
    if (bitmap)
        bitmap->fill(TUint32(call.arg(3)));
    storeHolder(call, bitmap);
}

// Function 2: [result box, bitmap*, x, y, width, height].
void subBitmap(NativeCallFrame& call)
{
    call.take(6);
    VirtualMachine& vm = call.vm;
    VMBitmap* source = bitmapOfHolder(vm, endedHolderArg(call, 1));
    const TInt32 x = call.arg(2), y = call.arg(3), w = call.arg(4), h = call.arg(5);
    const std::string rectangle = "Source rectangle (" + numbers({x, y, w, h}) + ") should be inside the bounds of the source bitmap";
    VMBitmap* result = nullptr;
    if (source) {
        TInt32 width = 0, height = 0;
        source->size(width, height);
        if (x < 0 || y < 0 || w < 0 || h < 0 || TInt64(width) < TInt64(x) + w || TInt64(height) < TInt64(y) + h)
            invalidArgument((rectangle + ": (" + numbers({width, height}) + ")").c_str());
        result = newBitmap(vm, w, h);
        if (result)
            result->copyRegionFrom(*source, x, y, w, h);
    } else if (x != 0 || y != 0 || w != 0 || h != 0) {
        invalidArgument((rectangle + ", the bitmap is empty").c_str());
    }
    storeHolder(call, result);
}

// Functions 3 to 5 store the decoded holder; undecodable data raises.
void storeDecoded(NativeCallFrame& call, TAddr holder)
{
    if (holder == 0)
        invalidArgument("Could not load image");
    const TAddr box = TAddr(call.arg(0));
    call.vm.wordAt(box);
    call.vm.arena().storeWord(box, TWord(holder));
    call.leaveNothing();
}

// Function 3: [result box, name*].
void load(NativeCallFrame& call)
{
    call.take(2);
    storeDecoded(call, LoadBitmapFromFile(call.str(1), false));
}

// Functions 4 ([result box, bytes*]) and 5 ([result box, bytes*, start, count]).
void decode(NativeCallFrame& call, bool ranged)
{
    call.take(ranged ? 4 : 2);
    VirtualMachine& vm = call.vm;
    const ByteVector& bytes = byteVectorArg(vm, call.arg(1));
    TInt32 start = 0, count = bytes.size();
    if (ranged) {
        start = call.arg(2);
        count = call.arg(3);
        Lumbra::checkRange(0, bytes.size(), start, count);
        if (count == 0)
            invalidArgument("size is zero");
    } else if (count == 0) {
        invalidArgument("byte[] is empty");
    }
    storeDecoded(call, decodeBitmapRange(vm, bytes.constData() + start, count, false));
}

// Function 6: [result box, bitmap*].
void copy(NativeCallFrame& call)
{
    call.take(2);
    VMBitmap* source = bitmapOfHolder(call.vm, endedHolderArg(call, 1));
    storeHolder(call, source ? graphicsBackend(call.vm).copyBitmap(*source) : nullptr);
}

// The bitmap of a holder with its size; null when empty.
VMBitmap* sizedBitmap(VirtualMachine& vm, TWord holder, TInt32& width, TInt32& height)
{
    VMBitmap* bitmap = bitmapOfHolder(vm, holder);
    width = height = 0;
    if (bitmap)
        bitmap->size(width, height);
    return bitmap;
}

// Functions 7 ([bitmap*, x, y] -> [colour]) and 9 ([bitmap*, x, y, colour]).
void pixel(NativeCallFrame& call, bool write)
{
    call.take(write ? 4 : 3);
    const TInt32 x = call.arg(1), y = call.arg(2);
    TInt32 width, height;
    const TWord holder = endedHolderArg(call, 0);
    VMBitmap* bitmap = sizedBitmap(call.vm, holder, width, height);
    if (!bitmap) {
        invalidArgument(write ? "Position is outside the bounds of the bitmap: the bitmap is empty"
                              : ("Position (" + numbers({x, y}) +
                                 ") is outside the bounds of the bitmap, the bitmap is empty")
                                    .c_str());
    }
    if (x < 0 || y < 0 || x >= width || y >= height)
        invalidArgument(("Position (" + numbers({x, y}) + ") is outside the bounds of the bitmap: (" +
                         numbers({width, height}) + ")")
                            .c_str());
    if (write) {
        bitmap->setPixel(x, y, TUint32(call.arg(3)));
        rechargeBitmapOfHolder(call.vm, holder); // the pixel copy made at the first pixel access
        call.leaveNothing();
    } else {
        const TWord colour = TWord(bitmap->getPixel(x, y));
        rechargeBitmapOfHolder(call.vm, holder);
        call.leave(colour);
    }
}

// Function 8: [bitmap*] -> [width, height].
void size(NativeCallFrame& call)
{
    call.take(1);
    const TWord holder = holderArg(call, 0);
    if (holder == 0)
        Lumbra::raiseError(Lumbra::ENullPointer);
    TInt32 width, height;
    sizedBitmap(call.vm, holder, width, height);
    if (width < 0 || height < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    call.leave(width);
    call.vm.push(height);
}

// Functions 10 to 12: [bitmap*, width, height].
void resize(NativeCallFrame& call, int quality)
{
    call.take(3);
    VirtualMachine& vm = call.vm;
    const TInt32 w = call.arg(1), h = call.arg(2);
    requireSize(w, h);
    const TWord holder = endedHolderArg(call, 0);
    TInt32 width, height;
    VMBitmap* bitmap = sizedBitmap(vm, holder, width, height);
    if (w == 0 || h == 0) {
        setBitmapOfHolder(vm, holder, nullptr);
    } else if (!bitmap) {
        VMBitmap* black = newBitmap(vm, w, h);
        black->fill(0xFF000000);
        setBitmapOfHolder(vm, holder, black);
    } else if (w != width || h != height) {
        VMBitmap* scaled = newBitmap(vm, w, h);
        scaled->scaleFrom(*bitmap, quality);
        setBitmapOfHolder(vm, holder, scaled);
    }
    call.leaveNothing();
}

// Function 13: [bitmap*, format code] -> [bytes]; an empty bitmap, an unknown
// code or a format Qt cannot write give the empty array.
void encode(NativeCallFrame& call)
{
    static const char* const FORMATS[] = {"", "jpg", "png", "gif", "bmp"};
    call.take(2);
    VirtualMachine& vm = call.vm;
    FrameworkServices& services = fileServices(vm);
    services.encodeNotify(0);
    VMBitmap* bitmap = bitmapOfHolder(vm, endedHolderArg(call, 0));
    const TInt32 code = call.arg(1);
    std::vector<char> bytes;
    if (bitmap && !bitmap->encode(bytes, FORMATS[code >= 1 && code <= 4 ? code : 0]))
        bytes.clear();
    call.leave(newByteVectorBox(vm, bytes.data(), int(bytes.size())));
    services.encodeNotify(1);
}

} // namespace

void bitmapNative(VirtualMachine& vm, int function)
{
    NativeCallFrame call(vm, BitmapFn(function));
    switch (BitmapFn(function)) {
    case BitmapFn::create:
        create(call);
        break;
    case BitmapFn::subBitmap:
        subBitmap(call);
        break;
    case BitmapFn::load:
        load(call);
        break;
    case BitmapFn::decode:
    case BitmapFn::decodeRange:
        decode(call, function == 5);
        break;
    case BitmapFn::copy:
        copy(call);
        break;
    case BitmapFn::pixel:
    case BitmapFn::setPixel:
        pixel(call, function == 9);
        break;
    case BitmapFn::size:
        size(call);
        break;
    case BitmapFn::resize:
    case BitmapFn::resizeAlt:
    case BitmapFn::resizeSmooth:
        resize(call, function == 12 ? SMOOTH_QUALITY : FAST_QUALITY);
        break;
    case BitmapFn::encode:
        encode(call);
        break;
    }
}
