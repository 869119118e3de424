// mcbnatives [FILE]: writes the reference of the native groups, generated
// from their tables, to FILE or to standard output.
#include "natives/NativeReference.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    const std::string text = nativeReference();
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "mcbnatives: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
