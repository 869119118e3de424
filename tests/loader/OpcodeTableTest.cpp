#include "image/OpcodeTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace Lumbra;

// The operand byte counts of the instruction set, listed independently of Opcodes.def.
TEST(OpcodeTable, OperandSizesMatchTheInstructionSet)
{
    const std::pair<int, std::set<int>> sizes[] = {
        {1, {1, 3, 5, 8, 79, 81, 83, 85, 105, 106, 118, 128, 129, 130, 184}},
        {2, {10, 12, 78, 97, 131, 132, 133}},
        {4, {2, 4, 6, 9, 11, 13, 20, 80, 82, 84, 86, 185, 15, 21, 22}},
        {5, {17}},
        {6, {146, 147}},
        {8, {16, 65, 14, 117}},
    };
    for (int op = 0; op < 256; ++op) {
        int expected = 0;
        for (const auto& [size, ops] : sizes)
            if (ops.count(op))
                expected = size;
        EXPECT_EQ(opcodeInfo(TUint8(op)).operandBytes, expected) << "opcode " << op;
        EXPECT_EQ(instructionSize(TUint8(op)), expected + 1);
    }
}

TEST(OpcodeTable, InvalidOpcodesHaveNoMnemonic)
{
    const std::set<int> invalid = {56, 66, 67, 68, 69, 70, 71, 72, 77, 115, 116, 127, 136, 137, 138, 149, 155, 186, 255};
    for (int op : invalid)
        EXPECT_FALSE(isValidOpcode(TUint8(op))) << op;
    int valid = 0;
    for (int op = 0; op < 256; ++op)
        valid += isValidOpcode(TUint8(op)) ? 1 : 0;
    EXPECT_EQ(valid, 129);
}

TEST(OpcodeTable, MnemonicsAreUniqueAndFound)
{
    std::set<std::string> seen;
    for (int op = 0; op < 256; ++op) {
        const char* name = opcodeInfo(TUint8(op)).mnemonic;
        if (!name)
            continue;
        EXPECT_TRUE(seen.insert(name).second) << name;
        EXPECT_EQ(findOpcode(name), op);
    }
    EXPECT_EQ(findOpcode("nosuch"), -1);
}

TEST(OpcodeTable, RelocationKindsSitOnTheirOpcodes)
{
    EXPECT_EQ(opcodeInfo(14).relocation, RelocationKind::CodeFrame);
    EXPECT_EQ(opcodeInfo(15).relocation, RelocationKind::Remap);
    EXPECT_EQ(opcodeInfo(21).relocation, RelocationKind::String);
    EXPECT_EQ(opcodeInfo(22).relocation, RelocationKind::Type);
    EXPECT_EQ(opcodeInfo(117).relocation, RelocationKind::TryType);
    int relocated = 0;
    for (int op = 0; op < 256; ++op)
        relocated += opcodeInfo(TUint8(op)).relocation != RelocationKind::None ? 1 : 0;
    EXPECT_EQ(relocated, 5);
    EXPECT_EQ(layoutInfo(opcodeInfo(10).layout).types[0], OperandType::Rel16);
    EXPECT_EQ(layoutInfo(opcodeInfo(117).layout).types[1], OperandType::Rel32);
}
