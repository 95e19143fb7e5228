#pragma once
// ZSoft PCX files with 8 bits per plane: one plane with a 256-colour palette, or three
// planes of true colour.
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

class PCXLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
  // pf8bit as one plane; pf24bit and pf32bit as three; pf16bit as one grey plane of its high
  // bytes. Sizes above 65535 do not fit the header.
  void saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;
};

PCXLoader& pcxLoader();

}  // namespace imagefile
