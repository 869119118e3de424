// mcbinstructions [FILE]: writes the instruction reference, generated from
// the opcode table and the extensions' operations, to FILE or to standard output.
#include "ExtensionOperations.h"
#include "image/InstructionReference.h"
#include "ReferenceFile.h"

int main(int argc, char** argv)
{
    return writeReference("mcbinstructions", instructionReference() + extensionReference(), argc, argv);
}
