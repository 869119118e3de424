#include "ScreenshotFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Lumbra {

namespace {
// Screenshots taken within one second get at most this many names.
constexpr int MAX_SUFFIX = 1000;
} // namespace

QString screenshotBaseName(const QString& directory)
{
    QString name = QFileInfo(QDir::cleanPath(directory)).fileName();
    if (name.isEmpty())
        return QStringLiteral("mcbplayer");
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.') && c != QLatin1Char('_')
            && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return name;
}

QString screenshotFolder(const QString& chosen)
{
    if (!chosen.isEmpty())
        return chosen;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::currentPath();
}

QString saveNewScreenshot(const QImage& image, const QString& folder, const QString& name, const QDateTime& when)
{
    const QString stem = QDir(folder).filePath(name + when.toString(QStringLiteral("-yyyyMMdd-HHmmss")));
    for (int n = 1; n <= MAX_SUFFIX; ++n) {
        const QString path = stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".png");
        QFile file(path);
        // NewOnly: created here or not at all, even against another writer.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            return QString();
        }
        if (image.save(&file, "PNG"))
            return path;
        file.remove();
        return QString();
    }
    return QString();
}

bool savePng(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

} // namespace Lumbra
