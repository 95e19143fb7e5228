// libFuzzer target: arbitrary bytes as a Windows bitmap. The reader may only raise its own
// errors; what it reads must come back unchanged from our writer.
//
//   build/…/fuzz/kolvex_fuzz_bmp -max_len=65536 -timeout=10 fuzz/seeds/bmp
#include "imagefile/bmp_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::BMPLoader loader;
  imagefile::LinearBitmap bm;
  if (!picture_fuzz::load(loader, data, size, "BMP", bm)) return 0;
  if (bm.size() > (1 << 20)) return 0;
  picture_fuzz::roundTrip(loader, bm, "BMP");
  return 0;
}
