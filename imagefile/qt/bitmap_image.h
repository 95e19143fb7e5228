#pragma once
// The one mapping between the library's bitmap and QImage, used by the export, the viewer's
// picture classes and the GIF codec.
#include <QImage>
#include <QRect>

#include "imagefile/linear_bitmap.h"

class QPainter;

namespace imagefile {

enum class GrayMapping {
  Indexed8,     // pf16bit as 8-bit grey of the high bytes (what a screen bitmap can take)
  Grayscale16,  // pf16bit as Format_Grayscale16 with every bit (for callers that want them)
};

// pf8bit -> Indexed8 (256 entries), pf16bit -> see GrayMapping, pf24bit -> BGR888,
// pf32bit -> RGB32; an empty bitmap gives a null image.
QImage bitmapToImage(const LinearBitmap& bitmap, GrayMapping gray = GrayMapping::Indexed8);
// Indexed8 -> pf8bit (missing palette entries black), BGR888 -> pf24bit, every other format
// converted to pf24bit; a null image empties the bitmap.
void imageToBitmap(const QImage& image, LinearBitmap& bitmap);
// Draws the bitmap stretched into rect; smooth asks for filtered scaling.
void paintBitmap(const LinearBitmap& bitmap, QPainter& painter, const QRect& rect, bool smooth);

}  // namespace imagefile
