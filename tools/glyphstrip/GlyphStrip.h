// Renders a bitmap-font image strip from a scalable font: column 0 marks the
// ascent, the glyphs of the characters from 32 sit side by side from column
// 1, each as wide as its advance, and the bottom row marks with a white
// pixel the column where the next glyph begins (the last marker closes the
// last glyph). Glyphs are white on black, so every channel is the coverage.
#pragma once

#include <QFont>
#include <QImage>

namespace GlyphStrip {

inline constexpr char16_t FIRST_CHARACTER = 32;

// The strip of the characters FIRST_CHARACTER .. `last`. Needs a Qt GUI application.
QImage render(const QFont& font, char16_t last = 126);

} // namespace GlyphStrip
