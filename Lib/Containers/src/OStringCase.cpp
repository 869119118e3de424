// Whitespace trimming and case mapping.
#include "OString.h"
#include "OStringUnits.h"

using OStringUnits::isSpace;

namespace {

template <class Map>
void mapUnits(char16_t* out, const char16_t* in, int n, Map map)
{
    for (int i = 0; i < n; ++i)
        out[i] = map(in[i]);
}

} // namespace

void OString::trimStart()
{
    const char16_t* in = constData();
    int n = 0;
    while (n < length() && isSpace(in[n]))
        ++n;
    removeHead(n);
}

void OString::trimEnd()
{
    const char16_t* in = constData();
    int n = 0;
    while (n < length() && isSpace(in[length() - 1 - n]))
        ++n;
    removeTail(n);
}

void OString::trim()
{
    const char16_t* in = constData();
    const int oldLength = length();
    int first = 0;
    while (first < oldLength && isSpace(in[first]))
        ++first;
    if (first == oldLength) {
        clear();
        return;
    }
    int last = oldLength - 1;
    while (isSpace(in[last]))
        --last;
    // A unit is kept unless it is whitespace right after whitespace.
    auto kept = [&](int i) { return !(isSpace(in[i]) && isSpace(in[i - 1])); };
    int n = 1;
    for (int i = first + 1; i <= last; ++i)
        n += kept(i);
    LUMBRA_ASSERT(n > 0);
    if (n == oldLength)
        return;
    StringData* fresh = StringData::create(n);
    char16_t* out = fresh->units();
    *out++ = in[first];
    for (int i = first + 1; i <= last; ++i) {
        if (kept(i))
            *out++ = in[i];
    }
    adopt(fresh);
}

void OString::mapCase(char16_t (*map)(char16_t))
{
    if (isEmpty())
        return;
    if (d->refCount == 1) {
        mapUnits(d->units(), d->units(), length(), map);
        return;
    }
    StringData* fresh = StringData::create(length());
    mapUnits(fresh->units(), constData(), length(), map);
    adopt(fresh);
}

void OString::toLower()
{
    mapCase(OStringUnits::lower);
}

void OString::toUpper()
{
    mapCase(OStringUnits::upper);
}
