#include "gif/qt/gif_bitmap.h"

#include <cstdlib>

namespace gif {

QImage makeImage(int width, int height, int bitsPerPixel, const std::vector<ColorValue>& palette) {
  if (bitsPerPixel != 8 && bitsPerPixel != 24) raiseError("Unsupported PixelFormat");
  if (width <= 0 || height <= 0) raiseError("Invalid image dimensions");
  QImage image(width, height, bitsPerPixel == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
  if (image.isNull()) throw GifOutOfMemory("Failed to allocate memory for GIF DIB");
  if (bitsPerPixel == 8) {
    QVector<QRgb> table(256, qRgb(0, 0, 0));
    for (size_t i = 0; i < palette.size() && i < 256; ++i) table[static_cast<int>(i)] = toQRgb(palette[i]);
    image.setColorTable(table);
  }
  image.fill(0);
  return image;
}

uchar* imageRow(QImage& image, int y) {
  if (y < 0 || y >= image.height()) throw GifInvalidOperation("Bereichsüberschreitung bei Zeilenindex");
  return image.scanLine(y);
}

QVector<QRgb> webColorTable() {
  QVector<QRgb> table;
  for (ColorValue c : webPalette()) table.push_back(toQRgb(c));
  return table;
}

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  const long long q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
  return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

size_t DeviceStream::read(void* buffer, size_t n) {
  const qint64 k = device_.read(static_cast<char*>(buffer), static_cast<qint64>(n));
  return k > 0 ? static_cast<size_t>(k) : 0;
}

void DeviceStream::write(const void* buffer, size_t n) {
  if (n == 0) return;
  if (device_.write(static_cast<const char*>(buffer), static_cast<qint64>(n)) != static_cast<qint64>(n))
    throw GifStreamError("Write error - " + device_.errorString().toStdString());
}

void DeviceStream::seek(int64_t position) {
  if (!device_.seek(position)) throw GifStreamError("Seek error - " + device_.errorString().toStdString());
}

}  // namespace gif
