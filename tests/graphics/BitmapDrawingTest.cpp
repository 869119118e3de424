// Every drawing operation of the Graphics group on a bitmap canvas, read back
// pixel by pixel: inclusive edges, alpha arguments and per-pixel alpha,
// regions, tiles with offsets, the transformed draw at angle 0 and at a
// quarter turn; and the calls that must draw nothing.
#include "GraphicsScript.h"

using namespace GraphicsTest;

namespace {

// Draws the scene on a 40 x 40 white canvas; answers the canvas box.
int drawScene(Script& p)
{
    const int canvas = p.bitmap(40, 40, WHITE);
    const int red = p.bitmap(2, 2, RED);
    const int blue = p.bitmap(2, 2, BLUE);
    // Quadrants: red top left, green top right, blue bottom left, black bottom right.
    const int quad = p.bitmap(4, 4, RED);
    p.call(18, 4, {at(quad), n(2), n(0), n(2), n(2), n(TWord(GREEN))}, 0);
    p.call(18, 4, {at(quad), n(0), n(2), n(2), n(2), n(TWord(BLUE))}, 0);
    p.call(18, 4, {at(quad), n(2), n(2), n(2), n(2), n(TWord(BLACK))}, 0);
    const int pair = p.bitmap(2, 1, RED); // red, blue
    p.call(19, 9, {at(pair), n(1), n(0), n(TWord(BLUE))}, 0);
    const int halfRed = p.bitmap(1, 1, RED);
    p.call(19, 9, {at(halfRed), n(0), n(0), n(TWord(0x80FF0000))}, 0);

    p.call(18, 4, {at(canvas), n(1), n(1), n(3), n(2), n(TWord(RED))}, 0);
    p.call(18, 5, {at(canvas), n(0), n(6), n(5), n(6), n(TWord(GREEN))}, 0);
    p.call(18, 5, {at(canvas), n(7), n(0), n(7), n(3), n(TWord(BLUE))}, 0);
    p.call(18, 1, {at(canvas), at(red), n(10), n(0), n(255)}, 0);
    p.call(18, 1, {at(canvas), at(blue), n(14), n(0), n(128)}, 0);
    p.call(18, 1, {at(canvas), at(red), n(18), n(0), n(0)}, 0);
    p.call(18, 1, {at(canvas), at(halfRed), n(22), n(0), n(255)}, 0);
    p.call(18, 7, {at(canvas), at(quad), n(10), n(10), n(2), n(2), n(2), n(2), n(255)}, 0);
    p.call(18, 7, {at(canvas), at(quad), n(13), n(10), n(2), n(0), n(2), n(2), n(128)}, 0);
    p.call(18, 6, {at(canvas), at(pair), n(0), n(20), n(5), n(1), n(1), n(0), n(255)}, 0);
    p.call(18, 6, {at(canvas), at(pair), n(0), n(22), n(2), n(1), n(-2), n(0), n(128)}, 0);

    // Transformed: angle 0 at twice the size, then a quarter turn (the angle unit makes 3.141 a half turn).
    for (const auto& [x, y, angle, scale] : {std::tuple{30, 30, 0.0, 2.0}, std::tuple{30, 10, 3.141 / 2, 1.0}}) {
        p.copy(canvas);
        p.copy(quad);
        p.integer(x);
        p.integer(y);
        p.fixed(angle);
        p.fixed(scale);
        p.fixed(scale);
        p.integer(255);
        p.vec(18, 10, 11, 0);
    }
    return canvas;
}

const Probe SCENE[] = {
    // fill-rect: (1, 1) to (3, 2) inclusive
    {1, 1, RED}, {3, 2, RED}, {4, 2, WHITE}, {3, 3, WHITE}, {0, 1, WHITE},
    // lines include both end points
    {0, 6, GREEN}, {5, 6, GREEN}, {6, 6, WHITE}, {7, 0, BLUE}, {7, 3, BLUE}, {7, 4, WHITE},
    // bitmaps: opaque, alpha 128, alpha 0, and a source pixel of alpha 0x80
    {10, 0, RED}, {11, 1, RED}, {12, 1, WHITE},
    {14, 0, 0xFF7F7FFF, 2}, {15, 1, 0xFF7F7FFF, 2},
    {18, 0, WHITE},
    {22, 0, 0xFFFF7F7F, 2},
    // regions: the black quadrant opaque, the green one at alpha 128
    {10, 10, BLACK}, {11, 11, BLACK}, {12, 12, WHITE}, {9, 10, WHITE},
    {13, 10, 0xFF7FFF7F, 2}, {14, 11, 0xFF7FFF7F, 2}, {15, 10, WHITE},
    // tiles start at the offset into the pattern; the tiled alpha applies as elsewhere
    {0, 20, BLUE}, {1, 20, RED}, {2, 20, BLUE}, {3, 20, RED}, {4, 20, BLUE}, {5, 20, WHITE},
    {0, 22, 0xFFFF7F7F, 2}, {1, 22, 0xFF7F7FFF, 2}, {2, 22, WHITE},
    // angle 0, scale 2: the 4 x 4 quadrants become 8 x 8 around (30, 30)
    {26, 26, RED}, {29, 29, RED}, {30, 26, GREEN}, {33, 29, GREEN}, {26, 30, BLUE}, {33, 33, BLACK},
    {25, 26, WHITE}, {34, 33, WHITE},
    // a quarter turn counter-clockwise around (30, 10): green top left, black top right
    {29, 9, GREEN}, {30, 9, BLACK}, {29, 10, RED}, {30, 10, BLUE},
};

} // namespace

TEST(BitmapDrawing, EveryOperationOnTheCanvasPixels)
{
    Script p;
    const int canvas = drawScene(p);
    p.logProbes(canvas, SCENE);
    const MachineTest::Logs logs = run(p).logs;
    EXPECT_EQ(logs.size(), std::size(SCENE));
    expectProbes(logs, SCENE);
}

TEST(BitmapDrawing, CallsWithoutSomethingToDrawDrawNothing)
{
    Script p;
    const int canvas = p.bitmap(4, 4, WHITE);
    const int empty = p.bitmap(0, 3, RED);
    const int null = p.resultBox();
    p.call(18, 1, {at(canvas), at(canvas), n(1), n(1), n(255)}, 0);          // itself
    p.call(18, 1, {at(canvas), at(empty), n(0), n(0), n(255)}, 0);           // empty source
    p.call(18, 1, {at(null), at(canvas), n(0), n(0), n(255)}, 0);            // null canvas
    p.call(18, 4, {at(empty), n(0), n(0), n(4), n(4), n(TWord(RED))}, 0);    // empty canvas
    p.call(18, 8, {at(empty), n(TWord(RED))}, 0);                            // clearing it
    p.call(18, 6, {at(canvas), at(empty), n(0), n(0), n(4), n(4), n(0), n(0), n(255)}, 0);
    p.call(18, 7, {at(null), at(canvas), n(0), n(0), n(0), n(0), n(2), n(2), n(255)}, 0);
    p.call(18, 7, {at(canvas), at(empty), n(0), n(0), n(0), n(0), n(2), n(2), n(255)}, 0);
    p.call(18, 9, {at(canvas), at(null), at(empty), at(canvas), n(0)}, 0);
    // A region of the canvas onto itself draws what it held before.
    p.call(18, 4, {at(canvas), n(0), n(0), n(1), n(1), n(TWord(BLUE))}, 0);
    p.call(18, 7, {at(canvas), at(canvas), n(3), n(3), n(0), n(0), n(1), n(1), n(255)}, 0);
    p.logPixel(canvas, 1, 1);
    p.logPixel(canvas, 3, 3);
    p.logSize(empty);
    const ScriptResult result = run(p);
    EXPECT_EQ(result.logs, (MachineTest::Logs{std::to_string(TInt32(WHITE)), std::to_string(TInt32(BLUE)), "0", "0"}));
}

TEST(BitmapDrawing, ExtremeArgumentsStayOnTheCanvas)
{
    constexpr TWord MIN = INT32_MIN, MAX = INT32_MAX;
    Script p;
    const int canvas = p.bitmap(8, 8, WHITE);
    const int sprite = p.bitmap(3, 2, RED);
    p.call(18, 4, {at(canvas), n(MIN), n(MIN), n(MAX), n(MAX), n(TWord(BLUE))}, 0);
    p.call(18, 5, {at(canvas), n(MIN), n(MIN), n(MAX), n(MAX), n(TWord(GREEN))}, 0);
    p.call(18, 6, {at(canvas), at(sprite), n(MIN), n(MIN), n(MAX), n(MAX), n(MIN), n(MIN), n(255)}, 0);
    p.call(18, 7, {at(canvas), at(sprite), n(MAX), n(MAX), n(MIN), n(MIN), n(MAX), n(MAX), n(255)}, 0);
    p.call(18, 1, {at(canvas), at(sprite), n(MIN), n(MAX), n(-5)}, 0);
    p.call(18, 1, {at(canvas), at(sprite), n(0), n(0), n(300)}, 0);
    for (const TWord fixedHigh : {MAX, MIN, 0}) {
        p.call(18, 10, {at(canvas), at(sprite), n(4), n(4), n(-1), n(fixedHigh), n(-1), n(fixedHigh), n(0), n(fixedHigh),
                        n(255)}, 0);
    }
    p.logPixel(canvas, 0, 0);
    p.logSize(canvas);
    const MachineTest::Logs logs = run(p).logs;
    ASSERT_EQ(logs.size(), 3u) << testing::PrintToString(logs);
    EXPECT_EQ(logs[0], std::to_string(TInt32(RED))); // the last opaque draw at the origin
    EXPECT_EQ(logs[1], "8");
}
