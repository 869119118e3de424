// Assembles the text form of an image (see tools/README.md) into image bytes.
#pragma once

#include "ImageModel.h"

#include <string>
#include <string_view>

namespace LumbraAsm {

struct AssemblyResult {
    bool ok = false;
    Bytes image;
    std::string error; // "<file>:<line>: error: <message>" when !ok
};

AssemblyResult assemble(std::string_view source, const std::string& fileName = "<input>");

} // namespace LumbraAsm
