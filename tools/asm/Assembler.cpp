#include "Assembler.h"

#include "AsmLexer.h"
#include "FileBytes.h"
#include "NativeSuggestions.h"
#include "image/OpcodeTable.h"
#include "natives/NativeTable.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

namespace LumbraAsm {

using namespace Lumbra;

namespace {

// Included files may include others down to this depth.
constexpr int MAX_INCLUDE_DEPTH = 16;
// One run reports at most this many faults.
constexpr size_t MAX_ERRORS = 20;

struct Statement {
    int line; // a source position: an index into Assembler::positions, counted from 1
    std::string op; // directive or mnemonic; empty for a line with labels only
    std::vector<Token> args;
};

// An evaluated expression: `symbolic` when it names a label or `$`.
struct Value {
    long long number = 0;
    bool symbolic = false;
};

// What an identifier in an expression refers to.
enum class Names { Code, Type, Frame, String };

class Assembler {
public:
    Assembler(const std::string& fileName, const SourceReader& read) : read(read), mainName(fileName)
    {
        files.push_back(std::filesystem::path(fileName).lexically_normal());
        root = files[0].parent_path();
    }

    // Assembles `source`; the faults found are in `errors` (at most
    // MAX_ERRORS, the image then empty).
    Bytes run(std::string_view source)
    {
        split(source, 0);
        layout();
        for (size_t n = 0; n < statements.size() && !stoppedEarly; ++n) {
            if (!failed.count(n))
                collect([&] { emit(statements[n]); });
        }
        if (!errors.empty())
            return {};
        try {
            return encodeImage(model);
        } catch (const ImageEncodingError& e) {
            errors.push_back(AsmError{0, e.what()});
            return {};
        }
    }

    std::vector<AsmError> errors;
    bool stoppedEarly = false; // more faults than MAX_ERRORS
    // Whether the image exports a method named "main".
    bool exportsMain() const
    {
        return std::any_of(model.methods.begin(), model.methods.end(),
                           [](const ImageMethod& m) { return m.signature == "main"; });
    }

    // "file:line" of a source position, or the bare file name for position 0.
    std::string where(int position) const
    {
        if (position <= 0 || size_t(position) > positions.size())
            return files[0].string();
        const auto& [file, line] = positions[size_t(position) - 1];
        return displayName(file) + ":" + std::to_string(line);
    }

private:
    // ---- pass 0: lines into statements, included files in place of their .include
    void split(std::string_view source, int file)
    {
        int lineNumber = 0;
        size_t start = 0;
        while (start <= source.size()) {
            size_t end = source.find('\n', start);
            if (end == std::string_view::npos)
                end = source.size();
            positions.push_back({file, ++lineNumber});
            const int position = int(positions.size());
            std::vector<Token> tokens;
            const std::string_view line = source.substr(start, end - start);
            if (!collect([&] { tokens = tokenizeLine(line, position); })) {
                start = end + 1;
                continue;
            }
            size_t i = 0;
            Statement s{position, {}, {}};
            while (i + 1 < tokens.size() && tokens[i].kind == Token::Identifier && isPunct(tokens[i + 1], ':')) {
                labelLines.push_back({tokens[i].text, position});
                i += 2;
            }
            if (i < tokens.size()) {
                if (tokens[i].kind != Token::Identifier) {
                    errors.push_back(AsmError{position, "expected a directive or mnemonic"});
                    start = end + 1;
                    continue;
                }
                s.op = tokens[i].text;
                s.args.assign(tokens.begin() + long(i) + 1, tokens.end());
            }
            start = end + 1;
            if (s.op == ".include") {
                // Labels before the directive stay pending for the included file's first statement.
                collect([&] { include(s, file); });
                continue;
            }
            statements.push_back(s);
            labelsOfStatement.push_back(std::move(labelLines));
            labelLines.clear();
        }
    }

    // Splits the file an .include names. Paths are relative to the including
    // file and must stay inside the main file's directory; a file is read
    // once, so a cycle or a repeat is an error and the work stays bounded.
    void include(const Statement& s, int file)
    {
        if (s.args.size() != 1 || s.args[0].kind != Token::String)
            throw AsmError{s.line, ".include needs one path in quotes"};
        const std::filesystem::path named(s.args[0].text);
        if (named.empty() || named.is_absolute())
            throw AsmError{s.line, "include path '" + s.args[0].text + "' must be relative"};
        const std::filesystem::path path = (files[size_t(file)].parent_path() / named).lexically_normal();
        const std::filesystem::path inside = path.lexically_relative(root.empty() ? "." : root);
        if (inside.empty() || *inside.begin() == "..")
            throw AsmError{s.line, "include path '" + s.args[0].text + "' leaves the directory of " + files[0].string()};
        if (includeStack.size() >= size_t(MAX_INCLUDE_DEPTH))
            throw AsmError{s.line, "includes nested deeper than " + std::to_string(MAX_INCLUDE_DEPTH)};
        if (std::find(files.begin(), files.end(), path) != files.end()) {
            std::vector<int> open = includeStack;
            open.push_back(file);
            std::string chain;
            bool cycle = false;
            for (int f : open) {
                chain += displayName(f) + " -> ";
                cycle |= files[size_t(f)] == path;
            }
            throw AsmError{s.line, cycle ? "include cycle: " + chain + path.string()
                                         : "'" + path.string() + "' is included twice"};
        }
        std::string text;
        if (!read(path.string(), text))
            throw AsmError{s.line, "cannot read include file '" + path.string() + "'"};
        files.push_back(path);
        includeStack.push_back(file);
        split(text, int(files.size()) - 1);
        includeStack.pop_back();
    }

    // ---- pass 1: code addresses of labels, names of records, widths
    void layout()
    {
        long long address = 0;
        for (size_t n = 0; n < statements.size(); ++n) {
            if (!collect([&] { layoutStatement(n, address); }))
                failed.insert(n);
        }
        // A constant would hide a label or record of the same name.
        for (const auto& [name, line] : constantLines)
            for (const auto* names : {&labels, &typeNames, &frameNames, &stringNames})
                if (names->count(name))
                    errors.push_back(AsmError{line, "constant '" + name + "' has the name of a label or record"});
    }

    void layoutStatement(size_t n, long long& address)
    {
        const Statement& s = statements[n];
        for (const auto& entry : labelsOfStatement[n])
            collect([&] { define(labels, entry.first, address, entry.second, "label"); });
        if (s.op.empty())
            return;
        if (s.op[0] != '.') {
            const int opcode = findOpcode(s.op.c_str());
            if (opcode < 0)
                throw AsmError{s.line, "unknown mnemonic '" + s.op + "'"};
            address += instructionSize(TUint8(opcode));
        } else if (s.op == ".raw") {
            address += rawCount(s);
        } else if (s.op == ".type") {
            defineRecordName(s, typeNames, typeCount++);
        } else if (s.op == ".frame") {
            defineRecordName(s, frameNames, frameCount++);
        } else if (s.op == ".string") {
            defineRecordName(s, stringNames, stringCount++);
        } else if (s.op == ".virtual") {
            if (s.args.empty() || s.args[0].kind != Token::String)
                throw AsmError{s.line, ".virtual needs a signature string"};
            virtualIndex.emplace(s.args[0].text, virtualCount++);
        } else if (s.op == ".widths") {
            readWidths(s);
        } else if (s.op == ".equ") {
            defineConstant(s);
        }
        if (address > INT_MAX)
            throw AsmError{s.line, "code section too large"};
    }

    // Runs `step`; a fault it throws is kept in `errors`. Answers whether it succeeded.
    template <class Step>
    bool collect(const Step& step)
    {
        try {
            step();
            return true;
        } catch (const AsmError& e) {
            if (full())
                stoppedEarly = true;
            else
                errors.push_back(e);
            return false;
        }
    }
    bool full() const { return errors.size() >= MAX_ERRORS; }

    static bool isPunct(const Token& t, char c) { return t.kind == Token::Punct && t.text[0] == c; }

    static void define(std::map<std::string, long long>& names, const std::string& name, long long value, int line,
                       const char* what)
    {
        if (!names.emplace(name, value).second)
            throw AsmError{line, std::string(what) + " '" + name + "' defined twice"};
    }

    void defineRecordName(const Statement& s, std::map<std::string, long long>& names, int index)
    {
        if (!s.args.empty() && s.args[0].kind == Token::Identifier && (s.args.size() == 1 || !isPunct(s.args[1], '=')))
            define(names, s.args[0].text, index, s.line, "name");
    }

    // .equ NAME, VALUE: a name for a number, usable wherever a number is.
    void defineConstant(const Statement& s)
    {
        Cursor c(*this, s);
        if (!c.nextIsName())
            c.fail(".equ needs a name and a value");
        const std::string name = s.args[0].text;
        c.skipName();
        c.expect(',');
        const Value value = c.expression(Names::Code);
        if (value.symbolic)
            c.fail(".equ takes numbers and earlier constants, not addresses");
        if (!c.atEnd())
            c.fail("unexpected '" + c.peek()->text + "'");
        define(constants, name, c.int32(value.number), s.line, "constant");
        constantLines.emplace(name, s.line);
    }

    static long long rawCount(const Statement& s)
    {
        if (s.args.empty())
            return 0;
        long long n = 1;
        for (const Token& t : s.args)
            n += isPunct(t, ',') ? 1 : 0;
        return n;
    }

    void readWidths(const Statement& s)
    {
        Cursor c(*this, s);
        while (!c.atEnd()) {
            const std::string key = c.key();
            int index = -1;
            for (int i = 0; i < IMAGE_WIDTH_COUNT; ++i)
                if (key == IMAGE_WIDTH_KEYS[i])
                    index = i;
            if (index < 0)
                throw AsmError{s.line, "unknown width '" + key + "'"};
            const long long w = c.number(Names::Code);
            if (!isValidWidth(int(w)))
                throw AsmError{s.line, "width " + key + " must be 1, 2 or 4"};
            model.widths[size_t(index)] = TUint8(w);
        }
    }

    // ---- argument parsing
    class Cursor {
    public:
        Cursor(Assembler& a, const Statement& s) : a(a), s(s) {}
        bool atEnd() const { return i >= s.args.size(); }
        const Token* peek() const { return atEnd() ? nullptr : &s.args[i]; }
        [[noreturn]] void fail(const std::string& message) const { throw AsmError{s.line, message}; }

        bool accept(char c)
        {
            if (!atEnd() && isPunct(s.args[i], c)) {
                ++i;
                return true;
            }
            return false;
        }
        void expect(char c)
        {
            if (!accept(c))
                fail(std::string("expected '") + c + "'");
        }
        std::string string()
        {
            if (atEnd() || s.args[i].kind != Token::String)
                fail("expected a string");
            return s.args[i++].text;
        }
        bool nextIsString() const { return !atEnd() && s.args[i].kind == Token::String; }
        bool nextIsName() const
        {
            return !atEnd() && s.args[i].kind == Token::Identifier && (i + 1 >= s.args.size() || !isPunct(s.args[i + 1], '='));
        }
        void skipName() { ++i; }
        // A name with a dot that some native group declares: `Group.name`.
        // A group's name with a function it lacks is a mistyped native.
        bool nativeName(int& group, int& number)
        {
            if (atEnd() || s.args[i].kind != Token::Identifier)
                return false;
            if (!findNative(s.args[i].text, group, number)) {
                if (namesNativeGroup(s.args[i].text))
                    fail(unknownNativeMessage(s.args[i].text));
                return false;
            }
            ++i;
            return true;
        }
        std::string key()
        {
            if (atEnd() || s.args[i].kind != Token::Identifier)
                fail("expected key=value");
            std::string k = s.args[i++].text;
            expect('=');
            return k;
        }

        Value expression(Names names)
        {
            Value v = term(names);
            for (;;) {
                if (accept('+')) {
                    const Value t = term(names);
                    v.number += t.number;
                    v.symbolic |= t.symbolic;
                } else if (accept('-')) {
                    const Value t = term(names);
                    v.number -= t.number;
                    v.symbolic |= t.symbolic;
                } else {
                    return v;
                }
            }
        }
        long long number(Names names) { return expression(names).number; }

        // [a, b, *c]: values, with '*' marking a flagged (reference) entry when allowed.
        void list(std::vector<TInt32>& values, std::vector<TUint8>* flags, Names names)
        {
            expect('[');
            if (accept(']'))
                return;
            do {
                const bool flagged = accept('*');
                if (flagged && !flags)
                    fail("'*' is allowed only in vector and pair lists");
                values.push_back(int32(number(names)));
                if (flags)
                    flags->push_back(flagged ? FLAG_TRUE : FLAG_FALSE);
            } while (accept(','));
            expect(']');
        }

        TInt32 int32(long long v) const
        {
            if (v < INT32_MIN || v > UINT32_MAX)
                fail("value " + std::to_string(v) + " does not fit in 32 bits");
            return TInt32(TUint32(v));
        }

    private:
        Value term(Names names)
        {
            if (accept('-')) {
                Value v = term(names);
                v.number = -v.number;
                return v;
            }
            if (atEnd())
                fail("expected a value");
            const Token& t = s.args[i++];
            if (t.kind == Token::Number)
                return {numberValue(t, s.line), false};
            if (t.kind != Token::Identifier)
                fail("expected a value, found '" + t.text + "'");
            if (t.text == "$")
                return {a.currentAddress(), true};
            if (auto constant = a.constants.find(t.text); constant != a.constants.end())
                return {constant->second, false};
            const std::map<std::string, long long>& table = a.namesFor(names);
            auto found = table.find(t.text);
            if (found == table.end())
                fail("unknown " + std::string(names == Names::Code ? "label" : "name") + " '" + t.text + "'");
            return {found->second, true};
        }

        Assembler& a;
        const Statement& s;
        size_t i = 0;
    };

    const std::map<std::string, long long>& namesFor(Names names) const
    {
        switch (names) {
        case Names::Type: return typeNames;
        case Names::Frame: return frameNames;
        case Names::String: return stringNames;
        case Names::Code: break;
        }
        return labels;
    }
    long long currentAddress() const { return (long long)model.code.size(); }

    // ---- pass 2: records and code
    void emit(const Statement& s)
    {
        if (s.op.empty())
            return;
        Cursor c(*this, s);
        if (s.op[0] != '.')
            emitInstruction(c, TUint8(findOpcode(s.op.c_str())));
        else if (s.op == ".identity")
            identity(c);
        else if (s.op == ".widths" || s.op == ".equ")
            return;
        else if (s.op == ".method")
            method(c);
        else if (s.op == ".virtual")
            virtualMethod(c);
        else if (s.op == ".impl")
            implementation(c);
        else if (s.op == ".type")
            type(c);
        else if (s.op == ".frame")
            frame(c);
        else if (s.op == ".string")
            stringConstant(c);
        else if (s.op == ".raw")
            raw(c);
        else
            c.fail("unknown directive '" + s.op + "'");
        if (!c.atEnd())
            c.fail("unexpected '" + c.peek()->text + "'");
    }

    TInt32 wvalue(const Cursor& c, long long v, int width, const char* what)
    {
        if (!fitsWidth(v, width))
            c.fail(std::string(what) + " " + std::to_string(v) + " does not fit in width " + std::to_string(width));
        return TInt32(TUint32(v));
    }

    void identity(Cursor& c)
    {
        std::string bytes;
        const Token* t = c.peek();
        if (t && t->kind == Token::String) {
            bytes = c.string();
        } else if (t && t->kind == Token::Number && t->text.size() > 2 && t->text[1] == 'x') {
            const std::string hex = t->text.substr(2);
            if (hex.size() % 2 != 0)
                c.fail("identity needs an even number of hex digits");
            for (char digit : hex)
                if (!std::isxdigit(static_cast<unsigned char>(digit)))
                    c.fail("identity holds a character that is no hex digit");
            for (size_t i = 0; i < hex.size(); i += 2)
                bytes.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
            c.skipName();
        } else {
            c.fail(".identity needs a string or 0x followed by 40 hex digits");
        }
        if (bytes.size() != size_t(IMAGE_IDENTITY_LENGTH))
            c.fail("identity must be 20 bytes, not " + std::to_string(bytes.size()));
        std::memcpy(model.identity.data(), bytes.data(), bytes.size());
    }

    void method(Cursor& c)
    {
        ImageMethod m;
        m.signature = c.string();
        bool hasCode = false;
        while (!c.atEnd()) {
            const std::string key = c.key();
            if (key == "code") {
                m.code = wvalue(c, c.number(Names::Code), model.widths[W_Code], "code offset");
                hasCode = true;
            } else if (key == "frame") {
                m.frame = wvalue(c, c.number(Names::Frame), model.widths[W_Frame], "frame descriptor");
            } else {
                c.fail("unknown key '" + key + "' for .method");
            }
        }
        if (!hasCode)
            c.fail(".method needs code=");
        model.methods.push_back(m);
    }

    void virtualMethod(Cursor& c)
    {
        ImageVirtualMethod m;
        m.signature = c.string();
        while (!c.atEnd()) {
            const std::string key = c.key();
            if (key != "implcount")
                c.fail("unknown key '" + key + "' for .virtual");
            m.negativeCount = TInt32(wvalue(c, negativeCount(c), model.widths[W_Impl], "implementation count"));
        }
        model.virtualMethods.push_back(m);
    }

    void implementation(Cursor& c)
    {
        if (model.virtualMethods.empty())
            c.fail(".impl must follow a .virtual");
        if (model.virtualMethods.back().negativeCount != 0)
            c.fail(".impl after a .virtual whose implcount= says it has none");
        ImageImplementation impl;
        bool hasType = false, hasCode = false;
        while (!c.atEnd()) {
            const std::string key = c.key();
            if (key == "type") {
                impl.type = wvalue(c, c.number(Names::Type), model.widths[W_Type], "type id");
                hasType = true;
            } else if (key == "code") {
                impl.code = wvalue(c, c.number(Names::Code), model.widths[W_Code], "code offset");
                hasCode = true;
            } else if (key == "frame") {
                impl.frame = wvalue(c, c.number(Names::Frame), model.widths[W_Frame], "frame descriptor");
            } else {
                c.fail("unknown key '" + key + "' for .impl");
            }
        }
        if (!hasType || !hasCode)
            c.fail(".impl needs type= and code=");
        auto& impls = model.virtualMethods.back().implementations;
        impls.push_back(impl);
        wvalue(c, (long long)impls.size(), model.widths[W_Impl], "implementation count");
    }

    // A count written as stored: only a negative one differs from its list's size, and reads as none.
    static long long negativeCount(Cursor& c)
    {
        const long long v = c.number(Names::Code);
        if (v >= 0)
            c.fail("a stored count must be negative; a list's count is its size");
        return v;
    }

    // Chooses or checks the element width of a type or frame record.
    static TUint8 elementWidth(const Cursor& c, long long requested, const std::vector<TInt32>& a,
                               const std::vector<TInt32>& b, const std::vector<TInt32>& d, const std::vector<TInt32>& e)
    {
        const int narrowest = narrowestWidth(a, b, d, e);
        if (requested == 0)
            return TUint8(narrowest);
        if (!isValidWidth(int(requested)))
            c.fail("width must be 1, 2 or 4");
        if (requested < narrowest)
            c.fail("a value of this record does not fit in width " + std::to_string(requested));
        return TUint8(requested);
    }

    void type(Cursor& c)
    {
        ImageType t;
        if (c.nextIsName())
            c.skipName();
        long long width = 0;
        bool hasSuper = false, hasSuperValue = false;
        long long superValue = 0;
        while (!c.atEnd()) {
            const std::string key = c.key();
            if (key == "width")
                width = c.number(Names::Code);
            else if (key == "refs")
                c.list(t.referenceFields, nullptr, Names::Code);
            else if (key == "vectors")
                c.list(t.vectorFields.slots, &t.vectorFields.flags, Names::Code);
            else if (key == "super") {
                t.superType = wvalue(c, c.number(Names::Type), model.widths[W_Type], "super type id");
                hasSuper = true;
            } else if (key == "hassuper") {
                superValue = c.number(Names::Code);
                hasSuperValue = true;
            } else if (key == "extracount") {
                t.negativeExtraCount = TInt32(wvalue(c, negativeCount(c), model.widths[W_Extra], "extra reference count"));
            } else if (key == "extra") {
                c.list(t.extraReferences, nullptr, Names::Type);
                for (TInt32 v : t.extraReferences)
                    wvalue(c, v, model.widths[W_Type], "extra reference");
            } else
                c.fail("unknown key '" + key + "' for .type");
        }
        if (hasSuperValue && (superValue != 0) != hasSuper)
            c.fail("hassuper must be nonzero exactly when super= is given");
        t.hasSuper = hasSuper ? wvalue(c, hasSuperValue ? superValue : 1, model.widths[W_Super], "has-super") : 0;
        if (t.negativeExtraCount != 0 && !t.extraReferences.empty())
            c.fail("extracount= says the type has no extra references");
        wvalue(c, (long long)t.extraReferences.size(), model.widths[W_Extra], "extra reference count");
        t.elementWidth = elementWidth(c, width, t.referenceFields, t.vectorFields.slots, {}, {});
        model.types.push_back(t);
    }

    void frame(Cursor& c)
    {
        ImageFrame f;
        if (c.nextIsName())
            c.skipName();
        long long width = 0;
        while (!c.atEnd()) {
            const std::string key = c.key();
            if (key == "width")
                width = c.number(Names::Code);
            else if (key == "a")
                f.lowerSlotsA = wvalue(c, c.number(Names::Code), model.widths[W_FrameA], "slot count A");
            else if (key == "b")
                f.lowerSlotsB = wvalue(c, c.number(Names::Code), model.widths[W_FrameB], "slot count B");
            else if (key == "c")
                f.upperSlots = wvalue(c, c.number(Names::Code), model.widths[W_FrameC], "slot count C");
            else if (key == "refs")
                c.list(f.referenceSlots, nullptr, Names::Code);
            else if (key == "vectors")
                c.list(f.vectorSlots.slots, &f.vectorSlots.flags, Names::Code);
            else if (key == "objects")
                c.list(f.objectSlots, nullptr, Names::Code);
            else if (key == "pairs")
                c.list(f.pairSlots.slots, &f.pairSlots.flags, Names::Code);
            else
                c.fail("unknown key '" + key + "' for .frame");
        }
        f.elementWidth = elementWidth(c, width, f.referenceSlots, f.vectorSlots.slots, f.objectSlots, f.pairSlots.slots);
        model.frames.push_back(f);
    }

    void stringConstant(Cursor& c)
    {
        if (c.nextIsName())
            c.skipName();
        model.strings.push_back(c.string());
    }

    void raw(Cursor& c)
    {
        if (c.atEnd())
            return;
        do {
            const long long v = c.number(Names::Code);
            if (v < -128 || v > 255)
                c.fail(".raw byte " + std::to_string(v) + " is outside -128..255");
            model.code.push_back((unsigned char)v);
        } while (c.accept(','));
    }

    // ---- instructions
    void put(long long value, int size)
    {
        for (int i = 0; i < size; ++i)
            model.code.push_back((unsigned char)(TUint64(value) >> (8 * i)));
    }

    static void checkRange(const Cursor& c, long long v, OperandType type, int index)
    {
        long long lo = INT32_MIN, hi = UINT32_MAX;
        switch (type) {
        case OperandType::I8: lo = -128; hi = 127; break;
        case OperandType::U8: lo = 0; hi = 255; break;
        case OperandType::I16:
        case OperandType::Rel16: lo = -32768; hi = 32767; break;
        case OperandType::Rel32: hi = INT32_MAX; break;
        case OperandType::I32: break;
        }
        if (v < lo || v > hi)
            c.fail("operand " + std::to_string(index + 1) + " value " + std::to_string(v) + " is outside " +
                   std::to_string(lo) + ".." + std::to_string(hi));
    }

    // What an operand's identifiers name, from the opcode's relocation kind.
    static Names operandNames(RelocationKind kind, int index)
    {
        switch (kind) {
        case RelocationKind::CodeFrame: return index == 0 ? Names::Code : Names::Frame;
        case RelocationKind::String: return Names::String;
        case RelocationKind::Type: return Names::Type;
        case RelocationKind::TryType: return index == 0 ? Names::Type : Names::Code;
        default: return Names::Code;
        }
    }

    void emitInstruction(Cursor& c, TUint8 opcode)
    {
        const OpcodeInfo& info = opcodeInfo(opcode);
        const OperandLayoutInfo& layout = layoutInfo(info.layout);
        int group, number;
        if (opcode == OP_Native && c.nativeName(group, number)) {
            // The function byte is signed: numbers above 127 wrap.
            model.code.push_back(opcode);
            put(group, 1);
            put(number, 1);
            return;
        }
        const long long address = currentAddress();
        long long operandEnd = address + 1; // one past the operand being encoded
        std::vector<std::pair<long long, int>> operands;
        for (int k = 0; k < layout.count; ++k) {
            if (c.atEnd() || (k > 0 && !c.accept(',')))
                c.fail(std::string(info.mnemonic) + " needs " + std::to_string(layout.count) + " operand(s)");
            const OperandType type = layout.types[k];
            const int size = operandTypeSize(type);
            operandEnd += size;
            long long v;
            if (info.relocation == RelocationKind::Remap && c.nextIsString()) {
                const std::string signature = c.string();
                auto found = virtualIndex.find(signature);
                if (found == virtualIndex.end())
                    c.fail("no .virtual \"" + signature + "\"");
                v = found->second;
            } else {
                const Value value = c.expression(operandNames(info.relocation, k));
                v = value.number;
                if (value.symbolic && (type == OperandType::Rel16 || type == OperandType::Rel32)) {
                    // Relative to the last operand byte; a try handler resumes one byte further.
                    v -= operandEnd - 1;
                    if (info.relocation == RelocationKind::TryType)
                        v -= 1;
                }
            }
            checkRange(c, v, type, k);
            operands.push_back({v, size});
        }
        model.code.push_back(opcode);
        for (const auto& [value, size] : operands)
            put(value, size);
    }

    std::string displayName(int file) const { return file == 0 ? mainName : files[size_t(file)].string(); }

    const SourceReader& read;
    const std::string mainName;
    std::vector<std::filesystem::path> files; // the main file first, then each included one
    std::filesystem::path root;               // includes stay below the main file's directory
    std::vector<int> includeStack;            // the files whose .include is being split
    std::vector<std::pair<int, int>> positions; // (file, line) of each source position
    std::vector<Statement> statements;
    std::vector<std::vector<std::pair<std::string, int>>> labelsOfStatement;
    std::vector<std::pair<std::string, int>> labelLines;
    std::map<std::string, long long> labels, typeNames, frameNames, stringNames, constants;
    std::map<std::string, int> constantLines;
    std::map<std::string, int> virtualIndex; // first .virtual of each signature
    int typeCount = 0, frameCount = 0, stringCount = 0, virtualCount = 0;
    ImageModel model;
    std::set<size_t> failed; // statements whose layout failed: not emitted
};

} // namespace

AssemblyResult assemble(std::string_view source, const std::string& fileName)
{
    // Included files are read beneath the main file's directory, so no link
    // inside it leads the assembler elsewhere.
    const std::string root = std::filesystem::path(fileName).parent_path().string();
    return assemble(source, fileName, [root](const std::string& path, std::string& out) {
        return readFileBytesBeneath(root, path, out);
    });
}

AssemblyResult assemble(std::string_view source, const std::string& fileName, const SourceReader& read)
{
    AssemblyResult result;
    Assembler assembler(fileName, read);
    result.image = assembler.run(source);
    // Each pass reports in source order; together they are sorted by position.
    std::stable_sort(assembler.errors.begin(), assembler.errors.end(),
                     [](const AsmError& a, const AsmError& b) { return unsigned(a.line - 1) < unsigned(b.line - 1); });
    for (const AsmError& e : assembler.errors)
        result.errors.push_back((e.line > 0 ? assembler.where(e.line) : fileName) + ": error: " + e.message);
    result.stoppedEarly = assembler.stoppedEarly;
    result.ok = result.errors.empty();
    if (!result.ok) {
        result.error = result.errors.front();
        result.image.clear();
    } else if (!assembler.exportsMain()) {
        result.warnings.push_back(fileName + ": warning: no method \"main\" is exported; the image cannot start");
    }
    return result;
}

} // namespace LumbraAsm
