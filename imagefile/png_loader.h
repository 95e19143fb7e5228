#pragma once
// PNG files, and single-image MNG files of the same chunk structure, read into and written
// from the library's bitmap with our own CRC-32, Adler-32 and Deflate code.
#include <cstdint>
#include <memory>
#include <string>

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

class PNGLoader : public BitmapLoader {
 public:
  PNGLoader();
  ~PNGLoader() override;

  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  // With the alpha option the reader keeps an 8-bit alpha bitmap for grey + alpha and RGBA
  // images, the PLTE of colour images (separate palette) and a 256-entry alpha table from
  // the tRNS of palette images. Off by default; nothing in the program switches it on.
  bool alphaOption = false;
  // 768 bytes B, G, R: a PLTE met in an image without a palette; written back as PLTE.
  std::unique_ptr<std::uint8_t[]> separatePalette;
  LinearBitmap alphaBitmap;
  std::unique_ptr<std::uint8_t[]> alphaTable;  // 256 bytes
  double gamma = 0;                            // 0: none
  // -1: none; palette images the index, grey images the 16-bit level, RGB images red, green
  // and blue in the first three bytes (red lowest).
  std::int64_t transparentValue = -1;
  int bitDepth = 0;  // of the last image read
  // 0-4 that filter on every row; -1 per row the lowest sum of absolute bytes; -2 per row
  // the most runs of five equal bytes; -3 every mode tried in memory, the smallest kept.
  int filterMode = -1;
  int lossyTolerance = 0;  // 0: lossless

  // Forgets what the last read left (gamma, transparency, separate palette, alpha data).
  void resetState();

 private:
  void writeImage(BaseStream& out, LinearBitmap& bitmap, bool mng, int mode);
};

// The loader registered for PNG and MNG.
PNGLoader& pngLoader();

}  // namespace imagefile
