// Font blocks: the heap blocks (GC_CODE_FONT) through which bytecode holds fonts.
#include "host/GraphicsInterfaces.h"

#include "machine/VirtualMachine.h"

namespace {
constexpr TInt32 LARGEST_SIZE_CODE = 2;
}

TAddr newNativeFont(VirtualMachine& vm, TInt32 sizeCode)
{
    if (sizeCode < 0 || sizeCode > LARGEST_SIZE_CODE)
        Lumbra::throwError(Lumbra::EInvalidArgument, std::string_view("Unknown font size"));
    return newFontBlock(vm, graphicsBackend(vm).newNativeFont());
}

TAddr newFontBlock(VirtualMachine& vm, VUvarFont* font)
{
    if (!font)
        return 0;
    const TUint32 size = font->type() == VUvarFont::NATIVE_TYPE ? NATIVE_FONT_BLOCK_SIZE : BITMAP_FONT_BLOCK_SIZE;
    return vm.heap().adoptOrDelete(font, size, GC_CODE_FONT);
}

VUvarFont* fontFromBox(VirtualMachine& vm, TWord box)
{
    const TWord font = vm.wordAt(TAddr(box));
    return font == 0 ? nullptr : vm.heap().objectAs<VUvarFont>(TAddr(font));
}

void rechargeFontInBox(VirtualMachine& vm, TWord box)
{
    vm.heap().rechargeHostBytes(TAddr(vm.wordAt(TAddr(box))));
}
