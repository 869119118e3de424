// The one main of the reference generators: the text goes to the file named
// as the only argument, or to standard output without one.
#pragma once

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

inline int writeReference(const char* tool, const std::string& text, int argc, char** argv)
{
    if (argc < 2) {
        std::cout << text;
        return std::cout ? 0 : 1;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", tool, argv[1]);
        return 1;
    }
    return 0;
}
