#pragma once
// Raw Deflate data (RFC 1951, no zlib wrapper) as a filter stream: read from the next stream
// and decompressed, or written to it compressed. The compressor is greedy over a table of
// two-byte keys with the 64 newest positions each; its output depends only on the bytes
// written, never on how the writes were split.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "imagefile/huffman.h"
#include "imagefile/streams.h"

namespace imagefile {

enum DeflateMode : int { kDeflateDynamic = 0, kDeflateFixed = 1, kDeflateStored = 2 };
// AsNextAllows: compress when the next stream can be written, else decompress.
enum class DeflateDirection : int { AsNextAllows = -1, Decompress = 0, Compress = 1 };

class DeflateStream : public FilterStream {
 public:
  explicit DeflateStream(BaseStream* next, DeflateDirection direction = DeflateDirection::AsNextAllows);
  ~DeflateStream() override;

  // Block kind for compression (kDeflateDynamic after creation).
  void setCompressionMode(DeflateMode mode) { mode_ = mode; }
  DeflateMode compressionMode() const { return mode_; }
  // Shortest match the compressor uses (3 to 258, 3 after creation). Filtered picture rows
  // pack better when short matches stay literals, which the Huffman codes then take.
  // Such data has few distinct byte pairs, so a quarter of the usual candidates per position
  // finds nearly every long match at a fraction of the time.
  void setMinimumMatch(int length) {
    minMatch_ = length < 3 ? 3 : length > 258 ? 258 : length;
    chainLimit_ = minMatch_ >= 6 ? kChain / 4 : kChain;
  }

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
  struct DecodeTable {
    std::vector<std::uint32_t> entries;
    int primaryBits = 0;
  };
  // compression
  void storeInput(const std::uint8_t* p, std::size_t n);
  void consume(std::size_t n);
  void findMatch(int& length, int& distance);
  void fixedCoder();
  void dynamicCoder();
  void writeDynamicBlock();
  void storedBlock();
  void putBits(std::uint32_t value, int count);
  void alignBits();
  void drainOutput(bool all);
  void emitLiteralFixed(int lit);
  void emitMatchFixed(int length, int distance);
  void bufferLiteral(int lit);
  void bufferMatch(int length, int distance);
  // decompression
  bool fillInput();
  void refill();
  std::uint32_t takeBits(int n);
  int decode(const DecodeTable& table);
  // Symbols from `usable` on keep their place in the code but decode as missing branches.
  void buildTable(DecodeTable& table, const std::uint8_t* lengths, int n, int usable = -1);
  void readHeader();
  void readDynamicTables();
  void readStoredBytes(std::uint8_t* dst, std::size_t n);
  void giveBackInput();
  void appendHistory(const std::uint8_t* p, std::size_t n);
  void decodeSymbols(std::size_t want);

  DeflateMode mode_ = kDeflateDynamic;
  int minMatch_ = 3;
  static constexpr int kChain = 64;  // the newest positions of a key that are kept
  int chainLimit_ = kChain;          // candidates looked at per position
  bool finished_ = false;
  std::vector<std::uint8_t> window_;
  std::uint16_t cur_ = 0;      // read: next decoded byte goes here; write: next byte to compress
  std::uint16_t second_ = 0;   // read: first byte not handed out; write: where input goes
  std::uint32_t pending_ = 0;
  bool final_ = false;
  bool flushRequest_ = false;
  bool blockOpen_ = false;

  // write side
  std::uint64_t absolute_ = 0;
  struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
  };
  // Match table: the newest position of each two-byte key (64-bit absolute positions, so
  // nothing wraps) and, per position, how far back the key's previous position lies.
  std::unique_ptr<std::uint64_t[], FreeDeleter> head_;
  std::unique_ptr<std::uint16_t[]> prev_;
  std::unique_ptr<std::uint32_t[]> symbols_;  // 65537 entries, filled before read
  std::size_t symbolCount_ = 0;
  HuffmanTable litCodes_;
  HuffmanTable distCodes_;
  std::uint64_t bitAcc_ = 0;
  int bitCount_ = 0;
  std::vector<std::uint8_t> out_;

  // read side
  enum class State { Header, Stored, Pending, Symbols, End };
  State state_ = State::Header;
  bool huffmanBlock_ = false;
  std::uint32_t storedLeft_ = 0;  // bytes of the current stored block still to deliver
  std::uint64_t produced_ = 0;  // bytes decoded so far (no distance may reach before them)
  std::vector<std::uint8_t> in_;
  std::size_t inPos_ = 0;
  std::size_t inEnd_ = 0;
  std::uint64_t bitBuf_ = 0;
  int bitsIn_ = 0;
  bool inputEnded_ = false;
  DecodeTable litTable_;
  DecodeTable distTable_;
};

// Compresses the bytes in one write and finishes the stream.
std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> data, DeflateMode mode = kDeflateDynamic);
// Decompresses raw Deflate data up to the end of its final block.
std::vector<std::uint8_t> inflateBytes(std::span<const std::uint8_t> raw);

}  // namespace imagefile
