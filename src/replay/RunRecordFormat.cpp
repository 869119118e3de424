#include "RunRecordFormat.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonDocument>

namespace Lumbra::RunRecordFormat {

QString screenChecksum(const QImage& logicalScreen)
{
    const QImage pixels = logicalScreen.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const int rowBytes = pixels.width() * 4;
    for (int y = 0; y < pixels.height(); ++y) {
        // The unused top byte of each RGB32 pixel is 0xff by definition; padding is left out.
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)), rowBytes));
    }
    return QString::fromLatin1(hash.result().toHex());
}

bool directoryChecksums(const QString& directory, QJsonObject& files)
{
    const QDir root(directory);
    if (!root.exists())
        return false;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!hash.addData(&file))
            return false;
        files.insert(root.relativeFilePath(path), QString::fromLatin1(hash.result().toHex()));
    }
    return true;
}

bool copyDirectory(const QString& from, const QString& to, QString& error)
{
    const QDir source(from);
    if (!QDir().mkpath(to)) {
        error = QStringLiteral("cannot make the folder '%1'").arg(to);
        return false;
    }
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        const QFileInfo entry = it.fileInfo();
        const bool copied = entry.isDir() ? QDir().mkpath(target)
                                          : (!QFile::exists(target) || QFile::remove(target)) && QFile::copy(path, target);
        if (!copied) {
            error = QStringLiteral("cannot copy '%1' to '%2'").arg(path, target);
            return false;
        }
        if (!entry.isDir())
            QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                         QFileDevice::ReadOther);
    }
    return true;
}

QStringList differences(const QJsonObject& recorded, const QJsonObject& present)
{
    QStringList lines;
    for (auto it = recorded.begin(); it != recorded.end(); ++it) {
        if (!present.contains(it.key()))
            lines << QStringLiteral("'%1' is missing").arg(it.key());
        else if (present.value(it.key()) != it.value())
            lines << QStringLiteral("'%1' differs from the recorded one (checksum %2, recorded %3)")
                         .arg(it.key(), present.value(it.key()).toString(), it.value().toString());
    }
    for (auto it = present.begin(); it != present.end(); ++it)
        if (!recorded.contains(it.key()))
            lines << QStringLiteral("'%1' was not there when recording began").arg(it.key());
    return lines;
}

QByteArray line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace Lumbra::RunRecordFormat
