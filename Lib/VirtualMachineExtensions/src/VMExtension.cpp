#include "VMExtension.h"

#include "DevicePath.h"

#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstring>

bool VMExtension::readDevice(const char* path, char* text, size_t capacity) const
{
    // The journal keeps the file's text, or {"errno": n} when it could not be read.
    const QJsonValue reading = journaled("deviceFile", path, [&]() -> QJsonValue {
        if (!readDeviceFile(devicePath(path), text, capacity))
            return QJsonObject{{"errno", errno}};
        return QString::fromLatin1(text);
    });
    if (!reading.isString()) {
        errno = reading.toObject().value("errno").toInt(EIO);
        return false;
    }
    const QByteArray bytes = reading.toString().toLatin1();
    const size_t n = std::min(capacity, size_t(bytes.size()));
    std::memcpy(text, bytes.constData(), n);
    text[n] = '\0';
    return true;
}
