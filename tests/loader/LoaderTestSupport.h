// Helpers for loader tests: images are written in assembly and loaded from memory.
#pragma once

#include "Assembler.h"
#include "MemoryInputStream.h"
#include "VMError.h"
#include "VUvarFileReader.h"
#include "image/BytecodeLoader.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace LoaderTest {

using LumbraAsm::Bytes;
using Lumbra::MachineTables;

inline Bytes assembleText(const std::string& source)
{
    LumbraAsm::AssemblyResult result = LumbraAsm::assemble(source, "test.s");
    if (!result.ok)
        throw std::runtime_error(result.error);
    return result.image;
}

// Outcome of one load: the loader's answer, or the error code it raised.
struct LoadOutcome {
    bool returned = false;   // loader returned instead of raising
    bool accepted = false;   // its answer
    int errorCode = 0;       // code raised when !returned
    int imageIndex = -1;
    Lumbra::ImageDiagnostics diagnostics;
};

inline LoadOutcome loadInto(MachineTables& tables, const Bytes& image, const char* name = "index.mcb")
{
    LoadOutcome outcome;
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image));
    try {
        outcome.accepted = Lumbra::loadBytecode(tables, VUvarString(name), reader, outcome.imageIndex, &outcome.diagnostics);
        outcome.returned = true;
    } catch (const Lumbra::ErrorHandlingException&) {
        outcome.errorCode = Lumbra::lastErrorCode();
    }
    return outcome;
}

inline std::string utf8(const VUvarString& s) { return s.toUtf8(); }

inline TInt32 wordAt(const MachineTables& tables, int offset)
{
    const signed char* p = tables.codeBytes.data() + offset;
    return TInt32(TUint32(TUint8(p[0])) | TUint32(TUint8(p[1])) << 8 | TUint32(TUint8(p[2])) << 16 |
                  TUint32(TUint8(p[3])) << 24);
}

template <class T>
std::vector<T> toStd(const Vec<T>& v)
{
    return std::vector<T>(v.begin(), v.end());
}

} // namespace LoaderTest
