// mcbnatives [FILE]: writes the reference of the native groups, generated
// from their tables, to FILE or to standard output.
#include "natives/NativeReference.h"
#include "ReferenceFile.h"

int main(int argc, char** argv)
{
    return writeReference("mcbnatives", nativeReference(), argc, argv);
}
