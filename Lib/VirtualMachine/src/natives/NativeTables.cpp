// The declared function table of every native group, made from the group
// declarations in natives/groups: number, name, stack effect (words taken,
// words left; taken -1: the function does not return to the bytecode),
// signature and meaning. The dispatcher, the assembler, the disassembler,
// the generated reference and the stack-effect checks all read these tables.
#include "natives/NativeTable.h"

#include "natives/NativeSignature.h"

#include "image/OpcodeTable.h"

#include <array>
#include <iterator>

namespace {

// A row of a group's declaration as a table row; `element` words per vector
// element, `references` for the object vector group.
constexpr NativeFunction row(int number, std::string_view identifier, std::string_view family,
                             std::string_view signature, std::string_view meaning, int element = 1,
                             bool references = false)
{
    return {number,
            nativesig::nativeName(identifier),
            nativesig::taken(signature, element, references),
            nativesig::left(signature, element, references),
            family == "graphics",
            family,
            signature,
            meaning};
}

// The six vector groups share one declaration; `e` words per element.
constexpr auto vectorTable(int e, bool references)
{
#define NATIVE(number, identifier, family, signature, meaning) \
    row(number, #identifier, #family, signature, meaning, e, references),
    return std::to_array<NativeFunction>({
#include "natives/groups/Vector.def"
    });
#undef NATIVE
}

constexpr auto GROUP_1 = vectorTable(1, false);
constexpr auto GROUP_3 = vectorTable(1, false);
constexpr auto GROUP_4 = vectorTable(2, false);
constexpr auto GROUP_5 = vectorTable(3, false);
constexpr auto GROUP_6 = vectorTable(4, false);
constexpr auto GROUP_7 = vectorTable(1, true);

#define NATIVE(number, identifier, family, signature, meaning) \
    row(number, #identifier, #family, signature, meaning),

constexpr NativeFunction* GROUP_9 = nullptr; // Byte: no functions

constexpr NativeFunction GROUP_8[] = {
#include "natives/groups/String.def"
};

constexpr NativeFunction GROUP_10[] = {
#include "natives/groups/Char.def"
};

constexpr NativeFunction GROUP_11[] = {
#include "natives/groups/Fixed.def"
};

constexpr NativeFunction GROUP_12[] = {
#include "natives/groups/Long.def"
};

constexpr NativeFunction GROUP_13[] = {
#include "natives/groups/Color.def"
};

constexpr NativeFunction GROUP_14[] = {
#include "natives/groups/Range.def"
};

constexpr NativeFunction GROUP_15[] = {
#include "natives/groups/Size.def"
};

constexpr NativeFunction GROUP_16[] = {
#include "natives/groups/Position.def"
};

constexpr NativeFunction GROUP_17[] = {
#include "natives/groups/Rectangle.def"
};

constexpr NativeFunction GROUP_18[] = {
#include "natives/groups/Graphics.def"
};

constexpr NativeFunction GROUP_19[] = {
#include "natives/groups/Bitmap.def"
};

constexpr NativeFunction GROUP_20[] = {
#include "natives/groups/Font.def"
};

constexpr NativeFunction GROUP_21[] = {
#include "natives/groups/OutputStream.def"
};

constexpr NativeFunction GROUP_22[] = {
#include "natives/groups/FileWriter.def"
};

constexpr NativeFunction GROUP_23[] = {
#include "natives/groups/InputStream.def"
};

constexpr NativeFunction GROUP_24[] = {
#include "natives/groups/FileReader.def"
};

constexpr NativeFunction GROUP_25[] = {
#include "natives/groups/FileSystem.def"
};

constexpr NativeFunction GROUP_26[] = {
#include "natives/groups/Math.def"
};

constexpr NativeFunction GROUP_27[] = {
#include "natives/groups/Number.def"
};

constexpr NativeFunction GROUP_28[] = {
#include "natives/groups/Encoder.def"
};

constexpr NativeFunction GROUP_29[] = {
#include "natives/groups/DateTime.def"
};

constexpr NativeFunction GROUP_30[] = {
#include "natives/groups/Debug.def"
};

constexpr NativeFunction GROUP_31[] = {
#include "natives/groups/Screen.def"
};

constexpr NativeFunction GROUP_32[] = {
#include "natives/groups/System.def"
};

constexpr NativeFunction GROUP_33[] = {
#include "natives/groups/Timer.def"
};

constexpr NativeFunction GROUP_34[] = {
#include "natives/groups/Hash.def"
};

constexpr NativeFunction GROUP_35[] = {
#include "natives/groups/KeyEvent.def"
};

#undef NATIVE

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
    return function ? std::string(NATIVE_GROUP_TABLES[group].name) + "." + std::string(function->name) : std::string();
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
