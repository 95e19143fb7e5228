#include "imagefile/qt/format_graphics.h"

#include <QIODevice>
#include <QPainter>
#include <cstring>

#include "imagefile/bmp_loader.h"
#include "imagefile/ico_loader.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/brevan_streams.h"

namespace imagefile {

void IconGraphic::loadFromStream(QIODevice& device) {
  BrevanFilterStream stream(device);
  IconList list;
  list.loadFromStream(stream, true);
  if (list.count() == 0) throw LinearBitmapError(text::kNoIconsInFile);
  const IconImage& im = *list.images[0];
  const std::vector<std::uint32_t> argb = im.toArgb();
  QImage image(im.width(), im.height(), QImage::Format_ARGB32);
  for (int y = 0; y < im.height(); ++y)
    std::memcpy(image.scanLine(y), argb.data() + static_cast<std::size_t>(y) * im.width(),
                static_cast<std::size_t>(im.width()) * 4);
  image_ = image;
  changed();
}

void IconGraphic::saveToStream(QIODevice& device) {
  LinearBitmap bitmap;
  imageToBitmap(image_, bitmap);
  BrevanFilterStream stream(device);
  icoLoader().saveToStream(stream, cursor_ ? "CUR" : "ICO", bitmap);
  stream.finish();
}

void IconGraphic::draw(QPainter& painter, const QRect& rect) { painter.drawImage(rect, image_); }

void MetafileGraphic::loadFromStream(QIODevice& device) {
  BrevanFilterStream stream(device);
  std::vector<std::uint8_t> bytes = readWholeStream(stream);
  Metafile mf;
  mf.load(bytes);
  metafile_ = std::move(mf);
  bytes_ = std::move(bytes);
  changed();
}

void MetafileGraphic::saveToStream(QIODevice& device) {
  BrevanFilterStream stream(device);
  stream.write(bytes_.data(), bytes_.size());
  stream.finish();
}

void MetafileGraphic::draw(QPainter& painter, const QRect& rect) {
  if (metafile_.empty() || rect.width() < 1 || rect.height() < 1) return;
  LinearBitmap bm;
  metafile_.render(bm, rect.width(), rect.height());
  painter.drawImage(rect.topLeft(), bitmapToImage(bm));
}

QImage MetafileGraphic::toImage() const {
  if (metafile_.empty()) return {};
  LinearBitmap bm;
  metafile_.renderAtNaturalSize(bm);
  return bitmapToImage(bm);
}

}  // namespace imagefile
