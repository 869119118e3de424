// The desktop's player controls: pause and step, the clock's speed and
// fast-forward, the sound level, and what the window shows of them (a mark
// while paused, the overlay), drawn on the window and never on the logical
// screen, so screenshots never hold them.
#include "MainView.h"

#include "HostCallGuard.h"
#include "SoundOutput.h"
#include "machine/VirtualMachine.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// One line on standard error for each change of the controls.
void say(const QString& line)
{
    std::fprintf(stderr, "mcbplayer: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

constexpr double FAST_FORWARD = 4.0;
constexpr int OVERLAY_SAMPLE_MS = 1000;

} // namespace

void MainView::setSpeed(double speed)
{
    chosenSpeed = speed;
    timers().setSpeed(fastForward ? speed * FAST_FORWARD : speed);
    update();
}

void MainView::setFastForward(bool on)
{
    fastForward = on;
    timers().setSpeed(on ? chosenSpeed * FAST_FORWARD : chosenSpeed);
    update();
}

void MainView::setPaused(bool pause)
{
    if (pause == paused)
        return;
    paused = pause;
    timers().setPaused(pause);
    SoundOutput::setPaused(pause);
    holdDeviceEvents(pause);
    say(QLatin1String(pause ? "paused" : "resumed"));
    update();
}

void MainView::step()
{
    if (!paused)
        return;
    const int fired = timers().step();
    say(QStringLiteral("step, %1 timer event(s)").arg(fired));
    drawWhilePaused = true;
    update();
}

void MainView::setSoundLevel(int volume, bool muted)
{
    SoundOutput::setLevel(volume, muted);
    say(SoundOutput::muted() ? QStringLiteral("volume %1, muted").arg(SoundOutput::volume())
                             : QStringLiteral("volume %1").arg(SoundOutput::volume()));
    update();
}

void MainView::setOverlayShown(bool shown)
{
    overlay = shown;
    if (!overlayTimer) {
        overlayTimer = new QTimer(this);
        overlayTimer->setInterval(OVERLAY_SAMPLE_MS);
        connect(overlayTimer, &QTimer::timeout, this, &MainView::sampleOverlay);
    }
    if (shown) {
        drawsCounted = 0;
        ticksAtSample = timers().ticks();
        sinceSample.start();
        overlayTimer->start();
    } else {
        overlayTimer->stop();
    }
    update();
}

void MainView::sampleOverlay()
{
    const double seconds = double(sinceSample.restart()) / 1000;
    if (seconds <= 0)
        return;
    drawsPerSecond = drawsCounted / seconds;
    ticksPerSecond = double(timers().ticks() - ticksAtSample) / seconds;
    drawsCounted = 0;
    ticksAtSample = timers().ticks();
    // The heap's figures walk every block: once a second, and only for the
    // overlay. The machine collects after every call it runs, but says
    // nothing of how long that took: the overlay runs one collection of its
    // own between calls, as the machine's are, and times it.
    if (machine) {
        QElapsedTimer collecting;
        collecting.start();
        Lumbra::runGuarded([](VirtualMachine& vm) { vm.collectGarbage(); });
        collectionMicros = collecting.nsecsElapsed() / 1000;
        const HeapMemUsage heap = machine->heap().memUsage();
        heapLive = heap.headers + heap.actual;
        heapTotal = heap.szOfPools;
    }
    if (!overlayBox.isEmpty()) {
        overlayOnlyPaint = true;
        update(overlayBox);
    }
}

void MainView::paintControls(QPainter& painter)
{
    const QRect screen = letterbox().target();
    QStringList lines;
    if (paused)
        lines << QStringLiteral("PAUSED  Ctrl+P resumes, Ctrl+. steps");
    if (overlay) {
        lines << QStringLiteral("draws/s %1  ticks/s %2").arg(drawsPerSecond, 0, 'f', 1).arg(ticksPerSecond, 0, 'f', 1)
              << QStringLiteral("speed x%1%2").arg(timers().clock().speed()).arg(fastForward ? " (F9)" : "");
        lines << QStringLiteral("heap %1 live of %2 bytes").arg(heapLive).arg(heapTotal)
              << QStringLiteral("last collection %1 us").arg(collectionMicros);
        lines << (SoundOutput::muted() ? QStringLiteral("volume %1, muted").arg(SoundOutput::volume())
                                       : QStringLiteral("volume %1").arg(SoundOutput::volume()));
    }
    if (lines.isEmpty()) {
        overlayBox = QRect();
        return;
    }
    const QFontMetrics metrics(painter.font());
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int pad = 4;
    const QRect box(screen.topLeft(), QSize(width + 2 * pad, int(lines.size()) * metrics.height() + 2 * pad));
    overlayBox = box;
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(paused ? QColor(255, 220, 0) : Qt::white);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(box.left() + pad, box.top() + pad + i * metrics.height() + metrics.ascent(), lines[i]);
}
