// A drawing surface for the graphics natives: a QPainter open on a paint
// device (the main view's back buffer) with the system's drawing defaults:
// 40-pixel font, no antialiasing, no smooth pixmap transformation.
#pragma once

#include "GraphicsInterfaces.h"

#include <QPainter>

class QColor;
class QPaintDevice;

class GraphicsContainer : public MGraphicsContainer {
public:
    static constexpr int DEFAULT_FONT_PIXEL_SIZE = 40;

    // Opens the painter on `device`, which must outlive the painting.
    explicit GraphicsContainer(QPaintDevice* device);
    ~GraphicsContainer() override;
    GraphicsContainer(const GraphicsContainer&) = delete;
    GraphicsContainer& operator=(const GraphicsContainer&) = delete;

    void fillRect(TInt32 x, TInt32 y, TInt32 width, TInt32 height, TUint32 colour) override;
    void fillAll(TUint32 colour) override;
    void endPainting() override;

    // The open painter, for settings such as the clip (painting must not have ended).
    QPainter& painter() { return painter_; }
    bool isPainting() const { return device != nullptr; }

    // 0xAARRGGBB as a Qt colour.
    static QColor colourOf(TUint32 argb);

private:
    QPaintDevice* device; // not owned; null once painting has ended
    QPainter painter_;
};
