// Fonts through the natives: a bitmap font made from a strip drawn, encoded
// and decoded by the program itself, measured and drawn in two colours and
// at half opacity; the native font pinned to the installed family's
// metrics, its text found on the canvas pixels inside the rectangle the
// metrics give; and the failures with their messages.
#include "GraphicsScript.h"

#include <algorithm>
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

// Logs the index (y * width + x) of every pixel of the canvas that is not white.
void logInkedPixels(Script& p, int canvas, int width, int height)
{
    p.integer(width * height);
    p.line("scan:", 0);
    p.line("pick -1", 1);
    p.line("jz scanned", -1);
    p.line("push 1", 1);
    p.line("sub", -1);
    p.copy(canvas);
    p.line("pick -2", 1);
    p.integer(width);
    p.line("rem", -1);
    p.line("pick -3", 1);
    p.integer(width);
    p.line("div", -1);
    p.vec(19, 7, 3, 1);
    p.integer(TWord(WHITE));
    p.line("ne", -1);
    p.line("jz scan", -1);
    p.copy(p.depth() - 1);
    p.logInt();
    p.line("jmp scan", 0);
    p.line("scanned:", 0);
    p.drop();
}

struct Probe {
    int x, y;
    TUint32 expected;
};

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
        {2, 0, RED}, {3, 1, 0xFFFF7F7F}, {4, 3, RED}, {5, 0, RED}, {7, 3, RED}, {8, 0, WHITE}, {2, 4, WHITE},
        {9, 0, BLUE}, {12, 0, WHITE}, {15, 1, 0xFFFF7F7F}, {16, 2, 0xFFFFBFBF}, {18, 1, 0xFFFF7F7F}, {0, 1, WHITE},
    };
    for (const Probe& probe : probes)
        p.logPixel(canvas, probe.x, probe.y);

    const MachineTest::Logs logs = run(p).logs;
    ASSERT_EQ(logs.size(), 7 + std::size(probes)) << testing::PrintToString(logs);
    EXPECT_EQ(MachineTest::Logs(logs.begin(), logs.begin() + 7), (MachineTest::Logs{"4", "3", "9", "3", "2", "0", "0"}));
    const std::vector<TUint32> pixels = colours(MachineTest::Logs(logs.begin() + 7, logs.end()));
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_TRUE(near(pixels[i], probes[i].expected, 2))
            << "(" << probes[i].x << ", " << probes[i].y << "): " << std::hex << pixels[i];
    }
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

TEST(FontNatives, NativeTextLandsInsideTheRectangleOfItsMetrics)
{
    struct Case {
        const char* name;
        int function;
        int start, count;
        int x, y;
    };
    constexpr int WIDTH = 160, HEIGHT = 60;
    for (const Case& c : {Case{"whole", 2, 0, 12, 20, 5}, Case{"a part, from the left edge", 3, 7, 5, -10, 0}}) {
        SCOPED_TRACE(c.name);
        Script p;
        const int font = nativeFont(p);
        const int text = p.text("Hello, world");
        p.logCall(20, 5, {at(font), at(text), n(c.start), n(c.count)});
        const int canvas = p.bitmap(WIDTH, HEIGHT, WHITE);
        if (c.function == 2)
            p.call(18, 2, {at(canvas), at(text), n(c.x), n(c.y), n(TWord(BLACK)), at(font)}, 0);
        else
            p.call(18, 3, {at(canvas), at(text), n(c.start), n(c.count), n(c.x), n(c.y), n(TWord(BLACK)), at(font)}, 0);
        logInkedPixels(p, canvas, WIDTH, HEIGHT);
        const MachineTest::Logs logs = run(p).logs;
        ASSERT_GT(logs.size(), 50u) << "hardly any text drawn";
        const int width = std::stoi(logs[0]);
        int left = WIDTH, right = -1, top = HEIGHT, bottom = -1;
        for (size_t i = 1; i < logs.size(); ++i) {
            const int index = std::stoi(logs[i]);
            left = std::min(left, index % WIDTH), right = std::max(right, index % WIDTH);
            top = std::min(top, index / WIDTH), bottom = std::max(bottom, index / WIDTH);
        }
        EXPECT_GE(left, c.x);
        EXPECT_LT(right, c.x + width);
        EXPECT_GE(top, c.y);
        EXPECT_LT(bottom, c.y + 46);
        EXPECT_GT(right - std::max(left, c.x), std::min(width, WIDTH - c.x) * 3 / 4) << "text narrower than measured";
        EXPECT_GT(bottom - top, 20) << "text lower than a capital";
    }
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
        {"font function 1", [](Script& p) { p.call(20, 1, {at(nativeFont(p))}, 1); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script p;
        c.body(p);
        const MachineTest::Logs logs = run(p).logs;
        if (c.logs.empty()) {
            ASSERT_EQ(logs.size(), 2u);
            EXPECT_EQ(logs[0].rfind("VMException: Font:", 0), 0u) << logs[0];
        } else {
            EXPECT_EQ(logs, c.logs);
        }
    }
}

TEST(FontNatives, SizeCodesZeroToTwoGiveTheSameNativeFont)
{
    TestSupport::ensureGuiApplication();
    MachineTest::MachineWith<GraphicsServices> m;
    m.run("main:\n    stop\n");
    for (TInt32 code : {0, 1, 2}) {
        VUvarFont* font = m.vm->heap().objectAs<VUvarFont>(newNativeFont(*m.vm, code));
        EXPECT_EQ(font->height(), 46) << code;
        EXPECT_EQ(font->type(), VUvarFont::NATIVE_TYPE);
    }
    Lumbra::clearLastError();
    EXPECT_THROW(newNativeFont(*m.vm, 3), Lumbra::ErrorHandlingException);
    EXPECT_EQ(Lumbra::u16ToUtf8(Lumbra::lastErrorMessage()), "InvalidArgumentException: Unknown font size");
}
