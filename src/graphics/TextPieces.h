// Qt lays a text out whole before it measures or draws it, at tens of bytes
// per character, and reckons advances in 26.6 fixed point, which overflows
// past 2^25 pixels. Long texts are therefore measured piece by piece and
// drawn only as far as a canvas could show them.
//
// One call measures, fits or draws at most TEXT_LIMIT characters of a text:
// a text of millions of characters costs no more than what a canvas can show.
#pragma once

#include "LumbraTypes.h"
#include "OString.h"

#include <QChar>
#include <QString>

#include <algorithm>

namespace TextPieces {

// Measured at once: even the widest glyphs keep such a piece's advance far
// below the fixed-point limit.
constexpr TInt32 MEASURED_PIECE = 1 << 16;

// Characters of one text that are measured, fitted or drawn; the rest count
// for nothing. At 40 pixels no glyph but a zero-width one is narrower than
// 9, so the largest canvas shows at most 3,641 characters on each of its 713
// lines, fewer than this.
constexpr TInt32 TEXT_LIMIT = 1 << 22;

// How many of the `count` code units from `start` make up a piece of at most
// `limit` of them that does not end between the halves of a surrogate pair.
inline TInt32 pieceLength(const OString& text, TInt32 start, TInt32 count, TInt32 limit)
{
    TInt32 length = std::min(count, limit);
    if (length < count && length > 1 && QChar::isHighSurrogate(text.charAt(start + length - 1)))
        --length;
    return length;
}

// The `count` code units from `start` as a QString that shares them (no
// copy): it must not outlive the call that measures or draws it.
inline QString characters(const OString& text, TInt32 start, TInt32 count)
{
    return QString::fromRawData(reinterpret_cast<const QChar*>(text.constData() + start), count);
}

} // namespace TextPieces
