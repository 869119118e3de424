#include "ImageDecoding.h"

#include "host/ImageFormat.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

QImage decodeImage(const void* bytes, int count)
{
    if (count <= 0)
        return QImage();
    const auto* data = static_cast<const TUint8*>(bytes);
    const ImageFormat format = decodableImageFormat(data, size_t(count));
    if (format == ImageFormat::None)
        return QImage();
    const QByteArray shared = QByteArray::fromRawData(reinterpret_cast<const char*>(data), count);
    QBuffer buffer;
    buffer.setData(shared);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, imageFormatName(format));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
