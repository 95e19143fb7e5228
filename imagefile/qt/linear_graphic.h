#pragma once
// A picture-container class around the library's bitmap: the formats of the library (PNG,
// PCX, ...) derive from it and name their extension; the base reads and writes "BMP".
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/qt/graphic.h"

class QClipboard;

namespace imagefile {

class LinearGraphic : public Graphic {
 public:
  LinearGraphic();
  ~LinearGraphic() override;

  LinearBitmap& bitmap() { return bitmap_; }
  const LinearBitmap& bitmap() const { return bitmap_; }

  // Through the loader registry under formatExtension().
  void loadFromStream(QIODevice& device) override;
  void saveToStream(QIODevice& device) override;
  // The bitmap's own file routines: the file's extension picks the loader.
  void loadFromFile(const QString& fileName) override;
  void saveToFile(const QString& fileName) override;

  int width() const override { return bitmap_.width(); }
  int height() const override { return bitmap_.height(); }
  bool empty() const override { return !bitmap_.present(); }
  // Resize the canvas, keeping the other dimension; new parts black.
  void setWidth(int width);
  void setHeight(int height);
  // Stretched into rect without smoothing.
  void draw(QPainter& painter, const QRect& rect) override;
  // Stretched into rect; smooth filters the scaled pixels instead of repeating them.
  void paintToCanvas(QPainter& painter, const QRect& rect, bool smooth) const;
  QImage toImage() const override;
  // The clipboard's image as the bitmap, through a QImage as a screen bitmap takes it (an
  // 8-bit image keeps its palette, any other becomes 24 bits); a clipboard without an image
  // raises InvalidGraphic "Unsupported clipboard format" and leaves the bitmap as it was.
  void loadFromClipboardFormat(const QClipboard& clipboard);
  // The bitmap as an image on the clipboard (a 16-bit grey one as 8-bit grey); an empty
  // picture puts nothing there.
  void saveToClipboardFormat(QClipboard& clipboard) const;
  // Another LinearGraphic's bitmap takes a copy of ours.
  void assignTo(LinearGraphic& dest) const;

 protected:
  virtual std::string formatExtension() const { return "BMP"; }

 private:
  LinearBitmap bitmap_;
};

}  // namespace imagefile
