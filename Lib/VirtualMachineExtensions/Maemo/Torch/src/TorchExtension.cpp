#include "TorchExtension.h"

TorchExtension::TorchExtension(VirtualMachine& vm) : OperationlessExtension(vm, "Torch: Unknown opcode!")
{
}
