// mcbdis IN.mcb: prints an image as assembly text on standard output.
#include "Disassembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mcbdis IN.mcb\n");
        return 2;
    }
    std::string bytes;
    if (!LumbraAsm::readFileBytes(argv[1], bytes)) {
        std::fprintf(stderr, "mcbdis: cannot read %s\n", argv[1]);
        return 1;
    }
    const LumbraAsm::DisassemblyResult result = LumbraAsm::disassemble(LumbraAsm::Bytes(bytes.begin(), bytes.end()));
    if (!result.ok) {
        std::fprintf(stderr, "mcbdis: %s: %s\n", argv[1], result.error.c_str());
        return 1;
    }
    std::fwrite(result.text.data(), 1, result.text.size(), stdout);
    return 0;
}
