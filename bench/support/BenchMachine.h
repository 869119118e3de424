// Running an assembled program as a benchmark: a fresh machine per
// iteration on host services whose log is silent.
#pragma once

#include "Assembler.h"
#include "BasicFrameworkServices.h"
#include "MemoryInputStream.h"
#include "machine/VirtualMachine.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

namespace BenchMachine {

class QuietServices : public BasicFrameworkServices {
public:
    using BasicFrameworkServices::BasicFrameworkServices;
    void log(const OString&) override {}
};

// Assembles `source` once, then loads it and runs its main in every
// iteration, with `directory` as the application directory.
inline void runEachIteration(benchmark::State& state, const std::string& source, const QString& directory)
{
    const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(source, "bench.s");
    if (!image.ok)
        throw std::runtime_error(image.error);
    QuietServices services(Str16::fromQString(directory));
    for (auto _ : state) {
        VirtualMachine machine;
        VirtualMachine::setCurrent(&machine);
        VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image.image));
        machine.load(reader, VUvarString("index.mcb"), &services);
        VirtualMachine::setCurrent(nullptr);
    }
}

} // namespace BenchMachine
