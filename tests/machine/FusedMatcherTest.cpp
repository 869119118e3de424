// Which instruction sequences the dispatch copy combines: code in, the
// combined instruction found at each position out.
#include "image/OpcodeTable.h"
#include "machine/FusedInstructions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Lumbra;

namespace {

// "pick -2; push 1; add" as code bytes, operands in the sizes of each
// instruction's layout; a jump's operand is its raw offset.
std::vector<signed char> encode(const std::string& text)
{
    std::vector<signed char> code;
    std::stringstream instructions(text);
    std::string instruction;
    while (std::getline(instructions, instruction, ';')) {
        std::stringstream words(instruction);
        std::string mnemonic;
        words >> mnemonic;
        const int op = findOpcode(mnemonic.c_str());
        if (op < 0) {
            ADD_FAILURE() << "no instruction " << mnemonic;
            return code;
        }
        code.push_back(static_cast<signed char>(op));
        const OperandLayoutInfo& layout = layoutInfo(opcodeInfo(TUint8(op)).layout);
        for (int i = 0; i < layout.count; ++i) {
            long long value = 0;
            char comma;
            words >> value;
            if (i + 1 < layout.count)
                words >> comma;
            const TInt32 v = TInt32(value);
            signed char bytes[4];
            std::memcpy(bytes, &v, 4);
            code.insert(code.end(), bytes, bytes + operandTypeSize(layout.types[i]));
        }
    }
    return code;
}

// One lower slot: frame 0 is known, any other is not.
constexpr TInt64 LOWER_SLOTS[] = {1};

// "position:name" for each position the copy gives a combined instruction,
// after checking that every other position dispatches on its own byte.
std::string combinedAt(const std::vector<signed char>& code, bool combine = true)
{
    std::vector<TUint16> ids(code.size());
    writeDispatchIds(code.data(), int(code.size()), combine, {LOWER_SLOTS, 1}, ids.data());
    std::string found;
    for (size_t at = 0; at < code.size(); ++at) {
        if (const char* name = fusedName(ids[at]))
            found += (found.empty() ? "" : " ") + std::to_string(at) + ":" + name;
        else
            EXPECT_EQ(ids[at], TUint8(code[at])) << "at " << at;
    }
    return found;
}

struct Row {
    const char* code;
    int cut; // bytes taken off the end
    const char* expected;
};

const Row ROWS[] = {
    // stores into a slot, longest first; a raising adjust or another pick ends the sequence
    {"slotaddr -3; pick -2; store; adjust -1; ret 0, 1", 0, "0:SetSlotAdjustRet"},
    {"slotaddr -3; pick -2; store; adjust 0", 0, "0:SetSlotAdjust"},
    {"slotaddr -3; pick -2; store; adjust 1", 0, "0:SetSlot"},
    {"slotaddr -3; pick -2; store; adjust -1; ret 0, 1", 1, "0:SetSlotAdjust"},
    {"slotaddr -3; pick -2; store; adjust -1; ret 0, 1", 10, "0:SetSlot"},
    {"slotaddr -3; pick -3; store", 0, ""},
    {"slotaddr -3; pick -2; add", 0, "2:PickAdd"},
    {"add; slotaddr -3; pick -2; store; adjust -1; ret 0, 1", 0, "0:AddSetSlotAdjustRet 1:SetSlotAdjustRet"},
    {"add; slotaddr -3; pick -2; store; adjust -1", 0, "1:SetSlotAdjust"},
    // an argument and the call: known frame 0, target inside the code
    {"pick -2; push 1; sub; call 0, 0", 0, "0:PickPushSubCall 2:PushSub"},
    {"pick -2; push 1; add; call 0, 0", 0, "0:PickPushAddCall 2:PushAdd"},
    {"pick -2; push 1; sub; call 0, 1", 0, "0:PickPushSub 2:PushSub"},
    {"pick -2; push 1; sub; call 0, -1", 0, "0:PickPushSub 2:PushSub"},
    {"pick -2; push 1; sub; call 17, 0", 0, "0:PickPushSub 2:PushSub"},
    {"pick -2; push 1; sub; call -1, 0", 0, "0:PickPushSub 2:PushSub"},
    {"pick -2; push 1; mul; call 0, 0", 0, "0:PickPushMul 2:PushMul"},
    {"pick -2; push 1; sub; call 0, 0", 1, "0:PickPushSub 2:PushSub"},
    // branches: each shorter sequence again at each later position
    {"pick -2; push 2; lt; jz 0; ret 0, 1", 0, "0:PickPushLtJzRet 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz 0; nop", 0, "0:PickPushLtJz 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz -10; ret 0, 1", 0, "0:PickPushLtJzRet 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz -11; ret 0, 1", 0, "2:PushLt"},
    {"pick -2; push 2; lt; jz 10; ret 0, 1", 0, "2:PushLt"},
    {"pick -2; push 2; lt; jz 9; ret 0, 1", 0, "0:PickPushLtJzRet 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz 0; ret 0, 1", 1, "0:PickPushLtJz 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz 0", 0, "0:PickPushLtJz 2:PushLtJz 7:LtJz 8:JzInside"},
    {"pick -2; push 2; lt; jz 1", 0, "2:PushLt"},
    // (operand bytes are positions too: -1 is no instruction)
    {"dup; push -1; ge; jz -9", 0, "0:DupPushGeJz 1:PushGeJz 6:GeJz 7:JzInside"},
    {"dup; push -1; ge; jz -9", 1, "1:PushGe"},
    {"dup; push -1; ge", 0, "1:PushGe"},
    {"dup; push -1; add; jz -9", 0, "1:PushAdd 7:JzInside"},
    {"jmp 0; jz -4", 0, "0:JmpInside 3:JzInside"},
    {"jmp 4; jz -6", 0, ""},
    {"jz -2", 0, "0:JzInside"},
    {"jz -3", 0, ""},
    {"jz 0", 0, "0:JzInside"},
    {"jz 1", 0, ""},
    {"jmp -2", 0, "0:JmpInside"},
    // additions picked and counted
    {"push 1; add; jmp -6", 0, "0:PushAddJmp 6:JmpInside"},
    {"push 1; add; jmp 100", 0, "0:PushAdd"},
    {"push 1; sub; jmp -6", 0, "0:PushSub 6:JmpInside"},
    // a count down, its test and the jump back
    {"push 1; sub; dup; jz 3; jmp -12", 0, "0:PushSubDupJzJmp 7:JzInside 10:JmpInside"},
    {"push 1; sub; dup; jz 3; jmp -14", 0, "0:PushSubDupJz 7:JzInside"},
    {"push 1; sub; dup; jz 1; nop", 0, "0:PushSubDupJz 7:JzInside"},
    {"push 1; sub; dup; jz 4; nop", 0, "0:PushSub"},
    {"push 1; add; dup; jz 0; nop", 0, "0:PushAdd 7:JzInside"},
    {"pick -1; pick -3; add", 0, "0:PickPickAdd 2:PickAdd"},
    {"pick -1; pick -3; sub", 0, "0:PickPick 2:PickSub"},
    {"pick -1; pick -3", 0, "0:PickPick"},
    {"pick -1; pick -3", 1, ""},
    {"dup; pick -3; add", 0, "0:DupPickAdd 1:PickAdd"},
    {"dup; pick -3", 0, "0:DupPick"},
    {"pick -1; push 5; div", 0, ""},
    // the one-word vector group's read and append, no other group or function
    {"native 3, 8", 0, "0:WordVectorRead"},
    {"native 3, 19", 0, "0:WordVectorAppend"},
    {"native 3, 6; load", 0, "0:WordVectorLoad"},
    {"native 3, 6; store", 0, ""},
    {"native 4, 6; load", 0, ""},
    {"native 3, 6; load", 1, ""},
    {"native 4, 8", 0, ""},
    {"native 3, 6", 0, ""},
    {"native 3, 8", 1, ""},
};

void PrintTo(const Row& row, std::ostream* os) { *os << '"' << row.code << "\" cut " << row.cut; }

class FusedMatcher : public testing::TestWithParam<Row> {};

TEST_P(FusedMatcher, CombinesExactlyTheRowsSequences)
{
    std::vector<signed char> code = encode(GetParam().code);
    code.resize(code.size() - size_t(GetParam().cut));
    EXPECT_EQ(combinedAt(code), GetParam().expected);
    EXPECT_EQ(combinedAt(code, false), "");
}

INSTANTIATE_TEST_SUITE_P(Sequences, FusedMatcher, testing::ValuesIn(ROWS));

// Every member of each operator family, and that the rows above and these
// together reach every combined instruction.
TEST(FusedMatcherFamilies, EveryCombinedInstructionIsFound)
{
    std::set<std::string> seen;
    auto note = [&](const std::string& found) {
        std::stringstream names(found);
        std::string item;
        while (names >> item)
            seen.insert(item.substr(item.find(':') + 1));
    };
    for (const Row& row : ROWS) {
        std::vector<signed char> code = encode(row.code);
        code.resize(code.size() - size_t(row.cut));
        note(combinedAt(code));
    }
    const std::string ret = "; ret 0, 1";
#define LUMBRA_CHECK_ARITHMETIC(name, expr)                                                                     \
    {                                                                                                          \
        const std::string m = opcodeInfo(OP_##name).mnemonic, n = #name;                                       \
        EXPECT_EQ(combinedAt(encode("pick -3; push 7; " + m)), "0:PickPush" + n + " 2:Push" + n);               \
        EXPECT_EQ(combinedAt(encode("pick -3; " + m)), "0:Pick" + n);                                          \
        note(combinedAt(encode("pick -3; push 7; " + m)));                                                     \
        note(combinedAt(encode("pick -3; " + m)));                                                             \
    }
    LUMBRA_FUSED_ARITHMETIC(LUMBRA_CHECK_ARITHMETIC)
#define LUMBRA_CHECK_COMPARISON(name, expr)                                                                     \
    {                                                                                                          \
        const std::string m = opcodeInfo(OP_##name).mnemonic, n = #name;                                       \
        EXPECT_EQ(combinedAt(encode("pick -3; push 7; " + m + "; jz 0" + ret)),                                \
                  "0:PickPush" + n + "JzRet 2:Push" + n + "Jz 7:" + n + "Jz 8:JzInside");                       \
        EXPECT_EQ(combinedAt(encode("pick -3; push 7; " + m + "; jz 0; nop")),                                 \
                  "0:PickPush" + n + "Jz 2:Push" + n + "Jz 7:" + n + "Jz 8:JzInside");                          \
        EXPECT_EQ(combinedAt(encode("dup; push 7; " + m + "; jz 0; nop")),                                     \
                  "0:DupPush" + n + "Jz 1:Push" + n + "Jz 6:" + n + "Jz 7:JzInside");                           \
        EXPECT_EQ(combinedAt(encode("push 7; " + m)), "0:Push" + n);                                           \
        EXPECT_EQ(combinedAt(encode("pick -3; " + m)), "");                                                    \
        note(combinedAt(encode("pick -3; push 7; " + m + "; jz 0" + ret)));                                    \
        note(combinedAt(encode("pick -3; push 7; " + m + "; jz 0; nop")));                                     \
        note(combinedAt(encode("dup; push 7; " + m + "; jz 0; nop")));                                         \
        note(combinedAt(encode("push 7; " + m)));                                                              \
    }
    LUMBRA_FUSED_COMPARISONS(LUMBRA_CHECK_COMPARISON)
#undef LUMBRA_CHECK_ARITHMETIC
#undef LUMBRA_CHECK_COMPARISON
    for (int id = FUSED_FIRST; id < FUSED_END; ++id)
        EXPECT_TRUE(seen.count(fusedName(id))) << fusedName(id) << " is never combined";
    EXPECT_EQ(fusedName(FUSED_FIRST - 1), nullptr);
    EXPECT_EQ(fusedName(FUSED_END), nullptr);
}

} // namespace
