// A bare machine with an extension registry, and the stack-side helpers the
// extension tests share: wrappers, byte arrays and calls by operation.
#pragma once

#include "ExtensionRegistry.h"
#include "VMError.h"
#include "VirtualMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ExtensionTest {

// What a call ended with: the new top, or the VM error it raised.
struct CallResult {
    int top = -2;
    int errorCode = 0; // 0: no error
    std::string message;
    std::string fatalDetail;
};

class MachineWithExtensions {
public:
    std::unique_ptr<VirtualMachine> vm = std::make_unique<VirtualMachine>(64u << 20);
    std::unique_ptr<ExtensionRegistry> registry = std::make_unique<ExtensionRegistry>();

    MachineWithExtensions() { VirtualMachine::setCurrent(vm.get()); }
    ~MachineWithExtensions()
    {
        registry.reset();
        vm.reset();
        VirtualMachine::setCurrent(nullptr);
    }

    // An empty one-word reference box, kept alive as a root.
    TAddr box()
    {
        const TAddr b = TAddr(vm->newBox(0));
        vm->heap().addRoot(b);
        return b;
    }
    // A vector variable (word 0 the vector, word 1 its element size) holding
    // a byte vector of `bytes`, kept alive as a root.
    TAddr byteArray(const std::vector<std::uint8_t>& bytes);
    static std::vector<std::uint8_t> bytesOf(const std::vector<std::int16_t>& samples);

    // Runs `operation` of extension `id` with `args` as the topmost slots,
    // starting at stack slot `base`.
    CallResult call(int id, unsigned operation, const std::vector<TWord>& args, int base = 10);
    TWord slot(int index) const { return vm->stackBase[index]; }
    // Collects with nothing on the stack as a root.
    void collect()
    {
        vm->sp = -1;
        vm->collectGarbage();
    }
};

} // namespace ExtensionTest
