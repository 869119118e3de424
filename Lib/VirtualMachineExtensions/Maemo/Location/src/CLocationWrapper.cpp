#include "CLocationWrapper.h"

CLocationWrapper::CLocationWrapper(VirtualMachine& vm) : OperationlessExtension(vm, "Location: Unknown opcode!")
{
}
