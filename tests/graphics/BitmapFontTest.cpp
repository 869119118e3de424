// Bitmap fonts cut from glyph strips made here: the glyph table for each
// marker layout, the ascent column, width and fit-count with characters the
// font lacks, and the glyph pixmap kept while the colour stays.
#include "GraphicsScript.h"
#include "VMError.h"

#include "LumbraFont.h"

#include <QImage>

#include <vector>

namespace {

constexpr QRgb ON = 0xFFFFFFFF, OFF = 0xFF000000;

// A black strip `width` x `height` whose column 0 is lit in `ascentColumn`
// rows and whose bottom row is lit at the `markers`.
QImage strip(int width, int height, const std::vector<int>& ascentColumn, const std::vector<int>& markers)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(OFF);
    for (int row : ascentColumn)
        image.setPixel(0, row, ON);
    for (int column : markers)
        image.setPixel(column, height - 1, ON);
    return image;
}

OString text(std::u16string_view units)
{
    return OString::fromU16(units);
}

struct Layout {
    const char* name;
    std::vector<int> markers;
    std::vector<LumbraFont::CharData> glyphs;
};

const Layout LAYOUTS[] = {
    {"three glyphs, the last closed by a marker in the last column", {9, 17, 25}, {{1, 8}, {9, 8}, {17, 8}}},
    {"without the last marker", {9, 17}, {{1, 8}, {9, 8}}},
    {"without markers", {}, {}},
    {"a marker in column 1 only", {1}, {}},
    {"uneven widths", {2, 3, 20}, {{1, 1}, {2, 1}, {3, 17}}},
};

// Fonts keep a pixmap, which needs the GUI application; strings live in a machine's arena.
class BitmapFont : public testing::Test {
protected:
    void SetUp() override { TestSupport::ensureGuiApplication(); }
    MachineTest::Machine machine;
};

} // namespace

TEST_F(BitmapFont, GlyphTableFollowsTheMarkers)
{
    for (const Layout& layout : LAYOUTS) {
        SCOPED_TRACE(layout.name);
        LumbraFont font(strip(26, 6, {}, layout.markers));
        ASSERT_EQ(font.glyphCount(), int(layout.glyphs.size()));
        for (size_t i = 0; i < layout.glyphs.size(); ++i) {
            const LumbraFont::CharData glyph = font.glyph(char16_t(32 + i));
            EXPECT_EQ(glyph.x, layout.glyphs[i].x) << i;
            EXPECT_EQ(glyph.width, layout.glyphs[i].width) << i;
        }
        for (char16_t outside : {char16_t(0), char16_t(31), char16_t(32 + layout.glyphs.size()), char16_t(0xFFFF)})
            EXPECT_EQ(font.glyph(outside).width, 0) << int(outside);
    }
}

TEST_F(BitmapFont, MarkerInColumnOneRefusesTheFont)
{
    Lumbra::clearLastError();
    EXPECT_THROW(LumbraFont(strip(26, 6, {}, {1, 9, 17, 25})), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::lastErrorCode(), Lumbra::EInvalidArgument);
}

TEST_F(BitmapFont, AscentCountsLitRowsFromTheTopAndHeightLeavesOutTheMarkerRow)
{
    struct Case {
        std::vector<int> column;
        int ascent;
    };
    for (const Case& c : {Case{{0, 1, 2, 4}, 3}, Case{{1, 2}, 0}, Case{{0, 1, 2, 3, 4, 5}, 5}, Case{{}, 0}}) {
        LumbraFont font(strip(10, 6, c.column, {9}));
        EXPECT_EQ(font.ascent(), c.ascent);
        EXPECT_EQ(font.height(), 5);
        EXPECT_EQ(font.type(), VUvarFont::BITMAP_TYPE);
    }
    LumbraFont none{QImage()};
    EXPECT_EQ(none.ascent() + none.height() + none.glyphCount(), 0);
}

TEST_F(BitmapFont, WidthAndFitCountSkipCharactersOutsideTheFont)
{
    // ' ' 3, '!' 2, '"' 5 pixels; \x01 and 'A' are outside the font.
    LumbraFont font(strip(12, 4, {}, {4, 6, 11}));
    const OString line = text(u"\x01 !\"A!");
    EXPECT_EQ(font.width(line, 0, 6), 12);
    EXPECT_EQ(font.width(line, 1, 3), 10);
    EXPECT_EQ(font.width(line, 4, 1), 0);
    EXPECT_EQ(font.width(line, 2, 0), 0);
    struct Fit {
        int start, count, max, taken;
    };
    for (const Fit& f : {Fit{0, 6, 0, 1}, Fit{0, 6, 5, 3}, Fit{0, 6, 10, 5}, Fit{0, 6, 12, 6}, Fit{0, 6, 1000, 6},
                         Fit{4, 2, 0, 1}, Fit{1, 1, 2, 0}, Fit{0, 0, 100, 0}, Fit{0, 6, -1, 0}}) {
        EXPECT_EQ(font.fitCount(line, f.start, f.count, f.max), f.taken)
            << "from " << f.start << " count " << f.count << " max " << f.max;
    }
}

TEST_F(BitmapFont, GlyphPixmapIsRemadeOnlyWhenTheOpaqueColourChanges)
{
    QImage image = strip(4, 3, {}, {3});
    image.setPixel(1, 0, 0xFF0000FF); // full coverage in the blue byte
    image.setPixel(2, 1, 0xFFFFFF80); // half coverage: only the blue byte counts
    LumbraFont font(image);
    const qint64 red = font.prepare(GraphicsTest::RED).cacheKey();
    EXPECT_EQ(font.prepare(0x80FF0000).cacheKey(), red); // alpha does not count
    const QImage pixels = font.prepare(GraphicsTest::GREEN).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_NE(font.prepare(GraphicsTest::GREEN).cacheKey(), red);
    EXPECT_EQ(font.prepare(GraphicsTest::GREEN).cacheKey(), font.prepare(0x0000FF00).cacheKey());
    EXPECT_EQ(pixels.pixel(1, 0), GraphicsTest::GREEN);
    EXPECT_TRUE(GraphicsTest::near(pixels.pixel(2, 1), 0x8000FF00, 1)) << std::hex << pixels.pixel(2, 1);
    EXPECT_EQ(qAlpha(pixels.pixel(0, 0)), 0);
}
