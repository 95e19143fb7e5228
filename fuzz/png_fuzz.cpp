// libFuzzer target: arbitrary bytes as a PNG or MNG file. The reader may only raise its own
// errors; a picture it reads must come back unchanged from our writer, in every filter mode.
//
//   build/…/fuzz/kolvex_fuzz_png -max_len=65536 -timeout=10 fuzz/seeds/png
#include "imagefile/png_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::PNGLoader loader;
  imagefile::LinearBitmap bm;
  const std::string ext = size > 0 && data[0] == 0x8A ? "MNG" : "PNG";
  if (!picture_fuzz::load(loader, data, size, ext, bm)) return 0;
  if (bm.size() > (1 << 20)) return 0;  // keep the round trip quick
  loader.filterMode = static_cast<int>(size % 8) - 3;
  loader.transparentValue = -1;
  picture_fuzz::roundTrip(loader, bm, ext);
  return 0;
}
