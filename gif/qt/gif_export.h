#pragma once
// The data graph's picture as a GIF file: one frame reduced to 256 colours that keep the
// system colours, written as a plain "GIF87a" file.
#include <QImage>
#include <QString>

#include "gif/gif_file.h"

namespace gif {

// Appends a frame made from the image (at (0, 0)) with a looping extension on the first
// frame and a control extension of delay 100 whose transparent index is the colour of the
// bottom-left pixel, transparency off. Returns the frame's index.
int addExportFrame(GifFile& file, const QImage& image, int reductionMethod);

// Builds the picture as above, cleans it up (which removes both extensions again for a
// single opaque frame) and writes it through a temporary file in the same folder that takes
// the name only when everything was written: a failure keeps an existing file and throws
// with the libraries' text.
void saveSingleFrameGif(const QImage& image, const QString& fileName);

// The bytes saveSingleFrameGif writes.
std::vector<uint8_t> singleFrameGifBytes(const QImage& image);

// Writes bytes through a temporary file of the same folder and extension that is renamed to
// fileName at the end; on failure nothing of fileName changes. Throws imagefile::InOutError.
void writeFileReplacing(const QString& fileName, const std::vector<uint8_t>& bytes);

}  // namespace gif
