// The desktop presentation: the logical screen in a buffer of its own size,
// shown scaled by a whole factor and centred in the window with black bars,
// and the screenshots of that logical screen.
#include "MainView.h"

#include "ScreenshotFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <cstdio>
#include <utility>

QSize MainView::logicalSize()
{
    int width = 0, height = 0;
    getScreenSize(width, height);
    return QSize(width, height);
}

Lumbra::Letterbox MainView::letterbox()
{
    return Lumbra::Letterbox(logicalSize(), size());
}

void MainView::setUpPresentation()
{
    const QString directory = QDir::cleanPath(applicationDirectoryPath().toQString());
    const QString name = QFileInfo(directory).fileName();
    setWindowTitle(name.isEmpty() ? directory : name);
    fitToLogicalScreen();
}

void MainView::fitToLogicalScreen()
{
    canvases.endAll();
    buffer = QPixmap(logicalSize());
    buffer.fill(Qt::black);
    fitWindow();
}

void MainView::fitWindow()
{
    const QScreen* shownOn = screen();
    if (!shownOn)
        return;
    if (presentation == Lumbra::Presentation::FullScreen) {
        setWindowState(windowState() | Qt::WindowFullScreen);
        // Where no window manager makes the window full screen, its size does.
        setGeometry(shownOn->geometry());
        return;
    }
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    resize(buffer.size() * Lumbra::wholeScaleFitting(buffer.size(), shownOn->availableGeometry().size()));
}

void MainView::switchPresentation()
{
    presentation = presentation == Lumbra::Presentation::Window ? Lumbra::Presentation::FullScreen
                                                                : Lumbra::Presentation::Window;
    fitWindow();
    update();
}

void MainView::checkWindowCoversScreen()
{
    if (coverageChecked || presented())
        return;
    coverageChecked = true;
    const QSize logical = logicalSize();
    // Turned in portrait, the window's width shows the logical height.
    const QSize needed = isRotated() ? logical.transposed() : logical;
    if (width() >= needed.width() && height() >= needed.height())
        return;
    std::fprintf(stderr,
                 "mcbplayer: the window is %d x %d, smaller than the application's %d x %d screen; "
                 "--window shows all of it, scaled\n",
                 width(), height(), logical.width(), logical.height());
    std::fflush(stderr);
}

void MainView::updateArea(int x, int y, int width, int height)
{
    if (!presented()) {
        MainViewBase::updateArea(x, y, width, height);
        return;
    }
    const QRect area = areaOnWindow(x, y, width, height, false, logicalSize());
    if (!area.isEmpty())
        update(letterbox().toWindow(area));
}

void MainView::paintPresented(QPaintEvent* event)
{
    const Lumbra::Letterbox box = letterbox();
    const QRect logical = box.toLogical(event->rect());
    // Paused, the last frame shows again, unless a step asked for a new one;
    // the overlay's own renewal shows it too.
    const bool overlayOnly = overlayOnlyPaint && overlayBox.contains(event->rect());
    // A replay draws only where the record did.
    if (!logical.isEmpty() && (!paused || drawWhilePaused) && !overlayOnly && !replayer)
        drawApplication(QRegion(logical));
    drawWhilePaused = false;
    overlayOnlyPaint = false;

    QPainter painter(this);
    painter.setClipRegion(event->region());
    for (const QRect& bar : QRegion(rect()).subtracted(QRegion(box.target())))
        painter.fillRect(bar, Qt::black);
    // Whole factors copy each pixel into a square; only a shrunk screen is smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, box.scale() < 1.0);
    painter.drawPixmap(box.target(), buffer);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    paintControls(painter);
    painter.end();
}

QImage MainView::logicalScreen()
{
    const QSize logical = logicalSize();
    canvases.endAll();
    // The application draws on a buffer of exactly the logical screen's
    // size, which starts as a copy of the window's: a full-screen window
    // smaller than the logical screen would otherwise cut the picture.
    QPixmap screen(logical);
    screen.fill(Qt::black);
    if (!buffer.isNull()) {
        QPainter copy(&screen);
        copy.drawPixmap(0, 0, buffer);
    }
    std::swap(screen, buffer);
    // Paused, the picture is the last frame: the application is not called.
    if (!paused)
        drawApplication(QRegion(QRect(QPoint(0, 0), logical)));
    // The application's canvas keeps painting until it is ended.
    canvases.endAll();
    std::swap(screen, buffer);
    return screen.toImage().convertToFormat(QImage::Format_RGB32);
}

void MainView::saveScreenshot()
{
    const QString folder = Lumbra::screenshotFolder(screenshotFolder);
    const QString name = Lumbra::screenshotBaseName(applicationDirectoryPath().toQString());
    const QString saved = Lumbra::saveNewScreenshot(logicalScreen(), folder, name, QDateTime::currentDateTime());
    if (saved.isEmpty())
        std::fprintf(stderr, "mcbplayer: could not save a screenshot in '%s'\n", folder.toLocal8Bit().constData());
    else
        std::fprintf(stderr, "mcbplayer: screenshot saved to '%s'\n", saved.toLocal8Bit().constData());
    std::fflush(stderr);
}
