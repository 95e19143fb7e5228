#pragma once
// One frame of a GIF file: image descriptor, local colour table, pixel indices (one byte per
// pixel, rows top-down, no padding) and the extensions that precede it.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/color_map.h"
#include "gif/extensions.h"
#include "gif/stream.h"
#include "imagefile/byte_order.h"

namespace gif {

class GifFile;

class GifSubImage {
 public:
  // Frames above this many pixels are refused before anything is allocated.
  static constexpr int64_t kMaxPixels = int64_t{1} << 28;

  explicit GifSubImage(GifFile* picture);
  ~GifSubImage();
  GifSubImage(const GifSubImage&) = delete;
  GifSubImage& operator=(const GifSubImage&) = delete;

  GifFile* picture() const { return picture_; }
  void clear();

  int left() const { return word(1); }
  int top() const { return word(3); }
  int width() const { return word(5); }
  int height() const { return word(7); }
  // 1 left, 2 top, 3 width, 4 height.
  int boundsValue(int index) const;
  void setBoundsValue(int index, int value);
  // A changed size reallocates the pixels zero-filled; the picture grows to hold the frame.
  void setBounds(int left, int top, int width, int height);
  uint8_t packedFields() const { return descriptor_[9]; }
  void setPackedFields(uint8_t packed) { descriptor_[9] = packed; }
  bool interlaced() const { return (descriptor_[9] & 0x40) != 0; }
  void setInterlaced(bool on);

  bool empty() const;
  int version() const;
  int bitsPerPixel() const { return colorMap_.bitsPerPixel(); }
  int colorResolution() const { return bitsPerPixel() - 1; }

  void newImage();
  void needData();  // "Image is empty" for size 0
  const std::vector<uint8_t>& data() const { return data_; }
  std::vector<uint8_t>& mutableData();  // drops the cached image
  uint8_t pixel(int x, int y) const;    // "Invalid pixel coordinates"
  const uint8_t* scanLine(int y) const;
  uint8_t* mutableScanLine(int y);

  GifLocalColorMap& colorMap() { return colorMap_; }
  const GifLocalColorMap& colorMap() const { return colorMap_; }
  // The local table when it has entries, else the picture's global one when it has entries,
  // else the (empty) local table.
  const GifColorMap& activeColorMap() const;
  GifColorMap& activeColorMap();

  GifExtensionList& extensions() { return extensions_; }
  const GifExtensionList& extensions() const { return extensions_; }
  GifGraphicControlExtension* graphicControlExtension() const { return gce_; }
  bool transparent() const { return transparent_; }
  int transparentColorIndex() const { return gce_ ? gce_->transparentColorIndex() : 0; }

  void loadFromStream(ByteStream& s);
  // The same, told how many pixels the picture's other frames hold (the frame list counts
  // them as it loads).
  void loadFromStream(ByteStream& s, int64_t otherPixels);
  void saveToStream(ByteStream& s) const;
  // The same, told the picture's bits per pixel, which a frame without a local table is
  // coded with.
  void saveToStream(ByteStream& s, int pictureBits) const;
  // Copies descriptor, pixels, local table and (through a stream) the extensions.
  void assign(const GifSubImage& source);
  // Removes fully transparent border rows and columns of a transparent frame.
  void crop();

  void warning(int severity, const std::string& message) const;

  // The image side keeps what it builds from the frame here; every change drops it. Painter
  // threads read it, so it is reached under the lock.
  struct Cache {
    virtual ~Cache() = default;
  };
  std::mutex& cacheMutex() const { return cacheMutex_; }
  Cache* cacheLocked() const { return cache_.get(); }
  void setCacheLocked(std::unique_ptr<Cache> cache) const { cache_ = std::move(cache); }
  void dropCache() const;

  // Used by the graphic control extension and the extension list.
  void setTransparentFlag(bool on);
  void adoptControlExtension(GifGraphicControlExtension* ext);
  void releaseExtension(GifExtension* ext);

 private:
  int word(int offset) const { return imagefile::le16(descriptor_.data() + offset); }
  void setWord(int offset, int value);
  void growPicture();

  GifFile* picture_;
  GifLocalColorMap colorMap_;
  GifExtensionList extensions_;
  std::array<uint8_t, 10> descriptor_{};  // ",", left, top, width, height, packed fields
  std::vector<uint8_t> data_;
  bool transparent_ = false;
  GifGraphicControlExtension* gce_ = nullptr;
  mutable std::mutex cacheMutex_;
  mutable std::unique_ptr<Cache> cache_;
};

}  // namespace gif
