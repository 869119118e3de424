#include "Letterbox.h"

#include <algorithm>
#include <cmath>

namespace Lumbra {

int wholeScaleFitting(const QSize& logical, const QSize& available)
{
    if (logical.isEmpty())
        return 1;
    return std::max(1, std::min(available.width() / logical.width(), available.height() / logical.height()));
}

Letterbox::Letterbox(const QSize& logical, const QSize& window)
    : logicalSize(logical)
{
    if (logical.isEmpty() || window.isEmpty())
        return;
    const int whole = std::min(window.width() / logical.width(), window.height() / logical.height());
    factor = whole >= 1 ? whole
                        : std::min(double(window.width()) / logical.width(), double(window.height()) / logical.height());
    const QSize shown(std::max(1, int(std::lround(logical.width() * factor))),
                      std::max(1, int(std::lround(logical.height() * factor))));
    area = QRect(QPoint((window.width() - shown.width()) / 2, (window.height() - shown.height()) / 2), shown);
}

QPoint Letterbox::toLogicalClamped(const QPoint& at) const
{
    const int x = int(std::floor((at.x() - area.x()) / factor));
    const int y = int(std::floor((at.y() - area.y()) / factor));
    return QPoint(std::clamp(x, 0, std::max(0, logicalSize.width() - 1)),
                  std::clamp(y, 0, std::max(0, logicalSize.height() - 1)));
}

bool Letterbox::toLogical(const QPoint& at, QPoint& logical) const
{
    if (!area.contains(at))
        return false;
    logical = toLogicalClamped(at);
    return true;
}

QRect Letterbox::toWindow(const QRect& rect) const
{
    const int left = area.x() + int(std::floor(rect.left() * factor));
    const int top = area.y() + int(std::floor(rect.top() * factor));
    const int right = area.x() + int(std::ceil((rect.right() + 1) * factor));
    const int bottom = area.y() + int(std::ceil((rect.bottom() + 1) * factor));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect Letterbox::toLogical(const QRect& rect) const
{
    const int left = int(std::floor((rect.left() - area.x()) / factor));
    const int top = int(std::floor((rect.top() - area.y()) / factor));
    const int right = int(std::ceil((rect.right() + 1 - area.x()) / factor));
    const int bottom = int(std::ceil((rect.bottom() + 1 - area.y()) / factor));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(QPoint(0, 0), logicalSize));
}

} // namespace Lumbra
