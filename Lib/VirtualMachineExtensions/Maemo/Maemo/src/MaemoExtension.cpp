#include "MaemoExtension.h"

MaemoExtension::MaemoExtension(VirtualMachine& vm) : OperationlessExtension(vm, "Maemo: Unknown opcode!")
{
}
