// A bitmap font cut from an image strip. Column 0 counts the ascent (its
// leading non-zero rows); glyphs for the characters from 32 on sit side by
// side from column 1; a non-zero pixel in the bottom row marks the column
// where the next glyph begins. A pixel's blue byte is its coverage, which
// becomes the alpha of the drawing colour.
#pragma once

#include "Vec.h"
#include "host/GraphicsInterfaces.h"

#include <QImage>
#include <QPixmap>

class LumbraFont : public VUvarFont {
public:
    struct CharData {
        TInt32 x;     // first column in the image
        TInt32 width; // advance in pixels
    };

    // Cuts the font from an ARGB32 image (a null image: no glyphs, zero
    // metrics). InvalidArgumentException when the bottom row holds a marker
    // in column 1, which would close a glyph before any began.
    explicit LumbraFont(const QImage& argb32);
    // The font in encoded image bytes, or null when they hold no image.
    static LumbraFont* decode(const void* bytes, int count);

    TInt32 ascent() override { return ascent_; }
    TInt32 height() override { return height_; }
    TInt32 width(const OString& text, TInt32 start, TInt32 count) override;
    TInt32 fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth) override;
    TInt32 type() override { return BITMAP_TYPE; }
    int sizeOutsideHeap() const override;

    int glyphCount() const { return glyphs.size(); }
    // The glyph of a character code; x 0 and width 0 outside the font.
    CharData glyph(char16_t c) const
    {
        return c > 31 && c - 32 < glyphs.size() ? glyphs[c - 32] : CharData{0, 0};
    }
    // The glyphs in `colour` (its alpha taken as opaque), made again only
    // when that colour differs from the last one.
    const QPixmap& prepare(TUint32 colour);

private:
    void copyCoverage(const QImage& source);
    void cutGlyphs(const QImage& source);

    TInt32 ascent_ = 0;
    TInt32 height_ = 0;
    Vec<CharData> glyphs;
    QImage pixelData; // Indexed8: one coverage byte per pixel
    QPixmap glyphPixmap;
    TUint32 cachedColour = 0xFFFFFFFF;
};
