// Keys and pointer: Qt input turned into the application's key and pointer
// entry points.
#include "MainView.h"

#include "HostCallGuard.h"
#include "KeyTranslation.h"
#include "VirtualMachine.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <string_view>

namespace {

enum PointerKind { POINTER_PRESSED = 0, POINTER_RELEASED = 1, POINTER_MOVED = 6 };

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
    Lumbra::runGuarded([&](VirtualMachine& vm) { vm.deliverKey(code, scanCode, 0, text, pressed); });
}

void MainView::keyPressEvent(QKeyEvent* event)
{
    deliverKeyEvent(event, 1);
}

void MainView::keyReleaseEvent(QKeyEvent* event)
{
    deliverKeyEvent(event, 0);
}

void MainView::deliverPointerEvent(QMouseEvent* event, int kind)
{
    // Widget coordinates, the same in every orientation.
    const QPoint at = event->position().toPoint();
    Lumbra::runGuarded([&](VirtualMachine& vm) { vm.deliverPointer(kind, at.x(), at.y(), 0); });
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
