// Fonts through the natives: a bitmap font made from a strip drawn, encoded
// and decoded by the program itself, measured and drawn in two colours and
// at half opacity; the native font pinned to the installed family's
// metrics, its text found on bitmap pixels inside the rectangle the metrics
// give; and the failures with their messages.
#include "GraphicsScript.h"

#include "BitmapContainer.h"
#include "GraphicsContainer.h"
#include "NativeFont.h"

#include <QRect>

#include <functional>
#include <string>

using namespace GraphicsTest;

namespace {

constexpr TUint32 HALF_COVERAGE = 0xFF808080;

// A bitmap font from an 8 x 5 strip: ascent 3, height 4; ' ' is 3 empty
// columns, '!' a 3 x 4 block with one half-covered pixel at (1, 1).
// Answers the font box.
int bitmapFont(Script& p, std::initializer_list<int> markers = {4, 7})
{
    const int strip = p.bitmap(8, 5, BLACK);
    p.call(18, 4, {at(strip), n(0), n(0), n(1), n(3), n(TWord(WHITE))}, 0);
    p.call(18, 4, {at(strip), n(4), n(0), n(3), n(4), n(TWord(WHITE))}, 0);
    p.call(19, 9, {at(strip), n(5), n(1), n(TWord(HALF_COVERAGE))}, 0);
    for (int column : markers)
        p.call(19, 9, {at(strip), n(column), n(4), n(TWord(WHITE))}, 0);
    p.call(19, 13, {at(strip), n(2)}, 1); // as PNG bytes
    p.vec(32, 12, 1, 1);
    return p.depth() - 1;
}

int nativeFont(Script& p)
{
    p.vec(32, 10, 0, 1);
    return p.depth() - 1;
}

} // namespace

TEST(FontNatives, BitmapFontMeasuresAndDrawsThroughTheNatives)
{
    Script p;
    const int font = bitmapFont(p);
    const int nullFont = p.resultBox();
    const int line = p.text("!A! ");
    p.logCall(20, 2, {at(font)});
    p.logCall(20, 3, {at(font)});
    p.logCall(20, 4, {at(font), at(line)});
    p.logCall(20, 5, {at(font), at(line), n(1), n(2)});
    p.logCall(20, 6, {at(font), at(line), n(3)});
    p.logCall(20, 7, {at(font), at(line), n(2), n(2), n(0)});
    p.logCall(20, 4, {at(nullFont), at(line)});

    const int canvas = p.bitmap(20, 6, WHITE);
    const int text = p.text("!A!");
    p.call(18, 2, {at(canvas), at(text), n(2), n(0), n(TWord(RED)), at(font)}, 0);
    p.call(18, 3, {at(canvas), at(text), n(1), n(-1), n(9), n(0), n(TWord(BLUE)), at(font)}, 0);
    p.call(18, 2, {at(canvas), at(text), n(15), n(1), n(0x80FF0000), at(font)}, 0);
    p.call(18, 2, {at(canvas), at(text), n(0), n(1), n(TWord(BLACK)), at(nullFont)}, 0);
    const Probe probes[] = {
        {2, 0, RED}, {3, 1, 0xFFFF7F7F, 2}, {4, 3, RED}, {5, 0, RED}, {7, 3, RED}, {8, 0, WHITE}, {2, 4, WHITE},
        {9, 0, BLUE}, {12, 0, WHITE}, {15, 1, 0xFFFF7F7F, 2}, {16, 2, 0xFFFFBFBF, 2}, {18, 1, 0xFFFF7F7F, 2},
        {0, 1, WHITE},
    };
    p.logProbes(canvas, probes);
    const MachineTest::Logs logs = run(p).logs;
    ASSERT_EQ(logs.size(), 7 + std::size(probes)) << testing::PrintToString(logs);
    EXPECT_EQ(MachineTest::Logs(logs.begin(), logs.begin() + 7), (MachineTest::Logs{"4", "3", "9", "3", "2", "0", "0"}));
    expectProbes(logs, probes);
}

TEST(FontNatives, NativeFontHasTheInstalledFamilysMetrics)
{
    Script p;
    const int font = nativeFont(p);
    p.logCall(20, 2, {at(font)});
    p.logCall(20, 3, {at(font)});
    const int world = p.text("Hello, world");
    for (const char* word : {"W", "Hello", "i"})
        p.logCall(20, 4, {at(font), at(p.text(word))});
    p.logCall(20, 5, {at(font), at(world), n(0), n(5)});
    for (TWord max : {101, 100, 0})
        p.logCall(20, 6, {at(font), at(world), n(max)});
    p.logCall(20, 7, {at(font), at(world), n(3), n(0), n(1000)});
    const int repeated = p.text(std::string(130, 'i')); // long enough to be searched by halving
    for (TWord max : {778, 100000})
        p.logCall(20, 6, {at(font), at(repeated), n(max)});
    EXPECT_EQ(run(p).logs, (MachineTest::Logs{"46", "37", "40", "101", "11", "101", "5", "4", "0", "0", "70", "130"}));
}

// Texts far wider than Qt's fixed-point advances reach (2^25 pixels) are
// measured in pieces.
TEST(FontNatives, NativeFontMeasuresTextsOfMillionsOfPixels)
{
    Script p;
    const int font = nativeFont(p);
    const int wide = p.text(std::string(1000000, 'W'));
    p.logCall(20, 4, {at(font), at(wide)});
    p.logCall(20, 6, {at(font), at(wide), n(28000000)});
    p.logCall(20, 7, {at(font), at(wide), n(10), n(999990), n(28000000)});
    // "W" advances 39.546875 pixels: a million of them, and the most that fit 28,000,000.
    EXPECT_EQ(run(p).logs, (MachineTest::Logs{"39546875", "708020", "708020"}));
}

TEST(FontNatives, FailuresRaiseTheirErrors)
{
    struct Case {
        const char* name;
        std::function<void(Script&)> body;
        MachineTest::Logs logs;
    };
    const Case cases[] = {
        {"empty byte array", [](Script& p) { p.vector(1); p.vec(32, 12, 1, 1); },
         {"InvalidArgumentException: byte[] is empty", "6"}},
        {"a marker in column 1", [](Script& p) { bitmapFont(p, {1, 4, 7}); }, {"InvalidArgumentException", "6"}},
        {"text range", [](Script& p) {
             const int canvas = p.bitmap(4, 4, WHITE);
             p.call(18, 3, {at(canvas), at(p.text("abc")), n(1), n(3), n(0), n(0), n(0), at(nativeFont(p))}, 0);
         }, {"RangeException: Invalid Range, range out of bounds: 4 > 3", "5"}},
        {"measured range", [](Script& p) {
             p.call(20, 7, {at(nativeFont(p)), at(p.text("abc")), n(-1), n(1), n(10)}, 1);
         }, {"RangeException: Invalid Range, first should not be less than0, first =  -1", "5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script p;
        c.body(p);
        EXPECT_EQ(run(p).logs, c.logs);
    }
}

// The native font made by its size codes, and its text drawn on a bitmap:
// every pixel it inks lies inside the rectangle of the text's width and
// the font's height, and the ink spans most of it.
TEST(FontNatives, NativeFontSizeCodesAndTextInsideItsRectangle)
{
    TestSupport::ensureGuiApplication();
    MachineTest::MachineWith<GraphicsServices> m;
    m.run("main:\n    stop\n");
    for (TInt32 code : {0, 1, 2})
        EXPECT_EQ(m.vm->heap().objectAs<VUvarFont>(newNativeFont(*m.vm, code))->height(), 46) << code;
    Lumbra::clearLastError();
    EXPECT_THROW(newNativeFont(*m.vm, 3), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()), "InvalidArgumentException: Unknown font size");

    const OString text = OString::fromLatin1("Hello, world");
    NativeFont font;
    for (const auto& [start, count, x, y] : {std::tuple{0, 12, 20, 5}, std::tuple{7, 5, -10, 0}}) {
        BitmapContainer bitmap(160, 60);
        bitmap.fill(WHITE);
        GraphicsContainer(bitmap).drawTextNative(text, start, count, x, y, BLACK);
        QRect inked;
        for (int row = 0; row < 60; ++row)
            for (int column = 0; column < 160; ++column)
                if (bitmap.getPixel(column, row) != WHITE)
                    inked |= QRect(column, row, 1, 1);
        const QRect rectangle(x, y, font.width(text, start, count), font.height());
        EXPECT_TRUE(rectangle.contains(inked)) << start;
        EXPECT_GT(inked.width(), (rectangle & QRect(0, 0, 160, 60)).width() * 3 / 4) << start;
        EXPECT_GT(inked.height(), 20) << start;
    }
}
