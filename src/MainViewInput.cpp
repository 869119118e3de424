// Keys and pointer: Qt input turned into the application's key and pointer
// entry points.
#include "MainView.h"

#include "HostCallGuard.h"
#include "KeyTranslation.h"
#include "machine/VirtualMachine.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <string_view>

namespace {

enum PointerKind { POINTER_PRESSED = 0, POINTER_RELEASED = 1, POINTER_MOVED = 6 };

// Presented on a desktop, this key saves a screenshot and never reaches the application.
constexpr int SCREENSHOT_KEY = Qt::Key_F12;

OString fromQString(const QString& text)
{
    return OString::fromU16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

} // namespace

void MainView::deliverKeyEvent(QKeyEvent* event, int pressed)
{
    const int code = Lumbra::translateKey(event->key());
    const int scanCode = int(event->nativeScanCode());
    const OString text = fromQString(event->text());
    Lumbra::runEntry(pressed ? VirtualMachine::EntryKeyPressed : VirtualMachine::EntryKeyReleased,
                     [&](VirtualMachine& vm) { vm.deliverKey(code, scanCode, 0, text, pressed); });
}

void MainView::keyPressEvent(QKeyEvent* event)
{
    if (presented() && event->key() == SCREENSHOT_KEY) {
        if (!event->isAutoRepeat())
            saveScreenshot();
        return;
    }
    deliverKeyEvent(event, 1);
}

void MainView::keyReleaseEvent(QKeyEvent* event)
{
    if (presented() && event->key() == SCREENSHOT_KEY)
        return;
    deliverKeyEvent(event, 0);
}

void MainView::deliverPointerEvent(QMouseEvent* event, int kind)
{
    // As on the handset: widget coordinates, the same in every orientation.
    QPoint at = event->position().toPoint();
    if (presented()) {
        // Logical coordinates. A press on the bars around the screen is
        // dropped with what follows it; once a press is taken, its moves and
        // its release reach the application, held to the screen's edges.
        const Lumbra::Letterbox box = letterbox();
        if (kind == POINTER_PRESSED) {
            if (!box.toLogical(at, at))
                return;
            pointerHeld = true;
        } else {
            if (!pointerHeld)
                return;
            at = box.toLogicalClamped(at);
            if (kind == POINTER_RELEASED && event->buttons() == Qt::NoButton)
                pointerHeld = false;
        }
    }
    Lumbra::runEntry(VirtualMachine::EntryPointerEvent,
                     [&](VirtualMachine& vm) { vm.deliverPointer(kind, at.x(), at.y(), 0); });
}

void MainView::mousePressEvent(QMouseEvent* event)
{
    deliverPointerEvent(event, POINTER_PRESSED);
}

void MainView::mouseReleaseEvent(QMouseEvent* event)
{
    deliverPointerEvent(event, POINTER_RELEASED);
}

void MainView::mouseMoveEvent(QMouseEvent* event)
{
    // Mouse tracking stays off, but a platform may still report hovering.
    if (event->buttons() != Qt::NoButton)
        deliverPointerEvent(event, POINTER_MOVED);
}
