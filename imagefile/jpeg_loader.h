#pragma once
// JPEG files through libjpeg (its 6b interface), the library's one outside dependency.
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

// The quality a save uses when none is set: thin chart lines stay clean at 90.
inline constexpr int kDefaultJpegQuality = 90;

class JPEGLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  std::string getSaveFilter() override;
  // pf24bit, or pf8bit grey for a grey-scale file. libjpeg's own text on a damaged file.
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  // pf8bit through its palette, pf24bit, pf32bit without its fourth byte, pf16bit as grey
  // of its high bytes; a grey picture becomes a grey-scale file.
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  int quality = 0;     // 0: kDefaultJpegQuality
  int targetSize = 0;  // bytes; 0: none. Otherwise the best quality whose file fits.
  // Decoding at a half, quarter or eighth while the picture stays at least this large.
  int minWidth = 2147483647;
  int minHeight = 2147483647;
  int fullWidth = 0;  // the file's size, set by each load
  int fullHeight = 0;
};

JPEGLoader& jpegLoader();

}  // namespace imagefile
