#include "imagefile/qt/linear_graphic.h"

#include <QClipboard>
#include <QFile>
#include <QPainter>

#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/brevan_streams.h"

namespace imagefile {

LinearGraphic::LinearGraphic() = default;
LinearGraphic::~LinearGraphic() = default;

void LinearGraphic::loadFromStream(QIODevice& device) {
  BrevanFilterStream stream(device);
  bitmap_.loadFromStream(stream, formatExtension());
  changed();
}

void LinearGraphic::saveToStream(QIODevice& device) {
  BrevanFilterStream stream(device);
  bitmap_.saveToStream(stream, formatExtension());
  stream.finish();
}

void LinearGraphic::loadFromFile(const QString& fileName) {
  bitmap_.loadFromFile(QFile::encodeName(fileName).toStdString());
  changed();
}

void LinearGraphic::saveToFile(const QString& fileName) {
  bitmap_.saveToFile(QFile::encodeName(fileName).toStdString());
}

void LinearGraphic::setWidth(int width) {
  bitmap_.resizeCanvas(width, bitmap_.height(), 0, 0, 0);
  changed();
}

void LinearGraphic::setHeight(int height) {
  bitmap_.resizeCanvas(bitmap_.width(), height, 0, 0, 0);
  changed();
}

void LinearGraphic::draw(QPainter& painter, const QRect& rect) { paintToCanvas(painter, rect, false); }

void LinearGraphic::paintToCanvas(QPainter& painter, const QRect& rect, bool smooth) const {
  paintBitmap(bitmap_, painter, rect, smooth);
}

void LinearGraphic::loadFromClipboardFormat(const QClipboard& clipboard) {
  const QImage image = clipboard.image();
  if (image.isNull()) throw InvalidGraphic(text::kUnsupportedClipboardFormat);
  imageToBitmap(image, bitmap_);
  changed();
}

void LinearGraphic::saveToClipboardFormat(QClipboard& clipboard) const {
  if (!bitmap_.present()) return;
  clipboard.setImage(bitmapToImage(bitmap_));
}

QImage LinearGraphic::toImage() const { return bitmapToImage(bitmap_); }

void LinearGraphic::assignTo(LinearGraphic& dest) const {
  dest.bitmap_.assign(bitmap_);
  dest.changed();
}

}  // namespace imagefile
