#pragma once
// Raw Deflate data (RFC 1951, no zlib wrapper) as a filter stream: read from the next stream
// and decompressed, or written to it compressed. A stream is made for one direction and
// holds only that side's state (DeflateEncoder or DeflateDecoder). The compressor is greedy
// over a table of two-byte keys with the 64 newest positions each; its output depends only
// on the bytes written, never on how the writes were split.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "imagefile/streams.h"

namespace imagefile {

class DeflateEncoder;
class DeflateDecoder;

enum DeflateMode : int { kDeflateDynamic = 0, kDeflateFixed = 1, kDeflateStored = 2 };
// AsNextAllows: compress when the next stream can be written, else decompress.
enum class DeflateDirection : int { AsNextAllows = -1, Decompress = 0, Compress = 1 };

class DeflateStream : public FilterStream {
 public:
  explicit DeflateStream(BaseStream* next, DeflateDirection direction = DeflateDirection::AsNextAllows);
  ~DeflateStream() override;

  // Block kind for compression (kDeflateDynamic after creation); a decompressing stream
  // ignores it.
  void setCompressionMode(DeflateMode mode);
  DeflateMode compressionMode() const;
  // Shortest match the compressor uses (3 to 258, 3 after creation); see DeflateEncoder.
  void setMinimumMatch(int length);

  std::size_t write(const void* buffer, std::size_t count) override;
  // Compresses what is pending and closes the open block (without BFINAL); the compressed
  // bytes made so far go to the next stream, a partial last byte stays.
  void flush() override;
  // Writing: the final block, padding to a byte, everything handed to the next stream.
  void finish() override;

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;
  std::int64_t availableImpl() override;

 private:
  std::unique_ptr<DeflateEncoder> encoder_;  // compressing streams only
  std::unique_ptr<DeflateDecoder> decoder_;  // decompressing streams only
};

// Compresses the bytes in one write and finishes the stream.
std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> data, DeflateMode mode = kDeflateDynamic);
// Decompresses raw Deflate data up to the end of its final block.
std::vector<std::uint8_t> inflateBytes(std::span<const std::uint8_t> raw);

}  // namespace imagefile
