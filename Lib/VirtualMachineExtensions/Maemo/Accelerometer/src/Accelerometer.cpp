#include "Accelerometer.h"

Accelerometer::Accelerometer(VirtualMachine& vm) : OperationlessExtension(vm, "SensorDLL: Unknown opcode!")
{
}
