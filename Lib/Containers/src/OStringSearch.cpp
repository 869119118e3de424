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

    bool atStart() const { return matched == 0; }
    char16_t first() const { return units[0]; }

private:
    char16_t folded(char16_t u) const { return fold ? lower(u) : u; }

    std::u16string units;
    std::vector<int> border; // border[k]: longest proper border of units[0..k]
    bool fold;
    int matched = 0;
};

// Matches of `pattern` starting in [from, last], left to right and not
// overlapping, each handed to `found`, which answers whether to go on.
template <class Found>
void scanForward(const char16_t* text, int from, int last, const char16_t* pattern, int n, bool caseSensitive,
                 Found found)
{
    PatternScan scan(pattern, n, caseSensitive, false);
    const int end = last + n - 1;
    const std::u16string_view window(text, size_t(end) + 1);
    for (int i = from; i <= end; ++i) {
        if (caseSensitive && scan.atStart()) {
            // Nothing matched so far: jump to the next occurrence of the first unit.
            const size_t next = window.find(scan.first(), size_t(i));
            if (next == std::u16string_view::npos || int(next) > last)
                return;
            i = int(next);
        }
        if (scan.take(text[i]) && !found(i - n + 1))
            return;
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

// Last p in [first, last] where the pattern matches; -1 when none.
int findBackward(const char16_t* text, int first, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    PatternScan scan(pattern, n, caseSensitive, true);
    for (int i = last + n - 1; i >= first; --i) {
        if (scan.take(text[i]))
            return i;
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
