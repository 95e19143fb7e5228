#pragma once
// Shared by the picture readers' fuzz targets: the input as a library stream, pictures kept
// small, and the library's own errors as the only accepted way to refuse an input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imagefile/errors.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"

namespace picture_fuzz {

[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// Pictures of at most 16 MB: larger sizes are refused as "Invalid bitmap size" before any
// allocation, which keeps the fuzzer inside its memory limit.
inline void limitPictures() { imagefile::mapSizeLimit() = std::int64_t{1} << 24; }

// Loads through the loader; true when it gave a picture, false when it raised the library's
// error. Anything else escapes and is a finding.
inline bool load(imagefile::BitmapLoader& loader, const std::uint8_t* data, std::size_t size,
                 const std::string& ext, imagefile::LinearBitmap& bm) {
  imagefile::SpanStream s(data, size);
  try {
    loader.loadFromStream(s, ext, bm);
  } catch (const imagefile::Error&) {
    return false;
  }
  if (!bm.present()) fail("a load without error left no picture");
  return true;
}

// The same through a loader's own call with the options of one call; its result in result.
template <typename Loader, typename Options, typename Result>
bool loadWith(const Loader& loader, const std::uint8_t* data, std::size_t size, const Options& options,
              imagefile::LinearBitmap& bm, Result& result) {
  imagefile::SpanStream s(data, size);
  try {
    result = loader.load(s, bm, options);
  } catch (const imagefile::Error&) {
    return false;
  }
  if (!bm.present()) fail("a load without error left no picture");
  return true;
}

inline std::vector<std::uint8_t> save(imagefile::BitmapLoader& loader, imagefile::LinearBitmap& bm,
                                      const std::string& ext) {
  imagefile::MemStream m;
  loader.saveToStream(m, ext, bm);
  return m.bytes();
}

// Our writer's file must read back to the same pixels (and palette).
inline void roundTrip(imagefile::BitmapLoader& loader, imagefile::LinearBitmap& bm, const std::string& ext) {
  const std::vector<std::uint8_t> file = save(loader, bm, ext);
  imagefile::LinearBitmap back;
  if (!load(loader, file.data(), file.size(), ext, back)) fail("our own file does not load");
  if (back.width() != bm.width() || back.height() != bm.height()) fail("size changed on the way back");
  if (back.pixelFormat() == bm.pixelFormat() &&
      std::memcmp(back.map(), bm.map(), static_cast<std::size_t>(bm.size())) != 0)
    fail("pixels changed on the way back");
}

}  // namespace picture_fuzz
