// Comparing and searching: compare, equals, regions, prefixes, indexOf and
// its relatives. All take the case flag: exact units, or QChar lower case.
#include "OString.h"
#include "OStringUnits.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using OStringUnits::checkSpan;
using OStringUnits::lower;
using OStringUnits::same;

namespace {

// Difference of the first unequal pair among `n` units, 0 when all match.
int compareUnits(const char16_t* a, const char16_t* b, int n, bool caseSensitive)
{
    for (int i = 0; i < n; ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (x == y)
            continue;
        if (!caseSensitive) {
            x = lower(x);
            y = lower(y);
            if (x == y)
                continue;
        }
        return int(x) - int(y);
    }
    return 0;
}

bool matchesAt(const char16_t* text, const char16_t* pattern, int n, bool caseSensitive)
{
    return compareUnits(text, pattern, n, caseSensitive) == 0;
}

// One pattern matched unit by unit (Knuth, Morris and Pratt): after a
// mismatch the match falls back to the longest border of what was matched, so
// each text unit is taken a bounded number of times and a search costs time
// linear in the text whatever the pattern. The pattern is kept in the order
// the text is scanned (reversed for a backward scan). Ignoring case, units are
// compared lower-cased: lower-casing maps units onto classes of equal ones, so
// matching folded units finds exactly the matches of comparing pairs.
class PatternScan {
public:
    PatternScan(const char16_t* pattern, int n, bool caseSensitive, bool backward)
        : units(size_t(n), u'\0'), border(size_t(n), 0), fold(!caseSensitive)
    {
        for (int k = 0; k < n; ++k)
            units[size_t(k)] = folded(pattern[backward ? n - 1 - k : k]);
        for (int k = 1, b = 0; k < n; ++k) {
            while (b > 0 && units[size_t(k)] != units[size_t(b)])
                b = border[size_t(b - 1)];
            if (units[size_t(k)] == units[size_t(b)])
                ++b;
            border[size_t(k)] = b;
        }
    }

    // Takes the next text unit; true when it completes a match. The scan then
    // starts afresh, so matches never overlap.
    bool take(char16_t unit)
    {
        const char16_t u = folded(unit);
        while (matched > 0 && units[size_t(matched)] != u)
            matched = border[size_t(matched - 1)];
        if (units[size_t(matched)] == u)
            ++matched;
        if (matched < int(units.size()))
            return false;
        matched = 0;
        return true;
    }

private:
    char16_t folded(char16_t u) const { return fold ? lower(u) : u; }

    std::u16string units;
    std::vector<int> border; // border[k]: longest proper border of units[0..k]
    bool fold;
    int matched = 0;
};

// How many units a plain search may compare per start it passes (plus the
// pattern's length) before it hands over to the linear scan. Ordinary text
// mismatches within a unit or two and never gets near it; a pattern that
// matches almost everywhere reaches it early, so a search never costs more
// than a few times the text's length.
constexpr TInt64 PLAIN_SEARCH_SLACK = 4;

// Units at the start of `text` equal to those of `pattern`, at most `n`.
int matchedPrefix(const char16_t* text, const char16_t* pattern, int n, bool caseSensitive)
{
    int k = 0;
    while (k < n && same(text[k], pattern[k], caseSensitive))
        ++k;
    return k;
}

// Matches starting in [from, last], left to right and not overlapping, each
// handed to `found`, which answers whether to go on; by the linear scan.
template <class Found>
void scanLinear(const char16_t* text, int from, int last, const char16_t* pattern, int n, bool caseSensitive,
                Found found)
{
    PatternScan scan(pattern, n, caseSensitive, false);
    const int end = last + n - 1;
    for (int i = from; i <= end; ++i) {
        if (scan.take(text[i]) && !found(i - n + 1))
            return;
    }
}

// The same: start by start while that stays cheap, then the linear scan.
template <class Found>
void scanForward(const char16_t* text, int from, int last, const char16_t* pattern, int n, bool caseSensitive,
                 Found found)
{
    const char16_t head = caseSensitive ? pattern[0] : lower(pattern[0]);
    const std::u16string_view window(text, size_t(last) + 1);
    TInt64 work = 0;
    for (int p = from; p <= last;) {
        if (caseSensitive) {
            const size_t next = window.find(head, size_t(p));
            if (next == std::u16string_view::npos)
                return;
            p = int(next);
        } else {
            while (p <= last && lower(text[p]) != head)
                ++p;
            if (p > last)
                return;
        }
        const int matched = matchedPrefix(text + p + 1, pattern + 1, n - 1, caseSensitive);
        work += matched;
        if (matched < n - 1)
            ++p;
        else if (!found(p))
            return;
        else
            p += n;
        if (work > PLAIN_SEARCH_SLACK * (TInt64(p - from) + n)) {
            scanLinear(text, p, last, pattern, n, caseSensitive, found);
            return;
        }
    }
}

// First p in [from, last] where the pattern matches; -1 when none.
int findForward(const char16_t* text, int from, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    int first = -1;
    scanForward(text, from, last, pattern, n, caseSensitive, [&first](int p) {
        first = p;
        return false;
    });
    return first;
}

// Last p in [first, last] where the pattern matches; -1 when none; by the
// linear scan over the reversed pattern.
int findBackwardLinear(const char16_t* text, int first, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    PatternScan scan(pattern, n, caseSensitive, true);
    for (int i = last + n - 1; i >= first; --i) {
        if (scan.take(text[i]))
            return i;
    }
    return -1;
}

// The same: start by start while that stays cheap, then the linear scan.
int findBackward(const char16_t* text, int first, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    TInt64 work = 0;
    for (int p = last; p >= first; --p) {
        if (!same(text[p], pattern[0], caseSensitive))
            continue;
        const int matched = matchedPrefix(text + p + 1, pattern + 1, n - 1, caseSensitive);
        if (matched == n - 1)
            return p;
        work += matched;
        if (work > PLAIN_SEARCH_SLACK * (TInt64(last - p) + n))
            return p > first ? findBackwardLinear(text, first, p - 1, pattern, n, caseSensitive) : -1;
    }
    return -1;
}

// The match of `pattern` in text[start..end] that `find` picks; -1 when none
// or when the span is invalid. `sameData`: both strings share their units.
template <auto find>
int searchSpan(const OString& text, bool sameData, const OString& pattern, int start, int end, bool caseSensitive)
{
    if (!checkSpan(start, end, text.length()) || pattern.isEmpty())
        return -1;
    const int n = pattern.length();
    if (n > end - start + 1)
        return -1;
    if (n == end - start + 1 && sameData)
        return 0;
    return find(text.constData(), start, end - n + 1, pattern.constData(), n, caseSensitive);
}

} // namespace

int OString::compare(const OString& other, TBool caseSensitive) const
{
    if (d == other.d)
        return 0;
    const int n = std::min(length(), other.length());
    const int diff = compareUnits(constData(), other.constData(), n, caseSensitive);
    return diff != 0 ? diff : length() - other.length();
}

bool OString::equals(const OString& other, TBool caseSensitive) const
{
    if (d == other.d)
        return true;
    if (length() != other.length())
        return false;
    return matchesAt(constData(), other.constData(), length(), caseSensitive);
}

int OString::compareRegion(const OString& other, int start, int end, TBool caseSensitive) const
{
    if (start == 0 && end == length() - 1)
        return compare(other, caseSensitive);
    if (other.isEmpty())
        return int(TUint32(end) - TUint32(start) + 1);
    if (!checkSpan(start, end, length()))
        return -other.length();
    const int span = end - start + 1;
    const int n = std::min(span, other.length());
    const int diff = compareUnits(constData() + start, other.constData(), n, caseSensitive);
    return diff != 0 ? diff : span - other.length();
}

bool OString::regionEquals(const OString& other, int start, int end, TBool caseSensitive) const
{
    if (start == 0 && end == length() - 1)
        return equals(other, caseSensitive);
    if (other.isEmpty())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (!checkSpan(start, end, length()) || end - start + 1 != other.length())
        return false;
    return matchesAt(constData() + start, other.constData(), other.length(), caseSensitive);
}

bool OString::startsWith(const OString& prefix, TBool caseSensitive) const
{
    if (isEmpty() || prefix.isEmpty() || prefix.length() > length())
        return false;
    return matchesAt(constData(), prefix.constData(), prefix.length(), caseSensitive);
}

bool OString::endsWith(const OString& suffix, TBool caseSensitive) const
{
    if (isEmpty() || suffix.isEmpty() || suffix.length() > length())
        return false;
    return matchesAt(constData() + length() - suffix.length(), suffix.constData(), suffix.length(),
                     caseSensitive);
}

int OString::indexOf(const OString& pattern, int start, int end, TBool caseSensitive) const
{
    return searchSpan<findForward>(*this, d == pattern.d, pattern, start, end, caseSensitive);
}

int OString::lastIndexOf(const OString& pattern, int start, int end, TBool caseSensitive) const
{
    return searchSpan<findBackward>(*this, d == pattern.d, pattern, start, end, caseSensitive);
}

OStringPositions OString::findAll(const OString& pattern, int start, int end, TBool caseSensitive) const
{
    OStringPositions matches;
    if (!checkSpan(start, end, length()) || pattern.isEmpty())
        return matches;
    const int n = pattern.length();
    if (n > end - start + 1)
        return matches;
    scanForward(constData(), start, end - n + 1, pattern.constData(), n, caseSensitive, [&matches](int p) {
        matches.append(p);
        return true;
    });
    return matches;
}

int OString::count(const OString& pattern, int start, int end, TBool caseSensitive) const
{
    return findAll(pattern, start, end, caseSensitive).size();
}

int OString::mostFrequentChar(int start, int end, TBool caseSensitive) const
{
    if (isEmpty())
        Lumbra::raiseError(Lumbra::EDataFormat);
    if (!checkSpan(start, end, length()))
        return -1;
    const char16_t* text = constData();
    auto key = [&](int i) { return caseSensitive ? text[i] : lower(text[i]); };
    std::unordered_map<char16_t, int> counts;
    for (int i = start; i <= end; ++i)
        ++counts[key(i)];
    int best = start;
    for (int i = start + 1; i <= end; ++i) {
        if (counts[key(i)] > counts[key(best)])
            best = i;
    }
    return key(best);
}
