#include "GlyphStrip.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

QImage GlyphStrip::render(const QFont& font, char16_t last)
{
    const QFontMetrics metrics(font);
    std::vector<int> advances;
    int width = 1; // the ascent column
    for (char16_t c = FIRST_CHARACTER; c <= last; ++c) {
        advances.push_back(std::max(1, metrics.horizontalAdvance(QChar(c))));
        width += advances.back();
    }
    ++width; // the column of the last marker
    const int height = metrics.height();
    QImage strip(width, height + 1, QImage::Format_RGB32);
    strip.fill(Qt::black);
    QPainter painter(&strip);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.fillRect(0, 0, 1, metrics.ascent(), Qt::white);
    int x = 1;
    for (size_t i = 0; i < advances.size(); ++i) {
        // Each glyph stays in its own cell: overhangs are cut off, not drawn on a neighbour.
        painter.setClipRect(x, 0, advances[i], height);
        painter.drawText(x, metrics.ascent(), QString(QChar(char16_t(FIRST_CHARACTER + i))));
        x += advances[i];
        painter.setClipping(false);
        painter.fillRect(x, height, 1, 1, Qt::white);
    }
    return strip;
}
