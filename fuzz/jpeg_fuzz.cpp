// libFuzzer target: arbitrary bytes as a JPEG file through libjpeg and our stream managers,
// at full size and scaled down. Only the library's errors (libjpeg's texts) may refuse an
// input; a picture read is written again and must read back at its size.
//
//   build/…/fuzz/kolvex_fuzz_jpeg -max_len=65536 -timeout=10 fuzz/seeds/jpeg
#include "imagefile/jpeg_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::JPEGLoader loader;
  imagefile::JpegLoadOptions options;
  if (size % 2) {
    options.minWidth = 8;
    options.minHeight = 8;
  }
  imagefile::LinearBitmap bm;
  imagefile::JpegLoadResult read;
  if (!picture_fuzz::loadWith(loader, data, size, options, bm, read)) return 0;
  if (bm.size() > (1 << 18)) return 0;
  const std::vector<std::uint8_t> file = picture_fuzz::save(loader, bm, "JPG");
  imagefile::JPEGLoader again;
  imagefile::LinearBitmap back;
  if (!picture_fuzz::load(again, file.data(), file.size(), "JPG", back)) picture_fuzz::fail("our JPEG does not load");
  if (back.width() != bm.width() || back.height() != bm.height()) picture_fuzz::fail("JPEG size changed");
  return 0;
}
