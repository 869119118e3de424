// Prints an image in the assembly language that Assembler.h reads, such that
// assembling the text gives the same bytes back.
#pragma once

#include "ImageModel.h"

#include <string>

namespace LumbraAsm {

struct DisassemblyResult {
    bool ok = false;
    std::string text;
    std::string error; // for an image the loader rejects: the offending offset and field
};

// Checks the image with the machine's loader first, then prints it. With
// `offsets`, every code line ends with a comment giving its code offset, the
// position run-time error messages name.
DisassemblyResult disassemble(const Bytes& image, bool offsets = false);

// Prints a model read from an image.
std::string printImage(const ImageModel& model, bool offsets = false);

} // namespace LumbraAsm
