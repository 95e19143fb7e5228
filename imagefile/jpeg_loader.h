#pragma once
// JPEG files through libjpeg (its 6b interface), the library's one outside dependency.
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

// The quality a save uses when none is set: thin chart lines stay clean at 90.
inline constexpr int kDefaultJpegQuality = 90;

struct JpegLoadOptions {
  // Decoding at a half, quarter or eighth while the picture stays at least this large.
  int minWidth = 2147483647;
  int minHeight = 2147483647;
};

struct JpegLoadResult {
  int fullWidth = 0;  // the file's size, whatever scale it was decoded at
  int fullHeight = 0;
};

struct JpegSaveOptions {
  int quality = 0;     // 0: kDefaultJpegQuality
  int targetSize = 0;  // bytes; 0: none. Otherwise the best quality whose file fits.
};

struct JpegSaveResult {
  // The quality setting after the save: the one given, or kDefaultJpegQuality when a target
  // size started its search without one.
  int quality = 0;
};

// The loader keeps nothing of a call: options go in, results come out.
class JPEGLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  std::string getSaveFilter() override;
  // The registry's calls: the default options.
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  // pf24bit, or pf8bit grey for a grey-scale file. libjpeg's own text on a damaged file.
  JpegLoadResult load(BaseStream& stream, LinearBitmap& bitmap, const JpegLoadOptions& options = {}) const;
  // pf8bit through its palette, pf24bit, pf32bit without its fourth byte, pf16bit as grey
  // of its high bytes; a grey picture becomes a grey-scale file.
  JpegSaveResult save(BaseStream& stream, const LinearBitmap& bitmap, const JpegSaveOptions& options = {}) const;
};

JPEGLoader& jpegLoader();

}  // namespace imagefile
