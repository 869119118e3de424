// Integers to text and text to integers.
#include "OString.h"
#include "OStringUnits.h"

namespace {

constexpr char DIGITS[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// Digits of `magnitude` in `radix`, preceded by "-" when `negative`.
OString magnitudeText(TUint64 magnitude, int radix, bool negative)
{
    char buffer[72];
    int pos = sizeof(buffer);
    buffer[--pos] = 0;
    do {
        buffer[--pos] = DIGITS[magnitude % TUint64(radix)];
        magnitude /= TUint64(radix);
    } while (magnitude != 0);
    if (negative)
        buffer[--pos] = '-';
    return OString::fromLatin1(buffer + pos);
}

// Value of `u` as a digit (letters any case), or 99 when it is none.
int digitValue(char16_t u)
{
    if (u >= '0' && u <= '9')
        return u - '0';
    const char16_t l = OStringUnits::lower(u);
    if (l >= 'a' && l <= 'z')
        return l - 'a' + 10;
    return 99;
}

int skipSpace(const char16_t* text, int n)
{
    int i = 0;
    while (i < n && OStringUnits::isSpace(text[i]))
        ++i;
    return i;
}

} // namespace

OString OString::fromInt(TInt32 value)
{
    return fromInt64(value);
}

OString OString::fromInt64(TInt64 value)
{
    const bool negative = value < 0;
    const TUint64 magnitude = negative ? TUint64(0) - TUint64(value) : TUint64(value);
    return magnitudeText(magnitude, 10, negative);
}

OString OString::fromUnsigned(TUint32 value, int radix)
{
    if (radix < 2 || radix > 36)
        return OString();
    return magnitudeText(value, radix, false);
}

TInt32 OString::parseInt() const
{
    if (isEmpty())
        Lumbra::raiseError(Lumbra::EDataFormat);
    const char16_t* text = constData();
    const int n = length();
    int i = skipSpace(text, n);
    if (i == n)
        Lumbra::raiseError(Lumbra::EDataFormat);
    if (i + 2 < n && text[i] == '+' && text[i + 1] == '-' && text[i + 2] == '0')
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == n || text[i] < '0' || text[i] > '9')
        Lumbra::raiseError(Lumbra::EDataFormat);
    TUint32 value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + TUint32(text[i] - '0');
    return TInt32(negative ? 0u - value : value);
}

TInt32 OString::parseInt(int radix) const
{
    if (radix == 10)
        return parseInt();
    if (radix < 2 || radix > 36)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    const char16_t* text = constData();
    const int n = length();
    int i = skipSpace(text, n);
    if (i == n || digitValue(text[i]) >= radix)
        Lumbra::raiseError(Lumbra::EDataFormat);
    TUint32 value = 0;
    for (; i < n && digitValue(text[i]) < radix; ++i)
        value = value * TUint32(radix) + TUint32(digitValue(text[i]));
    return TInt32(value);
}
