// Image bytes decoded only as the format their signature names, by that
// format's reader alone: a file that claims one format is never handed to
// another plugin.
#pragma once

#include <QImage>

// The image in the `count` bytes at `bytes`, or a null image when they are
// no supported image or the reader fails.
QImage decodeImage(const void* bytes, int count);
