#pragma once
// The decompressing side of the Deflate stream: its input buffer and bit reader, decoding
// tables and window. It reads raw Deflate data from the stream it is given and hands back
// to that stream whatever it fetched beyond the final block.
#include <cstdint>
#include <vector>

#include "imagefile/streams.h"

namespace imagefile {

class DeflateDecoder {
 public:
  explicit DeflateDecoder(BaseStream& in);
  DeflateDecoder(const DeflateDecoder&) = delete;
  DeflateDecoder& operator=(const DeflateDecoder&) = delete;

  // Up to count decoded bytes; after the final block none, or with strict
  // "Read less than expected".
  std::size_t read(void* buffer, std::size_t count, bool strict);
  // The input stream's bytes plus what is fetched or decoded and not yet handed out.
  std::int64_t available();

  // Test seam: decoding tables built so far in this process, by every decoder together. The
  // fixed block's tables are built once and shared, so a stream of fixed blocks adds none
  // after the first.
  static std::uint64_t tablesBuilt();

 private:
  struct DecodeTable {
    std::vector<std::uint32_t> entries;
    int primaryBits = 0;
  };
  bool fillInput();
  void refill();
  std::uint32_t takeBits(int n);
  int decode(const DecodeTable& table);
  // Symbols from `usable` on keep their place in the code but decode as missing branches.
  static void buildTable(DecodeTable& table, const std::uint8_t* lengths, int n, int usable = -1);
  static const DecodeTable& fixedLiteralTable();
  static const DecodeTable& fixedDistanceTable();
  void readHeader();
  void readDynamicTables();
  // To the next byte boundary, with the bit buffer's whole bytes given back to the input
  // buffer where they came from it.
  void alignToInput();
  void readStoredBytes(std::uint8_t* dst, std::size_t n);
  void giveBackInput();
  void appendHistory(const std::uint8_t* p, std::size_t n);
  void decodeSymbols(std::size_t want);

  BaseStream& source_;
  std::vector<std::uint8_t> window_;
  std::uint16_t cur_ = 0;      // where the next decoded byte goes
  std::uint16_t second_ = 0;   // first decoded byte not handed out
  std::uint32_t pending_ = 0;  // decoded bytes not handed out
  bool final_ = false;         // the block being decoded carries BFINAL
  enum class State { Header, Stored, Symbols, End };
  State state_ = State::Header;
  std::uint32_t storedLeft_ = 0;  // bytes of the current stored block still to deliver
  std::uint64_t produced_ = 0;    // bytes decoded so far (no distance may reach before them)
  std::vector<std::uint8_t> in_;
  std::size_t inPos_ = 0;
  std::size_t inEnd_ = 0;
  std::uint64_t bitBuf_ = 0;
  int bitsIn_ = 0;
  bool inputEnded_ = false;
  // The tables of the block being decoded: the shared fixed ones, or this decoder's own,
  // built from a dynamic block's header into storage that later blocks reuse.
  const DecodeTable* litTable_ = nullptr;
  const DecodeTable* distTable_ = nullptr;
  DecodeTable dynamicLit_;
  DecodeTable dynamicDist_;
  DecodeTable codeLengthTable_;
};

}  // namespace imagefile
