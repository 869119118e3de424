// A drawing surface for the graphics natives: a QPainter open on a paint
// device (the main view's back buffer, or a bitmap's pixmap) with the
// system's drawing defaults: the default font at 40 pixels, no
// antialiasing, no smooth pixmap transformation.
#pragma once

#include "host/GraphicsInterfaces.h"

#include <QPainter>

#include <memory>

class BitmapContainer;
class QColor;
class QPaintDevice;
class QPixmap;
class ScreenCanvases;

class GraphicsContainer : public MGraphicsContainer {
public:
    // Opens the painter on `device`, which must outlive the painting. With
    // `canvases`, the container is listed there while it paints, so the
    // owner of the device can end it first.
    explicit GraphicsContainer(QPaintDevice* device, ScreenCanvases* canvases = nullptr);
    // Paints on the bitmap's pixmap (pending pixel edits folded in first);
    // VMException "GraphicsContainer: invalid bitmap" for a zero-area bitmap.
    explicit GraphicsContainer(BitmapContainer& bitmap);
    ~GraphicsContainer() override;
    GraphicsContainer(const GraphicsContainer&) = delete;
    GraphicsContainer& operator=(const GraphicsContainer&) = delete;

    void fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour) override;
    void fillAll(TUint32 colour) override;
    void drawLine(TInt32 x1, TInt32 y1, TInt32 x2, TInt32 y2, TUint32 colour) override;
    void drawBitmap(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 alpha) override;
    void drawBitmapRegion(VMBitmap* bitmap, TInt32 x, TInt32 y, TInt32 sourceX, TInt32 sourceY, TInt32 sourceWidth,
                          TInt32 sourceHeight, TInt32 alpha) override;
    void drawTiled(TInt32 x, TInt32 y, TInt32 width, TInt32 height, VMBitmap* bitmap, TInt32 offsetX, TInt32 offsetY,
                   TInt32 alpha) override;
    void drawTransformed(VMBitmap* bitmap, TInt32 x, TInt32 y, double angle, double scaleX, double scaleY,
                         TInt32 alpha) override;
    void drawTextNative(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y, TUint32 colour) override;
    void drawTextBitmap(const OString& text, TInt32 start, TInt32 count, TInt32 x, TInt32 y, TUint32 colour,
                        VUvarFont& font) override;
    void endPainting() override;

    // The open painter, for settings such as the clip (painting must not have ended).
    QPainter& painter() { return painter_; }
    bool isPainting() const { return device != nullptr; }

    // 0xAARRGGBB as a Qt colour.
    static QColor colourOf(TUint32 argb);

private:
    void begin();
    // The pixmap to draw for `bitmap`: null (with a warning) when there is
    // nothing to draw; a copy when it is the pixmap being painted on.
    bool sourcePixmap(VMBitmap* bitmap, QPixmap& pixmap);
    // Applies the alpha rule for one draw; the destructor restores the painter.
    class AlphaScope;

    QPaintDevice* device; // not owned; null once painting has ended
    QPainter painter_;
    std::shared_ptr<QPixmap> pixmapRef; // the bitmap painted on, kept alive while painting
    ScreenCanvases* canvases = nullptr;
};
