// Native drawing and pixel calls against the same work done straight on Qt:
// 10,000 fill-rects and 10,000 draws of a 16 x 16 bitmap at alpha 128 on a
// 256 x 256 bitmap, and 100,000 set-pixel plus get-pixel calls. A program
// with the same loop and an empty body gives the machine's own share, to be
// taken off before the native times are compared with Qt's as a ratio.
#include "BenchMachine.h"
#include "GuiApplication.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int DRAWS = 10000;
constexpr int PIXELS = 100000;

// main: a white 256 x 256 canvas and a translucent 16 x 16 sprite, then
// `count` runs of `body` with the stack [ret, canvas, sprite, counter].
std::string loopProgram(int count, const std::string& body)
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
    push )" + std::to_string(count) + R"(
loop:
    pick -1
    jz done
)" + body + R"(
    push 1
    sub
    jmp loop
done:
    adjust -1
    ret 2, 3
)";
}

const std::string FILL_RECT = "    pick -3\n    push 10\n    push 10\n    push 20\n    push 20\n    push 0xFF00FF00\n"
                              "    native 18, 4\n";
const std::string DRAW_BITMAP = "    pick -3\n    pick -3\n    push 10\n    push 10\n    push 128\n    native 18, 1\n";
const std::string SET_GET_PIXEL = "    pick -3\n    push 5\n    push 5\n    push 0x80123456\n    native 19, 9\n"
                                  "    pick -3\n    push 5\n    push 5\n    native 19, 7\n    adjust -1\n";

void runProgram(benchmark::State& state, const std::string& source)
{
    TestSupport::ensureGuiApplication();
    QTemporaryDir dir;
    BenchMachine::runEachIteration(state, source, dir.path());
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

BENCHMARK(BM_NativeEmptyLoop)->Arg(DRAWS)->Arg(PIXELS)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeFillRect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QPainterFillRect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeDrawBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QPainterDrawBitmap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NativeSetGetPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QImageSetGetPixel)->Unit(benchmark::kMicrosecond);
