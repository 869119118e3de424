#include "ScreenshotFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Lumbra {

namespace {
// Screenshots taken within one second get at most this many names.
constexpr int MAX_SUFFIX = 1000;

// The image as PNG bytes, encoded in memory: the PNG writer does not look at
// what its device's writes answer, so a full disk would pass unnoticed.
QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return QByteArray();
    return bytes;
}

// Writes all of `bytes` to the open `file` and hands them to the system.
bool writeAll(QFileDevice& file, const QByteArray& bytes)
{
    return !bytes.isEmpty() && file.write(bytes) == bytes.size() && file.flush();
}

// Whether the file at `path` holds as many bytes as were written to it.
bool holdsAll(const QString& path, const QByteArray& bytes)
{
    return QFileInfo(path).size() == bytes.size();
}
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
        const QByteArray bytes = pngBytes(image);
        if (writeAll(file, bytes)) {
            file.close();
            if (file.error() == QFileDevice::NoError && holdsAll(path, bytes))
                return path;
        }
        // By name: a QFile in error after its close removes nothing.
        file.close();
        QFile::remove(path);
        return QString();
    }
    return QString();
}

bool savePng(const QImage& image, const QString& path)
{
    const QByteArray bytes = pngBytes(image);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!writeAll(file, bytes)) {
        file.cancelWriting();
        file.commit(); // drops the temporary file
        return false;
    }
    return file.commit() && holdsAll(path, bytes);
}

} // namespace Lumbra
