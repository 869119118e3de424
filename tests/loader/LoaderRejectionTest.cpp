#include "LoaderTestSupport.h"

using namespace LoaderTest;

namespace {

// No methods, no virtual methods: the type count sits at offset 40 and the
// first type record at 44.
const char* ONE_TYPE = R"(
.widths code=1 frame=1 type=1 super=1 extra=1 fa=1 fb=1 fc=1 impl=1
.type width=1 vectors=[*3]
)";
constexpr int TYPE_RECORD = 44;

// No types: the frame count sits at offset 44 and the first frame at 48.
const char* ONE_FRAME = R"(
.widths code=1 frame=1 type=1 super=1 extra=1 fa=1 fb=1 fc=1 impl=1
.frame width=1 a=1 vectors=[*2] b=0 c=0 pairs=[*5]
)";
constexpr int FRAME_RECORD = 48;

void expectRefused(const Bytes& image, int offset, const std::string& fieldPart)
{
    MachineTables t;
    const LoadOutcome r = loadInto(t, image);
    EXPECT_TRUE(r.returned);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.diagnostics.offset, offset);
    EXPECT_NE(r.diagnostics.field.find(fieldPart), std::string::npos) << r.diagnostics.describe();
}

void expectRaised(const Bytes& image, int code, int offset, const std::string& fieldPart)
{
    MachineTables t;
    const LoadOutcome r = loadInto(t, image);
    EXPECT_FALSE(r.returned);
    EXPECT_EQ(r.errorCode, code);
    EXPECT_EQ(r.diagnostics.offset, offset);
    EXPECT_NE(r.diagnostics.field.find(fieldPart), std::string::npos) << r.diagnostics.describe();
}

Bytes patched(Bytes image, size_t offset, unsigned char value)
{
    image.at(offset) = value;
    return image;
}

} // namespace

TEST(LoaderRejects, IdentityLengthOtherThanTwenty)
{
    const Bytes image = assembleText("    nop");
    expectRefused(patched(image, 0, 19), 0, "identity length");
    expectRefused(patched(image, 0, 21), 0, "identity length");
}

TEST(LoaderRejects, BadMarkersButKeepsTheImageRow)
{
    const Bytes image = assembleText("    nop");
    expectRefused(patched(image, 21, 0xFE), 21, "first marker");
    expectRefused(patched(image, 22, 0x00), 22, "second marker");
    // The image row was appended before the markers were read.
    MachineTables t;
    loadInto(t, patched(image, 22, 0x00));
    EXPECT_EQ(t.images.count(), 1);
}

TEST(LoaderRejects, EveryWidthByteThatIsNotOneTwoOrFour)
{
    const Bytes image = assembleText("    nop");
    const char* fields[] = {"code offsets", "frame descriptor", "type ids", "has-super", "extra reference",
                            "slot count A", "slot count B", "slot count C", "implementation count"};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        expectRefused(patched(image, size_t(23 + i), 3), 23 + i, fields[i]);
        expectRefused(patched(image, size_t(23 + i), 0), 23 + i, fields[i]);
    }
}

TEST(LoaderRejects, BadElementWidthsAndFlagBytes)
{
    const Bytes type = assembleText(ONE_TYPE);
    expectRefused(patched(type, TYPE_RECORD, 3), TYPE_RECORD, "types record 0, element width");
    // e, refs count (4), vector count (4), then the flag byte.
    expectRefused(patched(type, TYPE_RECORD + 9, 0x01), TYPE_RECORD + 9, "slot flag");

    const Bytes frame = assembleText(ONE_FRAME);
    expectRefused(patched(frame, FRAME_RECORD, 0), FRAME_RECORD, "frame descriptors record 0, element width");
    // e, A, refs count, vector count, then the vector flag.
    expectRefused(patched(frame, FRAME_RECORD + 10, 0x7F), FRAME_RECORD + 10, "slot flag");
    // ... vector slot, B, C, objects count, pairs count, then the pair flag.
    expectRefused(patched(frame, FRAME_RECORD + 22, 0xFE), FRAME_RECORD + 22, "slot flag");
}

TEST(LoaderRejects, EndOfFileInsideAnyFieldRaisesTen)
{
    const Bytes image = assembleText(R"(
.method "m" code=0 frame=0
.virtual "v"
.impl type=0 code=0 frame=0
.type refs=[1]
.frame a=1 refs=[2]
.string "text"
)");
    // Every cut before the (empty) code section lands inside some field.
    for (size_t cut = 0; cut < image.size(); ++cut) {
        SCOPED_TRACE(cut);
        MachineTables t;
        const LoadOutcome r = loadInto(t, Bytes(image.begin(), image.begin() + long(cut)));
        EXPECT_FALSE(r.returned);
        EXPECT_EQ(r.errorCode, Lumbra::EVM);
        EXPECT_GE(r.diagnostics.offset, 0);
        EXPECT_LE(r.diagnostics.offset, int(cut));
    }
}

TEST(LoaderRejects, NegativeLengthsAndCounts)
{
    const Bytes image = assembleText(".method \"m\" code=0 frame=0\n.string \"abc\"");
    // The signature length sits right after the method count.
    Bytes negativeName = image;
    negativeName[39] = 0x80;
    expectRaised(negativeName, Lumbra::EVM, 36, "signature");
    // A length larger than the file never allocates: it fails as a read past the end.
    Bytes hugeName = patched(image, 39, 0x7F);
    expectRaised(hugeName, Lumbra::EVM, 36, "signature");
    Bytes negativeCount = patched(image, 35, 0xFF);
    expectRaised(negativeCount, Lumbra::EVM, 32, "method count");
}

TEST(LoaderRejects, TruncatedInstructionAndUnknownVirtualIndex)
{
    const Bytes image = assembleText("    nop\n    push 5");
    const int codeStart = int(image.size()) - 6;
    expectRaised(Bytes(image.begin(), image.end() - 1), Lumbra::EVM, codeStart + 1, "instruction push");

    const Bytes remap = assembleText(".virtual \"v\"\n    vcall 1");
    expectRaised(remap, Lumbra::EInvalidArgument, int(remap.size()) - 5, "instruction vcall");
    const Bytes negative = assembleText(".virtual \"v\"\n    vcall -1");
    expectRaised(negative, Lumbra::EInvalidArgument, int(negative.size()) - 5, "instruction vcall");
}

TEST(LoaderRejects, InvalidOpcodesAreCopiedAlone)
{
    // 56 and 255 are not instructions: one byte each, no operands taken.
    MachineTables t;
    const LoadOutcome r = loadInto(t, assembleText("    .raw 56, 255\n    push 1"));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(t.codeBytes.count(), 7);
    EXPECT_EQ(wordAt(t, 3), 1);
}
