#pragma once
// The picture library's entry points for the rest of the program: the data graph's export,
// the viewer and conversions between files. Each file function registers the formats first.
#include <QImage>
#include <QString>

namespace imagefile {

// Registers the library's loaders and picture classes, in their fixed order; later calls do
// nothing. Called from main() before any window exists.
void registerFormats();

// The export: the image as the library's bitmap (8-bit indexed stays 8-bit, everything
// else 24-bit), written by the saver of the file's extension.
void saveImageFile(const QImage& image, const QString& fileName);
// The same into an open file (left open): the writer is chosen by fileName's extension.
void saveImageFile(const QImage& image, const QString& fileName, int descriptor);
// A file read by the loader of its extension: pf8bit as Indexed8 with 256 entries, pf16bit
// as Grayscale16, pf24bit as BGR888, pf32bit as RGB32.
QImage loadImageFile(const QString& fileName);
// One bitmap loaded from one file and saved to the other, pixel format kept.
void convertImageFile(const QString& from, const QString& to);
// The viewer: the picture class registered for the extension loads the file.
QImage loadPictureFile(const QString& fileName);

}  // namespace imagefile
