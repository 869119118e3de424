// The native groups reached by the native-call instruction. Every group is
// one function that switches on the function number and works on the
// machine's stack; an undefined function raises VMException "<prefix><ip>".
#pragma once

#include "LumbraTypes.h"

class VirtualMachine;

// NATIVE_GROUP(group, function, prefix) for every group but the vector groups
// and group 2.
#define LUMBRA_NATIVE_GROUPS(NATIVE_GROUP)                  \
    NATIVE_GROUP(8, stringNative, "String:")                \
    NATIVE_GROUP(9, byteNative, "Byte:")                    \
    NATIVE_GROUP(10, charNative, "Char:")                   \
    NATIVE_GROUP(11, fixedNative, "Fixed:")                 \
    NATIVE_GROUP(12, longNative, "Long:")                   \
    NATIVE_GROUP(13, colorNative, "Color:")                 \
    NATIVE_GROUP(14, rangeNative, "Range:")                 \
    NATIVE_GROUP(15, sizeNative, "Size:")                   \
    NATIVE_GROUP(16, positionNative, "Position:")           \
    NATIVE_GROUP(17, rectangleNative, "Rectangle:")         \
    NATIVE_GROUP(18, graphicsNative, "Graphics:")           \
    NATIVE_GROUP(19, bitmapNative, "Bitmap:")               \
    NATIVE_GROUP(20, fontNative, "Font:")                   \
    NATIVE_GROUP(21, outputStreamNative, "OutputStream:")   \
    NATIVE_GROUP(22, fileWriterNative, "FileWriter:")       \
    NATIVE_GROUP(23, inputStreamNative, "InputStream:")     \
    NATIVE_GROUP(24, fileReaderNative, "FileReader:")       \
    NATIVE_GROUP(25, fileSystemNative, "FileSystem:")       \
    NATIVE_GROUP(26, mathNative, "Math:")                   \
    NATIVE_GROUP(27, numberNative, "Number:")               \
    NATIVE_GROUP(28, encoderNative, "Encoder:")             \
    NATIVE_GROUP(29, dateTimeNative, "DateTime:")           \
    NATIVE_GROUP(30, debugNative, "Debug:")                 \
    NATIVE_GROUP(31, screenNative, "Screen:")               \
    NATIVE_GROUP(32, systemNative, "System:")               \
    NATIVE_GROUP(33, timerNative, "Timer:")                 \
    NATIVE_GROUP(34, hashNative, "Hash:")                   \
    NATIVE_GROUP(35, keyEventNative, "KeyEvent: invalid opcode ")

// Vector groups 1 and 3 to 7: `group` tells the element layout (1 bytes,
// 3..6 one to four ints per element, 7 references); bPrimitive is false for 7.
inline constexpr const char* VECTOR_PREFIX = "Vector:";
void vectorNative(VirtualMachine& vm, int group, int function, bool bPrimitive);

#define LUMBRA_DECLARE_NATIVE_GROUP(group, function, prefix) void function(VirtualMachine& vm, int native);
LUMBRA_NATIVE_GROUPS(LUMBRA_DECLARE_NATIVE_GROUP)
#undef LUMBRA_DECLARE_NATIVE_GROUP

// The prefix of a group's undefined-function message ("" for groups without one).
const char* nativeGroupPrefix(int group);

// Runs native call (group, function) with the machine's ip at the function byte.
void callNative(VirtualMachine& vm, int group, int function);

// A new empty managed vector (16-byte GC_CODE_VECTOR block) whose elements are
// `elementSize` bytes (1, 4, 8, 12 or 16); answers its address.
TAddr newEmptyVector(VirtualMachine& vm, int elementSize);

// A new key event object for the key entry points; 0 while key events are not
// available (the event is then not delivered).
class OString;
TAddr newKeyEvent(VirtualMachine& vm, int key, int scanCode, int modifiers, const OString& text);
