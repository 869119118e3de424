// Painting: the application draws on the back buffer through a screen
// canvas, then the buffer is copied to the window, turned in portrait.
#include "MainView.h"

#include "GraphicsContainer.h"
#include "HostCallGuard.h"
#include "RunRecordFormat.h"
#include "RunRecorder.h"
#include "host/GraphicsInterfaces.h"
#include "machine/VirtualMachine.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

void MainView::drawApplication(const QRegion& region)
{
    ++drawsCounted;
    if (recorder)
        recorder->draw(region);
    Lumbra::runEntry(VirtualMachine::EntryDraw, [&](VirtualMachine& vm) {
        auto* container = new GraphicsContainer(&buffer, &canvases);
        if (container->isPainting())
            container->painter().setClipRegion(region);
        // The heap owns the container from here; it ends painting when collected.
        const TAddr holder = newScreenHolder(vm, container);
        vm.deliverDraw(TWord(holder));
    });
    if (recorder)
        recorder->drawn(Lumbra::RunRecordFormat::screenChecksum(currentFrame()));
}

void MainView::paintEvent(QPaintEvent* event)
{
    if (!machine)
        return;
    // A canvas the application kept from an earlier paint still holds the buffer's painter.
    canvases.endAll();
    if (presented()) {
        paintPresented(event);
        return;
    }
    if (buffer.isNull())
        buffer = QPixmap(size()); // a paint before the first resize
    checkWindowCoversScreen();
    if (!replayer)
        drawApplication(event->region());

    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (isRotated()) {
        painter.translate(0, height());
        painter.rotate(-90);
    }
    painter.drawPixmap(0, 0, buffer);
    painter.end();
}

void MainView::resizeEvent(QResizeEvent* event)
{
    if (presented())
        return; // the buffer keeps the logical screen's size; Qt repaints the window
    const QSize size = event->size();
    if (getOrientation() == ORIENTATION_PORTRAIT && size.width() >= size.height())
        return;
    canvases.endAll();
    buffer = QPixmap(size);
}
