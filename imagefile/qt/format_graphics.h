#pragma once
// The picture-container classes of the library's formats: the bitmap-based ones name their
// extension; icons and metafiles keep their own data and draw it.
#include <QImage>
#include <QString>

#include "imagefile/metafile.h"
#include "imagefile/qt/linear_graphic.h"

namespace imagefile {

// Windows bitmaps, read by the library's own reader.
class VKBitmap : public LinearGraphic {};

class JPEGGraphic : public LinearGraphic {
 protected:
  std::string formatExtension() const override { return "JPG"; }
};

class PNGGraphic : public LinearGraphic {
 protected:
  std::string formatExtension() const override { return "PNG"; }
};

class MNGGraphic : public LinearGraphic {
 protected:
  std::string formatExtension() const override { return "MNG"; }
};

class PCXGraphic : public LinearGraphic {
 protected:
  std::string formatExtension() const override { return "PCX"; }
};

// Read only: saving raises "Unsupported file format: HIP".
class HIPSGraphic : public LinearGraphic {
 protected:
  std::string formatExtension() const override { return "HIP"; }
};

// An icon or cursor file shown as its first image, transparent where the AND mask says so
// (32-bit images where their alpha says so).
class IconGraphic : public Graphic {
 public:
  explicit IconGraphic(bool cursor) : cursor_(cursor) {}
  void loadFromStream(QIODevice& device) override;
  // Through the icon writer (one image, at most 255 x 255).
  void saveToStream(QIODevice& device) override;
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  bool empty() const override { return image_.isNull(); }
  void draw(QPainter& painter, const QRect& rect) override;
  QImage toImage() const override { return image_; }

 private:
  bool cursor_;
  QImage image_;
};

// A WMF or EMF file: drawn by the library's player, scaled into any rectangle over white.
class MetafileGraphic : public Graphic {
 public:
  void loadFromStream(QIODevice& device) override;
  // The file as it was loaded.
  void saveToStream(QIODevice& device) override;
  int width() const override { return metafile_.width(); }
  int height() const override { return metafile_.height(); }
  bool empty() const override { return metafile_.empty(); }
  void draw(QPainter& painter, const QRect& rect) override;
  QImage toImage() const override;
  const Metafile& metafile() const { return metafile_; }

 private:
  Metafile metafile_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace imagefile
