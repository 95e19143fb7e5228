// libFuzzer target: arbitrary bytes as a HIPS file (with a progress handler and a plane
// answer from the input, so the plane question is taken too). Only the library's errors may
// refuse an input.
//
//   build/…/fuzz/kolvex_fuzz_hips -max_len=16384 -timeout=10 fuzz/seeds/hips
#include "imagefile/hips_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::HIPSLoader loader;
  const bool ask = size % 3 == 0;
  if (ask) {
    imagefile::progressHandler() = [](int p) {
      if (p < 0 || p > 100) picture_fuzz::fail("progress out of range");
    };
    loader.question = [size](const std::string&, const std::string&, std::string& value) {
      value = std::to_string(size % 5);
      return size % 7 != 0;
    };
  }
  imagefile::LinearBitmap bm;
  try {
    picture_fuzz::load(loader, data, size, "HIP", bm);
  } catch (const imagefile::SilentAbort&) {
  }
  imagefile::progressHandler() = nullptr;
  return 0;
}
