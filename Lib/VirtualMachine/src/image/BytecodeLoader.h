// Appends one bytecode image to a machine's tables, relocating every index of
// the image into the global tables.
#pragma once

#include "image/ImageParser.h"
#include "image/MachineTables.h"

#include <functional>

class VUvarFileReader;

namespace Lumbra {

inline constexpr const char* BYTECODE_READ_ERROR = "Error while reading bytecode";

// Reads one image into `tables`. Returns false for a malformed header or
// record; a truncated image raises error 10 and an index outside a table
// error 6. An image whose identity and name are loaded already appends
// nothing and answers that image's index. Tables appended before a failure
// stay as they are.
bool loadBytecode(MachineTables& tables, const VUvarString& imageName, VUvarFileReader& reader, int& imageIndex,
                  ImageDiagnostics* diagnostics = nullptr);

// What the load routine calls once it knows the outcome.
struct BytecodeLoadHooks {
    // The image is loaded: resolve its entry points.
    std::function<void(int imageIndex)> imageLoaded;
    // The machine's fatal-error operation.
    std::function<void(const char* message, int position)> fatalError;
};

// Records the host's services, runs the loader and reports a failure of any
// kind through hooks.fatalError(BYTECODE_READ_ERROR, -1), followed by the
// offset and field that failed when the parser named them.
void loadImage(MachineTables& tables, VUvarFileReader& reader, const VUvarString& imageName,
               FrameworkServices* services, const BytecodeLoadHooks& hooks);

// Decodes a string constant's UTF-8 bytes into UTF-16 code units. Sequences
// are not validated and never produce surrogate pairs; a sequence cut short
// by the end of the text takes its missing bytes as 0.
VUvarString decodeImageText(const char* bytes, int length);

} // namespace Lumbra
