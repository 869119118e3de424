#include "BitmapContainer.h"

#include "ImageDecoding.h"
#include "VMError.h"

#include <QBuffer>
#include <QColor>

#include <new>

namespace {
constexpr int SMOOTH_QUALITY = 10;

// Qt answers an allocation it cannot make with null pixels; going on with
// them would lose the bitmap without a word.
template <class Pixels>
Pixels allocated(Pixels pixels)
{
    if (pixels.isNull())
        throw std::bad_alloc();
    return pixels;
}
} // namespace

BitmapContainer::BitmapContainer(int width, int height)
    : pixmap(std::make_shared<QPixmap>(width > 0 && height > 0 ? allocated(QPixmap(width, height)) : QPixmap()))
{
}

BitmapContainer::BitmapContainer(const QPixmap& source) : pixmap(std::make_shared<QPixmap>(source)) {}

BitmapContainer::BitmapContainer(const BitmapContainer& other)
    : VMBitmap(), pixmap(std::make_shared<QPixmap>(other.currentPixmap()))
{
}

BitmapContainer* BitmapContainer::decode(const void* bytes, int count)
{
    const QImage image = decodeImage(bytes, count);
    if (image.isNull())
        return nullptr;
    return new BitmapContainer(allocated(QPixmap::fromImage(image)));
}

QPixmap BitmapContainer::currentPixmap() const
{
    return pixelImage.isNull() ? *pixmap : QPixmap::fromImage(pixelImage);
}

void BitmapContainer::ensureImage()
{
    if (pixelImage.isNull() && !pixmap->isNull())
        pixelImage = allocated(pixmap->toImage().convertToFormat(QImage::Format_ARGB32));
}

std::shared_ptr<QPixmap> BitmapContainer::drawablePixmap()
{
    if (!pixelImage.isNull()) {
        // A new pixmap: a painter still open on the old one keeps its own.
        pixmap = std::make_shared<QPixmap>(QPixmap::fromImage(pixelImage));
        pixelImage = QImage();
    }
    return pixmap;
}

bool BitmapContainer::encode(std::vector<char>& out, const char* format)
{
    out.clear();
    if (pixmap->isNull())
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool saved = pixelImage.isNull() ? pixmap->save(&buffer, format, -1) : pixelImage.save(&buffer, format, -1);
    const QByteArray& data = buffer.data();
    out.assign(data.constData(), data.constData() + data.size());
    return saved;
}

void BitmapContainer::scaleFrom(VMBitmap& source, int quality)
{
    auto* other = dynamic_cast<BitmapContainer*>(&source);
    if (!other || other->pixmap->isNull())
        return;
    const QSize target = pixmap->size();
    const Qt::TransformationMode mode = quality == SMOOTH_QUALITY ? Qt::SmoothTransformation : Qt::FastTransformation;
    QPixmap scaled = other->pixelImage.isNull()
                         ? other->pixmap->scaled(target, Qt::IgnoreAspectRatio, mode)
                         : QPixmap::fromImage(other->pixelImage.scaled(target, Qt::IgnoreAspectRatio, mode));
    pixmap = std::make_shared<QPixmap>(std::move(scaled));
    pixelImage = QImage();
}

void BitmapContainer::copyRegionFrom(VMBitmap& source, TInt32 x, TInt32 y, TInt32 width, TInt32 height)
{
    auto* other = dynamic_cast<BitmapContainer*>(&source);
    if (!other || other->pixmap->isNull() || pixmap->isNull())
        return;
    const QRect region(x, y, width, height);
    QPixmap copied =
        other->pixelImage.isNull() ? other->pixmap->copy(region) : QPixmap::fromImage(other->pixelImage.copy(region));
    pixmap = std::make_shared<QPixmap>(std::move(copied));
    pixelImage = QImage();
}

void BitmapContainer::fill(TUint32 colour)
{
    if ((colour >> 24) != 0xFF) {
        // Translucent fills replace every pixel, alpha included: no painter blends them.
        ensureImage();
        pixelImage.fill(colour);
        return;
    }
    drawablePixmap()->fill(QColor(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), 0xFF));
}

TUint32 BitmapContainer::getPixel(TInt32 x, TInt32 y)
{
    ensureImage();
    return TUint32(pixelImage.pixel(x, y));
}

void BitmapContainer::setPixel(TInt32 x, TInt32 y, TUint32 colour)
{
    ensureImage();
    pixelImage.setPixel(x, y, colour);
}

void BitmapContainer::size(TInt32& width, TInt32& height)
{
    width = pixmap->width();
    height = pixmap->height();
    if (width < 0 || height < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
}

int BitmapContainer::sizeOutsideHeap() const
{
    const qint64 pixels = qint64(pixmap->width()) * pixmap->height() * (pixelImage.isNull() ? 1 : 2);
    return int(std::min<qint64>(pixels * 4, INT32_MAX));
}
