// Reads an image front to back through a VUvarFileReader and hands each
// record, as stored in the file, to an ImageVisitor. The loader relocates the
// records into the machine's tables; the disassembler keeps them as they are.
#pragma once

#include "LumbraTypes.h"

#include <array>
#include <string>
#include <vector>

class VUvarFileReader;

namespace Lumbra {

constexpr int IMAGE_IDENTITY_LENGTH = 20;
constexpr TUint8 IMAGE_MARKER = 0xFF;
constexpr TUint8 FLAG_FALSE = 0x00;
constexpr TUint8 FLAG_TRUE = 0xFF;

// The header's width bytes in file order: WIDTH(enumerator, key, description).
#define LUMBRA_IMAGE_WIDTHS(WIDTH)                                             \
    WIDTH(Code, "code", "width of code offsets")                              \
    WIDTH(Frame, "frame", "width of frame descriptor indices")                \
    WIDTH(Type, "type", "width of type ids")                                  \
    WIDTH(Super, "super", "width of the has-super value")                     \
    WIDTH(Extra, "extra", "width of the extra reference count")               \
    WIDTH(FrameA, "fa", "width of frame slot count A")                        \
    WIDTH(FrameB, "fb", "width of frame slot count B")                        \
    WIDTH(FrameC, "fc", "width of frame slot count C")                        \
    WIDTH(Impl, "impl", "width of the implementation count")

enum ImageWidth : int {
#define WIDTH(name, key, text) W_##name,
    LUMBRA_IMAGE_WIDTHS(WIDTH)
#undef WIDTH
    IMAGE_WIDTH_COUNT
};

constexpr const char* IMAGE_WIDTH_KEYS[] = {
#define WIDTH(name, key, text) key,
    LUMBRA_IMAGE_WIDTHS(WIDTH)
#undef WIDTH
};

using ImageIdentity = std::array<TUint8, IMAGE_IDENTITY_LENGTH>;
using ImageWidths = std::array<TUint8, IMAGE_WIDTH_COUNT>;

inline bool isValidWidth(int width) { return width == 1 || width == 2 || width == 4; }

struct ImageMethod {
    std::string signature; // Latin-1 bytes
    TInt32 code = 0;
    TInt32 frame = 0;
};

struct ImageImplementation {
    TInt32 type = 0;
    TInt32 code = 0;
    TInt32 frame = 0;
};

struct ImageVirtualMethod {
    std::string signature;
    std::vector<ImageImplementation> implementations;
    // A 4-byte implementation count stored below zero reads as none; kept so
    // that the tools write back the bytes they read. 0 for a usual count.
    TInt32 negativeCount = 0;
};

// A list of slots each with a flag byte (0x00 or 0xFF).
struct ImageFlaggedSlots {
    std::vector<TUint8> flags;
    std::vector<TInt32> slots;
};

struct ImageType {
    TUint8 elementWidth = 1;
    std::vector<TInt32> referenceFields;
    ImageFlaggedSlots vectorFields;
    TInt32 hasSuper = 0; // nonzero when a super type follows
    TInt32 superType = 0;
    std::vector<TInt32> extraReferences;
    // An extra reference count stored below zero, read as none; 0 otherwise.
    TInt32 negativeExtraCount = 0;
};

struct ImageFrame {
    TUint8 elementWidth = 1;
    TInt32 lowerSlotsA = 0;
    std::vector<TInt32> referenceSlots;
    ImageFlaggedSlots vectorSlots;
    TInt32 lowerSlotsB = 0;
    TInt32 upperSlots = 0;
    std::vector<TInt32> objectSlots;
    ImageFlaggedSlots pairSlots;
};

// Where a load failed: the file offset of the offending field and its name.
struct ImageDiagnostics {
    int offset = -1;
    std::string field;
    std::string problem;
    std::string describe() const;
};

class ImageVisitor {
public:
    virtual ~ImageVisitor() = default;
    // false: an identical image is loaded already; reading stops with success.
    virtual bool identity(const ImageIdentity& identity) = 0;
    virtual void widths(const ImageWidths& widths) = 0;
    virtual void exportedMethod(const ImageMethod& method) = 0;
    virtual void virtualMethod(const ImageVirtualMethod& method) = 0;
    virtual void type(const ImageType& type) = 0;
    virtual void frame(const ImageFrame& frame) = 0;
    virtual void stringConstant(const std::string& utf8) = 0;
    // Storage for the code section's `length` bytes, which are read into it at once.
    virtual TUint8* codeBuffer(int length) = 0;
    // The code section has been read; `fileOffset` is where it starts in the file.
    virtual void code(TUint8* bytes, int length, int fileOffset) = 0;
};

// Returns false for a malformed header or record (bad identity length,
// marker, width, element width or flag byte). A read past the end raises
// error 10. `diagnostics`, when given, names the failing field either way.
bool parseImage(VUvarFileReader& reader, ImageVisitor& visitor, ImageDiagnostics* diagnostics = nullptr);

// Records a failure at `offset` in `diagnostics` (if any) and raises `code`.
[[noreturn]] void failImage(ImageDiagnostics* diagnostics, int offset, std::string field, const char* problem, TInt32 code);

} // namespace Lumbra
