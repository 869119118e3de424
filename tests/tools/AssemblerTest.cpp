#include "Assembler.h"
#include "image/OpcodeTable.h"

#include <gtest/gtest.h>

#include <map>

using namespace LumbraAsm;

namespace {

// Header (32) + five empty section counts (20): code starts at 52.
constexpr size_t CODE = 52;

Bytes codeOf(const std::string& source)
{
    const AssemblyResult r = assemble(source);
    EXPECT_TRUE(r.ok) << r.error;
    return r.ok ? Bytes(r.image.begin() + CODE, r.image.end()) : Bytes();
}

std::string errorOf(const std::string& source)
{
    const AssemblyResult r = assemble(source, "prog.s");
    EXPECT_FALSE(r.ok);
    return r.error;
}

} // namespace

TEST(Assembler, EncodesOperandsLittleEndianWithTheirWidths)
{
    EXPECT_EQ(codeOf("    pick -1\n    push 0x01020304\n    native 200, -2\n    newat 3, 258, -1"),
              (Bytes{1, 0xFF, 20, 4, 3, 2, 1, 78, 200, 0xFE, 146, 3, 2, 1, 0, 0, 0xFF}));
    EXPECT_EQ(codeOf("    push -1\n    push 0xFFFFFFFF"), (Bytes{20, 0xFF, 0xFF, 0xFF, 0xFF, 20, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(codeOf("    push2 1, 2"), (Bytes{65, 1, 0, 0, 0, 2, 0, 0, 0}));
}

TEST(Assembler, BranchesCountFromTheirLastOperandByte)
{
    // jmp $ at A gives d = -2: a jump to itself.
    EXPECT_EQ(codeOf("    jmp $"), (Bytes{12, 0xFE, 0xFF}));
    // nop at 0, jz at 1 (last operand byte 3), target 5: d = 2.
    EXPECT_EQ(codeOf("    nop\n    jz next\n    nop\nnext:\n    nop"), (Bytes{0, 10, 2, 0, 0, 0}));
    // Backward 4-byte branch from 1 to 0: d = 0 - 5.
    EXPECT_EQ(codeOf("top: nop\n    jmp.w top"), (Bytes{0, 13, 0xFB, 0xFF, 0xFF, 0xFF}));
    // Label arithmetic is an address; a plain number is the raw offset.
    EXPECT_EQ(codeOf("a: jz a+3\n    jz 7"), (Bytes{10, 1, 0, 10, 7, 0}));
    // try: the handler label is where execution resumes, A + 9 + d.
    EXPECT_EQ(codeOf("    try -1, h\n    nop\nh:  nop"),
              (Bytes{117, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0}));
    // call takes an absolute code offset.
    EXPECT_EQ(codeOf("    nop\nf:  call f, -1"), (Bytes{0, 14, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    // Natives by name or by number; the String group's 128 and up wrap.
    EXPECT_EQ(codeOf("    native String.toUpper\n    native 8, -128\n    native Debug.log"),
              (Bytes{78, 8, 0x80, 78, 8, 0x80, 78, 30, 1}));
    EXPECT_FALSE(assemble("main:\n    native Debug.shout\n", "t.s").ok);
}

TEST(Assembler, NamesResolveToRecordIndices)
{
    const AssemblyResult r = assemble(R"(
.type A
.type B
.frame F0
.frame F1
.string s0 "x"
.string s1 "y"
.virtual "one"
.virtual "two"
.virtual "one"
    settype B
    pushstr s1
    call 0, F1
    vcall "two"
    vcall "one"
    vcall 2
    try B, 0
)");
    ASSERT_TRUE(r.ok) << r.error;
    const Bytes code(r.image.end() - 43, r.image.end()); // the seven instructions
    EXPECT_EQ(code[1], 1);
    EXPECT_EQ(code[6], 1);
    EXPECT_EQ(code[15], 1);
    EXPECT_EQ(code[20], 1);
    EXPECT_EQ(code[25], 0); // a repeated signature names its first record
    EXPECT_EQ(code[30], 2);
    EXPECT_EQ(code[35], 1);
}

TEST(Assembler, ErrorsNameTheLine)
{
    EXPECT_EQ(errorOf("    nop\n    frobnicate 1"), "prog.s:2: error: unknown mnemonic 'frobnicate'");
    EXPECT_EQ(errorOf("    jz nowhere"), "prog.s:1: error: unknown label 'nowhere'");
    EXPECT_EQ(errorOf("\n\n    pick 128"), "prog.s:3: error: operand 1 value 128 is outside -128..127");
    EXPECT_EQ(errorOf("    native 1"), "prog.s:1: error: native needs 2 operand(s)");
    EXPECT_EQ(errorOf("    native Debug.lgo"), "prog.s:1: error: unknown native 'Debug.lgo' (nearest: Debug.log)");
    EXPECT_EQ(errorOf("    native Math.mix"), "prog.s:1: error: unknown native 'Math.mix' (nearest: Math.sin, Math.pi)");
    EXPECT_EQ(errorOf("    native String.zzzzzzzzzzzz"), "prog.s:1: error: unknown native 'String.zzzzzzzzzzzz'");
    EXPECT_EQ(errorOf("    push 1, 2"), "prog.s:1: error: unexpected ','");
    EXPECT_EQ(errorOf("x: nop\nx: nop"), "prog.s:2: error: label 'x' defined twice");
    EXPECT_EQ(errorOf(".impl type=0 code=0"), "prog.s:1: error: .impl must follow a .virtual");
    EXPECT_EQ(errorOf(".identity \"short\""), "prog.s:1: error: identity must be 20 bytes, not 5");
    EXPECT_EQ(errorOf(".widths code=3"), "prog.s:1: error: width code must be 1, 2 or 4");
    EXPECT_EQ(errorOf(".bogus"), "prog.s:1: error: unknown directive '.bogus'");
    EXPECT_EQ(errorOf(".string \"abc"), "prog.s:1: error: unterminated string");
    EXPECT_EQ(errorOf("    vcall \"none\""), "prog.s:1: error: no .virtual \"none\"");
    EXPECT_EQ(errorOf(".type refs=[300] width=1"), "prog.s:1: error: a value of this record does not fit in width 1");
    EXPECT_EQ(errorOf(".type refs=[*1]"), "prog.s:1: error: '*' is allowed only in vector and pair lists");
    EXPECT_EQ(errorOf("    jz.w 99999999999"), "prog.s:1: error: number '99999999999' is too large");
    // A code offset beyond its header width, with the width declared after its use.
    std::string filler = "    nop\n";
    std::string program = ".method \"m\" code=far\n.widths code=1\n";
    for (int i = 0; i < 256; ++i)
        program += filler;
    program += "far: nop\n";
    EXPECT_EQ(errorOf(program), "prog.s:1: error: code offset 256 does not fit in width 1");
    std::string farJump = "    jz far\n";
    for (int i = 0; i < 40000; ++i)
        farJump += "    nop\n";
    farJump += "far: nop\n";
    EXPECT_EQ(errorOf(farJump), "prog.s:1: error: operand 1 value 40001 is outside -32768..32767");
}

TEST(Assembler, StringsAreBytesWithEscapes)
{
    const AssemblyResult r = assemble(".string \"a\\\"\\\\\\x00\\xFF\\n\xC3\xA9\"");
    ASSERT_TRUE(r.ok) << r.error;
    // count 1, length 8, bytes.
    const Bytes tail(r.image.end() - 12, r.image.end());
    EXPECT_EQ(tail, (Bytes{8, 0, 0, 0, 'a', '"', '\\', 0, 0xFF, '\n', 0xC3, 0xA9}));
}

// Included files come from a table; "app/main.s" is the file assembled.
TEST(Assembler, IncludesShareNamesAndStayInsideTheMainDirectory)
{
    const std::map<std::string, std::string> files{
        {"app/lib/a.s", ".equ TWO, 2\n.include \"b.s\"\nhelper: push TWO + ONE\n"},
        {"app/lib/b.s", ".equ ONE, 1\n"},
        {"app/self.s", ".include \"self.s\"\n"},
        {"app/loop1.s", ".include \"lib/loop2.s\"\n"},
        {"app/lib/loop2.s", ".include \"../loop1.s\"\n"},
        {"app/bad.s", "    nop\n    bogus\n"},
        {"app/deep.s", ".include \"deep2.s\"\n"},
        {"app/deep2.s", ".include \"deep.s\"\n"},
        {"outside.s", "    nop\n"},
    };
    const SourceReader read = [&](const std::string& path, std::string& out) {
        const auto found = files.find(path);
        if (found == files.end())
            return false;
        out = found->second;
        return true;
    };
    const AssemblyResult both = assemble("    call helper, 0\n.include \"lib/a.s\"\n", "app/main.s", read);
    ASSERT_TRUE(both.ok) << both.error;
    EXPECT_EQ(Bytes(both.image.begin() + CODE, both.image.end()), (Bytes{14, 9, 0, 0, 0, 0, 0, 0, 0, 20, 3, 0, 0, 0}));

    const struct {
        const char* source;
        const char* error;
    } faults[] = {
        {".include \"bad.s\"", "app/bad.s:2: error: unknown mnemonic 'bogus'"},
        {".include \"self.s\"", "app/self.s:1: error: include cycle: app/main.s -> app/self.s -> app/self.s"},
        {".include \"loop1.s\"",
         "app/lib/loop2.s:1: error: include cycle: app/main.s -> app/loop1.s -> app/lib/loop2.s -> app/loop1.s"},
        {".include \"lib/b.s\"\n.include \"lib/b.s\"", "app/main.s:2: error: 'app/lib/b.s' is included twice"},
        {".include \"../outside.s\"", "app/main.s:1: error: include path '../outside.s' leaves the directory of app/main.s"},
        {".include \"/etc/passwd\"", "app/main.s:1: error: include path '/etc/passwd' must be relative"},
        {".include \"none.s\"", "app/main.s:1: error: cannot read include file 'app/none.s'"},
        {".include lib", "app/main.s:1: error: .include needs one path in quotes"},
        {".equ X, here\nhere: nop", "app/main.s:1: error: unknown label 'here'"},
        {"here: nop\n.equ X, here", "app/main.s:2: error: .equ takes numbers and earlier constants, not addresses"},
        {".equ here, 1\nhere: nop", "app/main.s:1: error: constant 'here' has the name of a label or record"},
    };
    for (const auto& fault : faults) {
        const AssemblyResult r = assemble(fault.source, "app/main.s", read);
        EXPECT_FALSE(r.ok) << fault.source;
        EXPECT_EQ(r.error, fault.error) << fault.source;
    }
    // Seventeen distinct files, each including the next: too deep.
    std::map<std::string, std::string> chain;
    for (int i = 0; i < 17; ++i)
        chain["d" + std::to_string(i) + ".s"] = ".include \"d" + std::to_string(i + 1) + ".s\"\n";
    const AssemblyResult deep = assemble(".include \"d0.s\"", "main.s", [&](const std::string& path, std::string& out) {
        out = chain.count(path) ? chain[path] : "    nop\n";
        return true;
    });
    EXPECT_EQ(deep.error, "d15.s:1: error: includes nested deeper than 16");
}
