#pragma once
// PNG files, and single-image MNG files of the same chunk structure, read into and written
// from the library's bitmap with our own CRC-32, Adler-32 and Deflate code.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

namespace text {
inline constexpr const char* kInvalidPngHeader = "Invalid PNG header";
inline constexpr const char* kInvalidPngData = "Invalid PNG data";
inline constexpr const char* kUnsupportedPngData = "Unsupported PNG data";
inline constexpr const char* kCrcError = "CRC error";
inline constexpr const char* kAdler32Error = "Adler32 error";
}  // namespace text

// The writer's filter choice. 0-4 are the PNG filter types themselves, written as every
// row's filter byte; the negative values choose per row or per file.
enum class PngFilterMode : int {
  None = 0,
  Sub = 1,
  Up = 2,
  Average = 3,
  Paeth = 4,
  LeastSum = -1,      // per row, the smallest sum of absolute byte values
  MostRuns = -2,      // per row, the most runs of five equal bytes
  SmallestFile = -3,  // every other mode tried in memory, the smallest file kept
};

struct PngLoadOptions {
  // The alpha option: an 8-bit alpha bitmap for grey + alpha and RGBA images, the PLTE of
  // colour images (separate palette) and a 256-entry alpha table from the tRNS of palette
  // images. Off by default; nothing in the program switches it on.
  bool alpha = false;
};

// What one read found beside the pixels: gamma, transparency and bit depth (PictureInfo, also
// kept on the bitmap read), and with the alpha option the alpha data.
struct PngLoadResult : PictureInfo {
  // With the alpha option only: a PLTE met in an image without a palette (768 bytes B, G,
  // R), the alpha bitmap (pf8bit, grey palette) and the palette's alpha table (256 bytes).
  std::vector<std::uint8_t> separatePalette;
  std::unique_ptr<LinearBitmap> alphaBitmap;
  std::vector<std::uint8_t> alphaTable;
};

// Gamma written as gAMA unless 0, the transparent value as tRNS unless -1, and an 8-bit
// palette image at bitDepth when that is 1, 2 or 4 and every index fits.
struct PngSaveOptions : PictureInfo {
  PngFilterMode filterMode = PngFilterMode::LeastSum;
  int lossyTolerance = 0;  // 0: lossless
  std::vector<std::uint8_t> separatePalette;  // 768 bytes B, G, R, written as PLTE; or empty

  // Writes a picture back as it was read: its gamma, transparency, depth and palette.
  static PngSaveOptions keeping(const PngLoadResult& read);
  // The same from what the bitmap keeps of its load.
  static PngSaveOptions keeping(const PictureInfo& read);
};

// The loader keeps nothing of a call: options go in, results come out, so reads and writes
// may run at the same time and inside one another (a progress handler that loads a picture).
// What a read found beside the pixels stays with the bitmap it read (LinearBitmap::info).
class PNGLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  // The registry's calls: the default options; a save writes back what the bitmap keeps of
  // its load (PngSaveOptions::keeping(bitmap.info())).
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  // Also sets the bitmap's info to the gamma, transparency and depth found.
  PngLoadResult load(BaseStream& stream, LinearBitmap& bitmap, const PngLoadOptions& options = {}) const;
  // An MNG file for the extension "MNG", else PNG.
  void save(BaseStream& stream, const std::string& ext, const LinearBitmap& bitmap,
            const PngSaveOptions& options = {}) const;
};

// The loader registered for PNG and MNG.
PNGLoader& pngLoader();

}  // namespace imagefile
