// UTF-8 encoding and decoding, one code unit per sequence.
#include "OString.h"

#include <string>

namespace {

// Second-byte limits of a lead byte; further bytes are always 0x80-0xBF.
void secondByteLimits(unsigned char lead, unsigned char& low, unsigned char& high)
{
    low = 0x80;
    high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
}

// Sequence length announced by `lead`, 0 when it cannot start a sequence.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

[[noreturn]] void invalidSequence()
{
    Lumbra::raiseError(Lumbra::EDataFormat);
}

} // namespace

OString OString::fromUtf8(const OStringBytes& bytes)
{
    return fromUtf8(bytes.constData(), bytes.size());
}

OString OString::fromUtf8(const unsigned char* bytes, int count)
{
    static constexpr unsigned char LEAD_MASK[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::u16string units;
    units.reserve(size_t(count));
    for (int i = 0; i < count;) {
        const unsigned char lead = bytes[i];
        const int n = sequenceLength(lead);
        if (n == 0 || n > count - i)
            invalidSequence();
        TUint32 value = lead & LEAD_MASK[n];
        for (int k = 1; k < n; ++k) {
            unsigned char low = 0x80, high = 0xBF;
            if (k == 1)
                secondByteLimits(lead, low, high);
            const unsigned char b = bytes[i + k];
            if (b < low || b > high)
                invalidSequence();
            value = (value << 6) | (b & 0x3F);
        }
        if (value > 0xFFFF) {
            // Beyond one unit: kept as a surrogate pair rather than truncated.
            value -= 0x10000;
            units.push_back(char16_t(0xD800 | (value >> 10)));
            units.push_back(char16_t(0xDC00 | (value & 0x3FF)));
        } else {
            units.push_back(char16_t(value));
        }
        i += n;
    }
    return fromU16(units);
}

OStringBytes OString::toUtf8() const
{
    // Encoded in place: no host copy as large as the text.
    const std::u16string_view units(constData(), size_t(length()));
    OStringBytes out;
    Lumbra::writeUtf8(units, reinterpret_cast<char*>(out.appendCleared(Lumbra::utf8Length(units))));
    return out;
}
