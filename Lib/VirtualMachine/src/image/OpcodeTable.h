// The instruction set as data: every opcode's mnemonic, operand layout and
// relocation kind, derived from Opcodes.def. The loader, the interpreter, the
// assembler and the disassembler all read this one table.
#pragma once

#include "LumbraTypes.h"

namespace Lumbra {

enum Opcode : TUint8 {
#define OPCODE(number, name, mnemonic, layout, reloc, doc) OP_##name = number,
#include "image/Opcodes.def"
#undef OPCODE
};

// How one operand is encoded. Rel16/Rel32 are branch offsets counted from
// the address of the instruction's last operand byte.
enum class OperandType : TUint8 { I8, U8, I16, I32, Rel16, Rel32 };

// Operand layouts: LAYOUT(name, operand count, operand types...).
#define LUMBRA_OPERAND_LAYOUTS(LAYOUT)                                         \
    LAYOUT(None, 0, OperandType::I8, OperandType::I8, OperandType::I8)        \
    LAYOUT(I8, 1, OperandType::I8, OperandType::I8, OperandType::I8)          \
    LAYOUT(I32, 1, OperandType::I32, OperandType::I8, OperandType::I8)        \
    LAYOUT(Rel16, 1, OperandType::Rel16, OperandType::I8, OperandType::I8)    \
    LAYOUT(Rel32, 1, OperandType::Rel32, OperandType::I8, OperandType::I8)    \
    LAYOUT(I8I8, 2, OperandType::I8, OperandType::I8, OperandType::I8)        \
    LAYOUT(U8I8, 2, OperandType::U8, OperandType::I8, OperandType::I8)        \
    LAYOUT(I8I32, 2, OperandType::I8, OperandType::I32, OperandType::I8)      \
    LAYOUT(I32I32, 2, OperandType::I32, OperandType::I32, OperandType::I8)    \
    LAYOUT(I32Rel32, 2, OperandType::I32, OperandType::Rel32, OperandType::I8) \
    LAYOUT(I8I32I8, 3, OperandType::I8, OperandType::I32, OperandType::I8)

enum class OperandLayout : TUint8 {
#define LAYOUT(name, count, a, b, c) name,
    LUMBRA_OPERAND_LAYOUTS(LAYOUT)
#undef LAYOUT
};

// How the loader rewrites an instruction's operands when it appends an image:
//   CodeFrame: i32 code offset += code base; i32 frame descriptor += frame base unless negative
//   Remap:     i32 index into the image's virtual-method list -> global method row
//   String:    i32 string constant index += string base
//   Type:      i32 type id += type base
//   TryType:   i32 type id += type base unless negative; the handler offset is
//              relative to the instruction and stays as it is
enum class RelocationKind : TUint8 { None, CodeFrame, Remap, String, Type, TryType };

struct OperandLayoutInfo {
    int count;
    OperandType types[3];
};

struct OpcodeInfo {
    const char* mnemonic;  // nullptr for an invalid opcode
    OperandLayout layout;
    RelocationKind relocation;
    TUint8 operandBytes;   // total size of the operands
};

constexpr int operandTypeSize(OperandType type)
{
    switch (type) {
    case OperandType::I8:
    case OperandType::U8:
        return 1;
    case OperandType::I16:
    case OperandType::Rel16:
        return 2;
    case OperandType::I32:
    case OperandType::Rel32:
        return 4;
    }
    return 0;
}

constexpr OperandLayoutInfo OPERAND_LAYOUTS[] = {
#define LAYOUT(name, count, a, b, c) {count, {a, b, c}},
    LUMBRA_OPERAND_LAYOUTS(LAYOUT)
#undef LAYOUT
};

constexpr const OperandLayoutInfo& layoutInfo(OperandLayout layout)
{
    return OPERAND_LAYOUTS[static_cast<int>(layout)];
}

constexpr int layoutSize(OperandLayout layout)
{
    const OperandLayoutInfo& info = layoutInfo(layout);
    int size = 0;
    for (int i = 0; i < info.count; ++i)
        size += operandTypeSize(info.types[i]);
    return size;
}

struct OpcodeTable {
    OpcodeInfo entries[256];
};

constexpr OpcodeTable makeOpcodeTable()
{
    OpcodeTable table{};
    for (auto& entry : table.entries)
        entry = {nullptr, OperandLayout::None, RelocationKind::None, 0};
#define OPCODE(number, name, mnemonic, layout, reloc, doc)                    \
    table.entries[number] = {mnemonic, OperandLayout::layout, RelocationKind::reloc, \
                             TUint8(layoutSize(OperandLayout::layout))};
#include "image/Opcodes.def"
#undef OPCODE
    return table;
}

inline constexpr OpcodeTable OPCODES = makeOpcodeTable();

constexpr const OpcodeInfo& opcodeInfo(TUint8 opcode) { return OPCODES.entries[opcode]; }
constexpr bool isValidOpcode(TUint8 opcode) { return OPCODES.entries[opcode].mnemonic != nullptr; }
// Opcode byte plus operands.
constexpr int instructionSize(TUint8 opcode) { return 1 + OPCODES.entries[opcode].operandBytes; }

// The opcode with this mnemonic, or -1.
int findOpcode(const char* mnemonic);

} // namespace Lumbra
