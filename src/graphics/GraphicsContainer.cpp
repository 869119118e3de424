#include "GraphicsContainer.h"

#include "BitmapContainer.h"
#include "DefaultFont.h"
#include "LumbraFont.h"
#include "OString.h"
#include "ScreenCanvases.h"
#include "TextPieces.h"
#include "VMError.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <algorithm>

namespace {

// Far corner of the area that fill-all covers.
constexpr int FILL_ALL_LIMIT = 32767;
// Corners are kept within this distance of the origin: far beyond any device,
// yet small enough that Qt's width and height computations cannot overflow.
constexpr TInt64 COORDINATE_LIMIT = 1 << 24;
constexpr int OPAQUE = 255;
// The angle unit: radians with this value standing for a half turn.
constexpr double HALF_TURN = 3.141;

int clamped(TInt64 value)
{
    return int(std::clamp(value, -COORDINATE_LIMIT, COORDINATE_LIMIT));
}

// The rectangle covering x .. x + width - 1 and y .. y + height - 1, built
// from its corners as Qt does, with the far corner computed in 64 bits.
QRect rectangle(TInt32 x, TInt32 y, TInt32 width, TInt32 height)
{
    return QRect(QPoint(clamped(x), clamped(y)), QPoint(clamped(TInt64(x) + width - 1), clamped(TInt64(y) + height - 1)));
}

} // namespace

// The painter's opacity for one bitmap draw, put back afterwards. With the
// transformation (put back by the transformed draw) it is all that a draw
// changes, so the whole painter state need not be saved.
class GraphicsContainer::AlphaScope {
public:
    AlphaScope(QPainter& painter, TInt32 alpha) : painter(painter), opacity(painter.opacity()), changed(alpha != OPAQUE)
    {
        if (changed)
            painter.setOpacity(alpha / 255.0);
    }
    ~AlphaScope()
    {
        if (changed)
            painter.setOpacity(opacity);
    }
    AlphaScope(const AlphaScope&) = delete;
    AlphaScope& operator=(const AlphaScope&) = delete;

private:
    QPainter& painter;
    const qreal opacity;
    const bool changed;
};

GraphicsContainer::GraphicsContainer(QPaintDevice* paintDevice, ScreenCanvases* screenCanvases)
    : device(paintDevice), canvases(screenCanvases)
{
    begin();
    if (!device)
        canvases = nullptr;
    else if (canvases)
        canvases->add(this);
}

GraphicsContainer::GraphicsContainer(BitmapContainer& bitmap) : device(nullptr)
{
    TInt32 width, height;
    bitmap.size(width, height);
    if (TInt64(width) * height == 0)
        Lumbra::throwError(Lumbra::EVM, std::string_view("GraphicsContainer: invalid bitmap"));
    pixmapRef = bitmap.drawablePixmap();
    device = pixmapRef.get();
    begin();
}

GraphicsContainer::~GraphicsContainer()
{
    endPainting();
}

void GraphicsContainer::begin()
{
    if (!painter_.begin(device)) {
        device = nullptr; // nothing to paint on: every operation is ignored
        pixmapRef.reset();
        return;
    }
    painter_.setFont(DefaultFont::font());
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

QColor GraphicsContainer::colourOf(TUint32 argb)
{
    return QColor(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24));
}

void GraphicsContainer::fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour)
{
    if (device)
        painter_.fillRect(rectangle(x, y, width, height), colourOf(colour));
}

void GraphicsContainer::fillAll(TUint32 colour)
{
    if (device)
        painter_.fillRect(QRect(QPoint(0, 0), QPoint(FILL_ALL_LIMIT, FILL_ALL_LIMIT)), colourOf(colour));
}

void GraphicsContainer::drawLine(TInt32 x1, TInt32 y1, TInt32 x2, TInt32 y2, TUint32 colour)
{
    if (!device)
        return;
    painter_.setPen(colourOf(colour));
    painter_.drawLine(QLine(clamped(x1), clamped(y1), clamped(x2), clamped(y2)));
}

bool GraphicsContainer::sourcePixmap(VMBitmap* bitmap, QPixmap& pixmap)
{
    auto* source = dynamic_cast<BitmapContainer*>(bitmap);
    if (!source) {
        qWarning("Null BitmapContainer");
        return false;
    }
    const std::shared_ptr<QPixmap> drawable = source->drawablePixmap();
    // A device cannot be drawn onto itself: draw what it held before.
    pixmap = drawable == pixmapRef ? drawable->copy() : *drawable;
    return !pixmap.isNull();
}

void GraphicsContainer::drawBitmap(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 alpha)
{
    QPixmap pixmap;
    if (!device || !sourcePixmap(bitmap, pixmap))
        return;
    AlphaScope scope(painter_, alpha);
    painter_.drawPixmap(clamped(x), clamped(y), pixmap);
}

void GraphicsContainer::drawBitmapRegion(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 sourceX, TInt32 sourceY,
                                         TInt32 sourceWidth, TInt32 sourceHeight, TInt32 alpha)
{
    QPixmap pixmap;
    if (!device || !sourcePixmap(bitmap, pixmap))
        return;
    AlphaScope scope(painter_, alpha);
    painter_.drawPixmap(rectangle(x, y, sourceWidth, sourceHeight), pixmap,
                        rectangle(sourceX, sourceY, sourceWidth, sourceHeight));
}

void GraphicsContainer::drawTiled(TInt32 x, TInt32 y, TInt32 width, TInt32 height, VMBitmap* bitmap, TInt32 offsetX,
                                  TInt32 offsetY, TInt32 alpha)
{
    QPixmap pixmap;
    if (!device || !sourcePixmap(bitmap, pixmap))
        return;
    AlphaScope scope(painter_, alpha);
    painter_.drawTiledPixmap(rectangle(x, y, width, height), pixmap, QPoint(offsetX % pixmap.width(), offsetY % pixmap.height()));
}

void GraphicsContainer::drawTransformed(VMBitmap* bitmap, TInt32 x, TInt32 y, double angle, double scaleX,
                                        double scaleY, TInt32 alpha)
{
    QPixmap pixmap;
    if (!device || !sourcePixmap(bitmap, pixmap))
        return;
    AlphaScope scope(painter_, alpha);
    const QTransform transform = painter_.worldTransform();
    painter_.translate(x, y);
    painter_.rotate(-(angle * 180.0 / HALF_TURN));
    painter_.scale(scaleX, scaleY);
    painter_.translate(-pixmap.width() * 0.5, -pixmap.height() * 0.5);
    painter_.drawPixmap(0, 0, pixmap);
    painter_.setWorldTransform(transform);
}

void GraphicsContainer::drawTextNative(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y,
                                       TUint32 colour)
{
    if (!device)
        return;
    const TInt32 drawn = TextPieces::pieceLength(text, start, count, TextPieces::TEXT_LIMIT);
    painter_.setPen(colourOf(colour));
    painter_.drawText(rectangle(x, y, FILL_ALL_LIMIT + 1, FILL_ALL_LIMIT + 1), Qt::AlignLeft | Qt::AlignTop,
                      TextPieces::characters(text, start, drawn));
}

void GraphicsContainer::drawTextBitmap(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y,
                                       TUint32 colour, VUvarFont& font)
{
    auto* bitmapFont = dynamic_cast<LumbraFont*>(&font);
    if (!device || !bitmapFont)
        return;
    const QPixmap& glyphs = bitmapFont->prepare(colour);
    AlphaScope scope(painter_, TInt32(colour >> 24));
    const int height = bitmapFont->height();
    const int top = clamped(y);
    TInt64 left = x;
    // Glyphs right of the canvas never show: the drawing ends at its edge.
    const TInt64 right = std::min<TInt64>(device->width(), COORDINATE_LIMIT);
    const TInt32 end = start + std::min(count, TextPieces::TEXT_LIMIT);
    for (TInt32 i = start; i < end && left < right; ++i) {
        const LumbraFont::CharData glyph = bitmapFont->glyph(text.charAt(i));
        if (glyph.width == 0)
            continue;
        painter_.drawPixmap(clamped(left), top, glyphs, glyph.x, 0, glyph.width, height);
        left += glyph.width;
    }
}

void GraphicsContainer::endPainting()
{
    if (!device)
        return;
    painter_.end();
    device = nullptr;
    pixmapRef.reset();
    if (canvases) {
        canvases->remove(this);
        canvases = nullptr;
    }
}
