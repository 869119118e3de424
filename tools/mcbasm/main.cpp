// mcbasm IN.s -o OUT.mcb: assembles an image.
#include "Assembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char* const USAGE = "usage: mcbasm IN.s -o OUT.mcb | --help\n";

const char* const HELP =
    "Assembles the assembly source IN.s into the bytecode image OUT.mcb.\n"
    "The language is described in tools/README.md; docs/USER_GUIDE.md shows\n"
    "how to write, build and run a program.\n"
    "\n"
    "Options:\n"
    "  -o OUT.mcb   the image to write (replaced when it exists)\n"
    "  --help       print this text\n"
    "\n"
    "Exit status: 0 when the image is written; 1 when IN.s cannot be read,\n"
    "holds an error (reported as \"file:line: error: message\") or OUT.mcb\n"
    "cannot be written; 2 for a bad command line.\n";

int assembleFile(const std::string& input, const std::string& output)
{
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

} // namespace

int main(int argc, char** argv)
{
    std::string input, output;
    bool help = false, bad = false;
    for (int i = 1; i < argc && !bad; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help")
            help = true;
        else if (arg == "-o" && i + 1 < argc && output.empty())
            output = argv[++i];
        else if (arg.size() > 1 && arg[0] == '-')
            bad = true;
        else if (input.empty())
            input = arg;
        else
            bad = true;
    }
    if (help && !bad) {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    if (bad || input.empty() || output.empty()) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    try {
        return assembleFile(input, output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "FATAL: mcbasm: %s\n", error.what());
        return 1;
    }
}
