// The benchmark programs, shared by the Google Benchmark driver and the
// single-run driver used under callgrind.
#pragma once

#include "Assembler.h"
#include "MemoryInputStream.h"
#include "VirtualMachine.h"

#include <stdexcept>
#include <string>

namespace MachineBenchPrograms {

inline const char* FIB = R"(
.method "main" code=main frame=F
.frame F
main:
    push 30
    call fib, F
    adjust -1
    ret 0, 1
fib:
    pick -2
    push 2
    lt
    jz recurse
    ret 0, 1
recurse:
    pick -2
    push 1
    sub
    call fib, F
    pick -3
    push 2
    sub
    call fib, F
    add
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 0, 1
)";

// The add-and-compare loop counting to `count`.
inline std::string loop(long count)
{
    return R"(
.method "main" code=main frame=F
.frame F
main:
    push 0
loop:
    push 1
    add
    dup
    push )" + std::to_string(count) + R"(
    ge
    jz loop
    adjust -1
    ret 0, 1
)";
}


inline const char* CHURN = R"(
.method "main" code=main frame=F
.frame F
main:
    push 1000000
loop:
    new 2, 2
    fieldaddr 1
    push 7
    store
    push 1
    sub
    dup
    jz done
    jmp loop
done:
    adjust -1
    ret 0, 1
)";

inline LumbraAsm::AssemblyResult assembled(const std::string& source)
{
    LumbraAsm::AssemblyResult image = LumbraAsm::assemble(source);
    if (!image.ok)
        throw std::runtime_error(image.error);
    return image;
}

// Loads the image into a fresh machine and runs its main and the collection after it.
inline void runOnce(const LumbraAsm::AssemblyResult& image)
{
    VirtualMachine vm;
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image.image));
    vm.load(reader, VUvarString("index.mcb"), nullptr);
    VirtualMachine::setCurrent(nullptr);
}

} // namespace MachineBenchPrograms
