#include "imagefile/qt/image_io.h"

#include <QFile>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/graphic.h"

namespace imagefile {

namespace {

std::string nativeName(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

void registerFormats() {
  static bool done = false;
  if (done) return;
  done = true;
  // Loaders in their fixed order; the first that accepts an extension serves it.
  // 1: external image modules (none in this program, so it accepts nothing).
  static ImageDllLoader dllLoader;
  registerLoader(&dllLoader);
}

void saveImageFile(const QImage& image, const QString& fileName) {
  registerFormats();
  LinearBitmap bitmap;
  imageToBitmap(image, bitmap);
  bitmap.saveToFile(nativeName(fileName));
}

QImage loadImageFile(const QString& fileName) {
  registerFormats();
  LinearBitmap bitmap;
  bitmap.loadFromFile(nativeName(fileName));
  return bitmapToImage(bitmap, GrayMapping::Grayscale16);
}

void convertImageFile(const QString& from, const QString& to) {
  registerFormats();
  LinearBitmap bitmap;
  bitmap.loadFromFile(nativeName(from));
  bitmap.saveToFile(nativeName(to));
}

QImage loadPictureFile(const QString& fileName) {
  registerFormats();
  std::unique_ptr<Graphic> picture = createGraphicFor(fileName);
  picture->loadFromFile(fileName);
  return picture->toImage();
}

}  // namespace imagefile
