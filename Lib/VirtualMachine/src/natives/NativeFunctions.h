// The function numbers of every native group as scoped enumerations, one per
// group declaration: a group's switch names its cases by them and, compiled
// with -Werror=switch-enum and no default, covers exactly its declared rows.
#pragma once

#include "natives/NativeGroups.h"

#define NATIVE(number, identifier, family, signature, meaning) identifier = number,

// The Byte group declares no functions.
enum class ByteFn {};

enum class VectorFn {
#include "natives/groups/Vector.def"
};
enum class StringFn {
#include "natives/groups/String.def"
};
enum class CharFn {
#include "natives/groups/Char.def"
};
enum class FixedFn {
#include "natives/groups/Fixed.def"
};
enum class LongFn {
#include "natives/groups/Long.def"
};
enum class ColorFn {
#include "natives/groups/Color.def"
};
enum class RangeFn {
#include "natives/groups/Range.def"
};
enum class SizeFn {
#include "natives/groups/Size.def"
};
enum class PositionFn {
#include "natives/groups/Position.def"
};
enum class RectangleFn {
#include "natives/groups/Rectangle.def"
};
enum class GraphicsFn {
#include "natives/groups/Graphics.def"
};
enum class BitmapFn {
#include "natives/groups/Bitmap.def"
};
enum class FontFn {
#include "natives/groups/Font.def"
};
enum class OutputStreamFn {
#include "natives/groups/OutputStream.def"
};
enum class FileWriterFn {
#include "natives/groups/FileWriter.def"
};
enum class InputStreamFn {
#include "natives/groups/InputStream.def"
};
enum class FileReaderFn {
#include "natives/groups/FileReader.def"
};
enum class FileSystemFn {
#include "natives/groups/FileSystem.def"
};
enum class MathFn {
#include "natives/groups/Math.def"
};
enum class NumberFn {
#include "natives/groups/Number.def"
};
enum class EncoderFn {
#include "natives/groups/Encoder.def"
};
enum class DateTimeFn {
#include "natives/groups/DateTime.def"
};
enum class DebugFn {
#include "natives/groups/Debug.def"
};
enum class ScreenFn {
#include "natives/groups/Screen.def"
};
enum class SystemFn {
#include "natives/groups/System.def"
};
enum class TimerFn {
#include "natives/groups/Timer.def"
};
enum class HashFn {
#include "natives/groups/Hash.def"
};
enum class KeyEventFn {
#include "natives/groups/KeyEvent.def"
};

#undef NATIVE

// The group number of each enumeration, for the call frame's declared row.
template <class Fn>
inline constexpr int NATIVE_GROUP_OF = 0;
#define LUMBRA_NATIVE_GROUP_OF(group, name, function) \
    template <>                                       \
    inline constexpr int NATIVE_GROUP_OF<name##Fn> = group;
LUMBRA_NATIVE_GROUPS(LUMBRA_NATIVE_GROUP_OF)
#undef LUMBRA_NATIVE_GROUP_OF
