#pragma once
// Windows icon and cursor files: the images of one file, their layout on disk, and the
// loader that turns one chosen image into a bitmap and a bitmap into a one-image file.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

namespace text {
inline constexpr const char* kNoIconsInFile = "No icons in file";
inline constexpr const char* kSizeMismatchInIcon = "Size mismatch in icon %d";
inline constexpr const char* kImageTooLargeForIcon = "Image is too large for icon";
}  // namespace text

// One image: XOR pixels and AND mask, rows bottom-up as in the file.
class IconImage {
 public:
  // Bit count 1, 4, 8 or 24 (32 only where alpha is accepted); any other raises
  // "Unsupported pixel format".
  IconImage(int width, int height, int bitCount, bool acceptAlpha = false);

  int width() const { return width_; }
  int height() const { return height_; }
  int bitCount() const { return bitCount_; }
  std::uint8_t pixelFormat() const { return pixelFormat_; }
  // ((width x bits + 31) div 32) x 4: every row ends on a four-byte boundary.
  std::int64_t xorBytesPerLine() const { return xorBytesPerLine_; }
  std::int64_t andBytesPerLine() const { return andBytesPerLine_; }
  std::int64_t xorSize() const { return xorBytesPerLine_ * height_; }
  std::int64_t andSize() const { return andBytesPerLine_ * height_; }
  int paletteSize() const { return bitCount_ <= 8 ? 4 << bitCount_ : 0; }
  int colorCount() const { return bitCount_ <= 8 ? 1 << bitCount_ : 0; }

  std::vector<std::uint8_t> andMask;
  std::vector<std::uint8_t> xorBits;
  std::vector<std::uint8_t> palette;  // R, G, B, flag per entry
  int hotSpotX = 0;
  int hotSpotY = 0;

  // Transparent (AND bit 1) at column x of the top-down row y.
  bool transparentAt(int x, int y) const;
  // 0x00BBGGRR colour at column x of the top-down row y (palette or stored bytes).
  std::uint32_t colorAt(int x, int y) const;
  // Palette index at (x, y), top-down (up to 8 bits).
  int indexAt(int x, int y) const;
  // The image as a bitmap: transparent pixels in transparentColor (0x00BBGGRR; -1 means
  // 0xFF00FF). Up to 8 bits stays pf8bit while the colour fits into the palette.
  void assignTo(LinearBitmap& dest, std::int64_t transparentColor = -1) const;
  // 0xAARRGGBB pixels, top-down, transparent ones 0; in 32-bit images the alpha decides,
  // not the AND mask.
  std::vector<std::uint32_t> toArgb() const;

 private:
  int width_;
  int height_;
  int bitCount_;
  std::uint8_t pixelFormat_;
  std::int64_t xorBytesPerLine_;
  std::int64_t andBytesPerLine_;
};

class IconList {
 public:
  enum Kind : std::uint8_t { kOther = 0, kIcon = 1, kCursor = 2 };
  std::uint8_t kind = kOther;
  std::vector<std::unique_ptr<IconImage>> images;

  int count() const { return static_cast<int>(images.size()); }
  void clear() { images.clear(); }
  IconImage& addImage(int width, int height, int bitCount, bool acceptAlpha = false);
  // The whole file from the stream; acceptAlpha also takes 32-bit images.
  void loadFromStream(BaseStream& stream, bool acceptAlpha = false);
  void saveToStream(BaseStream& stream) const;
};

struct IcoLoadOptions {
  std::uint32_t transparentColor = 0xFF00FF;  // 0x00BBGGRR, shown where the mask is set
  bool suppressSelection = false;             // image 0 and the colour above, nobody asked
};

struct IcoLoadResult {
  std::uint32_t transparentColor = 0xFF00FF;  // the one used: the user's choice, if asked
  int hotSpotX = 0;                           // a cursor's hot spot; 0 for an icon
  int hotSpotY = 0;
};

struct IcoSaveOptions {
  std::uint32_t transparentColor = 0xFF00FF;  // pixels of this colour become transparent
  int hotSpotX = 0;
  int hotSpotY = 0;

  // Writes a picture back as it was read: its transparent colour and hot spot.
  static IcoSaveOptions keeping(const IcoLoadResult& read);
};

// The loader keeps nothing of a call: options go in, results come out.
class ICOLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  // The registry's calls: the default options.
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  IcoLoadResult load(BaseStream& stream, LinearBitmap& bitmap, const IcoLoadOptions& options = {}) const;
  // A cursor file unless the extension is "ICO".
  void save(BaseStream& stream, const std::string& ext, const LinearBitmap& bitmap,
            const IcoSaveOptions& options = {}) const;

  // Lets the user pick an image (index) and the transparent colour; false: cancelled.
  // Set once by the window side; without it image 0 is taken.
  using Selector = std::function<bool(const IconList& list, int& index, std::uint32_t& transparentColor)>;
  Selector selector;
};

ICOLoader& icoLoader();

}  // namespace imagefile
