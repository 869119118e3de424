// Screen canvases: the holder, the Qt container and Graphics functions 4 and 8,
// checked on the pixels of a back buffer.
// The machine headers come first: Qt's headers define `slots` as a macro.
#include "ScreenTestSupport.h"

#include "GraphicsContainer.h"
#include "GuiApplication.h"
#include "ScreenCanvases.h"

#include <QImage>

namespace ScreenTest {
namespace {

using TestSupport::ensureGuiApplication;

constexpr TUint32 BLUE = 0xFF0000FF, RED = 0xFFFF0000, WHITE = 0xFFFFFFFF;

// The draw entry runs `drawBody` with the canvas box at `pick -2` (stack:
// application, canvas, return address); the body must leave the stack as it
// found it. The application object is a one-word block whose word is traced.
std::string drawProgram(const std::string& drawBody)
{
    return R"(
.method "<*application>.draw to<*canvas>" code=draw frame=Main
main:
    new 14, 1
    native 32, 5
    ret 0, 1
draw:
)" + drawBody + "    ret 0, 3\n";
}

class ScreenCanvas : public testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        buffer.fill(WHITE);
    }

    // Loads `drawBody` as the draw handler and delivers one paint on the buffer.
    Outcome paint(const std::string& drawBody)
    {
        Outcome outcome = m.run(drawProgram(drawBody));
        if (outcome.stopped)
            return outcome;
        outcome.stopped = stopsRun([&] {
            const TAddr holder = newScreenHolder(*m.vm, new GraphicsContainer(&buffer, &canvases));
            m.vm->deliverDraw(TWord(holder));
        });
        outcome.logs = m.services.logs;
        m.vm->heap().validate();
        return outcome;
    }

    TUint32 pixel(int x, int y) const { return TUint32(buffer.pixel(x, y)); }

    // The buffer outlives the machine, whose heap may still paint on it.
    QImage buffer{64, 64, QImage::Format_RGB32};
    ScreenCanvases canvases;
    ScreenMachine m;
};

TEST_F(ScreenCanvas, FillAllThenFillRectangle)
{
    const Outcome outcome = paint(R"(
    pick -2
    push 0xFF0000FF
    native 18, 8
    pick -2
    push 10
    push 20
    push 30
    push 40
    push 0xFFFF0000
    native 18, 4
)");
    ASSERT_FALSE(outcome.stopped) << testing::PrintToString(outcome.logs);
    EXPECT_EQ(pixel(0, 0), BLUE);
    EXPECT_EQ(pixel(63, 63), BLUE);
    EXPECT_EQ(pixel(10, 20), RED);
    EXPECT_EQ(pixel(39, 59), RED);
    EXPECT_EQ(pixel(40, 59), BLUE);
    EXPECT_EQ(pixel(39, 60), BLUE);
    EXPECT_EQ(pixel(9, 20), BLUE);
    EXPECT_EQ(pixel(10, 19), BLUE);
    // The holder was garbage after the call: its container is gone and painting has ended.
    EXPECT_EQ(m.vm->heap().nativeObjectCount(), 0);
    EXPECT_FALSE(buffer.paintingActive());
}

TEST_F(ScreenCanvas, RectangleEdgeCases)
{
    const Outcome outcome = paint(R"(
    pick -2
    push -5
    push -5
    push 10
    push 10
    push 0xFFFF0000
    native 18, 4
    pick -2
    push 30
    push 30
    push 0
    push 20
    push 0xFFFF0000
    native 18, 4
    pick -2
    push 40
    push 40
    push 10
    push 10
    push 0x00FF0000
    native 18, 4
    pick -2
    push 0x7FFFFFF0
    push -0x80000000
    push 0x7FFFFFFF
    push 0x7FFFFFFF
    push 0xFFFF0000
    native 18, 4
)");
    ASSERT_FALSE(outcome.stopped) << testing::PrintToString(outcome.logs);
    EXPECT_EQ(pixel(0, 0), RED); // clipped at the origin
    EXPECT_EQ(pixel(4, 4), RED);
    EXPECT_EQ(pixel(5, 5), WHITE);
    EXPECT_EQ(pixel(30, 30), WHITE); // width 0 fills nothing
    EXPECT_EQ(pixel(45, 45), WHITE); // alpha 0 leaves an opaque surface as it was
    EXPECT_EQ(pixel(63, 0), WHITE);  // far off the buffer, without wrapping around
}

TEST_F(ScreenCanvas, NullCanvasDrawsNothingNullBoxIsAnError)
{
    Outcome outcome = paint(R"(
    push 0
    box
    push 0xFFFF0000
    native 18, 8
    push 0
    box
    push 0
    push 0
    push 5
    push 5
    push 0xFFFF0000
    native 18, 4
)");
    ASSERT_FALSE(outcome.stopped) << testing::PrintToString(outcome.logs);
    EXPECT_EQ(pixel(0, 0), WHITE);

    ScreenMachine nullBox;
    EXPECT_EQ(nullBox.run("main:\n    push 0\n    push 0\n    native 18, 8\n    ret 0, 1\n").logs,
              (Logs{"NullPointerException: NULL pointer", "1"}));
}

TEST_F(ScreenCanvas, HolderValidation)
{
    struct Case {
        const char* holderWords; // pushes the three words of a plain block
        Logs logs;
    };
    const Case cases[] = {
        {"push 3\n    push 0\n    push 0\n", {"VMException: Invalid object type ID", "10"}},
        {"push 0\n    push 0\n    push 0\n", {"VMException: Invalid object type ID", "10"}},
        {"push 1\n    push 70000\n    push 0\n", {"VMException: not a native object", "10"}},
        {"push 1\n    push 0\n    push 0\n", {"NullPointerException: NULL pointer", "1"}},
    };
    for (const Case& c : cases) {
        ScreenMachine machine;
        // A forged holder: a plain three-word block, boxed, filled from the stack.
        const std::string program = std::string("main:\n    ") + c.holderWords + R"(
    array 3
    box
    push 0xFFFF0000
    native 18, 8
    ret 0, 1
)";
        EXPECT_EQ(machine.run(program).logs, c.logs) << c.holderWords;
    }

    // A holder whose container word names a native object of another kind.
    ScreenMachine wrongKind;
    EXPECT_EQ(wrongKind.run(R"(
.string s "not a container"
main:
    push 1
    pushstr s
    load
    push 0
    array 3
    box
    push 0xFFFF0000
    native 18, 8
    ret 0, 1
)").logs,
              (Logs{"VMException: object of the wrong kind", "10"}));
}

TEST_F(ScreenCanvas, BitmapKindHolderEndsPaintingOfItsContainer)
{
    // Reusing the screen container in a bitmap-kind holder: function 8 ends
    // its painting and clears the container word, so the fill afterwards
    // through the screen holder draws nothing.
    const Outcome outcome = paint(R"(
    push 2
    pick -3
    load
    fieldaddr 1
    load
    push 0
    array 3
    dup
    box
    push 0xFFFF0000
    native 18, 8
    fieldaddr 1
    load
    logi
    pick -2
    push 0xFF0000FF
    native 18, 8
    pick -2
    push 0
    push 0
    push 8
    push 8
    push 0xFF0000FF
    native 18, 4
)");
    ASSERT_FALSE(outcome.stopped) << testing::PrintToString(outcome.logs);
    EXPECT_EQ(outcome.logs, Logs{"0"});
    EXPECT_EQ(pixel(0, 0), WHITE);
    EXPECT_EQ(pixel(30, 30), WHITE);
}

TEST_F(ScreenCanvas, KeptHolderKeepsPaintingUntilReleased)
{
    // The draw handler stores the canvas in the application object (passed unboxed).
    const Outcome outcome = paint(R"(
    pick -3
    pick -3
    load
    store
)");
    ASSERT_FALSE(outcome.stopped) << testing::PrintToString(outcome.logs);
    VirtualMachine& vm = *m.vm;
    const TWord application = m.access().application();
    EXPECT_EQ(vm.heap().nativeObjectCount(), 1);
    EXPECT_TRUE(buffer.paintingActive());

    const TAddr holder = TAddr(vm.wordAt(TAddr(application)));
    EXPECT_EQ(vm.heap().entry(VMHeap::entryOf(holder)).gcCode, GC_CODE_GRAPHICS_HOLDER);
    EXPECT_EQ(holderTypeId(vm, TWord(holder)), GRAPHICS_CONTEXT_TYPE_ID);
    EXPECT_EQ(vm.wordAt(holder, GraphicsHolder::BITMAP_WORD), 0);
    MGraphicsContainer* container = containerOfHolder(vm, TWord(holder));
    container->fillRect(1, 1, 2, 2, RED);
    EXPECT_EQ(pixel(1, 1), RED);

    vm.arena().storeWord(TAddr(application), 0);
    vm.heap().collect();
    EXPECT_EQ(vm.heap().nativeObjectCount(), 0);
    EXPECT_FALSE(buffer.paintingActive());
    vm.heap().validate();
}

TEST_F(ScreenCanvas, KeptCanvasIsEndedBeforeTheNextPaintAndThenIgnored)
{
    const std::string keepCanvas = "    pick -3\n    pick -3\n    load\n    store\n";
    ASSERT_FALSE(paint(keepCanvas).stopped);
    VirtualMachine& vm = *m.vm;
    const TWord application = m.access().application();
    const TAddr kept = TAddr(vm.wordAt(TAddr(application)));
    EXPECT_EQ(canvases.openCount(), 1);

    // What the view does before it paints again or replaces the buffer.
    canvases.endAll();
    EXPECT_EQ(canvases.openCount(), 0);
    EXPECT_FALSE(buffer.paintingActive());
    containerOfHolder(vm, TWord(kept))->fillRect(0, 0, 4, 4, RED);
    EXPECT_EQ(pixel(0, 0), WHITE);

    // The next paint gets the device; the ended holder is collected without harm.
    ASSERT_FALSE(stopsRun([&] { vm.deliverDraw(TWord(newScreenHolder(vm, new GraphicsContainer(&buffer, &canvases)))); }));
    const TAddr next = TAddr(vm.wordAt(TAddr(application)));
    containerOfHolder(vm, TWord(next))->fillRect(0, 0, 4, 4, BLUE);
    EXPECT_EQ(pixel(0, 0), BLUE);
    EXPECT_EQ(vm.heap().nativeObjectCount(), 1);
    vm.arena().storeWord(TAddr(application), 0);
    vm.heap().collect();
    EXPECT_EQ(vm.heap().nativeObjectCount(), 0);
    EXPECT_EQ(canvases.openCount(), 0);
}

TEST_F(ScreenCanvas, UndefinedFunctionNamesTheGroupAndPosition)
{
    ScreenMachine undefined;
    EXPECT_EQ(undefined.run("main:\n    native 18, 11\n    ret 0, 1\n").logs,
              (Logs{"VMException: Graphics:2", "10"}));
}

TEST(GraphicsContainerDefaults, PainterSettingsAndColours)
{
    ensureGuiApplication();
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    GraphicsContainer container(&image);
    EXPECT_EQ(container.painter().font().pixelSize(), 40);
    EXPECT_FALSE(container.painter().testRenderHint(QPainter::Antialiasing));
    EXPECT_FALSE(container.painter().testRenderHint(QPainter::SmoothPixmapTransform));

    const QColor c = GraphicsContainer::colourOf(0x80112233);
    EXPECT_EQ(c.alpha(), 0x80);
    EXPECT_EQ(c.red(), 0x11);
    EXPECT_EQ(c.green(), 0x22);
    EXPECT_EQ(c.blue(), 0x33);

    container.fillAll(0xFF102030);
    EXPECT_EQ(image.pixel(7, 7), 0xFF102030u);
    container.endPainting();
    container.endPainting(); // harmless
    EXPECT_FALSE(image.paintingActive());
    container.fillRect(0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_EQ(image.pixel(0, 0), 0xFF102030u); // nothing drawn once painting has ended
}

} // namespace
} // namespace ScreenTest
