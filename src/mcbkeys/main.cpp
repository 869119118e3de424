// mcbkeys [FILE]: writes the key-code reference, generated from the key
// translation and the player's own keys, to FILE or to standard output.
#include "KeyReference.h"
#include "ReferenceFile.h"

int main(int argc, char** argv)
{
    return writeReference("mcbkeys", Lumbra::keyReference(), argc, argv);
}
