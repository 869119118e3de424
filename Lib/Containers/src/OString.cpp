// OString construction from host texts and other strings, and the plain queries.
#include "OString.h"
#include "OStringUnits.h"

#include <cstring>

namespace {

template <class Unit>
int terminatedLength(const Unit* text)
{
    int n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

} // namespace

OString OString::fromLatin1(const char* text, int start)
{
    if (!text)
        return OString();
    return fromLatin1(text, start, terminatedLength(text) - 1);
}

OString OString::fromLatin1(const char* bytes, int start, int end)
{
    OString result;
    if (!bytes || start < 0 || end < start)
        return result;
    char16_t* out = result.resetTo(StringData::fitLength(TInt64(end) - start + 1));
    for (int i = start; i <= end; ++i)
        *out++ = char16_t(static_cast<unsigned char>(bytes[i]));
    return result;
}

OString OString::fromUtf16(const char16_t* text, int start)
{
    if (!text)
        return OString();
    return fromUtf16(text, start, terminatedLength(text) - 1);
}

OString OString::fromUtf16(const char16_t* units, int start, int end)
{
    OString result;
    if (!units || start < 0 || end < start)
        return result;
    result.splice(0, 0, units + start, StringData::fitLength(TInt64(end) - start + 1), false);
    return result;
}

OString OString::fromU16(std::u16string_view text)
{
    return text.empty() ? OString() : fromUtf16(text.data(), 0, int(text.size()) - 1);
}

OString OString::filled(char16_t unit, int count)
{
    if (count < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    OString result;
    if (count > 0) {
        char16_t* out = result.resetTo(count);
        for (int i = 0; i < count; ++i)
            out[i] = unit;
    }
    return result;
}

OString OString::substring(const OString& source, int start, int end)
{
    if (!OStringUnits::checkSpan(start, end, source.length()))
        return OString();
    if (start == 0 && end == source.length() - 1)
        return source;
    return fromUtf16(source.constData(), start, end);
}

OString OString::tail(const OString& source, int start)
{
    if (start < 0 || start >= source.length())
        return OString();
    if (start == 0)
        return source;
    return fromUtf16(source.constData(), start, source.length() - 1);
}

OString OString::stepped(const OString& source, int start, int end, int step)
{
    if (!OStringUnits::checkSpan(start, end, source.length()))
        return OString();
    if (step <= 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (step == 1)
        return substring(source, start, end);
    OString result;
    const char16_t* in = source.constData();
    char16_t* out = result.resetTo((end - start) / step + 1);
    for (int i = start; i <= end; i += step)
        *out++ = in[i];
    return result;
}

OString OString::repeated(const OString& source, int count)
{
    if (count < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (count == 0 || source.isEmpty())
        return OString();
    if (count == 1)
        return source;
    const int n = source.length();
    OString result;
    char16_t* out = result.resetTo(StringData::fitLength(TInt64(n) * count));
    for (int i = 0; i < count; ++i)
        std::memcpy(out + TInt64(i) * n, source.constData(), size_t(n) * 2);
    return result;
}

char16_t OString::charAt(int index) const
{
    if (index < 0 || index >= length())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    return d->units()[index];
}

char16_t OString::first() const
{
    return charAt(0);
}

char16_t OString::last() const
{
    return charAt(length() - 1);
}

TAddr OString::charAddress(int index) const
{
    if (index < 0 || index >= length())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    return d->chars + TAddr(index) * 2;
}

std::u16string OString::toU16() const
{
    return isEmpty() ? std::u16string() : std::u16string(constData(), size_t(length()));
}
