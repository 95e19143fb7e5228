#pragma once
// The compressing side of the Deflate stream: its window, match table, symbol buffer, code
// tables and bit output. It writes raw Deflate data to the stream it is given.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "imagefile/deflate.h"
#include "imagefile/huffman.h"
#include "imagefile/streams.h"

namespace imagefile {

class DeflateEncoder {
 public:
  explicit DeflateEncoder(BaseStream& out);
  DeflateEncoder(const DeflateEncoder&) = delete;
  DeflateEncoder& operator=(const DeflateEncoder&) = delete;

  // A change of block kind in the middle of the data first closes a block in the old kind
  // with what is pending.
  void setMode(DeflateMode mode);
  DeflateMode mode() const { return mode_; }
  // Shortest match used (3 to 258). Filtered picture rows pack better when short matches
  // stay literals, which the Huffman codes then take. Such data has few distinct byte
  // pairs, so a quarter of the usual candidates per position finds nearly every long match
  // at a fraction of the time.
  void setMinimumMatch(int length) {
    minMatch_ = length < 3 ? 3 : length > 258 ? 258 : length;
    chainLimit_ = minMatch_ >= 6 ? kChain / 4 : kChain;
  }

  void write(const std::uint8_t* data, std::size_t count);
  // Compresses what is pending and closes the open block (without BFINAL); whole bytes go
  // to the output stream, a partial last byte stays.
  void flush();
  // The final block, padding to a byte, everything handed to the output stream. Once only.
  void finish();
  bool finished() const { return finished_; }

 private:
  void storeInput(const std::uint8_t* p, std::size_t n);
  void consume(std::size_t n);
  void chainUpTo(std::uint64_t end);
  void rebase();
  void findMatch(int& length, int& distance);
  void fixedCoder();
  void dynamicCoder();
  void writeDynamicBlock();
  void storedBlock();
  void consumeOne();
  void putBits(std::uint32_t value, int count);
  void putBytes(const std::uint8_t* p, std::size_t n);
  void alignBits();
  void drainOutput(bool all);
  void emitLiteral(int lit);
  void emitMatch(int length, int distanceSymbol, int distanceBits, int distanceExtra);
  void bufferLiteral(int lit);
  void bufferMatch(int length, int distance);

  BaseStream& sink_;
  DeflateMode mode_ = kDeflateDynamic;
  int minMatch_ = 3;
  static constexpr int kChain = 64;  // the newest positions of a key that are kept
  int chainLimit_ = kChain;          // candidates looked at per position
  bool finished_ = false;
  std::unique_ptr<std::uint8_t[]> arena_;  // the window and the tables below
  std::uint8_t* window_ = nullptr;
  std::uint16_t cur_ = 0;     // next byte to compress
  std::uint16_t second_ = 0;  // where the next input byte goes
  std::uint32_t pending_ = 0;  // input bytes not yet compressed
  bool final_ = false;         // the next block header written carries BFINAL
  bool flushRequest_ = false;
  bool blockOpen_ = false;
  std::uint64_t absolute_ = 0;  // input bytes consumed since creation
  // Match table. A string is entered under its two-byte key once its second byte is
  // consumed, at that byte's absolute position p; only a key's newest chainLimit_ entries
  // are candidates. The search walks chains of three-byte hashes instead (a candidate that
  // differs in the third byte cannot win) and tells a key's newest entries by their rank:
  // keyCount_ counts the entries of each key, keyRank_[p] is the count when p was entered
  // (both modulo 2^16; a candidate within reach is less than 32768 entries old).
  std::uint16_t* keyCount_ = nullptr;
  std::uint16_t* keyRank_ = nullptr;  // a ring: only p within reach are read
  // Newest p per three-byte hash (0: none) and, per p, how far back the previous p of its
  // hash lies (0: none within reach; a ring like keyRank_). A string joins its chain once
  // its third byte is stored: at its own search, or when the bytes of a match are consumed.
  std::uint32_t* head3_ = nullptr;  // p - base_, see rebase()
  std::uint16_t* prev3_ = nullptr;
  std::uint64_t chained_ = 1;  // the next p to join its hash chain
  std::uint64_t base_ = 0;
  // The open dynamic block: its literals and matches (65537 at most), how many symbols and
  // extra-bit fields they stand for (a block is written when they reach 65527) and the
  // symbols' frequencies.
  std::vector<std::uint32_t> events_;
  std::size_t eventCount_ = 0;
  std::size_t symbolCount_ = 0;
  std::array<std::uint32_t, 288> litFreq_{};
  std::array<std::uint32_t, 32> distFreq_{};
  HuffmanTable litCodes_;
  HuffmanTable distCodes_;
  std::uint64_t bitAcc_ = 0;
  int bitCount_ = 0;
  std::uint8_t* out_ = nullptr;  // compressed bytes for the sink, outLen_ of them
  std::size_t outLen_ = 0;
};

}  // namespace imagefile
