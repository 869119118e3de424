// mcbasm IN.s -o OUT.mcb: assembles an image.
#include "Assembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (input.empty() && arg != "-o")
            input = arg;
        else
            input.clear(), output.clear(), i = argc;
    }
    if (input.empty() || output.empty()) {
        std::fprintf(stderr, "usage: mcbasm IN.s -o OUT.mcb\n");
        return 2;
    }
    std::string source;
    if (!LumbraAsm::readFileBytes(input, source)) {
        std::fprintf(stderr, "mcbasm: cannot read %s\n", input.c_str());
        return 1;
    }
    const LumbraAsm::AssemblyResult result = LumbraAsm::assemble(source, input);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    if (!LumbraAsm::writeFileBytes(output, result.image)) {
        std::fprintf(stderr, "mcbasm: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
