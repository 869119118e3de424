#include "host/ImageFormat.h"

#include <cstring>

namespace {

constexpr TUint8 MARKER = 0xFF;
constexpr TUint8 START_OF_SCAN = 0xDA;
constexpr TUint8 END_OF_IMAGE = 0xD9;
constexpr TUint8 TEMPORARY = 0x01;

bool startsWith(const TUint8* bytes, size_t count, const char* signature, size_t length)
{
    return count >= length && std::memcmp(bytes, signature, length) == 0;
}

// Markers that stand alone, without a length: restarts and TEM.
bool standsAlone(TUint8 marker)
{
    return marker == TEMPORARY || (marker >= 0xD0 && marker <= 0xD7);
}

// The offset of the first marker after the entropy-coded data from `at`:
// 0xFF followed by a byte that is neither a stuffed 0 nor a restart.
size_t endOfScanData(const TUint8* bytes, size_t count, size_t at)
{
    while (at + 1 < count) {
        const void* found = std::memchr(bytes + at, MARKER, count - at - 1);
        if (!found)
            return count;
        at = size_t(static_cast<const TUint8*>(found) - bytes);
        const TUint8 next = bytes[at + 1];
        if (next != 0 && next != MARKER && !(next >= 0xD0 && next <= 0xD7))
            return at;
        at += next == MARKER ? 1 : 2; // a fill byte may start the marker
    }
    return count;
}

} // namespace

ImageFormat sniffImageFormat(const TUint8* bytes, size_t count)
{
    if (startsWith(bytes, count, "\xFF\xD8\xFF", 3))
        return ImageFormat::Jpeg;
    if (startsWith(bytes, count, "\x89PNG\r\n\x1A\n", 8))
        return ImageFormat::Png;
    if (startsWith(bytes, count, "GIF87a", 6) || startsWith(bytes, count, "GIF89a", 6))
        return ImageFormat::Gif;
    if (startsWith(bytes, count, "BM", 2))
        return ImageFormat::Bmp;
    return ImageFormat::None;
}

int countJpegScans(const TUint8* bytes, size_t count, int stopAfter)
{
    int scans = 0;
    size_t at = 2; // past SOI
    while (at < count && scans <= stopAfter) {
        if (bytes[at] != MARKER) {
            // The decoder skips stray bytes to the next marker; so does the count.
            const void* found = std::memchr(bytes + at, MARKER, count - at);
            if (!found)
                break;
            at = size_t(static_cast<const TUint8*>(found) - bytes);
        }
        while (at < count && bytes[at] == MARKER)
            ++at;
        if (at >= count)
            break;
        const TUint8 marker = bytes[at++];
        if (marker == END_OF_IMAGE)
            break;
        if (standsAlone(marker))
            continue;
        if (at + 2 > count)
            break;
        const size_t length = size_t(bytes[at]) << 8 | bytes[at + 1];
        if (length < 2)
            break;
        at += length;
        if (marker == START_OF_SCAN) {
            ++scans;
            at = endOfScanData(bytes, count, at);
        }
    }
    return scans;
}

ImageFormat decodableImageFormat(const TUint8* bytes, size_t count)
{
    const ImageFormat format = sniffImageFormat(bytes, count);
    if (format == ImageFormat::Jpeg && countJpegScans(bytes, count, MAX_JPEG_SCANS) > MAX_JPEG_SCANS)
        return ImageFormat::None;
    return format;
}

const char* imageFormatName(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Jpeg:
        return "jpeg";
    case ImageFormat::Png:
        return "png";
    case ImageFormat::Gif:
        return "gif";
    case ImageFormat::Bmp:
        return "bmp";
    case ImageFormat::None:
        break;
    }
    return "";
}
