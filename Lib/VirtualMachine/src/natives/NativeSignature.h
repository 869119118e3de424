// The signature of a native function as its group's declaration writes it:
// "kind name, kind name -> kind name", arguments in stack order (the last on
// top), then the results left in their place. The word counts of the table
// row are read from it at compile time, so a signature and its row cannot
// disagree; a kind not listed below does not compile.
#pragma once

#include <string>
#include <string_view>

// KIND(name, words, meaning); `elem` is as wide as the vector group's element.
#define LUMBRA_NATIVE_KINDS(KIND)                                                                  \
    KIND(int, 1, "a 32-bit integer")                                                               \
    KIND(byte, 1, "a byte value, sign-extended to a word")                                         \
    KIND(char, 1, "a UTF-16 code unit")                                                            \
    KIND(bool, 1, "a truth value: 1 or 0 (non-zero is true)")                                      \
    KIND(truth, 1, "a truth value of the machine's own kind: -1 or 0")                             \
    KIND(fixed, 2, "a 32.32 fixed-point number in two words, the low word deeper")                 \
    KIND(word, 1, "any word, not read")                                                            \
    KIND(ref, 1, "the address of a variable (a value's words, a long, a fixed, a date)")           \
    KIND(vector, 1, "a vector handle")                                                             \
    KIND(held, 1, "the vector argument, left again by the groups of values (none in ObjectVector)") \
    KIND(box, 1, "a reference box of an object (vector, stream, bitmap, font, timer, hash...)")    \
    KIND(string, 1, "a reference box of a string")                                                 \
    KIND(result, 1, "the address of a word that receives a new reference")                         \
    KIND(addr, 1, "the address of a word holding a reference (a font, a bitmap, a listener)")      \
    KIND(object, 1, "a heap object or 0")                                                          \
    KIND(elem, 0, "one element of the vector group: 1 to 4 words")                                 \
    KIND(above, 0, "a word written just above the new top, outside the stack")

enum class NativeKind {
#define LUMBRA_KIND_ENUM(name, words, meaning) name##_,
    LUMBRA_NATIVE_KINDS(LUMBRA_KIND_ENUM)
#undef LUMBRA_KIND_ENUM
};

struct NativeKindInfo {
    std::string_view name;
    int words;
    std::string_view meaning;
};

inline constexpr NativeKindInfo NATIVE_KINDS[] = {
#define LUMBRA_KIND_INFO(name, words, meaning) {#name, words, meaning},
    LUMBRA_NATIVE_KINDS(LUMBRA_KIND_INFO)
#undef LUMBRA_KIND_INFO
};

namespace nativesig {

constexpr std::string_view ARROW = "->";
// A signature whose function never returns to the bytecode.
constexpr std::string_view NEVER = "never";

constexpr std::string_view trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

constexpr std::string_view argumentsOf(std::string_view signature)
{
    const size_t arrow = signature.find(ARROW);
    return trim(arrow == std::string_view::npos ? signature : signature.substr(0, arrow));
}

constexpr std::string_view resultsOf(std::string_view signature)
{
    const size_t arrow = signature.find(ARROW);
    return arrow == std::string_view::npos ? std::string_view() : trim(signature.substr(arrow + ARROW.size()));
}

// A signature as the references print it: "arguments → results", "—" for
// no arguments, no arrow without results.
inline std::string referenceText(std::string_view signature)
{
    const std::string_view arguments = argumentsOf(signature);
    const std::string_view results = resultsOf(signature);
    std::string text = arguments.empty() ? "—" : std::string(arguments);
    if (!results.empty())
        text += " → " + std::string(results);
    return text;
}

// The words of one "kind name" item; `element` words for `elem`. Throws (and
// so fails to compile in a constant expression) for an unknown kind.
constexpr int wordsOfItem(std::string_view item, int element, bool references)
{
    item = trim(item);
    const std::string_view kind = item.substr(0, item.find(' '));
    for (const NativeKindInfo& k : NATIVE_KINDS)
        if (k.name == kind)
            return kind == "elem" ? element : kind == "held" && references ? 0 : k.words;
    throw "unknown native argument kind";
}

constexpr int wordsOfList(std::string_view list, int element, bool references)
{
    int words = 0;
    while (!trim(list).empty()) {
        const size_t comma = list.find(',');
        words += wordsOfItem(list.substr(0, comma), element, references);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return words;
}

constexpr bool neverReturns(std::string_view signature) { return resultsOf(signature) == NEVER; }

// Words the call takes from the stack; -1 when it never returns.
constexpr int taken(std::string_view signature, int element = 1, bool references = false)
{
    return neverReturns(signature) ? -1 : wordsOfList(argumentsOf(signature), element, references);
}

constexpr int left(std::string_view signature, int element = 1, bool references = false)
{
    return neverReturns(signature) ? 0 : wordsOfList(resultsOf(signature), element, references);
}

// "and_" names the native "and": a trailing underscore keeps keywords usable
// as enumerators.
constexpr std::string_view nativeName(std::string_view identifier)
{
    return identifier.ends_with('_') ? identifier.substr(0, identifier.size() - 1) : identifier;
}

} // namespace nativesig
