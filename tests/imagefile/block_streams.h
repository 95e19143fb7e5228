#pragma once
// Deflate data written bit by bit: a bit writer for hand-made streams, and streams of very
// many small blocks (one fixed block per byte, runs of stored blocks) whose cost lies in
// starting blocks rather than in decoding symbols. Shared by the Deflate and PNG tests, the
// Deflate benchmark and the inflate fuzz target's seeds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace block_streams {

using Bytes = std::vector<std::uint8_t>;

// Bits written least significant first into bytes.
struct BitWriter {
  Bytes out;
  int used = 0;
  void put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used == 0) out.push_back(0);
      out.back() = static_cast<std::uint8_t>(out.back() | (((value >> i) & 1) << used));
      used = (used + 1) & 7;
    }
  }
  // A Huffman code goes out from its first (most significant) bit.
  void code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) put((code >> i) & 1, 1);
  }
  // Up to the next byte boundary with zero bits.
  void align() { used = 0; }
};

// A literal of the fixed literal/length code.
inline void fixedLiteral(BitWriter& w, std::uint8_t b) {
  if (b < 144) {
    w.code(0x30u + b, 8);
  } else {
    w.code(0x190u + (b - 144u), 9);
  }
}

// Every byte in a fixed block of its own: header, the literal, the end code.
inline Bytes fixedBlockPerByte(const Bytes& data) {
  BitWriter w;
  for (std::size_t i = 0; i < data.size(); ++i) {
    w.put(i + 1 == data.size() ? 1 : 0, 1);
    w.put(1, 2);
    fixedLiteral(w, data[i]);
    w.code(0, 7);
  }
  if (data.empty()) {
    w.put(1, 1);
    w.put(1, 2);
    w.code(0, 7);
  }
  return w.out;
}

// The data in stored blocks of 1 to maxLength bytes (lengths cycling), the last one final.
inline Bytes storedBlocks(const Bytes& data, std::size_t maxLength) {
  BitWriter w;
  std::size_t at = 0;
  std::size_t length = 1;
  do {
    const std::size_t n = std::min(length, data.size() - at);
    const bool last = at + n == data.size();
    w.put(last ? 1 : 0, 1);
    w.put(0, 2);
    w.align();
    w.out.push_back(static_cast<std::uint8_t>(n));
    w.out.push_back(static_cast<std::uint8_t>(n >> 8));
    w.out.push_back(static_cast<std::uint8_t>(~n));
    w.out.push_back(static_cast<std::uint8_t>(~n >> 8));
    w.out.insert(w.out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    length = length % maxLength + 1;
  } while (at < data.size());
  return w.out;
}

}  // namespace block_streams
