#pragma once
// HIPS image files (a text header of one value per line, older and newer layout, then raw
// samples): read only.
#include <functional>
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace imagefile {

class HIPSLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override;
  bool canSave(const std::string& ext) override;
  std::string getLoadFilter() override;
  std::string getSaveFilter() override;
  void loadFromStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) override;

  // Asks for a value (caption, prompt, in/out value); false: cancelled. Set by the window
  // side; it is asked which plane of a grey file of several planes to load.
  using Question = std::function<bool(const std::string& caption, const std::string& prompt, std::string& value)>;
  Question question;
};

HIPSLoader& hipsLoader();

}  // namespace imagefile
