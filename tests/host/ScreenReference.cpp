#include "ScreenReference.h"

#include "Await.h"

#include <QRegularExpression>

#include <cstdio>

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
    // Another client's pixels send this process no event: they are grabbed again until they match.
    const auto matches = [&] {
        const QImage shot = grab();
        if (shot.isNull())
            return false;
        actual = shot.copy(area(shot)).convertToFormat(QImage::Format_RGB32);
        return sameWithin(actual, expected, tolerance);
    };
    const ::testing::AssertionResult shown = TestSupport::awaitProbe("the window to show " + reference, matches, 10000);
    if (shown)
        return true;
    std::fprintf(stderr, "%s\n", shown.message());
    QString saved = reference;
    saved.replace(QRegularExpression(QStringLiteral("\\.png$")), QStringLiteral(".actual.png"));
    actual.save(saved);
    return false;
}
