// Native drawing and pixel calls against the same work done straight on Qt:
// 10,000 fill-rects and 10,000 draws of a 16 x 16 bitmap at alpha 128 on a
// 256 x 256 bitmap, 100,000 set-pixel plus get-pixel calls, and a frame of
// 1,000 strings of 20 characters in a bitmap font (the default family's
// glyph strip at 20 pixels). A program with the same loop and an empty body
// gives the machine's own share, to be taken off before the native times
// are compared with Qt's as a ratio.
#include "BenchMachine.h"
#include "DefaultFont.h"
#include "GlyphStrip.h"
#include "GuiApplication.h"
#include "LumbraFont.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int DRAWS = 10000;
constexpr int PIXELS = 100000;
constexpr int STRINGS = 1000;
constexpr char TEXT[] = "Score 12345: level 7"; // 20 characters
constexpr int STRIP_PIXELS = 20;

// main: a white 256 x 256 canvas and a translucent 16 x 16 sprite, then
// `setup` (which leaves `setupSlots` words), then `count` runs of `body`
// with the stack [ret, canvas, sprite, setup words, counter].
std::string loopProgram(int count, const std::string& body, const std::string& setup = "", int setupSlots = 0)
{
    return R"(
.method "main" code=main frame=Main
.frame Main
main:
    push 0
    box
    pick -1
    push 256
    push 256
    push 0xFFFFFFFF
    native 19, 1
    push 0
    box
    pick -1
    push 16
    push 16
    push 0x80FF0000
    native 19, 1
)" + setup + "    push " + std::to_string(count) + R"(
loop:
    pick -1
    jz done
)" + body + R"(
    push 1
    sub
    jmp loop
done:
    adjust )" + std::to_string(-1 - setupSlots) + R"(
    ret 2, 3
)";
}

const std::string FILL_RECT = "    pick -3\n    push 10\n    push 10\n    push 20\n    push 20\n    push 0xFF00FF00\n"
                              "    native 18, 4\n";
const std::string DRAW_BITMAP = "    pick -3\n    pick -3\n    push 10\n    push 10\n    push 128\n    native 18, 1\n";
const std::string SET_GET_PIXEL = "    pick -3\n    push 5\n    push 5\n    push 0x80123456\n    native 19, 9\n"
                                  "    pick -3\n    push 5\n    push 5\n    native 19, 7\n    adjust -1\n";

// The glyph strip of the bitmap-font benchmarks.
QImage glyphStrip()
{
    return GlyphStrip::render(DefaultFont::font(STRIP_PIXELS));
}

void runProgram(benchmark::State& state, const std::string& source)
{
    TestSupport::ensureGuiApplication();
    QTemporaryDir dir;
    glyphStrip().save(dir.filePath(QStringLiteral("font.png")));
    BenchMachine::runEachIteration(state, source, dir.path());
}

// The text loop: the font from "font.png" and the text below the counter,
// so the loop's stack is [ret, canvas, sprite, font, text, counter].
std::string textProgram()
{
    const std::string setup = "    pushstr fontFile\n    native 32, 11\n    pushstr text\n";
    const std::string draw = "    pick -5\n    pick -3\n    push 10\n    push 10\n    push 0xFF204080\n"
                             "    pick -8\n    native 18, 2\n";
    return ".string fontFile \"font.png\"\n.string text \"" + std::string(TEXT) + "\"\n" +
           loopProgram(STRINGS, draw, setup, 2);
}

void BM_NativeEmptyLoop(benchmark::State& state)
{
    runProgram(state, loopProgram(int(state.range(0)), ""));
}

void BM_NativeFillRect(benchmark::State& state)
{
    runProgram(state, loopProgram(DRAWS, FILL_RECT));
}

void BM_NativeDrawBitmap(benchmark::State& state)
{
    runProgram(state, loopProgram(DRAWS, DRAW_BITMAP));
}

void BM_NativeSetGetPixel(benchmark::State& state)
{
    runProgram(state, loopProgram(PIXELS, SET_GET_PIXEL));
}

void BM_NativeBitmapText(benchmark::State& state)
{
    runProgram(state, textProgram());
}

// The glyph draws the bitmap-font text makes, straight on a painter.
void BM_QPainterBitmapText(benchmark::State& state)
{
    TestSupport::ensureGuiApplication();
    LumbraFont font(glyphStrip().convertToFormat(QImage::Format_ARGB32));
    const QPixmap& glyphs = font.prepare(0xFF204080);
    for (auto _ : state) {
        QPixmap canvas(256, 256);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        for (int i = 0; i < STRINGS; ++i) {
            int x = 10;
            for (const char* c = TEXT; *c; ++c) {
                const LumbraFont::CharData glyph = font.glyph(char16_t(*c));
                painter.drawPixmap(x, 10, glyphs, glyph.x, 0, glyph.width, font.height());
                x += glyph.width;
            }
        }
    }
}

void BM_QPainterFillRect(benchmark::State& state)
{
    TestSupport::ensureGuiApplication();
    for (auto _ : state) {
        QPixmap canvas(256, 256);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        for (int i = 0; i < DRAWS; ++i)
            painter.fillRect(QRect(10, 10, 20, 20), QColor(0, 255, 0, 255));
    }
}

void BM_QPainterDrawBitmap(benchmark::State& state)
{
    TestSupport::ensureGuiApplication();
    QImage spriteImage(16, 16, QImage::Format_ARGB32);
    spriteImage.fill(0x80FF0000);
    const QPixmap sprite = QPixmap::fromImage(spriteImage);
    for (auto _ : state) {
        QPixmap canvas(256, 256);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        for (int i = 0; i < DRAWS; ++i) {
            painter.setOpacity(128 / 255.0);
            painter.drawPixmap(10, 10, sprite);
        }
    }
}

void BM_QImageSetGetPixel(benchmark::State& state)
{
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    for (auto _ : state) {
        for (int i = 0; i < PIXELS; ++i) {
            image.setPixel(5, 5, 0x80123456);
            benchmark::DoNotOptimize(image.pixel(5, 5));
        }
    }
}

} // namespace

BENCHMARK(BM_NativeEmptyLoop)->Arg(DRAWS)->Arg(PIXELS)->Arg(STRINGS)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeFillRect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QPainterFillRect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeDrawBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QPainterDrawBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeSetGetPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QImageSetGetPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeBitmapText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QPainterBitmapText)->Unit(benchmark::kMicrosecond);
