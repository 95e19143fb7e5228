#pragma once
// A picture-container class around the library's bitmap: the formats of the library (PNG,
// PCX, ...) derive from it and name their extension; the base reads and writes "BMP".
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/qt/graphic.h"

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
  void draw(QPainter& painter, const QRect& rect) override;
  QImage toImage() const override;
  // Another LinearGraphic's bitmap takes a copy of ours.
  void assignTo(LinearGraphic& dest) const;

 protected:
  virtual std::string formatExtension() const { return "BMP"; }

 private:
  LinearBitmap bitmap_;
};

}  // namespace imagefile
