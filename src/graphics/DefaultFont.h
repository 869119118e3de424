// The one font family the hosts draw and measure native text with, loaded
// from its file rather than looked up among the installed fonts, so metrics
// are the same on every machine that has the file (scripts/install-deps
// installs it).
#pragma once

#include <QFont>
#include <QString>

namespace DefaultFont {

// Where the family's regular face is installed.
inline constexpr const char* FILE_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr int PIXEL_SIZE = 40;

// The family in FILE_PATH at `pixelSize` pixels. Needs a Qt GUI application.
// When the file cannot be loaded the application's default font stands in,
// with one warning.
QFont font(int pixelSize = PIXEL_SIZE);

} // namespace DefaultFont
