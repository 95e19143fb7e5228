#pragma once
// The image side's small shared layer: converting colour values, making the 8-bit and 24-bit
// images frames and reductions write into, the web palette as a colour table, and the
// device adapter for the file model's byte stream.
#include <QIODevice>
#include <QImage>
#include <QRgb>
#include <QVector>

#include <vector>

#include "gif/errors.h"
#include "gif/stream.h"

namespace gif {

// The one conversion between Qt's colours and colour values (red in the low byte).
inline QRgb toQRgb(ColorValue c) { return qRgb(colorRed(c), colorGreen(c), colorBlue(c)); }
inline ColorValue fromQRgb(QRgb c) {
  return makeColor(static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)), static_cast<uint8_t>(qBlue(c)));
}

// bitsPerPixel 8: Format_Indexed8 with exactly 256 table entries (the palette, then opaque
// black); 24: Format_RGB32. Anything else is "Unsupported PixelFormat"; a zero side is
// "Invalid image dimensions".
QImage makeImage(int width, int height, int bitsPerPixel, const std::vector<ColorValue>& palette = {});
// Row y of an image made above; "Bereichsüberschreitung bei Zeilenindex" outside it.
uchar* imageRow(QImage& image, int y);

QVector<QRgb> webColorTable();

// Multiplies and divides with rounding, halves away from zero.
int mulDiv(int a, int b, int c);

// The file model's byte stream over a Qt device (file, buffer, socket that can seek).
class DeviceStream : public ByteStream {
 public:
  explicit DeviceStream(QIODevice& device) : device_(device) {}
  size_t read(void* buffer, size_t n) override;
  void write(const void* buffer, size_t n) override;
  int64_t position() const override { return device_.pos(); }
  void seek(int64_t position) override;
  int64_t size() const override { return device_.size(); }

 private:
  QIODevice& device_;
};

}  // namespace gif
