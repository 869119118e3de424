#include "ImageModel.h"

#include "MemoryInputStream.h"
#include "VMError.h"
#include "VUvarFileReader.h"

namespace LumbraAsm {

using namespace Lumbra;

bool fitsWidth(long long value, int width)
{
    switch (width) {
    case 1:
        return value >= 0 && value <= 0xFF;
    case 2:
        return value >= 0 && value <= 0xFFFF;
    case 4:
        return value >= INT32_MIN && value <= UINT32_MAX;
    default:
        return false;
    }
}

int narrowestWidth(const std::vector<TInt32>& a, const std::vector<TInt32>& b, const std::vector<TInt32>& c,
                   const std::vector<TInt32>& d)
{
    int width = 1;
    for (const auto* list : {&a, &b, &c, &d})
        for (TInt32 v : *list)
            while (!fitsWidth(v, width))
                width *= 2;
    return width;
}

namespace {

class Writer {
public:
    Bytes out;

    void byte(unsigned value) { out.push_back((unsigned char)value); }
    void int32(TInt32 value)
    {
        for (int i = 0; i < 4; ++i)
            byte((TUint32(value) >> (8 * i)) & 0xFF);
    }
    void wvalue(TInt32 value, int width, const char* field)
    {
        if (!fitsWidth(width == 4 ? (long long)value : (long long)(TUint32)value, width))
            throw ImageEncodingError(std::string(field) + " " + std::to_string(value) + " does not fit in " +
                                     std::to_string(width) + " byte(s)");
        for (int i = 0; i < width; ++i)
            byte((TUint32(value) >> (8 * i)) & 0xFF);
    }
    // The count written before a list: its size, or the negative count it was read with.
    static TInt32 count(size_t size, TInt32 negative, const char* field)
    {
        if (negative > 0 || (negative < 0 && size != 0))
            throw ImageEncodingError(std::string(field) + " " + std::to_string(negative) +
                                     " must be negative and its list empty");
        return negative < 0 ? negative : TInt32(size);
    }
    void lengthPrefixed(const std::string& bytes)
    {
        int32(TInt32(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    void list(const std::vector<TInt32>& values, int width, const char* field)
    {
        int32(TInt32(values.size()));
        for (TInt32 v : values)
            wvalue(v, width, field);
    }
    void flagged(const ImageFlaggedSlots& list, int width, const char* field)
    {
        if (list.flags.size() != list.slots.size())
            throw ImageEncodingError(std::string(field) + ": flags and slots differ in number");
        int32(TInt32(list.slots.size()));
        for (size_t i = 0; i < list.slots.size(); ++i) {
            byte(list.flags[i]);
            wvalue(list.slots[i], width, field);
        }
    }
};

// Collects the records handed over by the parser.
class ModelBuilder : public ImageVisitor {
public:
    explicit ModelBuilder(ImageModel& model) : m(model) {}
    bool identity(const ImageIdentity& identity) override
    {
        m.identity = identity;
        return true;
    }
    void widths(const ImageWidths& widths) override { m.widths = widths; }
    void exportedMethod(const ImageMethod& method) override { m.methods.push_back(method); }
    void virtualMethod(const ImageVirtualMethod& method) override { m.virtualMethods.push_back(method); }
    void type(const ImageType& type) override { m.types.push_back(type); }
    void frame(const ImageFrame& frame) override { m.frames.push_back(frame); }
    void stringConstant(const std::string& utf8) override { m.strings.push_back(utf8); }
    TUint8* codeBuffer(int length) override
    {
        m.code.assign(size_t(length), 0);
        return m.code.data();
    }
    void code(TUint8*, int, int) override {}

private:
    ImageModel& m;
};

} // namespace

Bytes encodeImage(const ImageModel& m)
{
    Writer w;
    const auto& W = m.widths;
    w.byte(IMAGE_IDENTITY_LENGTH);
    w.out.insert(w.out.end(), m.identity.begin(), m.identity.end());
    w.byte(IMAGE_MARKER);
    w.byte(IMAGE_MARKER);
    for (TUint8 width : W) {
        if (!isValidWidth(width))
            throw ImageEncodingError("header width " + std::to_string(width) + " is not 1, 2 or 4");
        w.byte(width);
    }
    w.int32(TInt32(m.methods.size()));
    for (const ImageMethod& method : m.methods) {
        w.lengthPrefixed(method.signature);
        w.wvalue(method.code, W[W_Code], "code offset");
        w.wvalue(method.frame, W[W_Frame], "frame descriptor");
    }
    w.int32(TInt32(m.virtualMethods.size()));
    for (const ImageVirtualMethod& method : m.virtualMethods) {
        w.lengthPrefixed(method.signature);
        w.wvalue(w.count(method.implementations.size(), method.negativeCount, "implementation count"), W[W_Impl],
                 "implementation count");
        for (const ImageImplementation& impl : method.implementations) {
            w.wvalue(impl.type, W[W_Type], "type id");
            w.wvalue(impl.code, W[W_Code], "code offset");
            w.wvalue(impl.frame, W[W_Frame], "frame descriptor");
        }
    }
    w.int32(TInt32(m.types.size()));
    for (const ImageType& type : m.types) {
        w.byte(type.elementWidth);
        w.list(type.referenceFields, type.elementWidth, "reference field");
        w.flagged(type.vectorFields, type.elementWidth, "vector field");
        w.wvalue(type.hasSuper, W[W_Super], "has-super");
        if (type.hasSuper != 0)
            w.wvalue(type.superType, W[W_Type], "super type id");
        w.wvalue(w.count(type.extraReferences.size(), type.negativeExtraCount, "extra reference count"), W[W_Extra],
                 "extra reference count");
        for (TInt32 extra : type.extraReferences)
            w.wvalue(extra, W[W_Type], "extra reference");
    }
    w.int32(TInt32(m.frames.size()));
    for (const ImageFrame& frame : m.frames) {
        const int e = frame.elementWidth;
        w.byte(frame.elementWidth);
        w.wvalue(frame.lowerSlotsA, W[W_FrameA], "slot count A");
        w.list(frame.referenceSlots, e, "reference slot");
        w.flagged(frame.vectorSlots, e, "vector slot");
        w.wvalue(frame.lowerSlotsB, W[W_FrameB], "slot count B");
        w.wvalue(frame.upperSlots, W[W_FrameC], "slot count C");
        w.list(frame.objectSlots, e, "object slot");
        w.flagged(frame.pairSlots, e, "pair slot");
    }
    w.int32(TInt32(m.strings.size()));
    for (const std::string& text : m.strings)
        w.lengthPrefixed(text);
    w.out.insert(w.out.end(), m.code.begin(), m.code.end());
    return std::move(w.out);
}

bool decodeImage(const Bytes& bytes, ImageModel& model, ImageDiagnostics* diagnostics)
{
    model = ImageModel();
    VUvarFileReader reader(new MemoryInputStream(bytes));
    ModelBuilder builder(model);
    try {
        return parseImage(reader, builder, diagnostics);
    } catch (const ErrorHandlingException&) {
        return false;
    }
}

} // namespace LumbraAsm
