// libFuzzer target: arbitrary bytes as a PNG or MNG file, read with or without the alpha
// option. The reader may only raise its own errors; a picture it reads must come back
// unchanged from our writer, in every filter mode, with its transparency, in a file whose
// tRNS never outruns its PLTE.
//
//   build/…/fuzz/kolvex_fuzz_png -max_len=65536 -timeout=10 fuzz/seeds/png
#include "imagefile/byte_order.h"
#include "imagefile/png_loader.h"
#include "picture_fuzz.h"

namespace {

// The chunks of our own file: a palette image's PLTE fits its bit depth and its tRNS fits
// the PLTE.
void checkChunks(const std::vector<std::uint8_t>& file) {
  int depth = 0, colorType = 0;
  std::int64_t plte = -1;
  for (std::size_t p = 8; p + 12 <= file.size();) {
    const std::uint32_t len = imagefile::be32(&file[p]);
    const std::uint8_t* type = &file[p + 4];
    if (p + 12 + len > file.size()) picture_fuzz::fail("chunk past the end of our file");
    if (std::memcmp(type, "IHDR", 4) == 0) {
      depth = file[p + 16];
      colorType = file[p + 17];
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      plte = len / 3;
      if (colorType == 3 && plte > (std::int64_t{1} << depth)) picture_fuzz::fail("PLTE longer than the depth allows");
    } else if (std::memcmp(type, "tRNS", 4) == 0 && colorType == 3 && (plte < 0 || len > plte)) {
      picture_fuzz::fail("tRNS longer than the PLTE");
    }
    p += 12 + len;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  picture_fuzz::limitPictures();
  const imagefile::PNGLoader loader;
  imagefile::LinearBitmap bm;
  const std::string ext = size > 0 && data[0] == 0x8A ? "MNG" : "PNG";
  imagefile::PngLoadOptions options;
  options.alpha = size % 3 == 0;
  imagefile::PngLoadResult read;
  if (!picture_fuzz::loadWith(loader, data, size, options, bm, read)) return 0;
  if (read.alphaBitmap && (read.alphaBitmap->width() != bm.width() || read.alphaBitmap->height() != bm.height()))
    picture_fuzz::fail("alpha bitmap of another size");
  // The bitmap keeps what the load found, for the registry's save to write back.
  if (!(bm.info() == static_cast<const imagefile::PictureInfo&>(read))) picture_fuzz::fail("bitmap lost the load's findings");
  if (bm.size() > (1 << 20)) return 0;  // keep the round trip quick
  imagefile::PngSaveOptions keep = imagefile::PngSaveOptions::keeping(read);
  keep.filterMode = static_cast<imagefile::PngFilterMode>(static_cast<int>(size % 8) - 3);
  const std::int64_t transparent = read.transparentValue;
  imagefile::MemStream out;
  loader.save(out, ext, bm, keep);
  const std::vector<std::uint8_t> file = out.bytes();
  checkChunks(file);
  imagefile::LinearBitmap back;
  imagefile::PngLoadResult again;
  if (!picture_fuzz::loadWith(loader, file.data(), file.size(), options, back, again))
    picture_fuzz::fail("our own file does not load");
  if (back.width() != bm.width() || back.height() != bm.height()) picture_fuzz::fail("size changed on the way back");
  if (back.pixelFormat() == bm.pixelFormat() &&
      std::memcmp(back.map(), bm.map(), static_cast<std::size_t>(bm.size())) != 0)
    picture_fuzz::fail("pixels changed on the way back");
  // A palette index or an 8-bit RGB colour comes back (read with the alpha option, a palette
  // picture's transparency comes back in its alpha table); grey levels the depth cannot take
  // are left out by design.
  if (back.pixelFormat() == imagefile::pf8bit && transparent >= 0 && transparent < 256 && !bm.isGrayScale()) {
    const bool kept = options.alpha ? again.alphaTable.size() == 256 && again.alphaTable[transparent] == 0
                                    : again.transparentValue == transparent;
    if (!kept) picture_fuzz::fail("transparent index lost on the way back");
  }
  return 0;
}
