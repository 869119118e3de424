// mcbinstructions [FILE]: writes the instruction reference, generated from
// the opcode table, to FILE or to standard output.
#include "image/InstructionReference.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    const std::string text = instructionReference();
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "mcbinstructions: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
