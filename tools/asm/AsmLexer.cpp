#include "AsmLexer.h"

#include <cctype>

namespace LumbraAsm {

namespace {

bool isIdentifierStart(char c) { return std::isalpha((unsigned char)c) || c == '_' || c == '.' || c == '$'; }
bool isIdentifierPart(char c) { return isIdentifierStart(c) || std::isdigit((unsigned char)c); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::vector<Token> tokenizeLine(std::string_view line, int lineNumber)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ';')
            break;
        if (std::isspace((unsigned char)c)) {
            ++i;
        } else if (isIdentifierStart(c)) {
            size_t j = i + 1;
            while (j < line.size() && isIdentifierPart(line[j]))
                ++j;
            tokens.push_back({Token::Identifier, std::string(line.substr(i, j - i))});
            i = j;
        } else if (std::isdigit((unsigned char)c)) {
            size_t j = i + 1;
            while (j < line.size() && std::isalnum((unsigned char)line[j]))
                ++j;
            tokens.push_back({Token::Number, std::string(line.substr(i, j - i))});
            i = j;
        } else if (c == '"') {
            std::string bytes;
            size_t j = i + 1;
            for (;;) {
                if (j >= line.size())
                    throw AsmError{lineNumber, "unterminated string"};
                char d = line[j++];
                if (d == '"')
                    break;
                if (d != '\\') {
                    bytes.push_back(d);
                    continue;
                }
                if (j >= line.size())
                    throw AsmError{lineNumber, "unterminated string"};
                d = line[j++];
                switch (d) {
                case 'n': bytes.push_back('\n'); break;
                case 't': bytes.push_back('\t'); break;
                case 'r': bytes.push_back('\r'); break;
                case '0': bytes.push_back('\0'); break;
                case '\\': bytes.push_back('\\'); break;
                case '"': bytes.push_back('"'); break;
                case 'x': {
                    const int hi = j < line.size() ? hexDigit(line[j]) : -1;
                    const int lo = j + 1 < line.size() ? hexDigit(line[j + 1]) : -1;
                    if (hi < 0 || lo < 0)
                        throw AsmError{lineNumber, "\\x needs two hex digits"};
                    bytes.push_back(char(hi * 16 + lo));
                    j += 2;
                    break;
                }
                default:
                    throw AsmError{lineNumber, std::string("unknown escape \\") + d};
                }
            }
            tokens.push_back({Token::String, bytes});
            i = j;
        } else if (std::string_view(",=[]+-*:").find(c) != std::string_view::npos) {
            tokens.push_back({Token::Punct, std::string(1, c)});
            ++i;
        } else {
            throw AsmError{lineNumber, std::string("unexpected character '") + c + "'"};
        }
    }
    return tokens;
}

long long numberValue(const Token& token, int lineNumber)
{
    const std::string& s = token.text;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    unsigned long long value = 0;
    for (size_t i = hex ? 2 : 0; i < s.size(); ++i) {
        const int digit = hex ? hexDigit(s[i]) : (std::isdigit((unsigned char)s[i]) ? s[i] - '0' : -1);
        if (digit < 0)
            throw AsmError{lineNumber, "malformed number '" + s + "'"};
        value = value * (hex ? 16 : 10) + unsigned(digit);
        if (value > 0xFFFFFFFFull)
            throw AsmError{lineNumber, "number '" + s + "' is too large"};
    }
    return (long long)value;
}

} // namespace LumbraAsm
