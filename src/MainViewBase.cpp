#include "MainViewBase.h"

#include <algorithm>

MainViewBase::MainViewBase(const Str16& applicationDirectory)
    : QWidget(nullptr)
    , BasicFrameworkServices(applicationDirectory)
{
}

QRect MainViewBase::areaOnWindow(int x, int y, int width, int height, bool rotated, const QSize& widget)
{
    // Any numbers may come from bytecode: reckoned in 64 bits and cut to the
    // widget, which is all a repaint can reach anyway.
    qint64 left = x, top = y, right = qint64(x) + width, bottom = qint64(y) + height;
    if (rotated) {
        left = y;
        right = qint64(y) + height;
        top = qint64(widget.height()) - x - width;
        bottom = qint64(widget.height()) - x;
    }
    auto cut = [](qint64 value, int high) { return int(std::clamp<qint64>(value, 0, high)); };
    const int l = cut(left, widget.width()), t = cut(top, widget.height());
    const int r = cut(right, widget.width()), b = cut(bottom, widget.height());
    return l < r && t < b ? QRect(l, t, r - l, b - t) : QRect();
}

void MainViewBase::updateArea(int x, int y, int width, int height)
{
    update(areaOnWindow(x, y, width, height, isRotated(), size()));
}
