#include "image/ImageParser.h"

#include "VMError.h"
#include "VUvarFileReader.h"

#include <utility>

namespace Lumbra {

std::string ImageDiagnostics::describe() const
{
    return "byte offset " + std::to_string(offset) + ", " + field + ": " + problem;
}

void failImage(ImageDiagnostics* diagnostics, int offset, std::string field, const char* problem, TInt32 code)
{
    if (diagnostics) {
        diagnostics->offset = offset;
        diagnostics->field = std::move(field);
        diagnostics->problem = problem;
    }
    raiseError(code);
}

namespace {

// Reads the primitive encodings of an image and remembers which field it is
// reading, so that a failure can be reported by offset and field name.
class FieldReader {
public:
    FieldReader(VUvarFileReader& reader, ImageDiagnostics* diagnostics)
        : reader(reader), diagnostics(diagnostics), offset(reader.position()), total(reader.streamSize())
    {
    }

    int position() const { return offset; }
    int remaining() const { return total - offset; }

    void enterSection(const char* name)
    {
        section = name;
        record = -1;
    }
    void enterRecord(int index) { record = index; }

    [[noreturn]] void fail(const char* problem, TInt32 code = EVM)
    {
        failImage(diagnostics, fieldStart, where(), problem, code);
    }

    // A malformed value: the loader answers false rather than raising.
    bool reject(const char* problem)
    {
        if (diagnostics) {
            diagnostics->offset = fieldStart;
            diagnostics->field = where();
            diagnostics->problem = problem;
        }
        return false;
    }

    void begin(const char* name)
    {
        field = name;
        fieldStart = offset;
    }

    void bytes(void* target, int count, const char* name)
    {
        begin(name);
        if (count > remaining() || (count > 0 && !reader.read(target, count)))
            fail("unexpected end of file");
        offset += count;
    }

    TUint8 byte(const char* name)
    {
        begin(name);
        TUint8 value = 0;
        if (!reader.readByte(value))
            fail("unexpected end of file");
        ++offset;
        return value;
    }

    TInt32 int32(const char* name)
    {
        TUint8 raw[4];
        bytes(raw, 4, name);
        return TInt32(TUint32(raw[0]) | TUint32(raw[1]) << 8 | TUint32(raw[2]) << 16 | TUint32(raw[3]) << 24);
    }

    // 1 and 2 bytes are zero-extended, 4 bytes are signed.
    TInt32 wvalue(int width, const char* name)
    {
        if (width == 1)
            return byte(name);
        TUint8 raw[4] = {0, 0, 0, 0};
        if (width == 2) {
            bytes(raw, 2, name);
            return TInt32(raw[0] | raw[1] << 8);
        }
        if (width == 4)
            return int32(name);
        return 0;
    }

    // A count of records or list values; a negative count is malformed data.
    TInt32 count(const char* name)
    {
        const TInt32 value = int32(name);
        if (value < 0)
            fail("negative count");
        return value;
    }

    // int32 length and that many bytes (names and texts).
    std::string lengthPrefixed(const char* name)
    {
        const TInt32 length = int32(name);
        if (length < 0)
            fail("negative length");
        if (length > remaining())
            fail("length runs past the end of file");
        std::string value(size_t(length), '\0');
        bytes(value.data(), length, name);
        return value;
    }

    bool flag(TUint8& out, const char* name)
    {
        out = byte(name);
        return out == FLAG_FALSE || out == FLAG_TRUE ? true : reject("flag byte must be 0x00 or 0xFF");
    }

    bool elementWidth(TUint8& out)
    {
        out = byte("element width");
        return isValidWidth(out) ? true : reject("element width must be 1, 2 or 4");
    }

    void list(std::vector<TInt32>& out, int width, const char* countName, const char* valueName)
    {
        const TInt32 n = count(countName);
        out.clear();
        for (TInt32 i = 0; i < n; ++i)
            out.push_back(wvalue(width, valueName));
    }

    bool flaggedList(ImageFlaggedSlots& out, int width, const char* countName, const char* valueName)
    {
        const TInt32 n = count(countName);
        out.flags.clear();
        out.slots.clear();
        for (TInt32 i = 0; i < n; ++i) {
            TUint8 flagValue = 0;
            if (!flag(flagValue, "slot flag"))
                return false;
            out.flags.push_back(flagValue);
            out.slots.push_back(wvalue(width, valueName));
        }
        return true;
    }

private:
    std::string where() const
    {
        std::string text = section;
        if (record >= 0)
            text += " record " + std::to_string(record);
        if (!text.empty())
            text += ", ";
        return text + field;
    }

    VUvarFileReader& reader;
    ImageDiagnostics* diagnostics;
    int offset;
    int total;
    const char* section = "header";
    int record = -1;
    const char* field = "";
    int fieldStart = 0;
};

bool readHeader(FieldReader& in, ImageVisitor& visitor, ImageWidths& widths, bool& alreadyLoaded)
{
    static constexpr const char* WIDTH_FIELDS[] = {
#define WIDTH(name, key, text) text,
        LUMBRA_IMAGE_WIDTHS(WIDTH)
#undef WIDTH
    };
    if (in.byte("identity length") != IMAGE_IDENTITY_LENGTH)
        return in.reject("identity length must be 20");
    ImageIdentity identity;
    in.bytes(identity.data(), IMAGE_IDENTITY_LENGTH, "image identity");
    if (!visitor.identity(identity)) {
        alreadyLoaded = true;
        return true;
    }
    for (const char* marker : {"first marker", "second marker"})
        if (in.byte(marker) != IMAGE_MARKER)
            return in.reject("marker must be 0xFF");
    for (int i = 0; i < IMAGE_WIDTH_COUNT; ++i) {
        widths[i] = in.byte(WIDTH_FIELDS[i]);
        if (!isValidWidth(widths[i]))
            return in.reject("width must be 1, 2 or 4");
    }
    visitor.widths(widths);
    return true;
}

void readMethods(FieldReader& in, ImageVisitor& visitor, const ImageWidths& w)
{
    in.enterSection("exported methods");
    const TInt32 n = in.count("method count");
    ImageMethod method;
    for (TInt32 i = 0; i < n; ++i) {
        in.enterRecord(i);
        method.signature = in.lengthPrefixed("signature");
        method.code = in.wvalue(w[W_Code], "code offset");
        method.frame = in.wvalue(w[W_Frame], "frame descriptor");
        visitor.exportedMethod(method);
    }
}

void readVirtualMethods(FieldReader& in, ImageVisitor& visitor, const ImageWidths& w)
{
    in.enterSection("virtual methods");
    const TInt32 n = in.count("method count");
    ImageVirtualMethod method;
    for (TInt32 i = 0; i < n; ++i) {
        in.enterRecord(i);
        method.signature = in.lengthPrefixed("signature");
        const TInt32 k = in.wvalue(w[W_Impl], "implementation count");
        method.implementations.clear();
        method.negativeCount = k < 0 ? k : 0;
        for (TInt32 j = 0; j < k; ++j) {
            ImageImplementation impl;
            impl.type = in.wvalue(w[W_Type], "implementation type id");
            impl.code = in.wvalue(w[W_Code], "implementation code offset");
            impl.frame = in.wvalue(w[W_Frame], "implementation frame descriptor");
            method.implementations.push_back(impl);
        }
        visitor.virtualMethod(method);
    }
}

bool readTypes(FieldReader& in, ImageVisitor& visitor, const ImageWidths& w)
{
    in.enterSection("types");
    const TInt32 n = in.count("type count");
    ImageType type;
    for (TInt32 i = 0; i < n; ++i) {
        in.enterRecord(i);
        if (!in.elementWidth(type.elementWidth))
            return false;
        in.list(type.referenceFields, type.elementWidth, "reference field count", "reference field");
        if (!in.flaggedList(type.vectorFields, type.elementWidth, "vector field count", "vector field"))
            return false;
        type.hasSuper = in.wvalue(w[W_Super], "has-super");
        type.superType = type.hasSuper != 0 ? in.wvalue(w[W_Type], "super type id") : 0;
        const TInt32 extra = in.wvalue(w[W_Extra], "extra reference count");
        type.extraReferences.clear();
        type.negativeExtraCount = extra < 0 ? extra : 0;
        for (TInt32 j = 0; j < extra; ++j)
            type.extraReferences.push_back(in.wvalue(w[W_Type], "extra reference"));
        visitor.type(type);
    }
    return true;
}

bool readFrames(FieldReader& in, ImageVisitor& visitor, const ImageWidths& w)
{
    in.enterSection("frame descriptors");
    const TInt32 n = in.count("descriptor count");
    ImageFrame frame;
    for (TInt32 i = 0; i < n; ++i) {
        in.enterRecord(i);
        if (!in.elementWidth(frame.elementWidth))
            return false;
        const int e = frame.elementWidth;
        frame.lowerSlotsA = in.wvalue(w[W_FrameA], "slot count A");
        in.list(frame.referenceSlots, e, "reference slot count", "reference slot");
        if (!in.flaggedList(frame.vectorSlots, e, "vector slot count", "vector slot"))
            return false;
        frame.lowerSlotsB = in.wvalue(w[W_FrameB], "slot count B");
        frame.upperSlots = in.wvalue(w[W_FrameC], "slot count C");
        in.list(frame.objectSlots, e, "object slot count", "object slot");
        if (!in.flaggedList(frame.pairSlots, e, "pair slot count", "pair slot"))
            return false;
        visitor.frame(frame);
    }
    return true;
}

void readStrings(FieldReader& in, ImageVisitor& visitor)
{
    in.enterSection("string constants");
    const TInt32 n = in.count("string count");
    for (TInt32 i = 0; i < n; ++i) {
        in.enterRecord(i);
        visitor.stringConstant(in.lengthPrefixed("text"));
    }
}

} // namespace

bool parseImage(VUvarFileReader& reader, ImageVisitor& visitor, ImageDiagnostics* diagnostics)
{
    FieldReader in(reader, diagnostics);
    bool alreadyLoaded = false;
    ImageWidths widths{};
    if (!readHeader(in, visitor, widths, alreadyLoaded))
        return false;
    if (alreadyLoaded)
        return true;
    readMethods(in, visitor, widths);
    readVirtualMethods(in, visitor, widths);
    if (!readTypes(in, visitor, widths) || !readFrames(in, visitor, widths))
        return false;
    readStrings(in, visitor);

    in.enterSection("code");
    const int length = in.remaining();
    const int start = in.position();
    TUint8* buffer = visitor.codeBuffer(length);
    in.bytes(buffer, length, "code bytes");
    visitor.code(buffer, length, start);
    return true;
}

} // namespace Lumbra
