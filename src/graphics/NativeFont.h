// The native font: the default family at 40 pixels, measured with
// QFontMetrics. Drawing uses the canvas's own font; this object only
// answers metrics.
#pragma once

#include "host/GraphicsInterfaces.h"

#include <QFont>
#include <QFontMetrics>

class NativeFont : public VUvarFont {
public:
    NativeFont();

    TInt32 ascent() override;
    TInt32 height() override;
    TInt32 width(const OString& text, TInt32 start, TInt32 count) override;
    TInt32 fitCount(const OString& text, TInt32 start, TInt32 count, TInt32 maxWidth) override;
    TInt32 type() override { return NATIVE_TYPE; }

private:
    TInt64 advance(const OString& text, TInt32 start, TInt32 count) const;
    TInt32 fitCount(const QString& whole, TInt32 count, TInt32 maxWidth) const;

    QFont font;
    QFontMetrics metrics;
};
