#include "NativeFont.h"

#include "DefaultFont.h"
#include "OString.h"
#include "TextPieces.h"

#include <QString>

#include <algorithm>

NativeFont::NativeFont() : font(DefaultFont::font()), metrics(font) {}

TInt32 NativeFont::ascent()
{
    return metrics.ascent();
}

TInt32 NativeFont::height()
{
    return metrics.height();
}

// The advance of the `count` characters from `start` (as far as the text
// limit), piece by piece.
TInt64 NativeFont::advance(const OString& text, TInt32 start, TInt32 count) const
{
    TInt64 total = 0;
    count = std::min(count, TextPieces::TEXT_LIMIT);
    while (count > 0) {
        const TInt32 piece = TextPieces::pieceLength(text, start, count, TextPieces::MEASURED_PIECE);
        total += metrics.horizontalAdvance(TextPieces::characters(text, start, piece));
        start += piece;
        count -= piece;
    }
    return total;
}

TInt32 NativeFont::width(const OString& text, TInt32 start, TInt32 count)
{
    return TInt32(std::min<TInt64>(advance(text, start, count), INT32_MAX));
}

// The largest n <= count whose first n characters are at most `maxWidth`
// wide. A long text is taken piece by piece while whole pieces fit; the
// first piece that does not is searched as a short text is.
TInt32 NativeFont::fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth)
{
    count = std::min(count, TextPieces::TEXT_LIMIT);
    if (count < 1)
        return 0;
    TInt32 fitting = 0;
    for (;;) {
        const TInt32 piece = TextPieces::pieceLength(text, start, count, TextPieces::MEASURED_PIECE);
        const QString characters = TextPieces::characters(text, start, piece);
        const int pieceWidth = piece < count ? metrics.horizontalAdvance(characters) : 0;
        if (piece == count || pieceWidth > maxWidth)
            return fitting + fitCount(characters, piece, maxWidth);
        maxWidth -= pieceWidth; // what is left for the rest, never below 0
        fitting += piece;
        start += piece;
        count -= piece;
    }
}

// The same within one piece of at least one unit, stopping at the first n that is too wide: n =
// 1, 2, ... one by one while the prefixes are short; past LINEAR_PREFIXES,
// where trying every n would cost time quadratic in the length, by doubling
// n and then halving the interval (a prefix is taken to be no narrower than
// a shorter one). Each prefix is measured in the context of what follows it.
TInt32 NativeFont::fitCount(const QString& whole, TInt32 count, TInt32 maxWidth) const
{
    constexpr TInt32 LINEAR_PREFIXES = 64;
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
