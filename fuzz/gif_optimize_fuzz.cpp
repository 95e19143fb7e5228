// libFuzzer target: a loaded GIF file optimised with options taken from the first byte. The
// optimiser may refuse (GifException), never crash, and what it leaves must save and load
// again with the same number of frames; the frame list hands out each frame a bounded number
// of times.
//
//   build/…/fuzz/kolvex_fuzz_gif_optimize -max_len=4096 -timeout=10 corpus/ fuzz/seeds/gif_optimize
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/optimize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int options = data[0] & 0x1F;
  gif::GifFile file;
  file.onWarning = [](int, const std::string&) {};
  gif::MemoryReader reader(data + 1, size - 1);
  gif::frameListSteps = 0;
  try {
    file.loadFromStream(reader);
  } catch (const gif::GifException&) {
    return 0;
  }
  const uint64_t frames = static_cast<uint64_t>(file.images().count());
  int64_t pixels = 0;
  for (int i = 0; i < file.images().count(); ++i) pixels += static_cast<int64_t>(file.images().image(i).data().size());
  if (pixels > (int64_t{1} << 20)) return 0;
  try {
    gif::optimizeFile(file, options, (data[0] >> 5) == 1 ? 9 : 0, 0, 8);
  } catch (const gif::GifException&) {
    return 0;
  }
  gif::MemoryStream out;
  try {
    file.saveToStream(out);
  } catch (const gif::GifException&) {
    return 0;  // pixels beyond their table, or nothing left to write
  }
  // Loading, optimising and saving visit each frame a few times, never once per other frame.
  if (gif::frameListSteps > 32 * (frames + 1)) std::abort();
  // What was written must load again. A frame of extensions only, before the last, merges
  // with the next frame on loading whether optimised or not: only regular files must keep
  // their frame count.
  bool regular = true;
  for (int i = 0; i + 1 < file.images().count(); ++i) regular = regular && !file.images().image(i).empty();
  gif::GifFile again;
  again.onWarning = [](int, const std::string&) {};
  gif::MemoryReader back(out.bytes().data(), out.bytes().size());
  try {
    again.loadFromStream(back);
  } catch (const gif::GifException&) {
    std::abort();
  }
  if (regular && again.images().count() != file.images().count()) std::abort();
  return 0;
}
