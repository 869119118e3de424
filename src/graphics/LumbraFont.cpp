#include "LumbraFont.h"

#include "ImageDecoding.h"
#include "OString.h"
#include "TextPieces.h"
#include "VMError.h"

#include <QVector>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int COLOURS = 256;
constexpr TUint32 OPAQUE_ALPHA = 0xFF000000;
constexpr TUint32 COLOUR_CHANNELS = 0x00FFFFFF;

// The byte that is first in memory of a pixel: blue in a little-endian ARGB32 word.
inline TUint8 firstByte(const QImage& image, int x, int y)
{
    return image.constScanLine(y)[4 * x];
}

} // namespace

LumbraFont::LumbraFont(const QImage& source)
{
    if (source.isNull())
        return;
    height_ = source.height() - 1;
    copyCoverage(source);
    while (ascent_ < height_ && firstByte(source, 0, ascent_) != 0)
        ++ascent_;
    cutGlyphs(source);
}

LumbraFont* LumbraFont::decode(const void* bytes, int count)
{
    const QImage image = decodeImage(bytes, count);
    if (image.isNull())
        return nullptr;
    return new LumbraFont(image.convertToFormat(QImage::Format_ARGB32));
}

// Every row above the marker row, one coverage byte per pixel; each row is
// read from its own start, and the padding at the end of a row stays 0.
void LumbraFont::copyCoverage(const QImage& source)
{
    const int width = source.width();
    pixelData = QImage(width, source.height(), QImage::Format_Indexed8);
    pixelData.fill(0);
    for (int y = 0; y < height_; ++y) {
        TUint8* target = pixelData.scanLine(y);
        for (int x = 0; x < width; ++x)
            target[x] = firstByte(source, x, y);
    }
}

// One glyph per marker at column 2 or later. Glyph i starts at the column
// of marker i - 1 (column 1 for the first) and ends before marker i.
void LumbraFont::cutGlyphs(const QImage& source)
{
    const int markerRow = source.height() - 1;
    const int width = source.width();
    int markers = 0;
    for (int x = 2; x < width; ++x)
        markers += firstByte(source, x, markerRow) != 0 ? 1 : 0;
    if (markers == 0)
        return;
    glyphs.reserve(markers);
    TInt32 start = 1;
    for (int x = 1; x < width; ++x) {
        if (firstByte(source, x, markerRow) == 0)
            continue;
        if (glyphs.size() == markers) // a marker in column 1 closed an empty glyph first
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        glyphs.append(CharData{start, x - start});
        start = x;
    }
}

TInt32 LumbraFont::width(const OString& text, TInt32 start, TInt32 count)
{
    TInt64 sum = 0;
    const TInt32 end = start + std::min(count, TextPieces::TEXT_LIMIT);
    for (TInt32 i = start; i < end; ++i)
        sum += glyph(text.charAt(i)).width;
    return TInt32(std::min<TInt64>(sum, INT32_MAX));
}

TInt32 LumbraFont::fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth)
{
    count = std::min(count, TextPieces::TEXT_LIMIT);
    TInt64 sum = 0;
    TInt32 taken = 0;
    for (; taken < count; ++taken) {
        sum += glyph(text.charAt(start + taken)).width;
        if (sum > maxWidth)
            break;
    }
    return taken;
}

int LumbraFont::sizeOutsideHeap() const
{
    // The glyph pixmap is made at the first draw; its pixels count from then.
    const qint64 pixmapBytes = qint64(glyphPixmap.width()) * glyphPixmap.height() * glyphPixmap.depth() / 8;
    return int(std::min<qint64>(pixelData.sizeInBytes() + pixmapBytes + glyphs.capacity() * qint64(sizeof(CharData)),
                                INT32_MAX));
}

const QPixmap& LumbraFont::prepare(TUint32 colour)
{
    colour |= OPAQUE_ALPHA;
    if (colour == cachedColour && pixelData.colorCount() > 0)
        return glyphPixmap;
    QVector<QRgb> table(COLOURS);
    for (int i = 0; i < COLOURS; ++i)
        table[i] = (colour & COLOUR_CHANNELS) | (TUint32(i) << 24);
    pixelData.setColorTable(table);
    cachedColour = colour;
    glyphPixmap = QPixmap::fromImage(pixelData);
    return glyphPixmap;
}
