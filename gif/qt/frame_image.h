#pragma once
// The image side of a frame: its picture as a QImage (built on first use and kept until the
// frame changes), a frame made from an image, and drawing a frame onto a painter.
#include <QImage>
#include <QPainter>
#include <QRect>

#include "gif/qt/color_reduction.h"
#include "imagefile/qt/graphic.h"
#include "gif/sub_image.h"

namespace gif {

// Bitmaps are built by dithering to the web palette only on displays of at most 256 colours;
// tests force the path either way.
enum class WebDither { Auto, On, Off };
void setWebDither(WebDither mode);
bool webDitherActive();

// Indexed8 with the active table (256 entries, opaque black beyond it) and alpha 0 at the
// transparent index; on the web-dither path an ARGB32 image. Null for an empty frame.
// Safe to call from several threads.
QImage frameImage(const GifSubImage& frame);

// The frame becomes the image: indexed images keep their indices and table, others are
// reduced with the settings first. An image with alpha is a masked graphic: pixels with
// alpha below 128 become a transparent colour of the frame.
void assignFromImage(GifSubImage& frame, const QImage& image, const ReductionSettings& settings);

// Any picture of the container: its look, with its transparency as alpha, made a frame.
void assignFromGraphic(GifSubImage& frame, const imagefile::Graphic& graphic, const ReductionSettings& settings);

// Draws the frame scaled from the picture's area into `target` (no smoothing). With `tile`
// the frame is repeated across the target, stepping by the picture's size.
void drawFrame(QPainter& painter, const GifSubImage& frame, const QRect& target, bool transparent, bool tile);

}  // namespace gif
