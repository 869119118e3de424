// A bitmap in two representations: a QPixmap for drawing, and an ARGB32
// QImage that exists only while pixel reads and writes are pending. A run
// of pixel operations converts the pixmap once; the next drawing use folds
// the image back into a new pixmap.
#pragma once

#include "host/GraphicsInterfaces.h"

#include <QImage>
#include <QPixmap>

#include <memory>

class BitmapContainer : public VMBitmap {
public:
    // A pixmap of that size, pixels undefined until filled.
    BitmapContainer(int width, int height);
    explicit BitmapContainer(const QPixmap& pixmap);
    // A copy of `other` with its pending pixel edits.
    explicit BitmapContainer(const BitmapContainer& other);
    BitmapContainer& operator=(const BitmapContainer&) = delete;

    // The bitmap in `bytes` (format told by its signature), or null.
    static BitmapContainer* decode(const void* bytes, int count);

    bool encode(std::vector<char>& out, const char* format) override;
    void scaleFrom(VMBitmap& source, int quality) override;
    void copyRegionFrom(VMBitmap& source, TInt32 x, TInt32 y, TInt32 width, TInt32 height) override;
    void fill(TUint32 colour) override;
    TUint32 getPixel(TInt32 x, TInt32 y) override;
    void setPixel(TInt32 x, TInt32 y, TUint32 colour) override;
    void size(TInt32& width, TInt32& height) override;
    int sizeOutsideHeap() const override;

    // The pixmap with every pending pixel edit in it, shared with whoever draws on it.
    std::shared_ptr<QPixmap> drawablePixmap();

private:
    void ensureImage();
    // The current pixels: the pending image if there is one, else the pixmap's.
    QPixmap currentPixmap() const;

    std::shared_ptr<QPixmap> pixmap;
    QImage pixelImage; // null while the pixmap is current
};
