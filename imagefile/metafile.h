#pragma once
// Windows metafiles (WMF, EMF) as far as pictures need them: a writer of one stretched
// bitmap per file, and a player that draws the raster records of a file (with the placement
// records that move and scale them) and skips everything else; vectors are not drawn.
#include <cstdint>
#include <string>
#include <vector>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

namespace text {
inline constexpr const char* kInvalidMetafile = "Metafile is not valid";
}  // namespace text

class Metafile {
 public:
  // Takes a file's bytes: EMF, or WMF with or without its placeable header. A file that is
  // neither raises "Metafile is not valid".
  void load(std::vector<std::uint8_t> bytes);
  bool empty() const { return data_.empty(); }
  bool enhanced() const { return enhanced_; }
  // The natural size in pixels at 96 dots per inch: the EMF frame or the WMF box.
  int width() const { return width_; }
  int height() const { return height_; }
  // The picture drawn into a pf24bit bitmap of the given size over white.
  void render(LinearBitmap& out, int width, int height) const;
  // The same at canvasSize().
  void renderAtNaturalSize(LinearBitmap& out) const;
  struct Size {
    int width, height;
  };
  // The natural size when it has at most kFreeCanvasPixels, or when the bitmaps the player
  // draws hold a byte for every kPixelsPerBitmapByte pixels of it; otherwise the natural
  // size scaled down to at most kFreeCanvasPixels, in the same proportions.
  Size canvasSize() const;
  // Any metafile may have a canvas of 4096 x 4096 pixels (48 MB at 24 bits): a drawing of
  // vectors in a large box, a small bitmap stretched over a page.
  static constexpr std::int64_t kFreeCanvasPixels = std::int64_t{4096} * 4096;
  // A larger canvas is needed only for a bitmap of about that size, and the bitmaps the
  // player draws hold at most 128 pixels in a byte (run-length data: a run of 255 pixels in
  // two bytes; stored rows hold at most 8).
  static constexpr std::int64_t kPixelsPerBitmapByte = 128;
  // Whether the file holds a raster record the player draws; without one (a drawing of
  // vectors and text only) it renders as white.
  bool hasBitmap() const { return bitmapBytes_ > 0; }

  // One bitmap stretched over the whole picture: pf8bit with its palette, otherwise 24 bits
  // (pf32bit without its fourth byte, pf16bit as 8-bit grey). WMF sizes above 32767 raise.
  static std::vector<std::uint8_t> writeEmf(const LinearBitmap& bitmap);
  static std::vector<std::uint8_t> writeWmf(const LinearBitmap& bitmap);

 private:
  void renderEmf(LinearBitmap& out) const;
  void renderWmf(LinearBitmap& out) const;
  // Bytes of the raster records the player draws.
  std::size_t measureBitmaps() const;
  std::vector<std::uint8_t> data_;
  std::size_t bitmapBytes_ = 0;
  bool enhanced_ = false;
  int width_ = 0;
  int height_ = 0;
  // EMF: frame in device pixels of the reference device; WMF: the logical box.
  double boxLeft_ = 0, boxTop_ = 0, boxWidth_ = 1, boxHeight_ = 1;
  double devicePerMm_ = 96 / 25.4;
  std::size_t wmfStart_ = 0;  // WMF: where the records start
  bool wmfPlaceable_ = false;
};

// Reduces a pf24bit picture of at most 256 colours to pf8bit without loss: the palette in
// the order the colours first appear. Other pictures stay as they are.
void reduceToPalette(LinearBitmap& bitmap);

class WMFLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  std::string getSaveFilter() override;
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  // Enhanced when the extension begins with "E".
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
};

WMFLoader& wmfLoader();

}  // namespace imagefile
