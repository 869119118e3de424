// Bitmap fonts cut from glyph strips made here: the glyph table for each
// marker layout, the ascent column, width and fit-count over characters the
// font lacks, and the glyph pixmap kept while the opaque colour stays.
#include "GraphicsScript.h"
#include "LumbraFont.h"
#include "NativeFont.h"
#include "TextPieces.h"

#include <QImage>

#include <utility>
#include <vector>

namespace {

using Glyphs = std::vector<std::pair<int, int>>; // (x, width) from character 32 on

// A black strip lit in column 0 at the `ascent` rows and in the bottom row at the `markers`.
QImage strip(int width, int height, std::initializer_list<int> ascent, const std::vector<int>& markers)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(GraphicsTest::BLACK);
    for (int row : ascent)
        image.setPixel(0, row, GraphicsTest::WHITE);
    for (int column : markers)
        image.setPixel(column, height - 1, GraphicsTest::WHITE);
    return image;
}

// Fonts keep a pixmap, which needs the GUI application; strings live in a machine's arena.
class BitmapFont : public testing::Test {
protected:
    void SetUp() override { TestSupport::ensureGuiApplication(); }
    MachineTest::Machine machine;
};

} // namespace

TEST_F(BitmapFont, GlyphTableFollowsTheMarkers)
{
    const std::pair<std::vector<int>, Glyphs> layouts[] = {
        {{9, 17, 25}, {{1, 8}, {9, 8}, {17, 8}}}, // the marker in the last column closes the third glyph
        {{9, 17}, {{1, 8}, {9, 8}}},
        {{}, {}},
        {{1}, {}}, // no marker from column 2 on: no glyphs
    };
    for (const auto& [markers, expected] : layouts) {
        LumbraFont font(strip(26, 6, {}, markers));
        Glyphs glyphs;
        for (int i = 0; i < font.glyphCount(); ++i)
            glyphs.emplace_back(font.glyph(char16_t(32 + i)).x, font.glyph(char16_t(32 + i)).width);
        EXPECT_EQ(glyphs, expected);
        EXPECT_EQ(font.glyph(31).width + font.glyph(char16_t(32 + expected.size())).width, 0);
    }
    Lumbra::clearLastError();
    EXPECT_THROW(LumbraFont(strip(26, 6, {}, {1, 9, 17, 25})), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::lastErrorCode(), Lumbra::EInvalidArgument);
}

TEST_F(BitmapFont, MetricsWidthAndFitCount)
{
    EXPECT_EQ(LumbraFont(strip(12, 6, {0, 1, 2, 4}, {})).ascent(), 3);
    EXPECT_EQ(LumbraFont(strip(12, 6, {1, 2}, {})).ascent(), 0);
    EXPECT_EQ(LumbraFont(strip(12, 6, {0, 1, 2, 3, 4, 5}, {})).ascent(), 5); // never the marker row
    EXPECT_EQ(LumbraFont(QImage()).height(), 0);
    // ' ' 3, '!' 2 and '"' 5 pixels wide; \x01 and 'A' are not in the font.
    LumbraFont font(strip(12, 6, {}, {4, 6, 11}));
    EXPECT_EQ(font.height(), 5);
    const OString line = OString::fromU16(u"\x01 !\"A!");
    EXPECT_EQ(font.width(line, 0, 6), 12);
    EXPECT_EQ(font.width(line, 1, 3), 10);
    struct Fit {
        int start, count, max, taken;
    };
    for (const Fit& f : {Fit{0, 6, 0, 1}, Fit{0, 6, 5, 3}, Fit{0, 6, 10, 5}, Fit{0, 6, 12, 6}, Fit{4, 2, 0, 1},
                         Fit{1, 1, 2, 0}, Fit{0, 0, 100, 0}, Fit{0, 6, -1, 0}})
        EXPECT_EQ(font.fitCount(line, f.start, f.count, f.max), f.taken) << f.start << " " << f.count << " " << f.max;
}

// Past the text limit characters count for nothing, in both fonts.
TEST_F(BitmapFont, TextsAreMeasuredAndFittedUpToTheTextLimit)
{
    const TInt32 limit = TextPieces::TEXT_LIMIT;
    const OString spaces = OString::fromU16(std::u16string(size_t(limit) + 10, u' '));
    LumbraFont font(strip(12, 6, {}, {4, 6, 11})); // ' ' is 3 pixels wide
    EXPECT_EQ(font.width(spaces, 0, limit + 10), 3 * limit);
    EXPECT_EQ(font.width(spaces, 10, limit), 3 * limit);
    EXPECT_EQ(font.fitCount(spaces, 0, limit + 10, INT32_MAX), limit);
    EXPECT_EQ(font.fitCount(spaces, 0, limit + 10, 3 * 1000), 1000);
    NativeFont native;
    EXPECT_EQ(native.fitCount(spaces, 0, limit + 10, INT32_MAX), limit);
    EXPECT_EQ(native.fitCount(spaces, 5, 20, INT32_MAX), 20);
}

TEST_F(BitmapFont, GlyphPixmapIsRemadeOnlyWhenTheOpaqueColourChanges)
{
    QImage image = strip(4, 3, {}, {3});
    image.setPixel(1, 0, 0xFF0000FF); // full coverage: only the blue byte counts
    image.setPixel(2, 1, 0xFFFFFF80); // half coverage
    LumbraFont font(image);
    const qint64 red = font.prepare(GraphicsTest::RED).cacheKey();
    EXPECT_EQ(font.prepare(0x80FF0000).cacheKey(), red);
    const qint64 green = font.prepare(GraphicsTest::GREEN).cacheKey();
    EXPECT_NE(green, red);
    EXPECT_EQ(font.prepare(0x0000FF00).cacheKey(), green);
    const QImage pixels = font.prepare(GraphicsTest::GREEN).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(pixels.pixel(1, 0), GraphicsTest::GREEN);
    EXPECT_TRUE(GraphicsTest::near(pixels.pixel(2, 1), 0x8000FF00, 1)) << std::hex << pixels.pixel(2, 1);
    EXPECT_EQ(qAlpha(pixels.pixel(0, 0)), 0);
}
