// Where screenshots of the logical screen go and what they are called.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

namespace Lumbra {

// The name screenshots of the application in `directory` start with: the
// directory's own name, with every character but letters, digits, '.', '_'
// and '-' made '_' ("mcbplayer" for the root directory).
QString screenshotBaseName(const QString& directory);
// The folder the screenshot key saves in: `chosen` when given, else the
// user's pictures folder when it exists, else the working directory.
QString screenshotFolder(const QString& chosen);
// Saves `image` as PNG in `folder` under "<name>-YYYYMMDD-HHMMSS.png" (the
// time of `when`), with "-2", "-3" ... before ".png" while the name is
// taken: an existing file is never replaced. The path saved to, or empty.
QString saveNewScreenshot(const QImage& image, const QString& folder, const QString& name, const QDateTime& when);
// Saves `image` as PNG at `path`, replacing what is there.
bool savePng(const QImage& image, const QString& path);

} // namespace Lumbra
