#include "image/OpcodeTable.h"

#include <cstring>

namespace Lumbra {

int findOpcode(const char* mnemonic)
{
    for (int op = 0; op < 256; ++op) {
        const char* name = OPCODES.entries[op].mnemonic;
        if (name && std::strcmp(name, mnemonic) == 0)
            return op;
    }
    return -1;
}

} // namespace Lumbra
