// What the probe application (apps/probe.s) draws: a red 100 x 50
// rectangle at the origin of a dark blue screen.
#pragma once

#include <QImage>

inline const QRgb RED = qRgb(0xFF, 0x00, 0x00);
inline const QRgb BACKGROUND = qRgb(0x10, 0x20, 0x40);

inline bool pixelIs(const QImage& image, int x, int y, QRgb colour)
{
    return image.valid(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}
