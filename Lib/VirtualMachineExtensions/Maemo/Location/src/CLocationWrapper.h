// Extension 27, the device position. No operation is served yet: each reports itself unknown.
#pragma once

#include "ExtensionCall.h"

class CLocationWrapper : public OperationlessExtension {
public:
    explicit CLocationWrapper(VirtualMachine& vm);
};
