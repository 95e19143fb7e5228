// libFuzzer target: arbitrary bytes into the Deflate decoder, and the same bytes through the
// compressor in each block mode (with either shortest match, whole or in pieces with
// flushes or changes of block kind between them) and back. The decoder may only raise the
// library's own errors and must agree, byte for byte and text for text, with the plain
// tree-walking decoder of the tests; a round trip must give the input back, and zlib must
// read our output too.
//
//   build/…/fuzz/kolvex_fuzz_inflate -max_len=70000 -timeout=10 corpus/
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "imagefile/deflate.h"
#include "imagefile/errors.h"
#include "imagefile/streams.h"
#include "tests/imagefile/reference_inflate.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::vector<std::uint8_t> zlibInflate(const std::vector<std::uint8_t>& packed, std::size_t size) {
  std::vector<std::uint8_t> out(size + 1);
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) fail("zlib init");
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  inflateEnd(&z);
  if (rc != Z_STREAM_END) fail("zlib rejects our output");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  const int which = data[0] % 4;
  if (which == 3) {
    std::string ours = "ok", theirs = "ok";
    std::vector<std::uint8_t> a, b;
    try {
      a = imagefile::inflateBytes(rest);
    } catch (const imagefile::Error& e) {
      ours = e.what();  // every malformed stream ends with one of our texts
    }
    try {
      b = reference::inflate(rest);
    } catch (const imagefile::Error& e) {
      theirs = e.what();
    }
    if (ours != theirs) fail("decoders disagree on the text");
    if (a != b) fail("decoders disagree on the bytes");
    return 0;
  }
  const std::vector<std::uint8_t> input(rest.begin(), rest.end());
  // The first byte's upper bits pick the shortest match and whether the input goes in
  // pieces, each followed by a flush or by a change of block kind.
  std::vector<std::uint8_t> packed;
  if ((data[0] & 0x0C) == 0) {
    packed = imagefile::deflateBytes(rest, static_cast<imagefile::DeflateMode>(which));
  } else {
    imagefile::VectorSink sink(packed);
    imagefile::DeflateStream d(&sink, imagefile::DeflateDirection::Compress);
    d.setCompressionMode(static_cast<imagefile::DeflateMode>(which));
    if (data[0] & 4) d.setMinimumMatch(6);
    const std::size_t piece = (data[0] & 8) ? 1 + (data[0] >> 5) * 997 : rest.size() + 1;
    int mode = which;
    for (std::size_t at = 0; at < rest.size(); at += piece) {
      d.write(rest.data() + at, std::min(piece, rest.size() - at));
      if (data[0] & 0x10)
        d.setCompressionMode(static_cast<imagefile::DeflateMode>(mode = (mode + 1) % 3));
      else if (data[0] & 8)
        d.flush();
    }
    d.finish();
  }
  if (imagefile::inflateBytes(packed) != input) fail("round trip differs");
  if (zlibInflate(packed, input.size()) != input) fail("zlib reads other bytes");
  return 0;
}
