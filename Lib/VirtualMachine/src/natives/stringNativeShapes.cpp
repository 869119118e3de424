// String natives that come in eight argument shapes: the searches (16-31),
// counts (36-43), removals (95-118) and replacements (69-92).
#include "natives/stringNativeCall.h"

#include <algorithm>
#include <climits>

namespace {

enum class SearchOp { IndexOf, LastIndexOf, Count, RemoveFirst, RemoveLast, RemoveAll };
enum class ReplaceOp { First, Last, All };

// SEARCH_FAMILY(first native, shape of the first native, operation)
#define LUMBRA_SEARCH_FAMILIES(SEARCH_FAMILY)         \
    SEARCH_FAMILY(17, 2, SearchOp::IndexOf)           \
    SEARCH_FAMILY(24, 1, SearchOp::LastIndexOf)       \
    SEARCH_FAMILY(36, 1, SearchOp::Count)             \
    SEARCH_FAMILY(95, 1, SearchOp::RemoveFirst)       \
    SEARCH_FAMILY(103, 1, SearchOp::RemoveLast)       \
    SEARCH_FAMILY(111, 1, SearchOp::RemoveAll)

// REPLACE_FAMILY(first native, operation); every family has shapes 1-8.
#define LUMBRA_REPLACE_FAMILIES(REPLACE_FAMILY) \
    REPLACE_FAMILY(69, ReplaceOp::First)        \
    REPLACE_FAMILY(77, ReplaceOp::Last)         \
    REPLACE_FAMILY(85, ReplaceOp::All)

constexpr int LAST_SHAPE = 8;

// What a shape's arguments say besides the subject string (argument 0).
struct Search {
    OString pattern;
    CharRange range;
    bool caseSensitive;
};

// Search shapes: s, pattern or ch, [start, count], [cs].
Search searchArguments(NativeCallFrame& call, int shape)
{
    const int bits = shape - 1;
    const bool ranged = bits & 1, flagged = bits & 2, character = bits & 4;
    call.take(2 + (ranged ? 2 : 0) + (flagged ? 1 : 0));
    const OString& s = call.str(0);
    Search search{character ? call.chString(1) : call.str(1), CharRange{0, s.length() - 1}, false};
    if (ranged)
        search.range = charRange(call.arg(2), call.arg(3), s.length());
    if (flagged)
        search.caseSensitive = call.flag(ranged ? 4 : 2);
    return search;
}

void runSearch(NativeCallFrame& call, SearchOp op, int shape)
{
    const Search a = searchArguments(call, shape);
    OString& s = call.str(0);
    const int start = a.range.start, end = a.range.end;
    switch (op) {
    case SearchOp::IndexOf:
        call.leave(s.indexOf(a.pattern, start, end, a.caseSensitive));
        return;
    case SearchOp::LastIndexOf:
        call.leave(s.lastIndexOf(a.pattern, start, end, a.caseSensitive));
        return;
    case SearchOp::Count:
        call.leave(s.count(a.pattern, start, end, a.caseSensitive));
        return;
    case SearchOp::RemoveFirst:
        s.removeFirst(a.pattern, start, end, a.caseSensitive);
        break;
    case SearchOp::RemoveLast:
        s.removeLast(a.pattern, start, end, a.caseSensitive);
        break;
    case SearchOp::RemoveAll:
        s.removeAll(a.pattern, start, end, a.caseSensitive);
        break;
    }
    call.leaveNothing();
}

// Replace shapes: s, old, [start, count], new or newCh, [cs].
void runReplace(NativeCallFrame& call, ReplaceOp op, int shape)
{
    const int bits = shape - 1;
    const bool flagged = bits & 1, character = bits & 2, ranged = bits & 4;
    call.take(3 + (ranged ? 2 : 0) + (flagged ? 1 : 0));
    OString& s = call.str(0);
    const OString old = call.str(1);
    const int replacementAt = ranged ? 4 : 2;
    const OString replacement = character ? call.chString(replacementAt) : call.str(replacementAt);
    const CharRange range = ranged ? charRange(call.arg(2), call.arg(3), s.length()) : CharRange{0, s.length() - 1};
    const bool caseSensitive = flagged && call.flag(replacementAt + 1);
    switch (op) {
    case ReplaceOp::First:
        s.replaceFirst(old, replacement, range.start, range.end, caseSensitive);
        break;
    case ReplaceOp::Last:
        s.replaceLast(old, replacement, range.start, range.end, caseSensitive);
        break;
    case ReplaceOp::All:
        s.replaceAll(old, replacement, range.start, range.end, caseSensitive);
        break;
    }
    call.leaveNothing();
}

// Native 16: s, pattern; leaves the position and the pattern's length of the
// first case-insensitive occurrence in the two slots, (0, 0) when absent.
void runFindWithLength(NativeCallFrame& call)
{
    call.take(2);
    const OString& s = call.str(0);
    const OString& pattern = call.str(1);
    const int at = s.indexOf(pattern, 0, s.length() - 1, false);
    const int length = pattern.length();
    call.vm.slot(call.base) = at < 0 ? 0 : at;
    call.vm.slot(call.base + 1) = at < 0 ? 0 : length;
    call.vm.setTopIndex(call.base + 1);
}

} // namespace

CharRange charRange(TWord start, TWord count, int length)
{
    if (start < 0)
        Lumbra::raiseError(Lumbra::ERange);
    if (count < 0)
        return CharRange{start, length - 1};
    return CharRange{start, int(std::min<TInt64>(TInt64(start) + count - 1, INT_MAX))};
}

bool runShapedStringNative(NativeCallFrame& call, int native)
{
    if (native == 16) {
        runFindWithLength(call);
        return true;
    }
#define LUMBRA_RUN_SEARCH_FAMILY(first, firstShape, op)                                            \
    if (native >= first && native <= first + LAST_SHAPE - firstShape) {                           \
        runSearch(call, op, firstShape + native - first);                                          \
        return true;                                                                               \
    }
    LUMBRA_SEARCH_FAMILIES(LUMBRA_RUN_SEARCH_FAMILY)
#undef LUMBRA_RUN_SEARCH_FAMILY
#define LUMBRA_RUN_REPLACE_FAMILY(first, op)                                                       \
    if (native >= first && native < first + LAST_SHAPE) {                                         \
        runReplace(call, op, 1 + native - first);                                                  \
        return true;                                                                               \
    }
    LUMBRA_REPLACE_FAMILIES(LUMBRA_RUN_REPLACE_FAMILY)
#undef LUMBRA_RUN_REPLACE_FAMILY
    return false;
}
