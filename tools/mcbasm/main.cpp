// mcbasm IN.s [-o OUT.mcb]: assembles an image.
#include "Assembler.h"
#include "FileBytes.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char* const USAGE = "usage: mcbasm IN.s [-o OUT.mcb] | --help\n";

const char* const HELP =
    "Assembles the assembly source IN.s into the bytecode image OUT.mcb.\n"
    "The language is described in tools/README.md; docs/USER_GUIDE.md shows\n"
    "how to write, build and run a program.\n"
    "\n"
    "Options:\n"
    "  -o OUT.mcb   the image to write (replaced when it exists); without it\n"
    "               the image goes beside the source: IN.s gives IN.mcb\n"
    "  --help       print this text\n"
    "\n"
    "Exit status: 0 when the image is written; 1 when IN.s cannot be read,\n"
    "holds errors (each reported as \"file:line: error: message\", up to 20\n"
    "in one run) or OUT.mcb cannot be written; 2 for a bad command line.\n"
    "An image that exports no \"main\" is written with a warning: it cannot start.\n";

int assembleFile(const std::string& input, const std::string& output)
{
    std::string source;
    if (!LumbraAsm::readFileBytes(input, source)) {
        std::fprintf(stderr, "mcbasm: cannot read %s\n", input.c_str());
        return 1;
    }
    const LumbraAsm::AssemblyResult result = LumbraAsm::assemble(source, input);
    for (const std::string& error : result.errors)
        std::fprintf(stderr, "%s\n", error.c_str());
    if (result.stoppedEarly)
        std::fprintf(stderr, "mcbasm: stopped after %zu errors\n", result.errors.size());
    if (!result.ok)
        return 1;
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "%s\n", warning.c_str());
    if (!LumbraAsm::writeFileBytes(output, result.image)) {
        std::fprintf(stderr, "mcbasm: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

// Where the image of `input` goes without -o: beside it, "IN.s" as "IN.mcb".
std::string imageBeside(const std::string& input)
{
    const std::string suffix = ".s";
    const bool assembly = input.size() > suffix.size() && input.compare(input.size() - suffix.size(), suffix.size(), suffix) == 0
                       && input[input.size() - suffix.size() - 1] != '/';
    return (assembly ? input.substr(0, input.size() - suffix.size()) : input) + ".mcb";
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
    if (bad || input.empty()) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (output.empty())
        output = imageBeside(input);
    try {
        return assembleFile(input, output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "FATAL: mcbasm: %s\n", error.what());
        return 1;
    }
}
