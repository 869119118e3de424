// The Bitmap natives: pixel round trips, fills, sizes, sub-bitmaps, copies,
// both resize qualities, encode/decode round trips per format, and every
// error message; the Size group's checks.
#include "GraphicsScript.h"

using namespace GraphicsTest;
using MachineTest::Logs;
using NativeTest::error;

namespace {

std::string text(TUint32 colour)
{
    return std::to_string(TInt32(colour));
}

// Encodes `source` with format `code`, decodes the bytes again and logs the
// byte count (0 for none), then the listed pixels of the decoded bitmap.
void roundTrip(Script& p, int source, int code, std::initializer_list<std::pair<int, int>> pixels)
{
    p.call(19, 13, {at(source), n(code)}, 1);
    const int bytes = p.depth() - 1;
    p.copy(bytes);
    p.vec(1, 11, 1, 1);
    p.logInt();
    if (pixels.size() == 0)
        return;
    const int decoded = p.resultBox();
    p.call(19, 4, {at(decoded), at(bytes)}, 0);
    for (const auto& [x, y] : pixels)
        p.logPixel(decoded, x, y);
}

} // namespace

TEST(BitmapNatives, PixelsFillsSizesCopiesAndSubBitmaps)
{
    Script p;
    const int b = p.bitmap(3, 2, WHITE);
    p.call(19, 9, {at(b), n(0), n(1), n(TWord(0x80123456))}, 0);
    p.logPixel(b, 0, 1); // alpha kept
    p.logPixel(b, 0, 0);
    // Copies and drawing go through premultiplied pixmaps: these channels survive exactly.
    p.call(19, 9, {at(b), n(1), n(1), n(TWord(0x80FF00FF))}, 0);
    const int copy = p.resultBox();
    p.call(19, 6, {at(copy), at(b)}, 0); // takes the pending edit
    p.call(19, 9, {at(copy), n(0), n(0), n(TWord(RED))}, 0);
    p.logPixel(copy, 1, 1);
    p.logPixel(b, 0, 0); // the original is unchanged
    p.call(18, 8, {at(b), n(0x00FF0000)}, 0); // translucent fill replaces alpha too
    p.logPixel(b, 2, 1);
    p.call(18, 8, {at(b), n(TWord(GREEN))}, 0);
    p.logPixel(b, 2, 1);
    p.logSize(b);
    const int sub = p.resultBox();
    p.call(19, 9, {at(b), n(2), n(1), n(TWord(BLUE))}, 0);
    p.call(19, 2, {at(sub), at(b), n(1), n(0), n(2), n(2)}, 0);
    p.logSize(sub);
    p.logPixel(sub, 1, 1);
    p.call(19, 2, {at(sub), at(b), n(3), n(2), n(0), n(0)}, 0); // zero area at the far corner
    p.logSize(sub);
    const Logs logs = run(p).logs;
    EXPECT_EQ(logs, (Logs{text(0x80123456), text(WHITE), text(0x80FF00FF), text(WHITE), text(0x00FF0000), text(GREEN),
                          "3", "2", "2", "2", text(BLUE), "0", "0"}));
}

TEST(BitmapNatives, ResizeFastSmoothSameSizeEmptyAndToNothing)
{
    Script p;
    const int fast = p.bitmap(2, 1, RED);
    p.call(19, 9, {at(fast), n(1), n(0), n(TWord(BLUE))}, 0);
    const int smooth = p.resultBox();
    p.call(19, 6, {at(smooth), at(fast)}, 0);
    p.call(19, 10, {at(fast), n(4), n(1)}, 0);
    for (int x = 0; x < 4; ++x)
        p.logPixel(fast, x, 0);
    p.call(19, 12, {at(smooth), n(4), n(1)}, 0);
    p.logPixel(smooth, 1, 0);
    p.call(19, 9, {at(smooth), n(0), n(0), n(TWord(GREEN))}, 0);
    p.call(19, 11, {at(smooth), n(4), n(1)}, 0); // the same size changes nothing
    p.logPixel(smooth, 0, 0);
    const int empty = p.bitmap(0, 0, RED);
    p.call(19, 10, {at(empty), n(3), n(2)}, 0);
    p.logSize(empty);
    p.logPixel(empty, 2, 1);
    p.call(19, 12, {at(empty), n(5), n(0)}, 0);
    p.logSize(empty);
    const Logs logs = run(p).logs;
    ASSERT_EQ(logs.size(), 11u) << testing::PrintToString(logs);
    EXPECT_EQ(Logs(logs.begin(), logs.begin() + 4), (Logs{text(RED), text(RED), text(BLUE), text(BLUE)}));
    const TUint32 blended = TUint32(std::stoll(logs[4]));
    EXPECT_TRUE(blended != RED && blended != BLUE && ((blended >> 16) & 0xFF) > 0 && (blended & 0xFF) > 0)
        << std::hex << blended;
    EXPECT_EQ(Logs(logs.begin() + 5, logs.end()), (Logs{text(GREEN), "3", "2", text(BLACK), "0", "0"}));
}

TEST(BitmapNatives, EncodeDecodeRoundTripsPerFormat)
{
    Script p;
    const int b = p.bitmap(8, 8, 0xFF3366CC);
    roundTrip(p, b, 4, {{0, 0}, {7, 7}}); // bmp keeps opaque pixels exactly
    roundTrip(p, b, 1, {{4, 4}});         // jpg is lossy
    roundTrip(p, b, 3, {});               // gif cannot be written: no bytes
    roundTrip(p, b, 9, {});               // no such format
    p.call(19, 9, {at(b), n(1), n(2), n(TWord(0x40FF00FF))}, 0);
    roundTrip(p, b, 2, {{1, 2}, {0, 0}}); // png keeps the pixels, pending edits and alpha included
    const int empty = p.bitmap(0, 0, 0);
    roundTrip(p, empty, 2, {});
    const ScriptResult result = run(p);
    const Logs& logs = result.logs;
    ASSERT_EQ(logs.size(), 11u) << testing::PrintToString(logs);
    EXPECT_NE(logs[0], "0");
    EXPECT_EQ(logs[1], text(0xFF3366CC));
    EXPECT_EQ(logs[2], text(0xFF3366CC));
    EXPECT_NE(logs[3], "0");
    EXPECT_TRUE(near(TUint32(std::stoll(logs[4])), 0xFF3366CC, 8)) << logs[4];
    EXPECT_EQ(logs[5], "0");
    EXPECT_EQ(logs[6], "0");
    EXPECT_NE(logs[7], "0");
    EXPECT_EQ(logs[8], text(0x40FF00FF));
    EXPECT_EQ(logs[9], text(0xFF3366CC));
    EXPECT_EQ(logs[10], "0");
    EXPECT_EQ(result.encodePhases, (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1})); // around each encoding
}

TEST(BitmapNatives, ErrorMessages)
{
    // Each case gets a 3 x 2 bitmap b, an empty bitmap e, a null holder z and
    // a byte vector v holding one byte.
    using Build = void (*)(Script&, int b, int e, int z, int v);
    const auto invalid = [](const std::string& message) { return error(6, "InvalidArgumentException: " + message); };
    const std::pair<Build, Logs> cases[] = {
        {[](Script& p, int, int, int, int) { p.bitmap(-1, 5, 0); }, invalid("Width should be non-negative")},
        {[](Script& p, int, int, int, int) { p.bitmap(5, -1, 0); }, invalid("Height should be non-negative")},
        {[](Script& p, int, int, int, int) { p.bitmap(40000, 1, 0); }, invalid("Bitmap is too large")},
        {[](Script& p, int b, int, int, int) { p.logPixel(b, 3, 0); },
         invalid("Position (3, 0) is outside the bounds of the bitmap: (3, 2)")},
        {[](Script& p, int b, int, int, int) { p.call(19, 9, {at(b), n(0), n(-1), n(0)}, 0); },
         invalid("Position (0, -1) is outside the bounds of the bitmap: (3, 2)")},
        {[](Script& p, int, int e, int, int) { p.logPixel(e, 0, 0); },
         invalid("Position (0, 0) is outside the bounds of the bitmap, the bitmap is empty")},
        {[](Script& p, int, int e, int, int) { p.call(19, 9, {at(e), n(0), n(0), n(0)}, 0); },
         invalid("Position is outside the bounds of the bitmap: the bitmap is empty")},
        {[](Script& p, int b, int, int z, int) { p.call(19, 2, {at(z), at(b), n(1), n(1), n(3), n(1)}, 0); },
         invalid("Source rectangle (1, 1, 3, 1) should be inside the bounds of the source bitmap: (3, 2)")},
        {[](Script& p, int, int e, int z, int) { p.call(19, 2, {at(z), at(e), n(0), n(0), n(1), n(0)}, 0); },
         invalid("Source rectangle (0, 0, 1, 0) should be inside the bounds of the source bitmap, the bitmap is empty")},
        {[](Script& p, int, int, int z, int) { p.call(19, 4, {at(z), at(p.vector(1))}, 0); }, invalid("byte[] is empty")},
        {[](Script& p, int, int, int z, int v) { p.call(19, 4, {at(z), at(v)}, 0); }, invalid("Could not load image")},
        {[](Script& p, int, int, int z, int v) { p.call(19, 5, {at(z), at(v), n(1), n(0)}, 0); }, invalid("size is zero")},
        {[](Script& p, int, int, int z, int v) { p.call(19, 5, {at(z), at(v), n(0), n(2)}, 0); },
         error(5, "RangeException: Invalid Range, range out of bounds: 2 > 1")},
        {[](Script& p, int, int, int z, int) { p.call(19, 6, {at(z), at(z)}, 0); }, error(1, "NullPointerException")},
        {[](Script& p, int b, int, int, int) { p.call(19, 10, {at(b), n(-2), n(1)}, 0); },
         invalid("Width should be non-negative")},
        // A screen holder (a forged block of that shape) where a bitmap holder belongs.
        {[](Script& p, int, int, int, int) {
             p.line("push 1\n    push 0\n    push 0\n    array 3\n    box", 1);
             p.call(19, 7, {at(p.depth() - 1), n(0), n(0)}, 1);
         },
         error(10, "VMException: Invalid bitmap handle")},
        {[](Script& p, int b, int, int, int) {
             p.line("push 1\n    push 0\n    push 0\n    array 3\n    box", 1);
             p.call(18, 7, {at(b), at(p.depth() - 1), n(0), n(0), n(0), n(0), n(1), n(1), n(255)}, 0);
         },
         error(10, "VMException: Invalid typeid on bitmap")},
    };
    for (const auto& [build, expected] : cases) {
        Script p;
        const int b = p.bitmap(3, 2, WHITE), e = p.bitmap(0, 0, 0), z = p.resultBox(), v = p.vector(1);
        p.call(1, 19, {at(v), n(7)}, 0);
        build(p, b, e, z, v);
        EXPECT_EQ(run(p).logs, expected) << p.source();
    }
    Script undefined;
    undefined.vec(19, 14, 0, 0);
    EXPECT_EQ(run(undefined).logs, error(10, "VMException: Bitmap:2"));
}

TEST(SizeNatives, SetReadAndRefuseNegativeDimensions)
{
    // Runs `native` on a size variable (7, 9) and logs width and height.
    const auto sizeAfter = [](int native, std::vector<TWord> args) {
        Script p;
        p.integer(7);
        p.integer(9);
        const int ref = p.depth();
        p.line("slotaddr -2", 1);
        p.copy(ref);
        for (TWord a : args)
            p.integer(a);
        p.vec(15, native, int(args.size()) + 1, 0);
        for (int native : {4, 5}) {
            p.call(15, native, {at(ref)}, 1);
            p.logInt();
        }
        return run(p).logs;
    };
    EXPECT_EQ(sizeAfter(3, {4, 5}), (Logs{"4", "5"}));
    EXPECT_EQ(sizeAfter(6, {0}), (Logs{"0", "9"}));
    EXPECT_EQ(sizeAfter(7, {6}), (Logs{"7", "6"}));
    for (const auto& [native, args] : {std::pair{3, std::vector<TWord>{4, -5}}, {6, {-1}}, {7, {-1}}})
        EXPECT_EQ(sizeAfter(native, args), error(6, "InvalidArgumentException"));
}
