// libFuzzer target: arbitrary bytes as a PCX file. The reader may only raise its own errors;
// what it reads must come back unchanged from our writer.
//
//   build/…/fuzz/kolvex_fuzz_pcx -max_len=65536 -timeout=10 fuzz/seeds/pcx
#include "imagefile/pcx_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::PCXLoader loader;
  imagefile::LinearBitmap bm;
  if (!picture_fuzz::load(loader, data, size, "PCX", bm)) return 0;
  if (bm.size() > (1 << 20) || bm.width() > 65535 || bm.height() > 65535) return 0;
  picture_fuzz::roundTrip(loader, bm, "PCX");
  return 0;
}
