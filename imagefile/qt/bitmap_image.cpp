#include "imagefile/qt/bitmap_image.h"

#include <QPainter>
#include <cstring>

namespace imagefile {

QImage bitmapToImage(const LinearBitmap& bm, GrayMapping gray) {
  if (!bm.present()) return QImage();
  const int w = bm.width();
  const int h = bm.height();
  const std::size_t row = static_cast<std::size_t>(bm.bytesPerLine());
  switch (bm.pixelFormat()) {
    case pf8bit: {
      QImage img(w, h, QImage::Format_Indexed8);
      QList<QRgb> table(256);
      const std::uint8_t* p = bm.palette();
      for (int i = 0; i < 256; ++i) table[i] = qRgb(p[3 * i + 2], p[3 * i + 1], p[3 * i]);
      img.setColorTable(table);
      for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), bm.scanLine(y), row);
      return img;
    }
    case pf16bit: {
      if (gray == GrayMapping::Grayscale16) {
        QImage img(w, h, QImage::Format_Grayscale16);
        for (int y = 0; y < h; ++y) {
          const std::uint8_t* s = bm.scanLine(y);
          auto* d = reinterpret_cast<quint16*>(img.scanLine(y));
          for (int x = 0; x < w; ++x) d[x] = static_cast<quint16>(s[2 * x] | (s[2 * x + 1] << 8));
        }
        return img;
      }
      QImage img(w, h, QImage::Format_Indexed8);
      QList<QRgb> table(256);
      for (int i = 0; i < 256; ++i) table[i] = qRgb(i, i, i);
      img.setColorTable(table);
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bm.scanLine(y);
        uchar* d = img.scanLine(y);
        for (int x = 0; x < w; ++x) d[x] = s[2 * x + 1];
      }
      return img;
    }
    case pf24bit: {
      QImage img(w, h, QImage::Format_BGR888);
      for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), bm.scanLine(y), row);
      return img;
    }
    case pf32bit: {
      QImage img(w, h, QImage::Format_RGB32);
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bm.scanLine(y);
        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        // The fourth byte carries nothing; Qt wants it opaque.
        for (int x = 0; x < w; ++x) d[x] = qRgb(s[4 * x + 2], s[4 * x + 1], s[4 * x]);
      }
      return img;
    }
    default:
      throw LinearBitmapError(text::kUnsupportedPixelFormat);
  }
}

void imageToBitmap(const QImage& image, LinearBitmap& bm) {
  if (image.isNull() || image.width() == 0 || image.height() == 0) {
    bm.dispose();
    return;
  }
  const int w = image.width();
  const int h = image.height();
  if (image.format() == QImage::Format_Indexed8) {
    bm.newImage(w, h, pf8bit);
    std::uint8_t* p = bm.palette();
    std::memset(p, 0, 768);
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < table.size() && i < 256; ++i) {
      p[3 * i] = static_cast<std::uint8_t>(qBlue(table[i]));
      p[3 * i + 1] = static_cast<std::uint8_t>(qGreen(table[i]));
      p[3 * i + 2] = static_cast<std::uint8_t>(qRed(table[i]));
    }
    for (int y = 0; y < h; ++y) std::memcpy(bm.scanLine(y), image.constScanLine(y), static_cast<std::size_t>(w));
    return;
  }
  bm.newImage(w, h, pf24bit);
  // An opaque 32-bit picture (a chart taken from the screen) loses its alpha bytes and
  // nothing else: copied straight, without a converted picture in between.
  if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
      image.format() == QImage::Format_ARGB32_Premultiplied) {
    const bool undurchsichtig = image.format() == QImage::Format_RGB32;
    bool ganz = true;
    for (int y = 0; y < h && ganz; ++y) {
      const auto* q = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      std::uint8_t* z = bm.scanLine(y);
      for (int x = 0; x < w; ++x) {
        const QRgb p = q[x];
        if (!undurchsichtig && qAlpha(p) != 255) {
          ganz = false;
          break;
        }
        z[3 * x] = static_cast<std::uint8_t>(qBlue(p));
        z[3 * x + 1] = static_cast<std::uint8_t>(qGreen(p));
        z[3 * x + 2] = static_cast<std::uint8_t>(qRed(p));
      }
    }
    if (ganz) return;
  }
  const QImage bgr = image.format() == QImage::Format_BGR888
                         ? image
                         : image.convertToFormat(QImage::Format_BGR888);
  for (int y = 0; y < h; ++y)
    std::memcpy(bm.scanLine(y), bgr.constScanLine(y), static_cast<std::size_t>(w) * 3);
}

void paintBitmap(const LinearBitmap& bm, QPainter& painter, const QRect& rect, bool smooth) {
  if (!bm.present()) return;
  const bool was = painter.testRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  painter.drawImage(rect, bitmapToImage(bm));
  painter.setRenderHint(QPainter::SmoothPixmapTransform, was);
}

}  // namespace imagefile
