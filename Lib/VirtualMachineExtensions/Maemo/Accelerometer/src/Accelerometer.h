// Extension 20, the accelerometer. No operation is served yet: each reports itself unknown.
#pragma once

#include "ExtensionCall.h"

class Accelerometer : public OperationlessExtension {
public:
    explicit Accelerometer(VirtualMachine& vm);
};
