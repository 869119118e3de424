// Recording a run and replaying it: the window's deliveries reported to a
// recorder, or driven by a replayer instead of real input.
#include "MainView.h"

#include "RunRecorder.h"
#include "RunReplayer.h"
#include "Timer.h"

#include <QPainter>

void MainView::setRecorder(RunRecorder* runRecorder)
{
    recorder = runRecorder;
    setReadJournal(recorder);
    extensionRegistry().setReadJournal(recorder);
    timers().setTickObserver([this](int id) {
        if (recorder)
            recorder->timer(id);
    });
    setDeviceEventObserver([this](const QJsonObject& event) {
        if (recorder)
            recorder->deviceEvent(event);
    });
}

void MainView::setReplayer(RunReplayer* runReplayer)
{
    replayer = runReplayer;
    setReadJournal(replayer);
    extensionRegistry().setReadJournal(replayer);
    // The clock stands still: timers tick only when the record says, and
    // the devices say nothing.
    timers().setPaused(true);
    holdDeviceEvents(true);
}

void MainView::replayKey(int code, int scanCode, const QString& text, bool pressed)
{
    deliverKey(code, scanCode, text, pressed);
}

void MainView::replayPointer(int action, int x, int y)
{
    deliverPointer(action, x, y);
}

bool MainView::replayTimer(int id)
{
    Timer* timer = timers().find(id);
    if (!timer)
        return false;
    timer->fire();
    return true;
}

void MainView::replayActivity(bool foreground)
{
    deliverActivity(foreground);
}

bool MainView::replayDevice(const QJsonObject& event)
{
    return replayDeviceEvent(event);
}

QImage MainView::replayDraw(const QRegion& region)
{
    // A canvas kept from an earlier draw ends first, as before every paint.
    canvases.endAll();
    drawApplication(region);
    update();
    return currentFrame();
}

QImage MainView::currentFrame()
{
    QImage frame(logicalSize(), QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter copy(&frame);
    copy.drawImage(0, 0, buffer.toImage());
    copy.end();
    return frame;
}
