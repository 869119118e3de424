// mcbkeys [FILE]: writes the key-code reference, generated from the key
// translation and the player's own keys, to FILE or to standard output.
#include "KeyReference.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    const std::string text = Lumbra::keyReference();
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "mcbkeys: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
