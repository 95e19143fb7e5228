#pragma once
// Windows bitmap files: one reader for the registry's loader and the picture container's
// bitmap class (old 2.x bitmaps, every header size in use, run-length and bit-field data,
// top-down files), and the writer of plain 8-, 24- and 32-bit files.
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

// Reads a bitmap file from the stream's position into bitmap (pf8bit for up to 8 bits per
// pixel, else pf24bit). Returns 0, or 5 for a file it does not take (bitmap then empty).
int readBMPFile(BaseStream& stream, LinearBitmap& bitmap);

class BMPLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  // "Unsupported file format" for a file the reader does not take.
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  // 14 + 40-byte header, rows bottom-up: pf8bit with 256 palette entries, pf24bit, pf32bit,
  // and pf16bit as 8-bit grey of its high bytes.
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
};

BMPLoader& bmpLoader();

// Every byte left in the stream (read in pieces; the stream's Strict is kept).
std::vector<std::uint8_t> readWholeStream(BaseStream& stream);

}  // namespace imagefile
