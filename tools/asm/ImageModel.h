// An image as the tools see it: every record as stored in the file, so that
// writing a model read from an image gives the same bytes back.
#pragma once

#include "image/ImageParser.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace LumbraAsm {

using Bytes = std::vector<unsigned char>;

struct ImageModel {
    Lumbra::ImageIdentity identity{};
    Lumbra::ImageWidths widths{4, 4, 4, 4, 4, 4, 4, 4, 4};
    std::vector<Lumbra::ImageMethod> methods;
    std::vector<Lumbra::ImageVirtualMethod> virtualMethods;
    std::vector<Lumbra::ImageType> types;
    std::vector<Lumbra::ImageFrame> frames;
    std::vector<std::string> strings; // UTF-8 bytes as stored
    Bytes code;
};

// A value that cannot be written in its field.
class ImageEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether `value` can be stored as a w-value of `width` bytes.
bool fitsWidth(long long value, int width);
// The narrowest element width (1, 2 or 4) that holds every value.
int narrowestWidth(const std::vector<TInt32>& a, const std::vector<TInt32>& b = {},
                   const std::vector<TInt32>& c = {}, const std::vector<TInt32>& d = {});

// Serialises a model; throws ImageEncodingError for a value that does not fit.
Bytes encodeImage(const ImageModel& model);

// Reads an image into a model. Returns false (with diagnostics) when the
// image is malformed in a way the parser rejects or reads past its end.
bool decodeImage(const Bytes& bytes, ImageModel& model, Lumbra::ImageDiagnostics* diagnostics = nullptr);

} // namespace LumbraAsm
