// Colours are unsigned 32-bit ARGB words: component k (0 blue, 1 green,
// 2 red, 3 alpha) is byte k. The named colour constants and the component
// helpers serve the Color natives and the drawing code alike.
#pragma once

#include "LumbraTypes.h"
#include "VMError.h"

// LUMBRA_COLOR(name, ARGB word), in the order of Color natives 14 to 24.
#define LUMBRA_COLOR_CONSTANTS(COLOR) \
    COLOR(Red, 0xFFFF0000u)            \
    COLOR(Green, 0xFF00FF00u)          \
    COLOR(Blue, 0xFF0000FFu)           \
    COLOR(Black, 0xFF000000u)          \
    COLOR(White, 0xFFFFFFFFu)          \
    COLOR(Cyan, 0xFF00FFFFu)           \
    COLOR(Magenta, 0xFFFF00FFu)        \
    COLOR(Yellow, 0xFFFFFF00u)         \
    COLOR(Gray, 0xFF808080u)           \
    COLOR(Brown, 0xFF964B00u)          \
    COLOR(Orange, 0xFFFF7F00u)

namespace LumbraColor {

enum Component { BLUE = 0, GREEN = 1, RED = 2, ALPHA = 3 };

#define LUMBRA_COLOR_CONSTANT(name, word) inline constexpr TUint32 name = word;
LUMBRA_COLOR_CONSTANTS(LUMBRA_COLOR_CONSTANT)
#undef LUMBRA_COLOR_CONSTANT

inline constexpr TUint32 CONSTANTS[] = {
#define LUMBRA_COLOR_WORD(name, word) word,
    LUMBRA_COLOR_CONSTANTS(LUMBRA_COLOR_WORD)
#undef LUMBRA_COLOR_WORD
};

inline constexpr TInt32 component(TUint32 color, int k) { return TInt32((color >> (8 * k)) & 0xFF); }

// A component value outside 0..255 (read unsigned) raises InvalidArgumentException.
inline TUint32 checkedComponent(TInt32 value)
{
    if (TUint32(value) > 255)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return TUint32(value);
}

// `color` with byte k replaced by `value` (checked).
inline TUint32 withComponent(TUint32 color, int k, TInt32 value)
{
    const TUint32 shift = TUint32(8 * k);
    return (color & ~(0xFFu << shift)) | (checkedComponent(value) << shift);
}

} // namespace LumbraColor
