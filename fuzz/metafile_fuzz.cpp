// libFuzzer target: arbitrary bytes as a WMF or EMF file through the player (natural size and
// a fixed rectangle). Only the library's errors may refuse an input; a canvas beyond the cap
// needs bitmaps to fill it; a file said to hold no bitmap draws nothing; a picture read must
// come back unchanged from our writers.
//
//   build/…/fuzz/kolvex_fuzz_metafile -max_len=65536 -timeout=10 fuzz/seeds/metafile
#include "imagefile/metafile.h"
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  imagefile::mapSizeLimit() = std::int64_t{1} << 20;  // the player draws every record over the canvas
  imagefile::Metafile mf;
  try {
    mf.load(std::vector<std::uint8_t>(data, data + size));
    // A canvas beyond the cap is made only for bitmaps whose bytes can fill it.
    const imagefile::Metafile::Size c = mf.canvasSize();
    const std::int64_t pixels = std::int64_t{c.width} * c.height;
    if (pixels > imagefile::Metafile::kFreeCanvasPixels &&
        pixels / imagefile::Metafile::kPixelsPerBitmapByte > static_cast<std::int64_t>(size))
      picture_fuzz::fail("a canvas beyond the cap that the file's bitmaps cannot fill");
    imagefile::LinearBitmap canvas;
    mf.render(canvas, 37, 23);
    // Without a bitmap record the player has nothing to draw: the viewer says so instead.
    if (!mf.hasBitmap())
      for (std::int64_t i = 0; i < canvas.size(); ++i)
        if (canvas.map()[i] != 255) picture_fuzz::fail("a metafile without a bitmap drew something");
  } catch (const imagefile::Error&) {
  }
  imagefile::WMFLoader loader;
  imagefile::LinearBitmap bm;
  if (!picture_fuzz::load(loader, data, size, "EMF", bm)) return 0;
  for (const char* ext : {"EMF", "WMF"}) {
    // A WMF holds 16-bit sizes: larger pictures are refused on writing, by design.
    if (ext[0] == 'W' && (bm.width() > 32767 || bm.height() > 32767)) continue;
    const std::vector<std::uint8_t> file = picture_fuzz::save(loader, bm, ext);
    imagefile::LinearBitmap back;
    if (!picture_fuzz::load(loader, file.data(), file.size(), ext, back)) picture_fuzz::fail("our metafile does not load");
    if (back.width() != bm.width() || back.height() != bm.height()) picture_fuzz::fail("metafile size changed");
    if (back.pixelFormat() == bm.pixelFormat() && bm.pixelFormat() == imagefile::pf24bit &&
        std::memcmp(back.map(), bm.map(), static_cast<std::size_t>(bm.size())) != 0)
      picture_fuzz::fail("metafile pixels changed");
  }
  return 0;
}
