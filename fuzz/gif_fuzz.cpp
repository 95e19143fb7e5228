// libFuzzer target: arbitrary bytes loaded as a whole GIF file by the file model. A load may
// end in a GifException (or warnings), never in a crash, a sanitizer report or a hang. What
// loads is saved again (unless it is very large).
//
//   build/…/fuzz/kolvex_fuzz_gif -max_len=4096 -timeout=10 corpus/ fuzz/seeds/gif
#include <cstddef>
#include <cstdint>
#include <new>

#include "gif/errors.h"
#include "gif/gif_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::GifFile file;
  size_t warnings = 0;
  file.onWarning = [&warnings](int, const std::string&) { ++warnings; };
  gif::MemoryReader reader(data, size);
  try {
    file.loadFromStream(reader);
  } catch (const gif::GifException&) {
    return 0;
  }
  // Frames may legitimately hold up to 2^28 pixels; writing those back is honest work but
  // would only slow the search down.
  int64_t pixels = 0;
  for (int i = 0; i < file.images().count(); ++i) pixels += static_cast<int64_t>(file.images().image(i).data().size());
  if (pixels > (int64_t{1} << 22)) return 0;
  try {
    gif::MemoryStream out;
    file.saveToStream(out);
  } catch (const gif::GifException&) {
    // Frames whose pixels lie beyond their table cannot be written back; that is reported.
  }
  return 0;
}
