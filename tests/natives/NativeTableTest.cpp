// The native group tables against the natives and the committed reference.
#include "MachineTestSupport.h"
#include "image/OpcodeTable.h"
#include "natives/NativeGroups.h"
#include "natives/NativeReference.h"
#include "natives/NativeSignature.h"
#include "natives/NativeTable.h"
#include "natives/vectorNative.h"
#include "profile/OpProfileReport.h"

#include <fstream>
#include <sstream>

using namespace MachineTest;

namespace {

constexpr int REFERENCE_VECTOR_GROUP = 7;

int elementBytes(int group)
{
    switch (group) {
    case 1: return 1;
    case 4: return 8;
    case 5: return 12;
    case 6: return 16;
    default: return 4;
    }
}

// Runs native (group, number) on `args`; false when it raised an error.
bool runNative(VirtualMachine& vm, int group, int number, const std::vector<TWord>& args, int& before)
{
    MachineTestAccess access(vm);
    access.sp() = 20; // a few words below the arguments
    for (TWord word : args)
        vm.push(word);
    before = vm.topIndex();
    access.ip() = 1;
    try {
        callNative(vm, group, number > 127 ? number - 256 : number);
        return true;
    } catch (...) {
        return false;
    }
}

std::vector<std::pair<std::string_view, std::string_view>> items(std::string_view list)
{
    std::vector<std::pair<std::string_view, std::string_view>> out;
    while (!nativesig::trim(list).empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = nativesig::trim(list.substr(0, comma));
        const size_t space = item.find(' ');
        out.emplace_back(item.substr(0, space), space == std::string_view::npos ? "" : item.substr(space + 1));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return out;
}

int kindWords(std::string_view kind)
{
    for (const NativeKindInfo& k : NATIVE_KINDS)
        if (k.name == kind)
            return k.words;
    return -1;
}

// What is wrong with the words a call left against its row's results: a
// `bool` is 1 or 0, a `truth` -1 or 0, `above` is 1 or 0 in the word over
// the new top, and a result named like an argument is that argument's word.
// Empty when nothing is.
std::string resultMismatch(VirtualMachine& vm, const NativeFunction& f, const std::vector<TWord>& args, int before)
{
    std::vector<std::pair<std::string_view, TWord>> argumentWords;
    int at = 0;
    for (const auto& [kind, name] : items(nativesig::argumentsOf(f.signature))) {
        if (kindWords(kind) == 1)
            argumentWords.emplace_back(name, args[size_t(at)]);
        at += kindWords(kind);
    }
    int slot = before - f.taken + 1;
    std::string wrong;
    for (const auto& [kind, name] : items(nativesig::resultsOf(f.signature))) {
        const TWord word = vm.slot(kind == "above" ? vm.topIndex() + 1 : slot);
        const bool truth = kind == "truth" ? word == 0 || word == -1 : word == 0 || word == 1;
        if ((kind == "bool" || kind == "truth" || kind == "above") && !truth)
            wrong += std::string(kind) + (name.empty() ? "" : " " + std::string(name)) + " is " + std::to_string(word) + "; ";
        for (const auto& [argument, value] : argumentWords)
            if (!name.empty() && argument == name && word != value && kind != "above")
                wrong += std::string(name) + " is not the argument's word; ";
        slot += kindWords(kind);
    }
    return wrong;
}

} // namespace

// Every declared native is tried with arguments of a few kinds: the deepest k
// words (fewest first) are objects (plain blocks, string boxes, vector handles, dates), the
// rest small integers. The first combination the native accepts must leave
// the stack as the table says, its truth values and kept arguments included.
TEST(NativeTables, NativesLeaveTheStackAsTheirTablesSay)
{
    Machine m;
    m.run("main:\n    stop\n");
    VirtualMachine& vm = *m.vm;
    int dummy;
    auto plainBlock = [&] { return TWord(vm.heap().allocate(64, 0, GC_CODE_NATIVE)); };
    // Boxes and handles of 64 bytes: a native that takes one for a value
    // (a Long, say) writes inside the block.
    auto stringBox = [&] {
        const TAddr box = vm.heap().allocate(64, 0, GC_CODE_REFERENCE);
        vm.arena().storeWord(box, TWord(vm.heap().create<OString>(OString::BLOCK_SIZE, GC_CODE_STRING, OString::fromLatin1("a1"))));
        return TWord(box);
    };
    auto vectorHandle = [&](int group) {
        const TAddr handle = vm.heap().allocate(64, 0, GC_CODE_VECTOR_HANDLE);
        vm.arena().storeWord(handle, TWord(newEmptyVector(vm, elementBytes(group))));
        vm.arena().storeWord(handle + 4, elementBytes(group));
        // Two elements, appended by the group's own append (one word per slot).
        const int vectorGroup = group <= 7 && group != 2 ? group : 1;
        std::vector<TWord> append(size_t(1 + std::max(1, elementBytes(vectorGroup) / 4)), 1);
        append[0] = TWord(handle);
        for (int i = 0; i < 2; ++i)
            runNative(vm, vectorGroup, 19, append, dummy);
        return TWord(handle);
    };
    auto date = [&] {
        const TWord box = plainBlock();
        runNative(vm, 29, 1, {box}, dummy);
        return box;
    };
    int checked = 0, declared = 0;
    std::vector<std::string> unchecked;
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES) {
        for (int i = 0; i < table.count; ++i) {
            const NativeFunction& f = table.functions[i];
            if (f.taken < 0)
                continue;
            ++declared;
            bool done = false;
            SCOPED_TRACE(std::string(table.name) + "." + std::string(f.name));
            const int graphicsRequests = m.services.graphicsRequests;
            for (int kind = 0; kind < 4 && !done; ++kind) {
                for (int objects = 0; objects <= f.taken && !done; ++objects) {
                    for (TWord small : {0, 1}) {
                        std::vector<TWord> args;
                        for (int k = 0; k < f.taken; ++k) {
                            if (k >= objects)
                                args.push_back(small);
                            else if (kind == 0)
                                args.push_back(plainBlock()); // big enough for any value written through it
                            else if (kind == 1)
                                args.push_back(stringBox());
                            else if (kind == 2)
                                args.push_back(vectorHandle(table.group));
                            else
                                args.push_back(date());
                        }
                        int before;
                        if (!runNative(vm, table.group, f.number, args, before))
                            continue;
                        EXPECT_EQ(vm.topIndex(), before - f.taken + f.left) << table.name << "." << f.name;
                        if (table.group > REFERENCE_VECTOR_GROUP) { // elements vary with the vector group
                            EXPECT_EQ(resultMismatch(vm, f, args, before), "") << table.name << "." << f.name;
                        }
                        ++checked;
                        done = true;
                        break;
                    }
                }
            }
            try {
                vm.heap().collect(); // nothing is a root: the arguments go
            } catch (...) {
                FAIL() << "heap damaged after " << table.name << "." << f.name << ": " << Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
            }
            if (!done)
                unchecked.push_back(std::string(table.name) + "." + std::string(f.name));
            if (!f.graphics) { // the runner would have no graphics device for it
                EXPECT_EQ(m.services.graphicsRequests, graphicsRequests) << table.name << "." << f.name;
            }
        }
    }
    // The natives of groups still to come (drawing, bitmaps, fonts) and those
    // that need host files or streams find no arguments here.
    EXPECT_GE(checked, 540) << declared << " declared; not checked: " << ::testing::PrintToString(unchecked);
}

TEST(NativeTables, TheCommittedReferenceIsGeneratedFromTheTables)
{
    std::ifstream in(LUMBRA_SOURCE_DIR "/docs/natives.md", std::ios::binary);
    std::stringstream committed;
    committed << in.rdbuf();
    EXPECT_EQ(committed.str(), nativeReference())
        << "docs/natives.md is stale: cmake --build build --target natives-doc";
}

TEST(NativeTables, NamesAreUniqueAndFoundAgain)
{
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES)
        for (int i = 0; i < table.count; ++i) {
            int group = 0, number = 0;
            const std::string name = nativeName(table.group, table.functions[i].number);
            ASSERT_TRUE(findNative(name, group, number)) << name;
            EXPECT_EQ(group, table.group) << name;
            EXPECT_EQ(number, table.functions[i].number) << name;
        }
}

// The runner starts Qt's GUI part only for code that may call a graphics
// native, wherever the call's bytes stand.
TEST(NativeTables, GraphicsCallsAreFoundAnywhereInTheCode)
{
    const auto native = static_cast<signed char>(Lumbra::OP_Native), push = static_cast<signed char>(Lumbra::OP_Push);
    const struct {
        std::vector<signed char> code;
        bool graphics;
    } cases[] = {
        {{}, false},
        {{native, 19, 1}, true},                  // Bitmap.create
        {{native, 32, 10}, true},                 // System.nativeFont
        {{native, 32, 3}, false},                 // System.uptime
        {{native, 19, 99}, false},                // no such function
        {{push, native, 18, 2, 0}, true},         // inside an operand: a branch may land there
        {{native, 19}, false},                    // cut short
    };
    for (const auto& c : cases)
        EXPECT_EQ(mayCallGraphics(c.code.data(), int(c.code.size())), c.graphics) << ::testing::PrintToString(c.code);
}

// In checking builds a native call that returns with the stack moved other
// than its row says is a VM error naming the native; functions that never
// return and undeclared numbers are not judged.
TEST(NativeTables, AStackMovedAgainstTheRowIsAVmError)
{
    Machine m;
    m.run("main:\n    stop\n");
    VirtualMachine& vm = *m.vm;
    const struct {
        int group, number, moved; // sp after the call minus sp before
        bool raises;
    } cases[] = {
        {26, 12, -1, false}, // Math.randomInt: int, int -> int
        {26, 12, 0, true},
        {26, 1, 0, false},   // Math.sin: fixed -> fixed
        {26, 1, -1, true},
        {3, 8, 0, false},    // IntVector.get: vector, index -> vector, element
        {7, 8, -1, false},   // ObjectVector.get leaves the reference alone
        {6, 8, 3, false},    // Int4Vector.get: four words per element
        {6, 8, 0, true},
        {32, 1, 5, false},   // System.exit never returns
        {26, 99, 7, false},  // no such function
    };
    for (const auto& c : cases) {
        const int before = 30;
        m.access().sp() = before + c.moved;
        SCOPED_TRACE(nativeName(c.group, c.number) + " moved " + std::to_string(c.moved));
        if (c.raises) {
            EXPECT_THROW(checkNativeStackEffect(vm, c.group, c.number, before), Lumbra::ErrorHandlingException);
            EXPECT_EQ(Lumbra::lastErrorCode(), Lumbra::EVM);
            EXPECT_NE(Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()).find(nativeName(c.group, c.number)),
                      std::string::npos);
        } else {
            EXPECT_NO_THROW(checkNativeStackEffect(vm, c.group, c.number, before));
        }
    }
}

// A row's word counts come from its signature: fixed takes two words, elem
// the group's element words, and "never" marks a call without return.
TEST(NativeTables, SignaturesGiveTheWordCounts)
{
    static_assert(nativesig::taken("fixed x, int n -> fixed") == 3);
    static_assert(nativesig::left("fixed x, int n -> fixed") == 2);
    static_assert(nativesig::taken("vector v, elem value", 4) == 5);
    static_assert(nativesig::left("vector v, int i -> held v, elem", 1, true) == 1);
    static_assert(nativesig::taken("int code -> never") == -1);
    static_assert(nativesig::nativeName("and_") == "and");
    // Every declared function says what it does.
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES)
        for (int i = 0; i < table.count; ++i) {
            const NativeFunction& f = table.functions[i];
            EXPECT_FALSE(f.meaning.empty()) << table.name << "." << f.name;
        }
}

// The profile report names a native call by its unsigned group and function
// bytes and the declared name; an extension call by its signed numbers.
TEST(NativeTables, ProfileReportNamesCallsByTheirBytes)
{
    const auto shape = [](int opcode, int first, int second) {
        return OpProfile::Shape(opcode) | OpProfile::Shape(std::uint8_t(first)) << 8
             | OpProfile::Shape(std::uint8_t(second)) << 16;
    };
    ASSERT_FALSE(nativeName(8, 136).empty());
    const struct {
        OpProfile::Shape shape;
        std::string text;
    } cases[] = {
        {OpProfile::Shape(Lumbra::OP_Push), "push"},
        {shape(Lumbra::OP_Native, 3, 8), "native 3 8 IntVector.get"},
        {shape(Lumbra::OP_Native, 8, 136), "native 8 136 " + nativeName(8, 136)},
        {shape(Lumbra::OP_Native, 200, 250), "native 200 250"},
        {shape(Lumbra::OP_Extension, 28, -3), "ext 28 -3"},
        {OpProfile::Shape(255), "invalid 255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Lumbra::opProfileShapeText(c.shape), c.text);
}
