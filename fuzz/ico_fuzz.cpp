// libFuzzer target: arbitrary bytes as an icon or cursor file, through the loader (image 0,
// no window) and the viewer's reading of every image with alpha. Only the library's errors
// may refuse an input; a picture read is written as an icon and must read back.
//
//   build/…/fuzz/kolvex_fuzz_ico -max_len=65536 -timeout=10 fuzz/seeds/ico
#include "imagefile/ico_loader.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  {
    imagefile::IconList list;
    imagefile::SpanStream s(data, size);
    try {
      list.loadFromStream(s, true);
      for (const auto& im : list.images) (void)im->toArgb();
    } catch (const imagefile::Error&) {
    }
  }
  imagefile::ICOLoader loader;
  imagefile::LinearBitmap bm;
  if (!picture_fuzz::load(loader, data, size, "ICO", bm)) return 0;
  const std::vector<std::uint8_t> file = picture_fuzz::save(loader, bm, size % 2 ? "ICO" : "CUR");
  imagefile::LinearBitmap back;
  if (!picture_fuzz::load(loader, file.data(), file.size(), "ICO", back)) picture_fuzz::fail("our icon does not load");
  if (back.width() != bm.width() || back.height() != bm.height()) picture_fuzz::fail("icon size changed");
  return 0;
}
