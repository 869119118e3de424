// Splits one line of assembly into tokens.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace LumbraAsm {

struct Token {
    enum Kind { Identifier, Number, String, Punct } kind;
    std::string text; // identifier/number spelling, decoded string bytes, or the punctuation character
};

// A fault in the source text, reported with its line number.
struct AsmError {
    int line;
    std::string message;
};

// Tokens of one line; a ';' starts a comment. Throws AsmError.
std::vector<Token> tokenizeLine(std::string_view line, int lineNumber);

// Value of a number token (decimal or 0x hex). Throws AsmError when it is too large.
long long numberValue(const Token& token, int lineNumber);

} // namespace LumbraAsm
