#include "values/OFixed.h"

#include "VMError.h"

#include <QChar>

#include <vector>

namespace {

// The next decimal digit of a 32-bit binary fraction; the fraction keeps the rest.
int nextDigit(TUint32& fraction)
{
    const TUint64 scaled = TUint64(fraction) * 10;
    fraction = TUint32(scaled);
    return int(scaled >> 32);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

[[noreturn]] void badFormat() { Lumbra::raiseError(Lumbra::EDataFormat); }

} // namespace

std::string OFixed::toText(int digits) const
{
    if (digits < -1 || digits > MAX_TEXT_DIGITS)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    std::string out;
    TUint64 magnitude = TUint64(raw);
    if (raw < 0) {
        out += '-';
        magnitude = 0 - magnitude; // the least value keeps its pattern: integer part 2^31
    }
    TUint64 integer = magnitude >> 32;
    TUint32 fraction = TUint32(magnitude);
    std::string fractionText;
    if (digits == -1) {
        do
            fractionText += char('0' + nextDigit(fraction));
        while (fraction != 0);
    } else {
        for (int i = 0; i < digits; ++i)
            fractionText += char('0' + nextDigit(fraction));
        if (nextDigit(fraction) >= 5) {
            int i = digits - 1;
            for (; i >= 0 && fractionText[size_t(i)] == '9'; --i)
                fractionText[size_t(i)] = '0';
            if (i >= 0)
                ++fractionText[size_t(i)];
            else if (integer == TUint64(INT32_MAX))
                fractionText.assign(size_t(digits), '9');
            else
                ++integer;
        }
    }
    out += std::to_string(integer);
    if (!fractionText.empty())
        out += '.' + fractionText;
    return out;
}

OFixed OFixed::parse(std::u16string_view text)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && QChar(text[i]).isSpace())
        ++i;
    while (i < n && text[i] == u'+')
        ++i;
    bool negative = false;
    if (i < n && text[i] == u'-') {
        negative = true;
        ++i;
    }
    if (i >= n || !isDigit(text[i]))
        badFormat();
    TInt64 integer = 0;
    for (; i < n && isDigit(text[i]); ++i) {
        integer = integer * 10 + (text[i] - u'0');
        if (integer > INT32_MAX)
            return OFixed(negative ? ORaw::LEAST : ORaw::GREATEST);
    }
    TUint64 fraction = 0;
    if (i < n && text[i] == u'.') {
        ++i;
        if (i >= n || !isDigit(text[i]))
            badFormat();
        TUint64 digits = 0, scale = 1;
        for (; i < n && isDigit(text[i]); ++i) {
            const TUint64 next = digits * 10 + TUint64(text[i] - u'0');
            if (next >= (TUint64(1) << 32))
                break;
            digits = next;
            scale *= 10;
        }
        fraction = (digits << 32) / scale;
    }
    const TInt64 r = TInt64(TUint64(integer) << 32 | fraction);
    return OFixed(negative ? -r : r);
}
