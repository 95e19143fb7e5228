#pragma once
// The library's raster image: one pixel map, rows top-down without padding, 24-bit pixels
// as B, G, R, and for 8-bit images a palette of 256 B, G, R entries.
#include <cstdint>
#include <memory>
#include <string>

#include "imagefile/streams.h"

namespace imagefile {

class BitmapLoader;

// The pixel-format codes the files and callers use.
enum PixelFormat : std::uint8_t {
  pf8bit = 3,   // palette index
  pf16bit = 5,  // 16-bit grey, little-endian, high byte significant
  pf24bit = 6,  // B, G, R
  pf32bit = 7,  // B, G, R and a fourth byte
  pfNone = 8,   // no image
};

// Largest pixel map: sizes are computed in 64 bits and anything larger is refused before
// memory is asked for.
inline constexpr std::int64_t kMaxMapSize = 2147483646;
// The largest map allocate() accepts, kMaxMapSize unless a fuzz target lowers it to keep
// its inputs' pictures small.
std::int64_t& mapSizeLimit();

// The library-wide grey palette, entry i = (i, i, i).
const std::uint8_t* grayPalette();
// Entry i of a palette of n greys: i * 255 / (n - 1), for i below n (n at least 2).
void makeGrayPalette(std::uint8_t* palette, int n);
// Grey value of a colour: (2 R + 3 G + B + 3) / 6.
inline std::uint8_t grayOf(int r, int g, int b) {
  return static_cast<std::uint8_t>((2 * r + 3 * g + b + 3) / 6);
}

// What the file a picture was read from said about it beside the pixels, for a save of the
// same picture to write back (a PNG's gAMA, tRNS and bit depth).
struct PictureInfo {
  double gamma = 0;  // gAMA / 100000; 0: none
  // -1: none; palette images the index, grey images the 16-bit level, RGB images red, green
  // and blue in the first three bytes (red lowest).
  std::int64_t transparentValue = -1;
  int bitDepth = 0;  // bits per sample in the file; 0: none
  bool operator==(const PictureInfo&) const = default;
};

class LinearBitmap : public AssignObject {
 public:
  LinearBitmap();
  explicit LinearBitmap(const LinearBitmap& source);
  LinearBitmap& operator=(const LinearBitmap&) = delete;
  ~LinearBitmap() override;
  const char* className() const override { return "TLinearBitmap"; }

  int width() const { return width_; }
  int height() const { return height_; }
  PixelFormat pixelFormat() const { return pixelFormat_; }
  std::int64_t bytesPerLine() const { return bytesPerLine_; }
  int pixelSize() const { return pixelSize_; }
  std::int64_t size() const { return size_; }
  bool present() const { return present_; }
  std::uint8_t* map() { return map_.get(); }
  const std::uint8_t* map() const { return map_.get(); }
  // 768 bytes (B, G, R) for pf8bit, null otherwise.
  std::uint8_t* palette() { return palette_.get(); }
  const std::uint8_t* palette() const { return palette_.get(); }

  // What a load found beside the pixels. It belongs to these pixels: a copy of the picture
  // (assign, the copy constructor, takeOver) carries it, and every call that makes a new
  // picture drops it (newImage, also when it keeps the pixels, dispose, resizeCanvas,
  // changePixelFormat), so another picture made in the same bitmap never inherits it.
  const PictureInfo& info() const { return info_; }
  void setInfo(const PictureInfo& info) { info_ = info; }

  // A map of the size and format (contents undefined); the same size and format keeps the
  // pixels, a pf8bit image keeps its palette.
  void newImage(int width, int height, PixelFormat format);
  // The map size newImage would allocate, or its error ("Unsupported pixel format", "Invalid
  // bitmap size") without allocating: readers ask it before they weigh a header against the
  // data that follows.
  static std::int64_t checkSize(int width, int height, PixelFormat format);
  void dispose();
  // Takes every field, the map and the palette from other, which is left empty.
  void takeOver(LinearBitmap& other);
  virtual void packRows();
  void clear(std::uint8_t value);
  // A 0x00BBGGRR colour: pf24bit B, G, R; pf32bit B, G, R, 0; else its grey value.
  void clearColor(std::uint32_t color);
  std::uint8_t* scanLine(int y) { return map_.get() + static_cast<std::int64_t>(y) * bytesPerLine_; }
  const std::uint8_t* scanLine(int y) const {
    return map_.get() + static_cast<std::int64_t>(y) * bytesPerLine_;
  }
  bool isGrayScale() const;
  // New size with old pixel (0, 0) at (x, y), clipped; the rest in backColor.
  void resizeCanvas(int newWidth, int newHeight, std::uint32_t backColor, int x, int y);
  void changePixelFormat(PixelFormat format);

  // The file's extension picks the loader or saver (Unsupported file format: EXT).
  BitmapLoader& loadFromFile(const std::string& fileName);
  void saveToFile(const std::string& fileName);
  void loadFromStream(BaseStream& stream, const std::string& ext);
  void saveToStream(BaseStream& stream, const std::string& ext);

  void assign(const AssignObject& source) override;
  void assignTo(AssignObject& dest) const override;

 private:
  void allocate(int width, int height, PixelFormat format);
  int width_ = 0;
  int height_ = 0;
  PixelFormat pixelFormat_ = pfNone;
  std::int64_t bytesPerLine_ = 0;
  int pixelSize_ = 0;
  std::int64_t size_ = 0;
  bool present_ = false;
  std::unique_ptr<std::uint8_t[]> map_;
  std::unique_ptr<std::uint8_t[]> palette_;
  PictureInfo info_;
};

// Upper-cased extension of a file name without the dot: the text after the last "." when
// that comes after the last "/" and "\"; empty otherwise.
std::string fileExtension(const std::string& fileName);

}  // namespace imagefile
