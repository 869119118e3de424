// Keys and pointer: Qt input turned into the application's key and pointer
// entry points.
#include "MainView.h"

#include "HostCallGuard.h"
#include "KeyTranslation.h"
#include "PlayerKeys.h"
#include "RunRecorder.h"
#include "SoundOutput.h"
#include "machine/VirtualMachine.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <string_view>

namespace {

enum PointerKind { POINTER_PRESSED = 0, POINTER_RELEASED = 1, POINTER_MOVED = 6 };

// What one press of the volume keys changes.
constexpr int VOLUME_STEP = 10;

using Lumbra::PlayerKey;

PlayerKey playerKeyOf(const QKeyEvent& event, bool presented)
{
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
    return Lumbra::playerKeyOf(event.key(), int(held), presented);
}

OString fromQString(const QString& text)
{
    return OString::fromU16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

} // namespace

void MainView::deliverKeyEvent(QKeyEvent* event, int pressed)
{
    if (paused)
        return;
    int code = Lumbra::translateKey(event->key());
    QString typed = event->text();
    if (const Lumbra::Keymap::Target* target = keymap.find(event->key())) {
        if (target->dropped)
            return;
        code = target->code;
        typed = target->text;
    }
    deliverKey(code, int(event->nativeScanCode()), typed, pressed);
}

void MainView::deliverKey(int code, int scanCode, const QString& typed, bool pressed)
{
    if (recorder)
        recorder->key(code, scanCode, typed, pressed);
    const OString text = fromQString(typed);
    Lumbra::runEntry(pressed ? VirtualMachine::EntryKeyPressed : VirtualMachine::EntryKeyReleased,
                     [&](VirtualMachine& vm) { vm.deliverKey(code, scanCode, 0, text, pressed); });
}

bool MainView::playerKey(QKeyEvent* event)
{
    // A release follows its press, whatever modifiers were let go before it.
    if (event->type() == QEvent::KeyRelease) {
        if (event->isAutoRepeat())
            return heldPlayerKeys.contains(event->key());
        if (event->key() == Qt::Key_F9 && fastForward)
            setFastForward(false);
        return heldPlayerKeys.remove(event->key());
    }
    const PlayerKey key = playerKeyOf(*event, presented());
    if (key == PlayerKey::None)
        return false;
    heldPlayerKeys.insert(event->key());
    if (event->isAutoRepeat())
        return true;
    switch (key) {
    case PlayerKey::Quit:
        close(); // as the window's close button does
        break;
    case PlayerKey::SwitchPresentation:
        switchPresentation();
        break;
    case PlayerKey::Screenshot:
        saveScreenshot();
        break;
    case PlayerKey::Pause:
        setPaused(!paused);
        break;
    case PlayerKey::Step:
        step();
        break;
    case PlayerKey::FastForward:
        setFastForward(true);
        break;
    case PlayerKey::Mute:
        setSoundLevel(SoundOutput::volume(), !SoundOutput::muted());
        break;
    case PlayerKey::VolumeUp:
    case PlayerKey::VolumeDown:
        setSoundLevel(SoundOutput::volume() + (key == PlayerKey::VolumeUp ? VOLUME_STEP : -VOLUME_STEP),
                      SoundOutput::muted());
        break;
    case PlayerKey::Overlay:
        setOverlayShown(!overlay);
        break;
    case PlayerKey::None:
        break;
    }
    return true;
}

void MainView::keyPressEvent(QKeyEvent* event)
{
    // A replay takes no real input: only the key that ends the player.
    if (replayer) {
        if (playerKeyOf(*event, false) == PlayerKey::Quit)
            close();
        return;
    }
    if (!playerKey(event))
        deliverKeyEvent(event, 1);
}

void MainView::keyReleaseEvent(QKeyEvent* event)
{
    if (replayer)
        return;
    if (!playerKey(event))
        deliverKeyEvent(event, 0);
}

void MainView::deliverPointerEvent(QMouseEvent* event, int kind)
{
    if (paused || replayer)
        return;
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
    deliverPointer(kind, at.x(), at.y());
}

void MainView::deliverPointer(int kind, int x, int y)
{
    if (recorder)
        recorder->pointer(kind, x, y);
    Lumbra::runEntry(VirtualMachine::EntryPointerEvent, [&](VirtualMachine& vm) { vm.deliverPointer(kind, x, y, 0); });
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
