#include "ScreenReference.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

bool sameWithin(const QImage& a, const QImage& b, int tolerance)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                || std::abs(qBlue(p) - qBlue(q)) > tolerance)
                return false;
        }
    }
    return true;
}

bool matchesReference(const std::function<QImage()>& grab, const std::function<QRect(const QImage&)>& area,
                      const QString& reference, int tolerance)
{
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    QImage actual;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        const QImage shot = grab();
        if (!shot.isNull()) {
            actual = shot.copy(area(shot)).convertToFormat(QImage::Format_RGB32);
            if (sameWithin(actual, expected, tolerance))
                return true;
        }
        QThread::msleep(100);
    }
    QString saved = reference;
    saved.replace(QRegularExpression(QStringLiteral("\\.png$")), QStringLiteral(".actual.png"));
    actual.save(saved);
    return false;
}
