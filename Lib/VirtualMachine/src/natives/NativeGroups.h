// The native groups reached by the native-call instruction. Every group is
// one function that switches on the function number and works on the
// machine's stack; a function its table does not declare never reaches it.
#pragma once

#include "LumbraTypes.h"

class VirtualMachine;

// The vector groups: VECTOR_GROUP(group, element type, element is a
// reference), the element types being those of values/ObjectWrapper.h.
#define LUMBRA_VECTOR_GROUPS(VECTOR_GROUP)      \
    VECTOR_GROUP(1, ByteElement, false)         \
    VECTOR_GROUP(3, WordElement<1>, false)      \
    VECTOR_GROUP(4, WordElement<2>, false)      \
    VECTOR_GROUP(5, WordElement<3>, false)      \
    VECTOR_GROUP(6, WordElement<4>, false)      \
    VECTOR_GROUP(7, WordElement<1>, true)

// NATIVE_GROUP(group, Name, function) for every group but the vector groups
// and group 2; NameFn is the group's function enumeration (NativeFunctions.h).
// Names, prefixes and functions of every group: NativeTable.h.
#define LUMBRA_NATIVE_GROUPS(NATIVE_GROUP)      \
    NATIVE_GROUP(8, String, stringNative)       \
    NATIVE_GROUP(9, Byte, byteNative)           \
    NATIVE_GROUP(10, Char, charNative)          \
    NATIVE_GROUP(11, Fixed, fixedNative)        \
    NATIVE_GROUP(12, Long, longNative)          \
    NATIVE_GROUP(13, Color, colorNative)        \
    NATIVE_GROUP(14, Range, rangeNative)        \
    NATIVE_GROUP(15, Size, sizeNative)          \
    NATIVE_GROUP(16, Position, positionNative)  \
    NATIVE_GROUP(17, Rectangle, rectangleNative)\
    NATIVE_GROUP(18, Graphics, graphicsNative)  \
    NATIVE_GROUP(19, Bitmap, bitmapNative)      \
    NATIVE_GROUP(20, Font, fontNative)          \
    NATIVE_GROUP(21, OutputStream, outputStreamNative)\
    NATIVE_GROUP(22, FileWriter, fileWriterNative)\
    NATIVE_GROUP(23, InputStream, inputStreamNative)\
    NATIVE_GROUP(24, FileReader, fileReaderNative)\
    NATIVE_GROUP(25, FileSystem, fileSystemNative)\
    NATIVE_GROUP(26, Math, mathNative)          \
    NATIVE_GROUP(27, Number, numberNative)      \
    NATIVE_GROUP(28, Encoder, encoderNative)    \
    NATIVE_GROUP(29, DateTime, dateTimeNative)  \
    NATIVE_GROUP(30, Debug, debugNative)        \
    NATIVE_GROUP(31, Screen, screenNative)      \
    NATIVE_GROUP(32, System, systemNative)      \
    NATIVE_GROUP(33, Timer, timerNative)        \
    NATIVE_GROUP(34, Hash, hashNative)          \
    NATIVE_GROUP(35, KeyEvent, keyEventNative)

// Vector groups 1 and 3 to 7: `group` tells the element layout (1 bytes,
// 3..6 one to four ints per element, 7 references); bPrimitive is false for 7.
void vectorNative(VirtualMachine& vm, int group, int function, bool bPrimitive);
// The element address (6), read (8) and append (19) of the groups of
// one-word or byte elements, taken before the general dispatch (every one of
// those groups declares all three): false for any other call.
bool vectorFastCall(VirtualMachine& vm, int group, int function);

#define LUMBRA_DECLARE_NATIVE_GROUP(group, name, function) void function(VirtualMachine& vm, int native);
LUMBRA_NATIVE_GROUPS(LUMBRA_DECLARE_NATIVE_GROUP)
#undef LUMBRA_DECLARE_NATIVE_GROUP

// VMException "<prefix><position>" for a function of native group `group`
// that the group does not define.
[[noreturn]] void undefinedNativeFunction(VirtualMachine& vm, int group);

// Runs native call (group, function) with the machine's ip at the function byte.
void callNative(VirtualMachine& vm, int group, int function);

// VMException naming the native when a call that returned normally did not
// leave the stack `spBefore - taken + left` as its declared row says.
// Functions that never return are exempt. Called in checking builds only.
void checkNativeStackEffect(VirtualMachine& vm, int group, int function, int spBefore);

// A new empty managed vector (16-byte GC_CODE_VECTOR block) whose elements are
// `elementSize` bytes (1, 4, 8, 12 or 16); answers its address.
TAddr newEmptyVector(VirtualMachine& vm, int elementSize);
