// Loads the input as an image and runs main with a small instruction budget.
// Every outcome must be an orderly stop or a normal return.
#include "MemoryInputStream.h"
#include "VirtualMachine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VirtualMachine vm(64u << 20);
    vm.setInstructionBudget(20000);
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(std::vector<unsigned char>(data, data + size)));
    try {
        vm.load(reader, VUvarString("index.mcb"), nullptr);
    } catch (const MachineStop&) {
    }
    VirtualMachine::setCurrent(nullptr);
    return 0;
}
