#include "image/BytecodeLoader.h"

#include "VMError.h"
#include "image/OpcodeTable.h"

#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

namespace Lumbra {

namespace {

// Type records beyond this global id would make the per-type tables absurdly large.
constexpr int MAX_TYPE_ID = 1 << 24;

TInt32 wrappingAdd(TInt32 a, TInt32 b) { return TInt32(TUint32(a) + TUint32(b)); }

TInt32 readWord(const TUint8* p) { return TInt32(TUint32(p[0]) | TUint32(p[1]) << 8 | TUint32(p[2]) << 16 | TUint32(p[3]) << 24); }

void writeWord(TUint8* p, TInt32 value)
{
    const TUint32 v = TUint32(value);
    p[0] = TUint8(v);
    p[1] = TUint8(v >> 8);
    p[2] = TUint8(v >> 16);
    p[3] = TUint8(v >> 24);
}

void rebaseWord(TUint8* p, TInt32 base) { writeWord(p, wrappingAdd(readWord(p), base)); }

void rebaseUnlessNegative(TUint8* p, TInt32 base)
{
    if (readWord(p) >= 0)
        rebaseWord(p, base);
}

template <class Target>
void copyInto(Vec<Target>& target, const std::vector<TInt32>& values)
{
    for (TInt32 v : values)
        target.append(Target(v));
}

// Receives the records of one image and appends them, relocated, to the tables.
class TableLoader : public ImageVisitor {
public:
    TableLoader(MachineTables& tables, const VUvarString& name, int& imageIndex, ImageDiagnostics* diagnostics)
        : t(tables), name(name), imageIndex(imageIndex), diagnostics(diagnostics)
    {
    }

    bool identity(const ImageIdentity& identity) override
    {
        for (int i = 0; i < t.images.count(); ++i) {
            const MachineTables::BytecodeStruct& image = t.images[i];
            if (sameIdentity(image.identity, identity) && image.name == name) {
                imageIndex = i;
                return false;
            }
        }
        typeBase = t.highestTypeId + 1;
        frameBase = t.frameDescriptors.count();
        codeBase = t.codeBytes.count();
        stringBase = t.strings.count();
        MachineTables::BytecodeStruct image;
        image.name = name;
        image.identity.append(identity.data(), IMAGE_IDENTITY_LENGTH);
        image.codeBase = codeBase;
        t.images.append(image);
        imageIndex = t.images.count() - 1;
        return true;
    }

    void widths(const ImageWidths&) override {}

    void exportedMethod(const ImageMethod& method) override
    {
        MachineTables::ExportedMethod row;
        row.imageIndex = imageIndex;
        row.signature = VUvarString(method.signature.data(), int(method.signature.size()));
        row.isVirtual = 0;
        row.implementations.append({-1, wrappingAdd(method.code, codeBase), wrappingAdd(method.frame, frameBase)});
        t.methods.append(std::move(row));
    }

    void virtualMethod(const ImageVirtualMethod& method) override
    {
        if (!signatureIndexBuilt)
            buildSignatureIndex();
        const std::u16string key(method.signature.begin(), method.signature.end());
        auto found = rowsBySignature.find(key);
        int row;
        if (found != rowsBySignature.end()) {
            row = found->second;
        } else {
            MachineTables::ExportedMethod fresh;
            fresh.imageIndex = 0;
            fresh.signature = VUvarString(method.signature.data(), int(method.signature.size()));
            fresh.isVirtual = 1;
            t.methods.append(std::move(fresh));
            row = t.methods.count() - 1;
            rowsBySignature.emplace(key, row);
        }
        remap.push_back(row);
        MachineTables::ExportedMethod& target = t.methods[row];
        for (const ImageImplementation& impl : method.implementations) {
            const TInt32 type = wrappingAdd(impl.type, typeBase);
            raiseHighestType(type);
            target.implementations.append({type, wrappingAdd(impl.code, codeBase), wrappingAdd(impl.frame, frameBase)});
        }
    }

    void type(const ImageType& record) override
    {
        const int id = typeBase + typesSeen++;
        if (id < 0 || id > MAX_TYPE_ID)
            failImage(diagnostics, -1, "types", "global type id too large", EInvalidArgument);
        while (t.classReferenceSlots.count() <= id) {
            t.classReferenceSlots.append(Vec<int>());
            t.classArraySlots.append(Vec<int>());
            t.classArrayElementIsReference.append(Vec<bool>());
        }
        Vec<int>& references = t.classReferenceSlots[id];
        Vec<int>& vectors = t.classArraySlots[id];
        Vec<bool>& vectorIsReference = t.classArrayElementIsReference[id];
        references.clear();
        vectors.clear();
        vectorIsReference.clear();
        copyInto(references, record.referenceFields);
        copyInto(vectors, record.vectorFields.slots);
        for (TUint8 flag : record.vectorFields.flags)
            vectorIsReference.append(flag == FLAG_TRUE);
        while (t.superTypes.count() <= id)
            t.superTypes.append(MachineTables::UNFILLED_TYPE);
        t.superTypes[id] = record.hasSuper != 0 ? wrappingAdd(record.superType, typeBase) : MachineTables::NO_SUPER_TYPE;
        // A type that only serves as a super type is in use too: the next
        // image's types must start above it.
        raiseHighestType(id);
    }

    void frame(const ImageFrame& record) override
    {
        MachineTables::MethodGCInfo info;
        info.lowerSlotsA = record.lowerSlotsA;
        copyInto(info.referenceSlots, record.referenceSlots);
        copyInto(info.vectorSlots, record.vectorSlots.slots);
        info.vectorSlotFlags.append(record.vectorSlots.flags.data(), int(record.vectorSlots.flags.size()));
        info.lowerSlotsB = record.lowerSlotsB;
        info.upperSlots = record.upperSlots;
        copyInto(info.objectSlots, record.objectSlots);
        copyInto(info.pairSlots, record.pairSlots.slots);
        info.pairSlotFlags.append(record.pairSlots.flags.data(), int(record.pairSlots.flags.size()));
        t.frameDescriptors.append(std::move(info));
    }

    void stringConstant(const std::string& utf8) override
    {
        t.strings.append(decodeImageText(utf8.data(), int(utf8.size())));
    }

    TUint8* codeBuffer(int length) override
    {
        if (length > INT_MAX - codeBase)
            failImage(diagnostics, -1, "code", "code section too large", EInvalidArgument);
        t.images[imageIndex].codeLength = length;
        t.codeBytes.setSize(codeBase + length);
        return reinterpret_cast<TUint8*>(t.codeBytes.data()) + codeBase;
    }

    void code(TUint8* bytes, int length, int fileOffset) override
    {
        int pc = 0;
        while (pc < length) {
            const TUint8 opcode = bytes[pc];
            const OpcodeInfo& info = opcodeInfo(opcode);
            if (length - pc - 1 < info.operandBytes)
                failCode(fileOffset, pc, "unexpected end of file inside the operands", EVM);
            TUint8* operands = bytes + pc + 1;
            switch (info.relocation) {
            case RelocationKind::None:
                break;
            case RelocationKind::CodeFrame:
                rebaseWord(operands, codeBase);
                rebaseUnlessNegative(operands + 4, frameBase);
                break;
            case RelocationKind::Remap: {
                const TInt32 index = readWord(operands);
                if (index < 0 || index >= TInt32(remap.size()))
                    failCode(fileOffset, pc, "virtual method index outside the image's list", EInvalidArgument);
                writeWord(operands, remap[size_t(index)]);
                break;
            }
            case RelocationKind::String:
                rebaseWord(operands, stringBase);
                break;
            case RelocationKind::Type:
                rebaseWord(operands, typeBase);
                raiseHighestType(readWord(operands));
                break;
            case RelocationKind::TryType:
                rebaseUnlessNegative(operands, typeBase);
                break;
            }
            pc += 1 + info.operandBytes;
        }
    }

private:
    static bool sameIdentity(const Vec<TUint8>& stored, const ImageIdentity& identity)
    {
        if (stored.count() != IMAGE_IDENTITY_LENGTH)
            return false;
        for (int i = 0; i < IMAGE_IDENTITY_LENGTH; ++i)
            if (stored.data()[i] != identity[size_t(i)])
                return false;
        return true;
    }

    // Earliest row of every signature, so that section 2 need not scan all rows per method.
    void buildSignatureIndex()
    {
        for (int i = 0; i < t.methods.count(); ++i) {
            const VUvarString& signature = t.methods[i].signature;
            rowsBySignature.emplace(std::u16string(signature.begin(), signature.end()), i);
        }
        signatureIndexBuilt = true;
    }

    void raiseHighestType(TInt32 type)
    {
        if (type > t.highestTypeId)
            t.highestTypeId = type;
    }

    [[noreturn]] void failCode(int fileOffset, int pc, const char* problem, TInt32 code)
    {
        const char* mnemonic = opcodeInfo(TUint8(t.codeBytes.data()[codeBase + pc])).mnemonic;
        failImage(diagnostics, fileOffset + pc, "code, instruction " + std::string(mnemonic ? mnemonic : "?") +
                  " at code offset " + std::to_string(pc), problem, code);
    }

    MachineTables& t;
    const VUvarString& name;
    int& imageIndex;
    ImageDiagnostics* diagnostics;
    TInt32 typeBase = 0;
    TInt32 frameBase = 0;
    TInt32 codeBase = 0;
    TInt32 stringBase = 0;
    int typesSeen = 0;
    std::vector<int> remap;
    std::unordered_map<std::u16string, int> rowsBySignature;
    bool signatureIndexBuilt = false;
};

} // namespace

bool loadBytecode(MachineTables& tables, const VUvarString& imageName, VUvarFileReader& reader, int& imageIndex,
                  ImageDiagnostics* diagnostics)
{
    TableLoader loader(tables, imageName, imageIndex, diagnostics);
    return parseImage(reader, loader, diagnostics);
}

void loadImage(MachineTables& tables, VUvarFileReader& reader, const VUvarString& imageName,
               FrameworkServices* services, const BytecodeLoadHooks& hooks)
{
    tables.frameworkServices = services;
    int imageIndex = -1;
    bool loaded = false;
    ImageDiagnostics diagnostics;
    try {
        loaded = loadBytecode(tables, imageName, reader, imageIndex, &diagnostics);
    } catch (...) {
        loaded = false;
    }
    if (!loaded) {
        // The fixed text, then where the image went wrong when that is known.
        std::string message = BYTECODE_READ_ERROR;
        if (diagnostics.offset >= 0)
            message += ": image rejected at " + diagnostics.describe();
        if (hooks.fatalError)
            hooks.fatalError(message.c_str(), -1);
        return;
    }
    if (hooks.imageLoaded)
        hooks.imageLoaded(imageIndex);
}

VUvarString decodeImageText(const char* bytes, int length)
{
    VUvarString out;
    auto at = [&](int i) -> TUint32 { return i < length ? TUint8(bytes[i]) : 0; };
    int i = 0;
    while (i < length) {
        const TUint32 b = at(i);
        if (b < 0x80) {
            out.append((unsigned short)b);
            i += 1;
        } else if (b < 0xE0 && i + 1 < length) {
            out.append((unsigned short)(((b & 0x1F) << 6) | (at(i + 1) & 0x3F)));
            i += 2;
        } else if (b >= 0xE0 && b < 0xF0 && i + 2 < length) {
            out.append((unsigned short)(((b & 0x0F) << 12) | ((at(i + 1) & 0x3F) << 6) | (at(i + 2) & 0x3F)));
            i += 3;
        } else {
            out.append((unsigned short)(((b & 0x07) << 18) | ((at(i + 1) & 0x3F) << 12) | ((at(i + 2) & 0x3F) << 6) |
                                        (at(i + 3) & 0x3F)));
            i += 4;
        }
    }
    return out;
}

} // namespace Lumbra
