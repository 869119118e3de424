#include "Disassembler.h"

#include "MemoryInputStream.h"
#include "VMError.h"
#include "VUvarFileReader.h"
#include "image/BytecodeLoader.h"
#include "image/OpcodeTable.h"
#include "natives/NativeTable.h"

#include <cstdio>
#include <set>

namespace LumbraAsm {

using namespace Lumbra;

namespace {

std::string quoted(const std::string& bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out.push_back(char(c));
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out + "\"";
}

std::string list(const std::vector<TInt32>& values, const std::vector<TUint8>* flags = nullptr)
{
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ", ";
        if (flags && (*flags)[i] == FLAG_TRUE)
            out += "*";
        out += std::to_string(values[i]);
    }
    return out + "]";
}

TInt32 operandValue(const unsigned char* p, OperandType type)
{
    switch (type) {
    case OperandType::I8: return TInt32(static_cast<signed char>(p[0]));
    case OperandType::U8: return p[0];
    case OperandType::I16:
    case OperandType::Rel16: return TInt32(static_cast<std::int16_t>(p[0] | p[1] << 8));
    case OperandType::I32:
    case OperandType::Rel32: break;
    }
    return TInt32(TUint32(p[0]) | TUint32(p[1]) << 8 | TUint32(p[2]) << 16 | TUint32(p[3]) << 24);
}

class Printer {
public:
    Printer(const ImageModel& model, bool offsets) : m(model), offsets(offsets) { findInstructions(); }

    std::string run()
    {
        line("; bytecode image");
        std::string text = ".identity 0x";
        for (TUint8 b : m.identity) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", b);
            text += hex;
        }
        line(text);
        text = ".widths";
        for (int i = 0; i < IMAGE_WIDTH_COUNT; ++i)
            text += std::string(" ") + IMAGE_WIDTH_KEYS[i] + "=" + std::to_string(m.widths[size_t(i)]);
        line(text);
        for (const ImageMethod& method : m.methods)
            line(".method " + quoted(method.signature) + " code=" + codeRef(method.code) + " frame=" +
                 std::to_string(method.frame));
        for (const ImageVirtualMethod& method : m.virtualMethods) {
            std::string text = ".virtual " + quoted(method.signature);
            if (method.negativeCount != 0)
                text += " implcount=" + std::to_string(method.negativeCount);
            line(text);
            for (const ImageImplementation& impl : method.implementations)
                line(".impl type=" + std::to_string(impl.type) + " code=" + codeRef(impl.code) +
                     " frame=" + std::to_string(impl.frame));
        }
        for (const ImageType& type : m.types)
            printType(type);
        for (const ImageFrame& frame : m.frames)
            printFrame(frame);
        for (const std::string& text : m.strings)
            line(".string " + quoted(text));
        printCode();
        return out;
    }

private:
    void line(const std::string& text) { out += text + "\n"; }

    // Instruction starts and the end of the code are the places a label can name.
    void findInstructions()
    {
        size_t pc = 0;
        while (pc < m.code.size()) {
            starts.insert(TInt32(pc));
            const size_t size = size_t(instructionSize(m.code[pc]));
            if (pc + size > m.code.size())
                break;
            pc += size;
        }
        decodedEnd = pc;
        starts.insert(TInt32(m.code.size()));
    }

    std::string codeRef(TInt32 address)
    {
        if (starts.count(address) == 0)
            return std::to_string(address);
        labels.insert(address);
        return "L" + std::to_string(address);
    }

    void printType(const ImageType& t)
    {
        std::string text = ".type";
        if (!t.referenceFields.empty())
            text += " refs=" + list(t.referenceFields);
        if (!t.vectorFields.slots.empty())
            text += " vectors=" + list(t.vectorFields.slots, &t.vectorFields.flags);
        if (t.hasSuper != 0) {
            text += " super=" + std::to_string(t.superType);
            if (t.hasSuper != 1)
                text += " hassuper=" + std::to_string(t.hasSuper);
        }
        if (!t.extraReferences.empty())
            text += " extra=" + list(t.extraReferences);
        if (t.negativeExtraCount != 0)
            text += " extracount=" + std::to_string(t.negativeExtraCount);
        if (t.elementWidth != narrowestWidth(t.referenceFields, t.vectorFields.slots))
            text += " width=" + std::to_string(t.elementWidth);
        line(text);
    }

    void printFrame(const ImageFrame& f)
    {
        std::string text = ".frame a=" + std::to_string(f.lowerSlotsA) + " b=" + std::to_string(f.lowerSlotsB) +
                           " c=" + std::to_string(f.upperSlots);
        if (!f.referenceSlots.empty())
            text += " refs=" + list(f.referenceSlots);
        if (!f.vectorSlots.slots.empty())
            text += " vectors=" + list(f.vectorSlots.slots, &f.vectorSlots.flags);
        if (!f.objectSlots.empty())
            text += " objects=" + list(f.objectSlots);
        if (!f.pairSlots.slots.empty())
            text += " pairs=" + list(f.pairSlots.slots, &f.pairSlots.flags);
        if (f.elementWidth != narrowestWidth(f.referenceSlots, f.vectorSlots.slots, f.objectSlots, f.pairSlots.slots))
            text += " width=" + std::to_string(f.elementWidth);
        line(text);
    }

    std::string virtualRef(TInt32 index)
    {
        if (index >= 0 && size_t(index) < m.virtualMethods.size()) {
            const std::string& signature = m.virtualMethods[size_t(index)].signature;
            size_t first = 0;
            while (m.virtualMethods[first].signature != signature)
                ++first;
            if (first == size_t(index))
                return quoted(signature);
        }
        return std::to_string(index);
    }

    std::string instruction(size_t pc)
    {
        const TUint8 opcode = m.code[pc];
        const OpcodeInfo& info = opcodeInfo(opcode);
        if (!info.mnemonic)
            return ".raw " + std::to_string(opcode) + " ; not an instruction";
        const OperandLayoutInfo& layout = layoutInfo(info.layout);
        std::string text = info.mnemonic;
        if (opcode == OP_Native) {
            const std::string name = nativeName(m.code[pc + 1], m.code[pc + 2]);
            if (!name.empty())
                return text + " " + name;
        }
        size_t offset = pc + 1;
        for (int k = 0; k < layout.count; ++k) {
            const OperandType type = layout.types[k];
            const TInt32 value = operandValue(&m.code[offset], type);
            offset += size_t(operandTypeSize(type));
            std::string operand = std::to_string(value);
            if (type == OperandType::Rel16 || type == OperandType::Rel32) {
                const long long target = (long long)offset - 1 + value + (info.relocation == RelocationKind::TryType ? 1 : 0);
                if (target >= INT32_MIN && target <= INT32_MAX && starts.count(TInt32(target))) {
                    labels.insert(TInt32(target));
                    operand = "L" + std::to_string(target);
                }
            } else if (info.relocation == RelocationKind::CodeFrame && k == 0) {
                operand = codeRef(value);
            } else if (info.relocation == RelocationKind::Remap) {
                operand = virtualRef(value);
            }
            text += (k == 0 ? " " : ", ") + operand;
        }
        return text;
    }

    void printCode()
    {
        // Operands first: they decide which addresses need labels.
        std::vector<std::pair<size_t, std::string>> lines;
        for (size_t pc = 0; pc < decodedEnd; pc += size_t(instructionSize(m.code[pc])))
            lines.push_back({pc, instruction(pc)});
        for (size_t pc = decodedEnd; pc < m.code.size(); ++pc)
            lines.push_back({pc, ".raw " + std::to_string(m.code[pc]) + " ; truncated instruction"});
        line("");
        for (const auto& [pc, text] : lines) {
            if (labels.count(TInt32(pc)))
                line("L" + std::to_string(pc) + ":");
            std::string code = "    " + text;
            if (offsets)
                code.append(code.size() < OFFSET_COLUMN ? OFFSET_COLUMN - code.size() : 1, ' ') += "; " + std::to_string(pc);
            line(code);
        }
        if (labels.count(TInt32(m.code.size())))
            line("L" + std::to_string(m.code.size()) + ":");
    }

    static constexpr size_t OFFSET_COLUMN = 40;

    const ImageModel& m;
    const bool offsets;
    std::set<TInt32> starts;
    std::set<TInt32> labels;
    size_t decodedEnd = 0;
    std::string out;
};

} // namespace

std::string printImage(const ImageModel& model, bool offsets) { return Printer(model, offsets).run(); }

DisassemblyResult disassemble(const Bytes& image, bool offsets)
{
    DisassemblyResult result;
    ImageDiagnostics diagnostics;
    bool accepted = false;
    try {
        MachineTables tables;
        VUvarFileReader reader(new MemoryInputStream(image));
        int index = -1;
        accepted = loadBytecode(tables, VUvarString("image"), reader, index, &diagnostics);
    } catch (const ErrorHandlingException&) {
        accepted = false;
    }
    if (!accepted) {
        result.error = "image rejected at " + diagnostics.describe();
        return result;
    }
    ImageModel model;
    if (!decodeImage(image, model, &diagnostics)) {
        result.error = "image rejected at " + diagnostics.describe();
        return result;
    }
    result.text = printImage(model, offsets);
    result.ok = true;
    return result;
}

} // namespace LumbraAsm
