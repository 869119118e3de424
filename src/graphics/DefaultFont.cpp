#include "DefaultFont.h"

#include <QFontDatabase>
#include <QStringList>
#include <QtGlobal>

namespace {

// The family registered from the file, or empty when it could not be loaded.
QString loadedFamily()
{
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(DefaultFont::FILE_PATH));
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        qWarning("Cannot load the font file %s; text is drawn with another font", DefaultFont::FILE_PATH);
        return QString();
    }
    return families.first();
}

} // namespace

QFont DefaultFont::font(int pixelSize)
{
    static const QString family = loadedFamily();
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPixelSize(pixelSize);
    // Text must come out the same on every display and offscreen, so that a
    // recorded run replays anywhere: the desktop's subpixel order and
    // hinting style are not asked for.
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}
