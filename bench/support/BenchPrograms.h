// The whole-process benchmark programs of bench/vs-lua, assembled and run
// in process at a size of the benchmark's choosing: the number on every
// line of the source marked "; size" is replaced by that size.
#pragma once

#include "Assembler.h"
#include "MemoryInputStream.h"
#include "machine/VirtualMachine.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace BenchPrograms {

inline std::string sized(const std::string& name, long size)
{
    const std::string path = std::string(BENCH_PROGRAM_DIR) + "/" + name + ".s";
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    std::string line;
    bool marked = false;
    while (std::getline(file, line)) {
        const size_t mark = line.find("; size");
        if (mark != std::string::npos) {
            const size_t digits = line.find_first_of("0123456789");
            const size_t end = line.find_first_not_of("0123456789", digits);
            if (digits < mark) {
                line.replace(digits, end - digits, std::to_string(size));
                marked = true;
            }
        }
        out << line << '\n';
    }
    if (!marked)
        throw std::runtime_error(path + " has no line marked \"; size\"");
    return out.str();
}



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

} // namespace BenchPrograms
