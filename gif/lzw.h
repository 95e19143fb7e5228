#pragma once
// LZW coding of a frame's pixel indices as GIF image data: the decoder, the sub-block writer
// and two encoders (true LZW and run-length coding expressed in valid LZW codes).
#include <array>
#include <cstdint>
#include <vector>

#include "gif/stream.h"

namespace gif {

class GifSubImage;
class GifFile;

// Rows in the order they are stored: top-down, or the four passes of interlacing.
std::vector<int> rowOrder(int height, bool interlaced);

// Fills the frame's pixels from the data at the stream's position (code size byte, data
// sub-blocks, terminator) and leaves the stream after the terminator.
void decodeFrame(GifSubImage& frame, ByteStream& s);
// The most pixels the image data at the stream's position could decode to, at LZW's largest
// expansion; the stream is left where it was. Frames are measured against it before their
// pixels are allocated, so a few bytes cannot ask for gigabytes.
int64_t maxDecodablePixels(ByteStream& s);
// Writes the code size byte, the data sub-blocks and the terminator; a frame without a local
// table is coded with the picture's bits per pixel, `pictureBits`.
void compressFrame(const GifSubImage& frame, ByteStream& s, int pictureBits);

// Cuts written bytes into sub-blocks of at most 255 bytes; never writes the terminator.
class GifWriter {
 public:
  explicit GifWriter(ByteStream& target) : target_(target) {}
  ~GifWriter() noexcept(false);
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;
  size_t write(const void* buffer, size_t count);
  void writeByte(uint8_t b) {
    buffer_[pos_++] = b;
    if (pos_ == 256) flushFull();
  }
  void flush();

 private:
  void flushFull();
  ByteStream& target_;
  std::array<uint8_t, 256> buffer_{};
  size_t pos_ = 1;
};

// Open-addressing table of (prefix << 8 | pixel) -> code for the LZW encoder: each entry
// holds key << 12 | code, all ones when empty. At most 4093 codes live in its 8192 entries,
// and the next lookup waits for this one, so the hash is one multiplication.
class HashTable {
 public:
  static constexpr int kSize = 8192;
  HashTable() { clear(); }
  void clear() { table_.fill(0xFFFFFFFFu); }
  void insert(uint32_t key, int code) {
    uint32_t h = hash(key);
    while (table_[h] != 0xFFFFFFFFu) h = (h + 1) & (kSize - 1);
    table_[h] = (key << 12) | (static_cast<uint32_t>(code) & 0xFFF);
  }
  int lookup(uint32_t key) const {
    for (uint32_t h = hash(key);; h = (h + 1) & (kSize - 1)) {
      const uint32_t e = table_[h];
      if (e == 0xFFFFFFFFu) return -1;
      if ((e >> 12) == key) return static_cast<int>(e & 0xFFF);
    }
  }

 private:
  static uint32_t hash(uint32_t key) { return (key * 2654435761u) >> 19; }
  std::array<uint32_t, kSize> table_;
};

// Pixels of one frame in storage order, checked against the colour limit.
struct EncoderInput {
  const uint8_t* pixels;
  int width;
  int height;
  bool interlaced;
  int bitsPerPixel;  // of the table; at least 2 is used
  int colorLimit;
};

// Both encoders: code size byte, data sub-blocks, terminator.
void lzwCompress(ByteStream& s, const EncoderInput& in);
void rleCompress(ByteStream& s, const EncoderInput& in);

}  // namespace gif
