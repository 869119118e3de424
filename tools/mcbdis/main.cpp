// mcbdis IN.mcb: prints an image as assembly text on standard output.
#include "Disassembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char* const USAGE = "usage: mcbdis [--offsets] IN.mcb | --help\n";

const char* const HELP =
    "Prints the bytecode image IN.mcb as assembly text on standard output;\n"
    "mcbasm turns that text back into the same bytes. An image the player\n"
    "would refuse is named with the byte offset and the field that failed.\n"
    "\n"
    "Options:\n"
    "  --offsets  end every code line with a comment giving its code offset,\n"
    "             the position that run-time error messages name\n"
    "  --help     print this text\n"
    "\n"
    "Exit status: 0 when the image was printed; 1 when IN.mcb cannot be read\n"
    "or is refused; 2 for a bad command line.\n";

int disassembleFile(const std::string& input, bool offsets)
{
    std::string bytes;
    if (!LumbraAsm::readFileBytes(input, bytes)) {
        std::fprintf(stderr, "mcbdis: cannot read %s\n", input.c_str());
        return 1;
    }
    const LumbraAsm::DisassemblyResult result = LumbraAsm::disassemble(LumbraAsm::Bytes(bytes.begin(), bytes.end()), offsets);
    if (!result.ok) {
        std::fprintf(stderr, "mcbdis: %s: %s\n", input.c_str(), result.error.c_str());
        return 1;
    }
    std::fwrite(result.text.data(), 1, result.text.size(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    const bool offsets = argc == 3 && std::string(argv[1]) == "--offsets";
    const std::string input = argc == 2 + int(offsets) ? argv[argc - 1] : "";
    if (input.empty() || (input.size() > 1 && input[0] == '-')) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    try {
        return disassembleFile(input, offsets);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "FATAL: mcbdis: %s\n", error.what());
        return 1;
    }
}
