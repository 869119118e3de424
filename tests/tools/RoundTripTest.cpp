#include "Assembler.h"
#include "Disassembler.h"
#include "image/OpcodeTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <set>

using namespace LumbraAsm;
using namespace Lumbra;

namespace {

// Disassembles `image` and assembles the text again; the bytes must not change.
void expectRoundTrip(const Bytes& image)
{
    const DisassemblyResult text = disassemble(image);
    ASSERT_TRUE(text.ok) << text.error;
    const AssemblyResult again = assemble(text.text, "disassembly.s");
    ASSERT_TRUE(again.ok) << again.error << "\n" << text.text;
    EXPECT_EQ(again.image, image) << text.text;
}

Bytes assembled(const std::string& source)
{
    const AssemblyResult r = assemble(source);
    EXPECT_TRUE(r.ok) << r.error;
    return r.image;
}

} // namespace

TEST(RoundTrip, MixedWidthsAndUnusualRecords)
{
    expectRoundTrip(assembled(R"asm(
.identity "\x00\xFFround-trip-image\x01\x02"
.widths code=4 frame=2 type=1 super=2 extra=4 fa=2 fb=1 fc=4 impl=2
.method "caf\xE9(int)" code=entry frame=65535
.method "odd" code=3 frame=0
.method "negative" code=-7 frame=1
.virtual "a"
.impl type=255 code=entry frame=2
.virtual "a"
.virtual "b"
.type width=4 refs=[1] vectors=[*2, 3] super=0 hassuper=300 extra=[4, 5]
.type
.frame width=2 a=65535 b=255 c=-1 refs=[1] vectors=[2] objects=[3] pairs=[*4]
.frame a=0 b=0 c=0 pairs=[-3]
.string "\xC3"
.string ""
entry:
    jz entry+1
    vcall 1
    vcall "b"
    .raw 56, 66, 255
    try 0, 1000
    try -1, -9
    jmp.w -5
    .raw 20, 1, 2, 3, 4
)asm"));
}

TEST(RoundTrip, EveryOpcode)
{
    std::string program;
    program += ".virtual \"v\"\nhere:\n";
    for (int op = 0; op < 256; ++op) {
        const OpcodeInfo& info = opcodeInfo(TUint8(op));
        if (!info.mnemonic) {
            program += "    .raw " + std::to_string(op) + "\n";
            continue;
        }
        program += std::string("    ") + info.mnemonic;
        for (int k = 0; k < layoutInfo(info.layout).count; ++k)
            program += (k ? ", " : " ") + std::string(info.relocation == RelocationKind::Remap ? "0" : "1");
        program += "\n";
    }
    const Bytes image = assembled(program);
    int expectedSize = 0;
    for (int op = 0; op < 256; ++op)
        expectedSize += instructionSize(TUint8(op));
    EXPECT_EQ(image.size(), 52u + 9u + size_t(expectedSize));
    expectRoundTrip(image);
}

TEST(RoundTrip, RandomImages)
{
    std::mt19937 rng(12345);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto valueFor = [&](int width) -> TInt32 {
        switch (width) {
        case 1: return pick(0, 255);
        case 2: return pick(0, 65535);
        default: return TInt32(rng());
        }
    };
    auto listOf = [&](int width, std::vector<TInt32>& out) {
        for (int i = pick(0, 3); i > 0; --i)
            out.push_back(valueFor(width));
    };
    auto flaggedOf = [&](int width, ImageFlaggedSlots& out) {
        for (int i = pick(0, 3); i > 0; --i) {
            out.flags.push_back(pick(0, 1) ? FLAG_TRUE : FLAG_FALSE);
            out.slots.push_back(valueFor(width));
        }
    };
    const int widths[] = {1, 2, 4};
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        ImageModel m;
        for (auto& b : m.identity)
            b = TUint8(rng());
        for (auto& w : m.widths)
            w = TUint8(widths[pick(0, 2)]);
        const auto& W = m.widths;
        for (int i = pick(0, 4); i > 0; --i)
            m.methods.push_back({std::string(size_t(pick(0, 6)), char(pick(0, 255))), valueFor(W[W_Code]), valueFor(W[W_Frame])});
        for (int i = pick(0, 4); i > 0; --i) {
            ImageVirtualMethod v{std::string(1, char('a' + pick(0, 2))), {}};
            for (int k = pick(0, W[W_Impl] == 1 ? 3 : 4); k > 0; --k)
                v.implementations.push_back({valueFor(W[W_Type]), valueFor(W[W_Code]), valueFor(W[W_Frame])});
            m.virtualMethods.push_back(v);
        }
        for (int i = pick(0, 3); i > 0; --i) {
            ImageType t;
            t.elementWidth = TUint8(widths[pick(0, 2)]);
            listOf(t.elementWidth, t.referenceFields);
            flaggedOf(t.elementWidth, t.vectorFields);
            t.hasSuper = pick(0, 1) ? valueFor(W[W_Super]) : 0;
            t.superType = t.hasSuper ? valueFor(W[W_Type]) : 0;
            for (int k = pick(0, 2); k > 0; --k)
                t.extraReferences.push_back(valueFor(W[W_Type]));
            m.types.push_back(t);
        }
        for (int i = pick(0, 3); i > 0; --i) {
            ImageFrame f;
            f.elementWidth = TUint8(widths[pick(0, 2)]);
            f.lowerSlotsA = valueFor(W[W_FrameA]);
            listOf(f.elementWidth, f.referenceSlots);
            flaggedOf(f.elementWidth, f.vectorSlots);
            f.lowerSlotsB = valueFor(W[W_FrameB]);
            f.upperSlots = valueFor(W[W_FrameC]);
            listOf(f.elementWidth, f.objectSlots);
            flaggedOf(f.elementWidth, f.pairSlots);
            m.frames.push_back(f);
        }
        for (int i = pick(0, 3); i > 0; --i)
            m.strings.push_back(std::string(size_t(pick(0, 5)), char(pick(0, 255))));
        // Whole instructions of random bytes; virtual calls name a listed method.
        for (int i = pick(0, 40); i > 0; --i) {
            TUint8 op = TUint8(pick(0, 255));
            if (opcodeInfo(op).relocation == RelocationKind::Remap && m.virtualMethods.empty())
                op = OP_Nop;
            m.code.push_back(op);
            for (int k = opcodeInfo(op).operandBytes; k > 0; --k)
                m.code.push_back(TUint8(rng()));
            if (opcodeInfo(op).relocation == RelocationKind::Remap) {
                const TInt32 index = pick(0, int(m.virtualMethods.size()) - 1);
                for (int k = 0; k < 4; ++k)
                    m.code[m.code.size() - 4 + size_t(k)] = TUint8(index >> (8 * k));
            }
        }
        expectRoundTrip(encodeImage(m));
    }
}

TEST(Disassembler, NamesTheFirstOffendingByte)
{
    Bytes image = assembled(".type vectors=[*1]\n    push 1");
    image[25] = 3;
    DisassemblyResult r = disassemble(image);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "image rejected at byte offset 25, header, width of type ids: width must be 1, 2 or 4");

    image[25] = 4;
    image.pop_back();
    r = disassemble(image);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "image rejected at byte offset " + std::to_string(image.size() - 4) +
                           ", code, instruction push at code offset 0: unexpected end of file inside the operands");

    image = assembled(".type vectors=[*1]");
    image[53] = 0x80; // the vector field's flag byte
    r = disassemble(image);
    EXPECT_EQ(r.error, "image rejected at byte offset 53, types record 0, slot flag: flag byte must be 0x00 or 0xFF");
}

TEST(Disassembler, PrintsLabelsOnlyAtInstructionStarts)
{
    const DisassemblyResult r = disassemble(assembled(".method \"m\" code=2\nstart: jz start+1\n    jmp start"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NE(r.text.find(".method \"m\" code=2 frame=0"), std::string::npos) << r.text;
    EXPECT_NE(r.text.find("L0:\n    jz -1\n    jmp L0\n"), std::string::npos) << r.text;
}

TEST(Disassembler, PrintsNativesByNameAndUndeclaredOnesByNumber)
{
    const Bytes image = assembled(".method \"m\" code=0\n    native 8, -128\n    native 8, 54\n    native 36, 1\n");
    const DisassemblyResult r = disassemble(image);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NE(r.text.find("    native String.toUpper\n    native 8, 54\n    native 36, 1\n"), std::string::npos) << r.text;
    expectRoundTrip(image);
}

// Every image the build assembles (cases, samples, documentation examples,
// test applications) survives the disassembler byte for byte.
TEST(RoundTrip, EveryImageTheBuildAssembles)
{
    std::ifstream list(LUMBRA_ASSEMBLED_IMAGES);
    ASSERT_TRUE(list) << LUMBRA_ASSEMBLED_IMAGES;
    std::set<Bytes> seen;
    std::string path;
    size_t count = 0;
    while (std::getline(list, path)) {
        if (path.empty())
            continue;
        SCOPED_TRACE(path);
        ++count;
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << "not built";
        const Bytes image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (seen.insert(image).second)
            expectRoundTrip(image);
    }
    EXPECT_GT(count, 50u);
}

// A 4-byte count below zero reads as an empty list; its bytes must come back.
TEST(RoundTrip, NegativeCountsKeepTheirBytes)
{
    const std::string source = ".widths code=4 frame=4 type=4 super=4 extra=4 fa=4 fb=4 fc=4 impl=4\n"
                               ".method \"main\" code=0 frame=0\n.virtual \"v\"\n.type\n    nop\n";
    struct Row {
        const char* field;
        size_t offset; // of the count in the image assembled from `source`
        Bytes count;
        const char* printed;
    };
    const Row rows[] = {
        {"implementation count", 61, {0x00, 0x00, 0xFF, 0xFF}, ".virtual \"v\" implcount=-65536\n"},
        {"implementation count", 61, {0xFF, 0xFF, 0xFF, 0xFF}, ".virtual \"v\" implcount=-1\n"},
        {"extra reference count", 82, {0x00, 0x00, 0xFF, 0xFF}, ".type extracount=-65536\n"},
        {"extra reference count", 82, {0x00, 0x00, 0x00, 0x80}, ".type extracount=-2147483648\n"},
    };
    const Bytes original = assembled(source);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + row.printed);
        Bytes image = original;
        ASSERT_EQ(Bytes(image.begin() + long(row.offset), image.begin() + long(row.offset) + 4), Bytes(4, 0));
        std::copy(row.count.begin(), row.count.end(), image.begin() + long(row.offset));
        const DisassemblyResult text = disassemble(image);
        ASSERT_TRUE(text.ok) << text.error;
        EXPECT_NE(text.text.find(row.printed), std::string::npos) << text.text;
        expectRoundTrip(image);
    }
}

TEST(Assembler, RefusesStoredCountsThatAreNotNegativeOrHaveEntries)
{
    const std::pair<const char*, const char*> rows[] = {
        {".virtual \"v\" implcount=0", "a stored count must be negative"},
        {".virtual \"v\" implcount=-1\n.impl type=0 code=0", ".impl after a .virtual whose implcount="},
        {".widths impl=2\n.virtual \"v\" implcount=-1", "does not fit in width 2"},
        {".type extracount=3", "a stored count must be negative"},
        {".type extra=[1] extracount=-1", "extracount= says the type has no extra references"},
    };
    for (const auto& [source, message] : rows) {
        const AssemblyResult r = assemble(source);
        EXPECT_FALSE(r.ok) << source;
        EXPECT_NE(r.error.find(message), std::string::npos) << source << ": " << r.error;
    }
}

// Damaged copies of valid images: whatever the loader accepts must print and
// reassemble to the same bytes; whatever it refuses must be refused cleanly.
// One image has narrow fields, the other 4-byte ones, whose counts may turn negative.
TEST(RoundTrip, DamagedImagesEitherRoundTripOrAreRefused)
{
    for (const char* widths : {".widths code=2 frame=1 type=1 super=1 extra=1 fa=1 fb=2 fc=1 impl=1",
                               ".widths code=4 frame=4 type=4 super=4 extra=4 fa=4 fb=4 fc=4 impl=4"}) {
        SCOPED_TRACE(widths);
        const Bytes original = assembled(widths + std::string(R"(
.method "main" code=0 frame=0
.virtual "v"
.impl type=0 code=5 frame=1
.type refs=[1] vectors=[*2] super=0 extra=[3]
.frame a=1 refs=[0] vectors=[1] b=2 c=3 objects=[4] pairs=[*5]
.string "s"
    push 1
    vcall "v"
    try 0, 2
    jz -2
)"));
        std::mt19937 rng(99);
        int accepted = 0, refused = 0;
        for (int round = 0; round < 2000; ++round) {
            Bytes image = original;
            for (int k = int(rng() % 3); k >= 0; --k)
                image[rng() % image.size()] = TUint8(rng());
            if (rng() % 4 == 0)
                image.resize(rng() % image.size());
            const DisassemblyResult text = disassemble(image);
            if (!text.ok) {
                EXPECT_NE(text.error.find("byte offset"), std::string::npos) << text.error;
                ++refused;
                continue;
            }
            ++accepted;
            const AssemblyResult again = assemble(text.text);
            ASSERT_TRUE(again.ok) << again.error << "\n" << text.text;
            ASSERT_EQ(again.image, image) << text.text;
        }
        EXPECT_GT(accepted, 100);
        EXPECT_GT(refused, 100);
    }
}
