// The declared function table of every native group: number, name and
// stack effect (words taken, words left; taken -1: the function does not
// return to the bytecode). The dispatcher, the assembler, the disassembler,
// the generated reference and the stack-effect test all read these tables.
#include "natives/NativeTable.h"

#include "image/OpcodeTable.h"

#include <array>
#include <iterator>

namespace {

constexpr bool GRAPHICS = true;

// The six vector groups share their functions: a value argument or result
// takes one word per element word (`e`); the reference group's get leaves
// the reference alone.
constexpr std::array<NativeFunction, 33> vectorTable(int e, bool references)
{
    return {{
        {1, "reserved", -1, 0},
        {2, "copy", 2, 0},
        {3, "filled", 2 + e, 0},
        {4, "nop", 0, 0},
        {5, "everyStep", 3, 0},
        {6, "elementAt", 2, 1},
        {7, "referenceAt", 2, 1},
        {8, "get", 2, references ? 1 : 1 + e},
        {9, "first", 1, e},
        {10, "last", 1, e},
        {11, "count", 1, 1},
        {12, "isEmpty", 1, 1},
        {13, "insertVector", 3, 0},
        {14, "insertRange", 5, 0},
        {15, "insert", 2 + e, 0},
        {16, "prependVector", 2, 0},
        {17, "prepend", 1 + e, 0},
        {18, "appendVector", 2, 0},
        {19, "append", 1 + e, 0},
        {20, "repeat", 2, 0},
        {21, "removeAt", 2, 0},
        {22, "removeRange", 3, 0},
        {23, "removeHead", 2, 0},
        {24, "removeTail", 2, 0},
        {25, "clear", 1, 0},
        {26, "replaceRangeByVector", 4, 0},
        {27, "replaceRangeByValue", 3 + e, 0},
        {28, "copyRange", 4, 0},
        {29, "single", 1 + e, 0},
        {81, "replaceOrInsert", 4, 0},
        {82, "rangeCopy", 3, 1},
        {83, "replaceOrInsertRange", 6, 0},
        {84, "joinRanges", 6, 1},
    }};
}

constexpr auto GROUP_1 = vectorTable(1, false);
constexpr auto GROUP_3 = vectorTable(1, false);
constexpr auto GROUP_4 = vectorTable(2, false);
constexpr auto GROUP_5 = vectorTable(3, false);
constexpr auto GROUP_6 = vectorTable(4, false);
constexpr auto GROUP_7 = vectorTable(1, true);

constexpr NativeFunction GROUP_8[] = { // String
    {1, "newEmpty", 1, 0},
    {2, "newCopy", 2, 0},
    {4, "newCopyAlt", 2, 0},
    {5, "newFilled", 3, 0},
    {7, "newSubstring", 4, 0},
    {8, "newEveryStep", 3, 0},
    {9, "newEveryStepInRange", 5, 0},
    {10, "length", 1, 1},
    {11, "isEmpty", 1, 1},
    {12, "charAddress", 2, 1},
    {14, "firstChar", 1, 1},
    {15, "lastChar", 1, 1},
    {16, "indexOfWithLength", 2, 2},
    {17, "indexOfRange", 4, 1},
    {18, "indexOfCase", 3, 1},
    {19, "indexOfRangeCase", 5, 1},
    {20, "indexOfChar", 2, 1},
    {21, "indexOfCharRange", 4, 1},
    {22, "indexOfCharCase", 3, 1},
    {23, "indexOfCharRangeCase", 5, 1},
    {24, "lastIndexOf", 2, 1},
    {25, "lastIndexOfRange", 4, 1},
    {26, "lastIndexOfCase", 3, 1},
    {27, "lastIndexOfRangeCase", 5, 1},
    {28, "lastIndexOfChar", 2, 1},
    {29, "lastIndexOfCharRange", 4, 1},
    {30, "lastIndexOfCharCase", 3, 1},
    {31, "lastIndexOfCharRangeCase", 5, 1},
    {32, "mostFrequentChar", 1, 1},
    {33, "mostFrequentCharInRange", 3, 1},
    {34, "mostFrequentCharCase", 2, 1},
    {35, "mostFrequentCharInRangeCase", 4, 1},
    {36, "count", 2, 1},
    {37, "countRange", 4, 1},
    {38, "countCase", 3, 1},
    {39, "countRangeCase", 5, 1},
    {40, "countChar", 2, 1},
    {41, "countCharRange", 4, 1},
    {42, "countCharCase", 3, 1},
    {43, "countCharRangeCase", 5, 1},
    {44, "startsWith", 2, 1},
    {45, "startsWithCase", 3, 1},
    {46, "endsWith", 2, 1},
    {47, "endsWithCase", 3, 1},
    {48, "concat", 2, 1},
    {49, "repeated", 2, 1},
    {50, "split", 2, 1},
    {51, "splitCase", 3, 1},
    {52, "splitByChar", 2, 1},
    {53, "splitByCharCase", 3, 1},
    {57, "insert", 3, 0},
    {58, "insertChar", 3, 0},
    {59, "insertRange", 5, 0},
    {60, "prepend", 2, 0},
    {61, "prependChar", 2, 0},
    {62, "append", 2, 0},
    {63, "appendChar", 2, 0},
    {64, "appendAlt", 2, 0},
    {65, "appendCharAlt", 2, 0},
    {66, "repeat", 2, 0},
    {67, "replaceRange", 4, 0},
    {68, "replaceRangeByChar", 4, 0},
    {69, "replaceFirst", 3, 0},
    {70, "replaceFirstCase", 4, 0},
    {71, "replaceFirstChar", 3, 0},
    {72, "replaceFirstCharCase", 4, 0},
    {73, "replaceFirstInRange", 5, 0},
    {74, "replaceFirstInRangeCase", 6, 0},
    {75, "replaceFirstCharInRange", 5, 0},
    {76, "replaceFirstCharInRangeCase", 6, 0},
    {77, "replaceLast", 3, 0},
    {78, "replaceLastCase", 4, 0},
    {79, "replaceLastChar", 3, 0},
    {80, "replaceLastCharCase", 4, 0},
    {81, "replaceLastInRange", 5, 0},
    {82, "replaceLastInRangeCase", 6, 0},
    {83, "replaceLastCharInRange", 5, 0},
    {84, "replaceLastCharInRangeCase", 6, 0},
    {85, "replaceAll", 3, 0},
    {86, "replaceAllCase", 4, 0},
    {87, "replaceAllChar", 3, 0},
    {88, "replaceAllCharCase", 4, 0},
    {89, "replaceAllInRange", 5, 0},
    {90, "replaceAllInRangeCase", 6, 0},
    {91, "replaceAllCharInRange", 5, 0},
    {92, "replaceAllCharInRangeCase", 6, 0},
    {93, "removeAt", 2, 0},
    {94, "removeRange", 3, 0},
    {95, "removeFirst", 2, 0},
    {96, "removeFirstRange", 4, 0},
    {97, "removeFirstCase", 3, 0},
    {98, "removeFirstRangeCase", 5, 0},
    {99, "removeFirstChar", 2, 0},
    {100, "removeFirstCharRange", 4, 0},
    {101, "removeFirstCharCase", 3, 0},
    {102, "removeFirstCharRangeCase", 5, 0},
    {103, "removeLast", 2, 0},
    {104, "removeLastRange", 4, 0},
    {105, "removeLastCase", 3, 0},
    {106, "removeLastRangeCase", 5, 0},
    {107, "removeLastChar", 2, 0},
    {108, "removeLastCharRange", 4, 0},
    {109, "removeLastCharCase", 3, 0},
    {110, "removeLastCharRangeCase", 5, 0},
    {111, "removeAll", 2, 0},
    {112, "removeAllRange", 4, 0},
    {113, "removeAllCase", 3, 0},
    {114, "removeAllRangeCase", 5, 0},
    {115, "removeAllChar", 2, 0},
    {116, "removeAllCharRange", 4, 0},
    {117, "removeAllCharCase", 3, 0},
    {118, "removeAllCharRangeCase", 5, 0},
    {119, "dropFirst", 1, 0},
    {120, "removeHead", 2, 0},
    {121, "dropLast", 1, 0},
    {122, "removeTail", 2, 0},
    {123, "clear", 1, 0},
    {124, "trimStart", 1, 0},
    {125, "trimEnd", 1, 0},
    {126, "trim", 1, 0},
    {127, "toLower", 1, 0},
    {128, "toUpper", 1, 0},
    {129, "charToLower", 1, 1},
    {130, "charToUpper", 1, 1},
    {131, "isLetter", 1, 1},
    {132, "isDigit", 1, 1},
    {133, "isSpace", 1, 1},
    {134, "fromInt", 1, 1},
    {135, "fromIntRadix", 2, 1},
    {136, "parseInt", 1, 1},
    {137, "parseIntRadix", 2, 1},
    {138, "compare", 3, 1},
    {139, "compareRegion", 5, 1},
    {140, "equals", 2, 1},
    {141, "notEquals", 2, 1},
    {142, "less", 2, 1},
    {143, "lessOrEqual", 2, 1},
    {144, "greater", 2, 1},
    {145, "greaterOrEqual", 2, 1},
    {146, "equalsIgnoreCase", 2, 1},
    {147, "equalsCase", 3, 1},
    {148, "regionEquals", 4, 1},
    {149, "regionEqualsCase", 5, 1},
    {150, "substring", 3, 1},
    {151, "nop", 0, 0},
    {152, "replaceOrInsert", 4, 0},
    {153, "substringAlt", 3, 1},
    {154, "replaceOrInsertRange", 6, 0},
    {155, "indexOfWithinRange", 4, 1},
    {156, "indexOfWithinRangeCase", 5, 1},
    {157, "lastIndexOfWithinRange", 4, 1},
    {158, "lastIndexOfWithinRangeCase", 5, 1},
    {159, "replaceAllWithinRange", 5, 0},
    {160, "replaceAllWithinRangeCase", 6, 0},
};

constexpr NativeFunction* GROUP_9 = nullptr; // Byte: no functions

constexpr NativeFunction GROUP_10[] = { // Char
    {1, "toLowerOf", 2, 1},
    {2, "toUpperOf", 2, 1},
    {3, "toLower", 1, 1},
    {4, "toUpper", 1, 1},
    {5, "isLetter", 1, 1},
    {6, "isDigit", 1, 1},
    {7, "isSpace", 1, 1},
    {8, "toString", 1, 1},
    {9, "fromInt", 1, 1},
};

constexpr NativeFunction GROUP_11[] = { // Fixed
    {1, "load", 1, 2},
    {2, "fromByte", 1, 2},
    {3, "fromInt", 1, 2},
    {4, "parse", 1, 2},
    {5, "abs", 2, 2},
    {6, "negate", 2, 2},
    {7, "add", 4, 2},
    {8, "subtract", 4, 2},
    {9, "multiply", 4, 2},
    {10, "divide", 4, 2},
    {11, "power", 4, 2},
    {12, "addTo", 3, 0},
    {13, "subtractFrom", 3, 0},
    {14, "multiplyBy", 3, 0},
    {15, "divideBy", 3, 0},
    {16, "increment", 1, 0},
    {17, "decrement", 1, 0},
    {18, "equals", 4, 1},
    {19, "notEquals", 4, 1},
    {20, "less", 4, 1},
    {21, "lessOrEqual", 4, 1},
    {22, "greater", 4, 1},
    {23, "greaterOrEqual", 4, 1},
    {24, "toStringDigits", 2, 1},
    {25, "toString", 1, 1},
    {26, "round", 2, 1},
    {27, "ceiling", 2, 1},
    {28, "floor", 2, 1},
    {29, "least", 0, 2},
    {30, "greatest", 0, 2},
};

constexpr NativeFunction GROUP_12[] = { // Long
    {1, "clear", 1, 0},
    {2, "assign", 2, 0},
    {3, "assignAlt", 2, 0},
    {5, "add", 2, 1},
    {6, "subtract", 2, 1},
    {7, "multiply", 2, 1},
    {8, "divide", 2, 1},
    {9, "remainder", 2, 1},
    {10, "negate", 1, 1},
    {11, "increment", 1, 0},
    {12, "decrement", 1, 0},
    {13, "addTo", 2, 0},
    {14, "subtractFrom", 2, 0},
    {15, "multiplyBy", 2, 0},
    {16, "divideBy", 2, 0},
    {17, "remainderBy", 2, 0},
    {18, "equals", 2, 1},
    {19, "less", 2, 1},
    {20, "lessOrEqual", 2, 1},
    {21, "notEquals", 2, 1},
    {22, "greater", 2, 1},
    {23, "greaterOrEqual", 2, 1},
    {24, "and", 2, 1},
    {25, "or", 2, 1},
    {26, "xor", 2, 1},
    {27, "shiftLeft", 2, 1},
    {28, "shiftRight", 2, 1},
    {29, "andWith", 2, 0},
    {30, "orWith", 2, 0},
    {31, "xorWith", 2, 0},
    {32, "shiftLeftBy", 2, 0},
    {33, "shiftRightBy", 2, 0},
    {34, "toString", 1, 1},
    {35, "nop", 0, 0},
    {36, "nopAlt", 0, 0},
    {37, "lowWord", 1, 1},
    {38, "fromInt", 1, 1},
};

constexpr NativeFunction GROUP_13[] = { // Color
    {1, "clear", 1, 0},
    {2, "copy", 2, 0},
    {3, "set", 5, 0},
    {4, "red", 1, 1},
    {5, "green", 1, 1},
    {6, "blue", 1, 1},
    {7, "alpha", 1, 1},
    {8, "setRed", 2, 0},
    {9, "setGreen", 2, 0},
    {10, "setBlue", 2, 0},
    {11, "setAlpha", 2, 0},
    {12, "equals", 2, 1},
    {13, "notEquals", 2, 1},
    {14, "constantRed", 0, 1},
    {15, "constantGreen", 0, 1},
    {16, "constantBlue", 0, 1},
    {17, "constantBlack", 0, 1},
    {18, "constantWhite", 0, 1},
    {19, "constantCyan", 0, 1},
    {20, "constantMagenta", 0, 1},
    {21, "constantYellow", 0, 1},
    {22, "constantGray", 0, 1},
    {23, "constantBrown", 0, 1},
    {24, "constantOrange", 0, 1},
};

constexpr NativeFunction GROUP_14[] = { // Range
    {1, "clear", 1, 0},
    {2, "copy", 2, 0},
    {3, "setFirstLast", 3, 0},
    {4, "set", 3, 0},
    {5, "first", 1, 1},
    {6, "count", 1, 1},
    {7, "setFirst", 2, 0},
    {8, "setCount", 2, 0},
    {9, "equals", 4, 1},
    {10, "notEquals", 4, 1},
    {11, "setFrom", 2, 0},
    {12, "setFromAlt", 2, 0},
};

constexpr NativeFunction GROUP_15[] = { // Size
    {1, "clear", 1, 0},
    {2, "copy", 2, 0},
    {3, "set", 3, 0},
    {4, "width", 1, 1},
    {5, "height", 1, 1},
    {6, "setWidth", 2, 0},
    {7, "setHeight", 2, 0},
    {8, "equals", 4, 1},
    {9, "notEquals", 4, 1},
};

constexpr NativeFunction GROUP_16[] = { // Position
    {1, "clear", 1, 0},
    {2, "copy", 2, 0},
    {3, "set", 3, 0},
    {4, "x", 1, 1},
    {5, "y", 1, 1},
    {6, "setX", 2, 0},
    {7, "setY", 2, 0},
    {8, "equals", 4, 1},
    {9, "notEquals", 4, 1},
};

constexpr NativeFunction GROUP_17[] = { // Rectangle
    {1, "clear", 1, 0},
    {2, "copy", 2, 0},
    {3, "set", 5, 0},
    {4, "position", 1, 2},
    {5, "size", 1, 2},
    {6, "x", 1, 1},
    {7, "y", 1, 1},
    {8, "width", 1, 1},
    {9, "height", 1, 1},
    {10, "right", 1, 1},
    {11, "bottom", 1, 1},
    {12, "setPosition", 3, 0},
    {13, "setSize", 3, 0},
    {14, "setX", 2, 0},
    {15, "setY", 2, 0},
    {16, "setWidth", 2, 0},
    {17, "setHeight", 2, 0},
    {18, "setRight", 2, 0},
    {19, "setBottom", 2, 0},
    {20, "equals", 8, 1},
    {21, "notEquals", 8, 1},
};

constexpr NativeFunction GROUP_18[] = { // Graphics
    {1, "drawBitmap", 5, 0, GRAPHICS},
    {2, "drawText", 6, 0, GRAPHICS},
    {3, "drawTextRange", 8, 0, GRAPHICS},
    {4, "fillRect", 6, 0, GRAPHICS},
    {5, "drawLine", 6, 0, GRAPHICS},
    {6, "drawTiled", 9, 0, GRAPHICS},
    {7, "drawBitmapRegion", 9, 0, GRAPHICS},
    {8, "fill", 2, 0, GRAPHICS},
    {9, "touch", 5, 0, GRAPHICS},
    {10, "drawTransformed", 11, 0, GRAPHICS},
};

constexpr NativeFunction GROUP_19[] = { // Bitmap
    {1, "create", 4, 0, GRAPHICS},
    {2, "subBitmap", 6, 0, GRAPHICS},
    {3, "load", 2, 0, GRAPHICS},
    {4, "decode", 2, 0, GRAPHICS},
    {5, "decodeRange", 4, 0, GRAPHICS},
    {6, "copy", 2, 0, GRAPHICS},
    {7, "pixel", 3, 1, GRAPHICS},
    {8, "size", 1, 2, GRAPHICS},
    {9, "setPixel", 4, 0, GRAPHICS},
    {10, "resize", 3, 0, GRAPHICS},
    {11, "resizeAlt", 3, 0, GRAPHICS},
    {12, "resizeSmooth", 3, 0, GRAPHICS},
    {13, "encode", 2, 1, GRAPHICS},
};

constexpr NativeFunction GROUP_20[] = { // Font
    {2, "height", 1, 1, GRAPHICS},
    {3, "ascent", 1, 1, GRAPHICS},
    {4, "width", 2, 1, GRAPHICS},
    {5, "widthOfRange", 4, 1, GRAPHICS},
    {6, "fitCount", 3, 1, GRAPHICS},
    {7, "fitCountOfRange", 5, 1, GRAPHICS},
};

constexpr NativeFunction GROUP_21[] = { // OutputStream
    {1, "close", 1, 0},
    {2, "isOpen", 1, 1},
    {3, "write", 2, 0},
    {4, "writeRange", 4, 0},
};

constexpr NativeFunction GROUP_22[] = { // FileWriter
    {1, "open", 3, 0},
    {2, "seek", 2, 0},
    {3, "position", 1, 1},
    {4, "size", 1, 1},
};

constexpr NativeFunction GROUP_23[] = { // InputStream
    {1, "close", 1, 0},
    {2, "isOpen", 1, 1},
    {3, "read", 2, 1},
};

constexpr NativeFunction GROUP_24[] = { // FileReader
    {1, "open", 2, 0},
    {2, "seek", 2, 0},
    {3, "position", 1, 1},
    {4, "size", 1, 1},
};

constexpr NativeFunction GROUP_25[] = { // FileSystem
    {1, "fileExists", 2, 1},
    {2, "directoryExists", 2, 1},
    {3, "deleteFile", 2, 0},
    {4, "deleteDirectory", 2, 0},
    {5, "directories", 2, 1},
    {6, "files", 2, 1},
    {7, "createFile", 2, 0},
    {8, "createDirectory", 2, 0},
    {9, "moveFile", 3, 0},
    {10, "renameDirectory", 3, 0},
};

constexpr NativeFunction GROUP_26[] = { // Math
    {1, "sin", 2, 2},
    {2, "cos", 2, 2},
    {3, "tan", 2, 2},
    {4, "asin", 2, 2},
    {5, "acos", 2, 2},
    {6, "atan", 2, 2},
    {7, "toDegrees", 2, 2},
    {8, "toRadians", 2, 2},
    {9, "sqrt", 2, 2},
    {10, "log", 4, 2},
    {11, "ln", 2, 2},
    {12, "randomInt", 2, 1},
    {13, "randomFixed", 4, 2},
    {14, "minByte", 2, 1},
    {15, "minInt", 2, 1},
    {16, "minFixed", 4, 2},
    {17, "maxByte", 2, 1},
    {18, "maxInt", 2, 1},
    {19, "maxFixed", 4, 2},
    {20, "e", 0, 2},
    {21, "pi", 0, 2},
    {22, "epsilon", 0, 2},
};

constexpr NativeFunction GROUP_27[] = { // Number
    {1, "absByte", 1, 1},
    {2, "absInt", 1, 1},
    {3, "toStringRadix", 2, 1},
};

constexpr NativeFunction GROUP_28[] = { // Encoder
    {1, "encodeUtf8", 2, 1},
    {2, "decodeUtf8", 2, 1},
};

constexpr NativeFunction GROUP_29[] = { // DateTime
    {1, "now", 1, 0},
    {2, "copy", 2, 0},
    {3, "copyAlt", 2, 0},
    {4, "create", 8, 0},
    {5, "add", 5, 0},
    {6, "subtract", 5, 0},
    {7, "day", 1, 1},
    {8, "month", 1, 1},
    {9, "year", 1, 1},
    {10, "hour", 1, 1},
    {11, "minute", 1, 1},
    {12, "second", 1, 1},
    {13, "timezone", 1, 1},
    {14, "setDay", 2, 0},
    {15, "setMonth", 2, 0},
    {16, "setYear", 2, 0},
    {17, "setHour", 2, 0},
    {18, "setMinute", 2, 0},
    {19, "setSecond", 2, 0},
    {20, "convertTimezone", 2, 0},
    {21, "toString", 1, 1},
    {22, "same", 2, 1},
    {23, "different", 2, 1},
    {24, "equals", 2, 1},
    {25, "notEquals", 2, 1},
    {26, "less", 2, 1},
    {27, "lessOrEqual", 2, 1},
    {28, "greater", 2, 1},
    {29, "greaterOrEqual", 2, 1},
};

constexpr NativeFunction GROUP_30[] = { // Debug
    {1, "log", 1, 0},
    {2, "setLogFile", 1, 0},
    {3, "nop", 0, 0},
};

constexpr NativeFunction GROUP_31[] = { // Screen
    {1, "repaint", 0, 0},
    {2, "size", 0, 2},
    {3, "setOrientation", 1, 0},
    {4, "orientation", 0, 1},
    {5, "setFlag", 1, 0},
    {6, "updateArea", 4, 0},
    {7, "addOrientationListener", 1, 0},
    {8, "removeOrientationListener", 1, 0},
};

constexpr NativeFunction GROUP_32[] = { // System
    {1, "exit", -1, 0},
    {2, "message", -1, 0},
    {3, "uptime", 0, 1},
    {4, "callStack", 0, 1},
    {5, "setApplication", 1, 0},
    {6, "valueA", 0, 1},
    {7, "valueB", 0, 1},
    {8, "currentTime", 0, 1},
    {9, "dateTime", 1, 1},
    {10, "nativeFont", 0, 1, GRAPHICS},
    {11, "loadFont", 1, 1, GRAPHICS},
    {12, "decodeFont", 1, 1, GRAPHICS},
    {13, "drop2", 2, 0},
    {14, "zeroTop", 1, 1},
    {15, "zeroTopAlt", 1, 1},
};

constexpr NativeFunction GROUP_33[] = { // Timer
    {1, "add", 3, 1},
    {2, "remove", 2, 0},
    {3, "setDelay", 3, 0},
};

constexpr NativeFunction GROUP_34[] = { // Hash
    {1, "create", 2, 0},
    {2, "digest", 2, 1},
    {3, "update", 2, 0},
    {4, "finish", 1, 1},
};

constexpr NativeFunction GROUP_35[] = { // KeyEvent
    {1, "keyCode", 1, 1},
    {2, "modifiers", 1, 1},
    {3, "scanCode", 1, 1},
    {4, "text", 1, 1},
};

} // namespace

const NativeGroupTable NATIVE_GROUP_TABLES[NATIVE_GROUP_COUNT + 1] = {
    {0, "", "", nullptr, 0},
    {1, "ByteVector", "Vector:", GROUP_1.data(), int(std::size(GROUP_1))},
    {2, "", "", nullptr, 0}, // reserved
    {3, "IntVector", "Vector:", GROUP_3.data(), int(std::size(GROUP_3))},
    {4, "Int2Vector", "Vector:", GROUP_4.data(), int(std::size(GROUP_4))},
    {5, "Int3Vector", "Vector:", GROUP_5.data(), int(std::size(GROUP_5))},
    {6, "Int4Vector", "Vector:", GROUP_6.data(), int(std::size(GROUP_6))},
    {7, "ObjectVector", "Vector:", GROUP_7.data(), int(std::size(GROUP_7))},
    {8, "String", "String:", GROUP_8, int(std::size(GROUP_8))},
    {9, "Byte", "Byte:", GROUP_9, 0},
    {10, "Char", "Char:", GROUP_10, int(std::size(GROUP_10))},
    {11, "Fixed", "Fixed:", GROUP_11, int(std::size(GROUP_11))},
    {12, "Long", "Long:", GROUP_12, int(std::size(GROUP_12))},
    {13, "Color", "Color:", GROUP_13, int(std::size(GROUP_13))},
    {14, "Range", "Range:", GROUP_14, int(std::size(GROUP_14))},
    {15, "Size", "Size:", GROUP_15, int(std::size(GROUP_15))},
    {16, "Position", "Position:", GROUP_16, int(std::size(GROUP_16))},
    {17, "Rectangle", "Rectangle:", GROUP_17, int(std::size(GROUP_17))},
    {18, "Graphics", "Graphics:", GROUP_18, int(std::size(GROUP_18))},
    {19, "Bitmap", "Bitmap:", GROUP_19, int(std::size(GROUP_19))},
    {20, "Font", "Font:", GROUP_20, int(std::size(GROUP_20))},
    {21, "OutputStream", "OutputStream:", GROUP_21, int(std::size(GROUP_21))},
    {22, "FileWriter", "FileWriter:", GROUP_22, int(std::size(GROUP_22))},
    {23, "InputStream", "InputStream:", GROUP_23, int(std::size(GROUP_23))},
    {24, "FileReader", "FileReader:", GROUP_24, int(std::size(GROUP_24))},
    {25, "FileSystem", "FileSystem:", GROUP_25, int(std::size(GROUP_25))},
    {26, "Math", "Math:", GROUP_26, int(std::size(GROUP_26))},
    {27, "Number", "Number:", GROUP_27, int(std::size(GROUP_27))},
    {28, "Encoder", "Encoder:", GROUP_28, int(std::size(GROUP_28))},
    {29, "DateTime", "DateTime:", GROUP_29, int(std::size(GROUP_29))},
    {30, "Debug", "Debug:", GROUP_30, int(std::size(GROUP_30))},
    {31, "Screen", "Screen:", GROUP_31, int(std::size(GROUP_31))},
    {32, "System", "System:", GROUP_32, int(std::size(GROUP_32))},
    {33, "Timer", "Timer:", GROUP_33, int(std::size(GROUP_33))},
    {34, "Hash", "Hash:", GROUP_34, int(std::size(GROUP_34))},
    {35, "KeyEvent", "KeyEvent: invalid opcode ", GROUP_35, int(std::size(GROUP_35))},
};

const NativeGroupTable* nativeGroupTable(int group)
{
    return group >= 1 && group <= NATIVE_GROUP_COUNT ? &NATIVE_GROUP_TABLES[group] : nullptr;
}

const NativeFunction* nativeFunction(int group, int number)
{
    // Every native call asks: an index by group and number byte, built once.
    static const auto index = [] {
        std::array<std::array<const NativeFunction*, 256>, NATIVE_GROUP_COUNT + 1> byNumber{};
        for (const NativeGroupTable& table : NATIVE_GROUP_TABLES)
            for (int i = 0; i < table.count; ++i)
                byNumber[size_t(table.group)][size_t(table.functions[i].number)] = &table.functions[i];
        return byNumber;
    }();
    if (group < 1 || group > NATIVE_GROUP_COUNT || number < 0 || number > 255)
        return nullptr;
    return index[size_t(group)][size_t(number)];
}

std::string nativeName(int group, int number)
{
    const NativeFunction* function = nativeFunction(group, number);
    return function ? std::string(NATIVE_GROUP_TABLES[group].name) + "." + function->name : std::string();
}

bool findNative(std::string_view qualifiedName, int& group, int& number)
{
    const size_t dot = qualifiedName.find('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view groupName = qualifiedName.substr(0, dot), name = qualifiedName.substr(dot + 1);
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES) {
        if (table.count == 0 || groupName != table.name)
            continue;
        for (int i = 0; i < table.count; ++i)
            if (name == table.functions[i].name) {
                group = table.group;
                number = table.functions[i].number;
                return true;
            }
    }
    return false;
}

bool mayCallGraphics(const signed char* code, int length)
{
    for (int i = 0; i + 2 < length; ++i) {
        if (TUint8(code[i]) != Lumbra::OP_Native)
            continue;
        const NativeFunction* function = nativeFunction(TUint8(code[i + 1]), TUint8(code[i + 2]));
        if (function && function->graphics)
            return true;
    }
    return false;
}
