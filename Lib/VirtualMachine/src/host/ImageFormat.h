// Which image formats bitmaps and bitmap fonts are decoded from, told by the
// bytes themselves (never by a file name), and the checks made before any
// decoder sees them. Only these four formats are read, whatever image
// plugins the system has: every other decoder is code that a hostile file
// could reach.
#pragma once

#include "LumbraTypes.h"

#include <cstddef>

enum class ImageFormat { None, Jpeg, Png, Gif, Bmp };

// A progressive JPEG is decoded again for every scan; files with more scans
// than this are refused rather than decoded.
constexpr int MAX_JPEG_SCANS = 100;

// The format whose signature `bytes` start with, or None.
ImageFormat sniffImageFormat(const TUint8* bytes, size_t count);

// The scans (SOS markers) of a JPEG, counted by walking its segments and
// the entropy-coded data after each scan header; counting stops once it
// passes `stopAfter`. Linear in `count`; a truncated or damaged file answers
// what was counted up to the damage.
int countJpegScans(const TUint8* bytes, size_t count, int stopAfter);

// The format to decode `bytes` as, or None when they must not be decoded:
// no supported signature, or a JPEG with more than MAX_JPEG_SCANS scans.
ImageFormat decodableImageFormat(const TUint8* bytes, size_t count);

// The name the image reader knows the format by ("jpeg", "png", "gif",
// "bmp"), or "" for None.
const char* imageFormatName(ImageFormat format);
