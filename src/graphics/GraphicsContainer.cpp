#include "GraphicsContainer.h"

#include <QColor>
#include <QFont>
#include <QRect>

#include <algorithm>

namespace {

// Far corner of the area that fill-all covers.
constexpr int FILL_ALL_LIMIT = 32767;
// Corners are kept within this distance of the origin: far beyond any device,
// yet small enough that Qt's width and height computations cannot overflow.
constexpr TInt64 COORDINATE_LIMIT = 1 << 24;

int clampedCoordinate(TInt64 value)
{
    return int(std::clamp(value, -COORDINATE_LIMIT, COORDINATE_LIMIT));
}

} // namespace

GraphicsContainer::GraphicsContainer(QPaintDevice* paintDevice) : device(paintDevice)
{
    painter_.begin(device);
    QFont font = painter_.font();
    font.setPixelSize(DEFAULT_FONT_PIXEL_SIZE);
    painter_.setFont(font);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

GraphicsContainer::~GraphicsContainer()
{
    endPainting();
}

QColor GraphicsContainer::colourOf(TUint32 argb)
{
    return QColor(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24));
}

void GraphicsContainer::fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour)
{
    if (!device)
        return;
    // The far corner in 64 bits: for extreme rectangles it must not wrap.
    const QPoint topLeft(clampedCoordinate(x), clampedCoordinate(y));
    const QPoint bottomRight(clampedCoordinate(TInt64(x) + width - 1), clampedCoordinate(TInt64(y) + height - 1));
    painter_.fillRect(QRect(topLeft, bottomRight), colourOf(colour));
}

void GraphicsContainer::fillAll(TUint32 colour)
{
    if (!device)
        return;
    painter_.fillRect(QRect(QPoint(0, 0), QPoint(FILL_ALL_LIMIT, FILL_ALL_LIMIT)), colourOf(colour));
}

void GraphicsContainer::endPainting()
{
    if (!device)
        return;
    painter_.end();
    device = nullptr;
}
