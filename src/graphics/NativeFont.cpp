#include "NativeFont.h"

#include "DefaultFont.h"
#include "OString.h"

#include <QString>

#include <algorithm>

namespace {

// The `count` code units from `start` as a QString (no copy of the characters).
QString substring(const OString& text, TInt32 start, TInt32 count)
{
    return QString::fromRawData(reinterpret_cast<const QChar*>(text.constData() + start), count);
}

} // namespace

NativeFont::NativeFont() : font(DefaultFont::font()), metrics(font) {}

TInt32 NativeFont::ascent()
{
    return metrics.ascent();
}

TInt32 NativeFont::height()
{
    return metrics.height();
}

TInt32 NativeFont::width(const OString& text, TInt32 start, TInt32 count)
{
    return count <= 0 ? 0 : metrics.horizontalAdvance(substring(text, start, count));
}

// The largest n <= count whose first n characters are at most `maxWidth`
// wide, stopping at the first n that is too wide: n = 1, 2, ... one by one
// while the prefixes are short; past LINEAR_PREFIXES, where trying every n
// would cost time quadratic in the length, by doubling n and then halving
// the interval (a prefix is taken to be no narrower than a shorter one).
TInt32 NativeFont::fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth)
{
    constexpr TInt32 LINEAR_PREFIXES = 64;
    if (count < 1)
        return 0;
    const QString whole = substring(text, start, count);
    auto fits = [&](TInt32 n) { return metrics.horizontalAdvance(whole, n) <= maxWidth; };
    TInt32 fitting = 0; // the prefix of this many characters fits
    while (fitting < std::min(count, LINEAR_PREFIXES)) {
        if (!fits(fitting + 1))
            return fitting;
        ++fitting;
    }
    auto advanced = [&](TInt64 step) { return TInt32(std::min<TInt64>(count, fitting + step)); };
    TInt64 step = fitting;
    while (fitting < count && fits(advanced(step))) {
        fitting = advanced(step);
        step *= 2;
    }
    // Every prefix up to `fitting` fits; the one of `tooWide` characters does not.
    TInt32 tooWide = fitting < count ? advanced(step) : count + 1;
    while (tooWide - fitting > 1) {
        const TInt32 middle = fitting + (tooWide - fitting) / 2;
        (fits(middle) ? fitting : tooWide) = middle;
    }
    return fitting;
}
