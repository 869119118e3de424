// mcbdis IN.mcb: prints an image as assembly text on standard output.
#include "Disassembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char* const USAGE = "usage: mcbdis IN.mcb | --help\n";

const char* const HELP =
    "Prints the bytecode image IN.mcb as assembly text on standard output;\n"
    "mcbasm turns that text back into the same bytes. An image the player\n"
    "would refuse is named with the byte offset and the field that failed.\n"
    "\n"
    "Options:\n"
    "  --help   print this text\n"
    "\n"
    "Exit status: 0 when the image was printed; 1 when IN.mcb cannot be read\n"
    "or is refused; 2 for a bad command line.\n";

int disassembleFile(const std::string& input)
{
    std::string bytes;
    if (!LumbraAsm::readFileBytes(input, bytes)) {
        std::fprintf(stderr, "mcbdis: cannot read %s\n", input.c_str());
        return 1;
    }
    const LumbraAsm::DisassemblyResult result = LumbraAsm::disassemble(LumbraAsm::Bytes(bytes.begin(), bytes.end()));
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
    const std::string arg = argc == 2 ? argv[1] : "";
    if (arg == "--help") {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    if (argc != 2 || (arg.size() > 1 && arg[0] == '-')) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    try {
        return disassembleFile(arg);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "FATAL: mcbdis: %s\n", error.what());
        return 1;
    }
}
