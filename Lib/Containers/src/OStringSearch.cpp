// Comparing and searching: compare, equals, regions, prefixes, indexOf and
// its relatives. All take the case flag: exact units, or QChar lower case.
#include "OString.h"
#include "OStringUnits.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// First p in [from, last] where the pattern matches; -1 when none.
int findForward(const char16_t* text, int from, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    if (caseSensitive) {
        // Exact search: jump from one occurrence of the first unit to the next.
        const std::u16string_view window(text, size_t(last) + 1);
        for (size_t p = window.find(pattern[0], size_t(from)); p != std::u16string_view::npos;
             p = window.find(pattern[0], p + 1)) {
            if (std::u16string_view(text + p + 1, size_t(n - 1)) == std::u16string_view(pattern + 1, size_t(n - 1)))
                return int(p);
        }
        return -1;
    }
    const char16_t head = lower(pattern[0]);
    for (int p = from; p <= last; ++p) {
        if (lower(text[p]) != head)
            continue;
        if (matchesAt(text + p + 1, pattern + 1, n - 1, false))
            return p;
    }
    return -1;
}

int findBackward(const char16_t* text, int first, int last, const char16_t* pattern, int n, bool caseSensitive)
{
    for (int p = last; p >= first; --p) {
        if (same(text[p], pattern[0], caseSensitive) &&
            matchesAt(text + p + 1, pattern + 1, n - 1, caseSensitive))
            return p;
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
    const int lastStart = end - n + 1;
    int from = start;
    while (from <= lastStart) {
        const int p = findForward(constData(), from, lastStart, pattern.constData(), n, caseSensitive);
        if (p < 0)
            break;
        matches.append(p);
        from = p + n;
    }
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
