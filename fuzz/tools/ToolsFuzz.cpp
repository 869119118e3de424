// The input is read both as an image and as assembly text. An image the
// disassembler prints must assemble into one that prints the same text (with
// or without code offsets), and text the assembler accepts must give an image
// the disassembler prints and the assembler reads back into the same bytes.
// Includes are refused, so no file is ever read.
#include "Assembler.h"
#include "Disassembler.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

LumbraAsm::AssemblyResult assembleText(std::string_view text)
{
    return LumbraAsm::assemble(text, "fuzz.s", [](const std::string&, std::string&) { return false; });
}

[[noreturn]] void fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
    std::abort();
}

// `text` is what the disassembler printed for some image: it must be a fixed point.
void expectStable(const std::string& text)
{
    const LumbraAsm::AssemblyResult again = assembleText(text);
    if (!again.ok)
        fail("printed text does not assemble:", again.error + "\n" + text);
    const LumbraAsm::DisassemblyResult reprinted = LumbraAsm::disassemble(again.image);
    if (!reprinted.ok)
        fail("reassembled image is refused:", reprinted.error + "\n" + text);
    if (reprinted.text != text)
        fail("printing the reassembled image changes the text:", text + "\n----\n" + reprinted.text);
    const LumbraAsm::DisassemblyResult numbered = LumbraAsm::disassemble(again.image, true);
    const LumbraAsm::AssemblyResult fromNumbered = assembleText(numbered.text);
    if (!numbered.ok || !fromNumbered.ok || fromNumbered.image != again.image)
        fail("the text with code offsets assembles differently:", fromNumbered.error + "\n" + numbered.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const LumbraAsm::Bytes bytes(data, data + size);
    const LumbraAsm::DisassemblyResult printed = LumbraAsm::disassemble(bytes);
    if (printed.ok)
        expectStable(printed.text);

    const LumbraAsm::AssemblyResult assembled = assembleText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (assembled.ok) {
        const LumbraAsm::DisassemblyResult shown = LumbraAsm::disassemble(assembled.image);
        if (!shown.ok)
            fail("assembled image is refused:", shown.error);
        const LumbraAsm::AssemblyResult back = assembleText(shown.text);
        if (!back.ok || back.image != assembled.image)
            fail("the printed image assembles differently:", back.error + "\n" + shown.text);
    }
    return 0;
}
