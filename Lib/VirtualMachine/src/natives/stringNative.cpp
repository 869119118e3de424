// The String native group (8). The native number arrives as a signed byte;
// numbers without an operation (0, 3, 6, 13, 54-56, 161-255) raise
// VMException "String:<ip>". Strings passed in are shared, so mutating
// natives change the string every holder of it sees; natives 1-9 put a new
// string into the caller's result box instead.
#include "natives/stringNativeCall.h"

#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/vectorNative.h"

#include <QChar>

#include <vector>

namespace {

// (start, count) of native 7 and its twins: a negative count takes everything
// from start on, and a start beyond the end then gives the empty string.
OString substringOf(const OString& s, TWord start, TWord count)
{
    const CharRange r = charRange(start, count, s.length());
    return count < 0 ? OString::tail(s, r.start) : OString::substring(s, r.start, r.end);
}

// Natives 50-53: the pieces become fresh string references in a new object vector.
void leaveSplit(NativeCallFrame& call, const OString& separator, bool caseSensitive)
{
    const OStringPieces pieces = call.str(0).split(separator, caseSensitive);
    std::vector<TWord> boxes;
    boxes.reserve(size_t(pieces.size()));
    for (const OString& piece : pieces)
        boxes.push_back(call.vm.newStringBox(piece));
    call.leave(TWord(newObjectVectorHandle(call.vm, boxes.data(), int(boxes.size()))));
}

// Natives 138-149: comparisons; a range (0, count < 0) is the whole string.
bool isWholeString(TWord start, TWord count)
{
    return start == 0 && count < 0;
}

void runComparison(NativeCallFrame& call, int native)
{
    switch (native) {
    case 138:
        call.take(3);
        call.leaveSign(call.str(0).compare(call.str(1), call.flag(2)));
        return;
    case 139: {
        call.take(5);
        const OString& s = call.str(0);
        if (isWholeString(call.arg(2), call.arg(3))) {
            call.leaveSign(s.compare(call.str(1), call.flag(4)));
            return;
        }
        const CharRange r = charRange(call.arg(2), call.arg(3), s.length());
        call.leaveSign(s.compareRegion(call.str(1), r.start, r.end, call.flag(4)));
        return;
    }
    case 146:
    case 147: {
        call.take(native == 146 ? 2 : 3);
        call.leaveOneOrZero(call.str(0).equals(call.str(1), native == 147 && call.flag(2)));
        return;
    }
    case 148:
    case 149: {
        call.take(native == 148 ? 4 : 5);
        const OString& s = call.str(0);
        const bool caseSensitive = native == 149 && call.flag(4);
        if (isWholeString(call.arg(2), call.arg(3))) {
            call.leaveOneOrZero(s.equals(call.str(1), caseSensitive));
            return;
        }
        const CharRange r = charRange(call.arg(2), call.arg(3), s.length());
        call.leaveOneOrZero(s.regionEquals(call.str(1), r.start, r.end, caseSensitive));
        return;
    }
    default: { // 140-145: exact ordering
        call.take(2);
        const int c = call.str(0).compare(call.str(1), true);
        static constexpr bool (*const TESTS[])(int) = {
            [](int v) { return v == 0; }, [](int v) { return v != 0; }, [](int v) { return v < 0; },
            [](int v) { return v <= 0; }, [](int v) { return v > 0; }, [](int v) { return v >= 0; },
        };
        call.leaveOneOrZero(TESTS[native - 140](c));
        return;
    }
    }
}

// Natives 32-35: the most frequent character, optionally of a range and exact.
void runMostFrequent(NativeCallFrame& call, int native)
{
    const bool ranged = native == 33 || native == 35, flagged = native >= 34;
    call.take(1 + (ranged ? 2 : 0) + (flagged ? 1 : 0));
    const OString& s = call.str(0);
    const CharRange r = ranged ? charRange(call.arg(1), call.arg(2), s.length()) : CharRange{0, s.length() - 1};
    call.leave(s.mostFrequentChar(r.start, r.end, flagged && call.flag(ranged ? 3 : 1)));
}

// Natives 129-133: single characters through Qt's character classes.
void runCharacter(NativeCallFrame& call, int native)
{
    call.take(1);
    const QChar c(call.ch(0));
    switch (native) {
    case 129:
        call.leave(c.toLower().unicode());
        return;
    case 130:
        call.leave(c.toUpper().unicode());
        return;
    case 131:
        call.leaveOneOrZero(c.isLetter());
        return;
    case 132:
        call.leaveOneOrZero(c.isDigit());
        return;
    default:
        call.leaveOneOrZero(c.isSpace());
        return;
    }
}

// Natives 152 and 154: a zero count inserts, any other count replaces.
void runReplaceOrInsert(NativeCallFrame& call, int native)
{
    if (native == 152) { // s, start, count, other
        call.take(4);
        OString& s = call.str(0);
        const OString other = call.str(3);
        const CharRange r = charRange(call.arg(1), call.arg(2), s.length());
        if (call.arg(2) == 0)
            s.insertTo(r.start, other, 0, other.length() - 1);
        else
            s.replaceRange(r.start, r.end, other);
    } else { // 154: s, from, to, other, start, count
        call.take(6);
        OString& s = call.str(0);
        const OString other = call.str(3);
        if (call.arg(1) < 0)
            Lumbra::raiseError(Lumbra::ERange);
        const CharRange r = charRange(call.arg(4), call.arg(5), s.length());
        if (call.arg(5) == 0)
            s.insertTo(r.start, other, call.arg(1), call.arg(2));
        else
            s.replaceRange(r.start, r.end, other);
    }
    call.leaveNothing();
}

// Natives 155-160: s, start, count, then a pattern (and replacement), [cs].
void runInRange(NativeCallFrame& call, int native)
{
    const bool replacing = native >= 159, flagged = native % 2 == 0;
    const int fixed = replacing ? 5 : 4;
    call.take(fixed + (flagged ? 1 : 0));
    OString& s = call.str(0);
    const OString pattern = call.str(3);
    const CharRange r = charRange(call.arg(1), call.arg(2), s.length());
    const bool caseSensitive = flagged && call.flag(fixed);
    if (replacing) {
        s.replaceAll(pattern, call.str(4), r.start, r.end, caseSensitive);
        call.leaveNothing();
    } else if (native <= 156) {
        call.leave(s.indexOf(pattern, r.start, r.end, caseSensitive));
    } else {
        call.leave(s.lastIndexOf(pattern, r.start, r.end, caseSensitive));
    }
}

// Natives 1-9: a new string into the result box.
bool runConstruction(NativeCallFrame& call, int native)
{
    switch (native) {
    case 1:
        call.take(1);
        call.setResult(OString());
        return true;
    case 2:
    case 4:
        call.take(2);
        call.setResult(call.str(1));
        return true;
    case 5:
        call.take(3);
        call.setResult(OString::filled(call.ch(1), call.arg(2)));
        return true;
    case 7:
        call.take(4);
        call.setResult(substringOf(call.str(1), call.arg(2), call.arg(3)));
        return true;
    case 8: {
        call.take(3);
        const OString& s = call.str(1);
        call.setResult(OString::stepped(s, 0, s.length() - 1, call.arg(2)));
        return true;
    }
    case 9: {
        call.take(5);
        const OString& s = call.str(1);
        const CharRange r = charRange(call.arg(2), call.arg(3), s.length());
        call.setResult(OString::stepped(s, r.start, r.end, call.arg(4)));
        return true;
    }
    default:
        return false;
    }
}

// Natives 10-15 and 44-53: queries and results made from a string.
bool runQuery(NativeCallFrame& call, int native)
{
    switch (native) {
    case 10:
        call.take(1);
        call.leave(call.str(0).length());
        return true;
    case 11:
        call.take(1);
        call.leaveOneOrZero(call.str(0).isEmpty());
        return true;
    case 12:
        call.take(2);
        call.leave(TWord(call.str(0).charAddress(call.arg(1))));
        return true;
    case 14:
        call.take(1);
        call.leave(call.str(0).first());
        return true;
    case 15:
        call.take(1);
        call.leave(call.str(0).last());
        return true;
    case 44:
    case 45:
        call.take(native == 44 ? 2 : 3);
        call.leaveOneOrZero(call.str(0).startsWith(call.str(1), native == 45 && call.flag(2)));
        return true;
    case 46:
    case 47:
        call.take(native == 46 ? 2 : 3);
        call.leaveOneOrZero(call.str(0).endsWith(call.str(1), native == 47 && call.flag(2)));
        return true;
    case 48: {
        call.take(2);
        OString joined = call.str(0);
        joined.append(call.str(1));
        call.leaveString(joined);
        return true;
    }
    case 49:
        call.take(2);
        call.leaveString(OString::repeated(call.str(0), call.arg(1)));
        return true;
    case 50:
    case 51:
        call.take(native == 50 ? 2 : 3);
        leaveSplit(call, call.str(1), native == 51 && call.flag(2));
        return true;
    case 52:
    case 53:
        call.take(native == 52 ? 2 : 3);
        leaveSplit(call, call.chString(1), native == 53 && call.flag(2));
        return true;
    default:
        return false;
    }
}

// Natives 57-68: inserting, appending and replacing by position.
bool runEdit(NativeCallFrame& call, int native)
{
    switch (native) {
    case 57:
    case 58: { // s, other or ch, index
        call.take(3);
        const OString other = native == 57 ? call.str(1) : call.chString(1);
        call.str(0).insertTo(call.arg(2), other, 0, other.length() - 1);
        break;
    }
    case 59: { // s, other, start, count, index
        call.take(5);
        const OString other = call.str(1);
        const CharRange r = charRange(call.arg(2), call.arg(3), other.length());
        call.str(0).insertTo(call.arg(4), other, r.start, r.end);
        break;
    }
    case 60:
    case 61:
        call.take(2);
        call.str(0).prepend(native == 60 ? OString(call.str(1)) : call.chString(1));
        break;
    case 62:
    case 64:
        call.take(2);
        call.str(0).append(OString(call.str(1)));
        break;
    case 63:
    case 65:
        call.take(2);
        call.str(0).append(call.ch(1));
        break;
    case 66:
        call.take(2);
        call.str(0).repeat(call.arg(1));
        break;
    case 67:
    case 68: { // s, start, count, other or ch
        call.take(4);
        OString& s = call.str(0);
        const OString other = native == 67 ? call.str(3) : call.chString(3);
        const CharRange r = charRange(call.arg(1), call.arg(2), s.length());
        s.replaceRange(r.start, r.end, other);
        break;
    }
    default:
        return false;
    }
    call.leaveNothing();
    return true;
}

// Natives 93-94 and 119-128: removal by position, whitespace and case.
bool runTrimming(NativeCallFrame& call, int native)
{
    switch (native) {
    case 93:
        call.take(2);
        call.str(0).removeAt(call.arg(1));
        break;
    case 94: {
        call.take(3);
        OString& s = call.str(0);
        const CharRange r = charRange(call.arg(1), call.arg(2), s.length());
        s.removeRange(r.start, r.end);
        break;
    }
    case 119:
    case 121:
        call.take(1);
        native == 119 ? call.str(0).removeHead(1) : call.str(0).removeTail(1);
        break;
    case 120:
    case 122:
        call.take(2);
        native == 120 ? call.str(0).removeHead(call.arg(1)) : call.str(0).removeTail(call.arg(1));
        break;
    case 123:
        call.take(1);
        call.str(0).clear();
        break;
    case 124:
        call.take(1);
        call.str(0).trimStart();
        break;
    case 125:
        call.take(1);
        call.str(0).trimEnd();
        break;
    case 126:
        call.take(1);
        call.str(0).trim();
        break;
    case 127:
        call.take(1);
        call.str(0).toLower();
        break;
    case 128:
        call.take(1);
        call.str(0).toUpper();
        break;
    default:
        return false;
    }
    call.leaveNothing();
    return true;
}

// Natives 134-137: decimal and radix text.
bool runNumber(NativeCallFrame& call, int native)
{
    switch (native) {
    case 134:
        call.take(1);
        call.leaveString(OString::fromInt(call.arg(0)));
        return true;
    case 135:
        call.take(2);
        call.leaveString(OString::fromUnsigned(TUint32(call.arg(0)), call.arg(1)));
        return true;
    case 136:
        call.take(1);
        call.leave(call.str(0).parseInt());
        return true;
    case 137:
        call.take(2);
        call.leave(call.arg(1) == 10 ? call.str(0).parseInt() : call.str(0).parseInt(call.arg(1)));
        return true;
    default:
        return false;
    }
}

// Functions 150 and 153: s, start, count; a fresh substring.
void runSubstring(NativeCallFrame& call, int)
{
    call.take(3);
    call.leaveString(substringOf(call.str(0), call.arg(1), call.arg(2)));
}

// The family column of the group's declaration names the runner of each
// function; every runner reads the function number for its member.
namespace family {
void construction(NativeCallFrame& call, int native) { runConstruction(call, native); }
void query(NativeCallFrame& call, int native) { runQuery(call, native); }
void shaped(NativeCallFrame& call, int native) { runShapedStringNative(call, native); }
void mostFrequent(NativeCallFrame& call, int native) { runMostFrequent(call, native); }
void edit(NativeCallFrame& call, int native) { runEdit(call, native); }
void trimming(NativeCallFrame& call, int native) { runTrimming(call, native); }
void character(NativeCallFrame& call, int native) { runCharacter(call, native); }
void number(NativeCallFrame& call, int native) { runNumber(call, native); }
void comparison(NativeCallFrame& call, int native) { runComparison(call, native); }
void substring(NativeCallFrame& call, int native) { runSubstring(call, native); }
void nop(NativeCallFrame&, int) {}
void replaceOrInsert(NativeCallFrame& call, int native) { runReplaceOrInsert(call, native); }
void inRange(NativeCallFrame& call, int native) { runInRange(call, native); }
} // namespace family

bool runNative(NativeCallFrame& call, int native)
{
    switch (StringFn(native)) {
#define NATIVE(number, identifier, column, signature, meaning) \
    case StringFn::identifier:                                 \
        family::column(call, native);                          \
        return true;
#include "natives/groups/String.def"
#undef NATIVE
    }
    return false;
}

} // namespace

void stringNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    if (!runNative(call, native & 0xFF)) // 128-160 arrive as negative bytes
        undefinedNativeFunction(vm, NATIVE_GROUP_OF<StringFn>);
}
