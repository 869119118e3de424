// Where the logical screen shows inside a window of another size: scaled by
// the largest whole factor that fits, so every logical pixel becomes a
// square of window pixels, or shrunk to fit (keeping its shape) when the
// window is smaller than the logical screen; centred, with bars around.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Lumbra {

// The largest whole factor by which `logical` fits in `available`; at least 1.
int wholeScaleFitting(const QSize& logical, const QSize& available);

class Letterbox {
public:
    Letterbox() = default;
    Letterbox(const QSize& logical, const QSize& window);

    // The window rectangle the logical screen covers.
    const QRect& target() const { return area; }
    double scale() const { return factor; }

    // The logical point shown at window point `at`; false in the bars.
    bool toLogical(const QPoint& at, QPoint& logical) const;
    // Like toLogical, but a point in the bars goes to the nearest edge.
    QPoint toLogicalClamped(const QPoint& at) const;
    // The window rectangle that shows logical rectangle `rect` (whole pixels, rounded outward).
    QRect toWindow(const QRect& rect) const;
    // The logical rectangle that window rectangle `rect` shows (rounded outward, within the screen).
    QRect toLogical(const QRect& rect) const;

private:
    QSize logicalSize;
    QRect area;
    double factor = 1.0;
};

} // namespace Lumbra
