#include "LoaderTestSupport.h"

using namespace LoaderTest;
using Lumbra::ImageDiagnostics;
using V = std::vector<int>;

namespace {

// Every table filled, each width different, values near the top of their widths.
const char* MIXED_WIDTHS = R"(
.identity "mixed-widths-image-1"
.widths code=1 frame=2 type=4 super=2 extra=1 fa=1 fb=2 fc=4 impl=2
.method "main" code=start frame=1
.method "helper" code=255 frame=65535
.virtual "draw"
.impl type=0 code=start frame=0
.impl type=70000 code=tail frame=1
.type refs=[1, 300] vectors=[2, *400] extra=[5, 6]
.type width=4 refs=[7] super=0 hassuper=9
.frame a=200 b=60000 c=100000 refs=[0, 1] vectors=[*2, 3] objects=[70000] pairs=[4, *5]
.frame width=2 a=0 b=0 c=0
.string "plain"
.string "\xC3\xA9\xE2\x82\xAC"
start:
    push 7
tail:
    ret 0, 1
)";

} // namespace

TEST(Loader, MixedWidthsFillEveryTable)
{
    MachineTables t;
    const LoadOutcome r = loadInto(t, assembleText(MIXED_WIDTHS));
    ASSERT_TRUE(r.returned && r.accepted) << r.diagnostics.describe();
    EXPECT_EQ(r.imageIndex, 0);

    ASSERT_EQ(t.images.count(), 1);
    EXPECT_EQ(utf8(t.images[0].name), "index.mcb");
    EXPECT_EQ(std::string(t.images[0].identity.begin(), t.images[0].identity.end()), "mixed-widths-image-1");
    EXPECT_EQ(t.images[0].codeBase, 0);
    EXPECT_EQ(t.images[0].codeLength, 14);

    ASSERT_EQ(t.methods.count(), 3);
    const auto& main = t.methods[0];
    EXPECT_EQ(utf8(main.signature), "main");
    EXPECT_EQ(main.isVirtual, 0);
    EXPECT_EQ(main.handleIndex, -1);
    ASSERT_EQ(main.implementations.count(), 1);
    EXPECT_EQ(main.implementations[0].typeId, -1);
    EXPECT_EQ(main.implementations[0].codeAddress, 0);
    EXPECT_EQ(main.implementations[0].frameDescriptor, 1);
    EXPECT_EQ(t.methods[1].implementations[0].codeAddress, 255);
    EXPECT_EQ(t.methods[1].implementations[0].frameDescriptor, 65535);

    const auto& draw = t.methods[2];
    EXPECT_EQ(utf8(draw.signature), "draw");
    EXPECT_EQ(draw.isVirtual, 1);
    ASSERT_EQ(draw.implementations.count(), 2);
    EXPECT_EQ(draw.implementations[0].typeId, 1); // image type 0 is global type 1
    EXPECT_EQ(draw.implementations[1].typeId, 70001);
    EXPECT_EQ(draw.implementations[1].codeAddress, 5);
    EXPECT_EQ(t.highestTypeId, 70001);

    ASSERT_EQ(t.classReferenceSlots.count(), 3); // index 0 describes no type
    EXPECT_TRUE(t.classReferenceSlots[0].isEmpty());
    EXPECT_EQ(toStd(t.classReferenceSlots[1]), (V{1, 300}));
    EXPECT_EQ(toStd(t.classArraySlots[1]), (V{2, 400}));
    EXPECT_EQ(toStd(t.classArrayElementIsReference[1]), (std::vector<bool>{false, true}));
    EXPECT_EQ(toStd(t.classReferenceSlots[2]), (V{7}));
    EXPECT_EQ(toStd(t.superTypes), (V{-2, -1, 1}));

    ASSERT_EQ(t.frameDescriptors.count(), 2);
    const auto& f = t.frameDescriptors[0];
    EXPECT_EQ(f.lowerSlotsA, 200);
    EXPECT_EQ(f.lowerSlotsB, 60000);
    EXPECT_EQ(f.upperSlots, 100000);
    EXPECT_EQ(toStd(f.referenceSlots), (V{0, 1}));
    EXPECT_EQ(toStd(f.vectorSlots), (V{2, 3}));
    EXPECT_EQ(toStd(f.vectorSlotFlags), (std::vector<TUint8>{0xFF, 0x00}));
    EXPECT_EQ(toStd(f.objectSlots), (V{70000}));
    EXPECT_EQ(toStd(f.pairSlots), (V{4, 5}));
    EXPECT_EQ(toStd(f.pairSlotFlags), (std::vector<TUint8>{0x00, 0xFF}));

    ASSERT_EQ(t.strings.count(), 2);
    EXPECT_EQ(utf8(t.strings[0]), "plain");
    EXPECT_EQ(toStd(t.strings[1]), (std::vector<unsigned short>{0xE9, 0x20AC}));
}

TEST(Loader, EmptyCodeSectionLoads)
{
    MachineTables t;
    const LoadOutcome r = loadInto(t, assembleText(".identity \"no-code-at-all-image\"\n.string \"x\""));
    ASSERT_TRUE(r.returned && r.accepted);
    EXPECT_EQ(t.images[0].codeLength, 0);
    EXPECT_EQ(t.codeBytes.count(), 0);
    EXPECT_EQ(t.strings.count(), 1);
}

TEST(Loader, SameIdentityAndNameLoadsOnce)
{
    const Bytes image = assembleText(MIXED_WIDTHS);
    MachineTables t;
    ASSERT_TRUE(loadInto(t, image).accepted);
    const int methods = t.methods.count(), code = t.codeBytes.count(), frames = t.frameDescriptors.count();

    const LoadOutcome again = loadInto(t, image);
    EXPECT_TRUE(again.returned && again.accepted);
    EXPECT_EQ(again.imageIndex, 0);
    EXPECT_EQ(t.images.count(), 1);
    EXPECT_EQ(t.methods.count(), methods);
    EXPECT_EQ(t.codeBytes.count(), code);
    EXPECT_EQ(t.frameDescriptors.count(), frames);

    const LoadOutcome renamed = loadInto(t, image, "other.mcb");
    EXPECT_TRUE(renamed.accepted);
    EXPECT_EQ(renamed.imageIndex, 1);
    EXPECT_EQ(t.codeBytes.count(), 2 * code);
    EXPECT_EQ(t.images[1].codeBase, code);

    // The duplicate check stops before the header: a broken rest is never read.
    Bytes truncated(image.begin(), image.begin() + 21);
    const LoadOutcome cut = loadInto(t, truncated);
    EXPECT_TRUE(cut.returned && cut.accepted);
    EXPECT_EQ(cut.imageIndex, 0);
}

TEST(Loader, SecondImageRelocatesEveryOperandKind)
{
    const char* first = R"(
.identity "first-image-abcdefgh"
.method "main" code=0 frame=0
.virtual "paint"
.impl type=T2 code=0 frame=0
.type T0
.type T1
.type T2
.type T3 super=T1
.frame a=1
.frame a=2
.string "one"
    nop
    settype T1
)";
    const char* second = R"(
.identity "second-image-abcdefg"
.method "paint" code=body frame=F1
.virtual "paint"
.impl type=U1 code=body frame=F0
.virtual "fresh"
.impl type=U0 code=body frame=F1
.type U0 super=U1
.type U1
.frame F0 a=3
.frame F1 a=4
.string "two"
.string s2 "three"
body:
    call body, F1
    call body, -1
    vcall "paint"
    vcall "fresh"
    pushstr s2
    settype U1
    try U0, handler
    try -5, handler
    jmp body
handler:
    ret 0, 0
)";
    MachineTables t;
    ASSERT_TRUE(loadInto(t, assembleText(first)).accepted);
    // Image 1: types 1..4, highest raised by type T3 (global 4) and its super.
    EXPECT_EQ(t.highestTypeId, 4);
    EXPECT_EQ(toStd(t.superTypes), (V{-2, -1, -1, -1, 2}));
    EXPECT_EQ(wordAt(t, 2), 2); // settype T1: image type 1 is global type 2
    const int codeBase = t.codeBytes.count();
    ASSERT_EQ(codeBase, 6);

    const LoadOutcome r = loadInto(t, assembleText(second), "second.mcb");
    ASSERT_TRUE(r.returned && r.accepted) << r.diagnostics.describe();
    EXPECT_EQ(r.imageIndex, 1);
    EXPECT_EQ(t.images[1].codeBase, codeBase);
    const int typeBase = 5, frameBase = 2, stringBase = 1;

    // Rows: main, paint(first virtual), paint(section 1 of image 2), fresh.
    ASSERT_EQ(t.methods.count(), 4);
    EXPECT_EQ(t.methods[2].imageIndex, 1);
    EXPECT_EQ(t.methods[2].implementations[0].codeAddress, codeBase);
    EXPECT_EQ(t.methods[2].implementations[0].frameDescriptor, frameBase + 1);
    // "paint" of section 2 joins the earliest row with that signature.
    ASSERT_EQ(t.methods[1].implementations.count(), 2);
    EXPECT_EQ(t.methods[1].implementations[1].typeId, typeBase + 1);
    EXPECT_EQ(t.methods[1].implementations[1].frameDescriptor, frameBase);
    EXPECT_EQ(t.methods[3].isVirtual, 1);
    EXPECT_EQ(t.methods[3].imageIndex, 0);
    EXPECT_EQ(t.methods[3].implementations[0].typeId, typeBase);
    EXPECT_EQ(t.highestTypeId, typeBase + 1);
    EXPECT_EQ(toStd(t.superTypes), (V{-2, -1, -1, -1, 2, typeBase + 1, -1}));
    EXPECT_EQ(utf8(t.strings[stringBase + 1]), "three");

    int pc = codeBase;
    auto expectInstruction = [&](int opcode, std::vector<TInt32> operands) {
        EXPECT_EQ(TUint8(t.codeBytes[pc]), opcode) << "at " << pc;
        for (size_t i = 0; i < operands.size(); ++i)
            EXPECT_EQ(wordAt(t, pc + 1 + 4 * int(i)), operands[i]) << "opcode " << opcode << " operand " << i;
        pc += 1 + 4 * int(operands.size());
    };
    expectInstruction(14, {codeBase, frameBase + 1});
    expectInstruction(14, {codeBase, -1});       // no frame descriptor stays -1
    expectInstruction(15, {1});                  // remap index 0 -> row 1
    expectInstruction(15, {3});
    expectInstruction(21, {stringBase + 1});
    expectInstruction(22, {typeBase + 1});
    expectInstruction(117, {typeBase, 12});      // the handler offset is relative and stays
    expectInstruction(117, {-5, 3});             // a catch-all type stays negative
    EXPECT_EQ(TUint8(t.codeBytes[pc]), 12);      // branches are relative and untouched
}

TEST(Loader, SectionTwoSignatureJoinsSectionOneRowOfSameImage)
{
    MachineTables t;
    const LoadOutcome r = loadInto(t, assembleText(R"(
.method "run" code=0 frame=0
.method "run" code=0 frame=0
.virtual "run"
.impl type=0 code=0 frame=0
.type
    vcall 0
)"));
    ASSERT_TRUE(r.accepted);
    ASSERT_EQ(t.methods.count(), 2); // duplicate section-1 signatures are kept, no new row
    EXPECT_EQ(t.methods[0].implementations.count(), 2);
    EXPECT_EQ(t.methods[0].implementations[1].typeId, 1);
    EXPECT_EQ(t.methods[0].isVirtual, 0);
    EXPECT_EQ(wordAt(t, 1), 0);
}

TEST(Loader, LoadRoutineReportsOutcomeThroughHooks)
{
    int loadedIndex = -7, fatalCalls = 0, fatalPosition = 0;
    std::string fatalMessage;
    Lumbra::BytecodeLoadHooks hooks;
    hooks.imageLoaded = [&](int index) { loadedIndex = index; };
    hooks.fatalError = [&](const char* message, int position) {
        ++fatalCalls;
        fatalMessage = message;
        fatalPosition = position;
    };
    auto* services = reinterpret_cast<FrameworkServices*>(0x1000);

    MachineTables t;
    {
        VUvarFileReader reader(new LumbraAsm::MemoryInputStream(assembleText("    nop")));
        Lumbra::loadImage(t, reader, VUvarString("index.mcb"), services, hooks);
    }
    EXPECT_EQ(loadedIndex, 0);
    EXPECT_EQ(fatalCalls, 0);
    EXPECT_EQ(t.frameworkServices, services);

    // A truncated image (error 10 inside) and a refused one (false) both take the fatal path.
    Bytes image = assembleText(".identity \"another-image-234567\"\n    push 1");
    for (Bytes bad : {Bytes(image.begin(), image.end() - 2), Bytes{19}}) {
        VUvarFileReader reader(new LumbraAsm::MemoryInputStream(bad));
        loadedIndex = -7;
        Lumbra::loadImage(t, reader, VUvarString("index.mcb"), services, hooks);
        EXPECT_EQ(loadedIndex, -7);
    }
    EXPECT_EQ(fatalCalls, 2);
    // The fixed text, then where the refused image went wrong.
    EXPECT_EQ(fatalMessage,
              "Error while reading bytecode: image rejected at byte offset 0, header, identity length: "
              "identity length must be 20");
    EXPECT_EQ(fatalPosition, -1);
}

TEST(Loader, TextDecodingFollowsTheUtf8Rule)
{
    auto decode = [](std::vector<unsigned char> bytes) {
        // An exactly sized heap buffer lets the address checker catch a read past the end.
        auto* copy = new char[bytes.size() + 1];
        std::copy(bytes.begin(), bytes.end(), copy);
        VUvarString s = Lumbra::decodeImageText(copy, int(bytes.size()));
        delete[] copy;
        return toStd(s);
    };
    using U = std::vector<unsigned short>;
    EXPECT_EQ(decode({'a', 0x7F}), (U{'a', 0x7F}));
    EXPECT_EQ(decode({0xC3, 0xA9}), (U{0xE9}));
    EXPECT_EQ(decode({0xE2, 0x82, 0xAC}), (U{0x20AC}));
    // Four-byte sequences keep the low 16 bits: U+1F600 becomes 0xF600.
    EXPECT_EQ(decode({0xF0, 0x9F, 0x98, 0x80, 'x'}), (U{0xF600, 'x'}));
    // Continuation bytes are not validated.
    EXPECT_EQ(decode({0xC3, 'A'}), (U{(0x03 << 6) | 0x01}));
    // Sequences cut short by the end yield one unit and stop.
    EXPECT_EQ(decode({'a', 0xC3}).size(), 2u);
    EXPECT_EQ(decode({0xE2, 0x82}).size(), 1u);
    EXPECT_EQ(decode({0xF0}).size(), 1u);
    EXPECT_TRUE(decode({}).empty());
}
