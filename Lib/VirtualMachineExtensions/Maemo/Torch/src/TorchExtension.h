// Extension 36, the camera torch. No operation is served yet: each reports itself unknown.
#pragma once

#include "ExtensionCall.h"

class TorchExtension : public OperationlessExtension {
public:
    explicit TorchExtension(VirtualMachine& vm);
};
