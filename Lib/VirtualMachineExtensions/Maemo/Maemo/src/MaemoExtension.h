// Extension 37, the desktop shell. No operation is served yet: each reports itself unknown.
#pragma once

#include "ExtensionCall.h"

class MaemoExtension : public OperationlessExtension {
public:
    explicit MaemoExtension(VirtualMachine& vm);
};
