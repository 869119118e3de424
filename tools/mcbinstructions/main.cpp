// mcbinstructions [FILE]: writes the instruction reference, generated from
// the opcode table, to FILE or to standard output.
#include "image/InstructionReference.h"
#include "ReferenceFile.h"

int main(int argc, char** argv)
{
    return writeReference("mcbinstructions", instructionReference(), argc, argv);
}
