// Editing by pattern: remove or replace the first, last or every occurrence.
#include "OString.h"

#include <cstring>
#include <string>

namespace {

void moveUnits(char16_t* to, const char16_t* from, int n)
{
    if (n > 0)
        std::memmove(to, from, size_t(n) * 2);
}

// Writes `in` with every match replaced into `out`; `out` may be `in` when the
// replacement is not longer than the pattern (writes never overtake reads).
void rebuildForward(char16_t* out, const char16_t* in, int inLength, const OStringPositions& matches,
                    int patternLength, const char16_t* replacement, int replacementLength)
{
    int read = 0;
    int write = 0;
    for (int p : matches) {
        moveUnits(out + write, in + read, p - read);
        write += p - read;
        moveUnits(out + write, replacement, replacementLength);
        write += replacementLength;
        read = p + patternLength;
    }
    moveUnits(out + write, in + read, inLength - read);
}

// Same result in place for a replacement longer than the pattern: from the end.
void rebuildBackward(char16_t* buffer, int oldLength, int newLength, const OStringPositions& matches,
                     int patternLength, const char16_t* replacement, int replacementLength)
{
    int readEnd = oldLength;
    int writeEnd = newLength;
    for (int k = matches.size() - 1; k >= 0; --k) {
        const int segment = readEnd - (matches[k] + patternLength);
        writeEnd -= segment;
        moveUnits(buffer + writeEnd, buffer + matches[k] + patternLength, segment);
        writeEnd -= replacementLength;
        moveUnits(buffer + writeEnd, replacement, replacementLength);
        readEnd = matches[k];
    }
}

// Replaces the `n` units at `p` with `replacement`, or removes them when it is
// empty; nothing happens without a match (p < 0).
void replaceMatchAt(OString& text, int p, int n, const OString& replacement)
{
    if (p < 0)
        return;
    if (replacement.isEmpty())
        text.removeRange(p, p + n - 1);
    else
        text.replaceRange(p, p + n - 1, replacement);
}

} // namespace

void OString::replaceMatches(const OStringPositions& matches, int patternLength, const OString& replacement)
{
    const int m = matches.size();
    if (m == 0)
        return;
    const int oldLength = length();
    const int replacementLength = replacement.length();
    const int newLength =
        StringData::fitLength(TInt64(oldLength) - TInt64(m) * (patternLength - replacementLength));
    if (newLength == 0) {
        detach();
        return;
    }
    const bool removing = replacementLength == 0;
    const bool inPlace = d->refCount == 1 && (removing ? int(float(d->capacity) * 0.5f) < newLength
                                                       : newLength <= d->capacity);
    const char16_t* units = replacement.constData();
    if (!inPlace) {
        StringData* fresh = StringData::create(newLength);
        rebuildForward(fresh->units(), constData(), oldLength, matches, patternLength, units,
                       replacementLength);
        adopt(fresh);
        return;
    }
    std::u16string ownCopy; // the replacement may be this very string
    if (replacement.d == d) {
        ownCopy = replacement.toU16();
        units = ownCopy.data();
    }
    char16_t* buffer = d->units();
    if (replacementLength <= patternLength)
        rebuildForward(buffer, buffer, oldLength, matches, patternLength, units, replacementLength);
    else
        rebuildBackward(buffer, oldLength, newLength, matches, patternLength, units, replacementLength);
    d->length = newLength;
    buffer[newLength] = 0;
}

void OString::removeFirst(const OString& pattern, int start, int end, TBool caseSensitive)
{
    replaceMatchAt(*this, indexOf(pattern, start, end, caseSensitive), pattern.length(), OString());
}

void OString::removeLast(const OString& pattern, int start, int end, TBool caseSensitive)
{
    replaceMatchAt(*this, lastIndexOf(pattern, start, end, caseSensitive), pattern.length(), OString());
}

void OString::removeAll(const OString& pattern, int start, int end, TBool caseSensitive)
{
    replaceMatches(findAll(pattern, start, end, caseSensitive), pattern.length(), OString());
}

void OString::replaceFirst(const OString& pattern, const OString& replacement, int start, int end,
                           TBool caseSensitive)
{
    replaceMatchAt(*this, indexOf(pattern, start, end, caseSensitive), pattern.length(), replacement);
}

void OString::replaceLast(const OString& pattern, const OString& replacement, int start, int end,
                          TBool caseSensitive)
{
    replaceMatchAt(*this, lastIndexOf(pattern, start, end, caseSensitive), pattern.length(), replacement);
}

void OString::replaceAll(const OString& pattern, const OString& replacement, int start, int end,
                         TBool caseSensitive)
{
    if (pattern.isEmpty())
        return;
    replaceMatches(findAll(pattern, start, end, caseSensitive), pattern.length(), replacement);
}
