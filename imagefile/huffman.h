#pragma once
// Huffman codes of Deflate: code tables from frequencies or from code lengths, the decoding
// tree, and the bit streams that read and write bit fields least significant bit first.
#include <array>
#include <cstdint>

#include "imagefile/streams.h"

namespace imagefile {

inline constexpr int kMaxHuffmanSymbols = 289;

struct HuffmanCode {
  std::uint32_t code = 0;    // bit-reversed, ready for least-significant-first output
  std::uint32_t length = 0;  // 0: the symbol has no code
};

struct HuffmanTable {
  int count = 0;  // symbols - 1
  std::array<HuffmanCode, kMaxHuffmanSymbols> codes{};
};

inline constexpr std::uint16_t kNoNode = 0xFFFF;

struct HuffmanNode {
  std::uint16_t one = kNoNode;   // node reached on bit 1
  std::uint16_t zero = kNoNode;  // node reached on bit 0
  std::uint16_t back = kNoNode;  // symbol: the node holding it; inner node: its parent
};

// A complete code of n symbols has n - 1 inner nodes. An incomplete canonical code has one
// more for every depth at which its last code leaves a branch empty: up to 32 more.
inline constexpr int kMaxHuffmanNodes = 2 * kMaxHuffmanSymbols + 32;

struct HuffmanTree {
  int count = 0;     // symbols - 1 (nodes 0..count are the symbols)
  int lastNode = 0;  // last inner node allocated
  int root = 0;
  std::array<HuffmanNode, kMaxHuffmanNodes> nodes{};
};

void setHuffmanCount(HuffmanTable& table, int count);
void setHuffmanCount(HuffmanTree& tree, int count);
// Canonical codes (RFC 1951, 3.2.2) for the lengths; lengths above maxBits are ignored.
// Over-subscribed lengths (more codes than a prefix code can hold) raise "Error in
// compressed data"; incomplete ones are allowed.
void makeHuffmanCodes(HuffmanTable& table, const std::uint8_t* lengths, int maxBits);
// Symbol i gets code i reversed over bits (the fixed distance code).
void makeFixedCodes(HuffmanTable& table, int bits);
// Code lengths of at most maxBits and their canonical codes from symbol frequencies.
void buildCodeLengths(HuffmanTable& table, const std::uint32_t* frequencies, int maxBits);
void buildHuffmanTree(HuffmanTree& tree, const HuffmanTable& table);
void buildHuffmanTreeFromLengths(HuffmanTree& tree, const std::uint8_t* lengths, int maxBits);

// Reverses the low `bits` bits of a value.
std::uint32_t reverseBits(std::uint32_t value, int bits);

class BitStream : public FilterStream {
 public:
  explicit BitStream(BaseStream* next);
  ~BitStream() override;

  // The low count (at most 32) bits of value, least significant first.
  void writeBits(std::uint32_t value, int count);
  // count bits into consecutive bytes of buffer; returns the bits delivered (fewer at the
  // end of the next stream).
  int readBits(void* buffer, int count);
  // The next bit; at the end of the next stream "Read less than expected".
  int readBit();
  // Writes a pending partial byte (zero-padded); on the read side drops to a byte boundary.
  void flush() override;

 protected:
  std::int64_t availableImpl() override;

 private:
  bool fetch();
  int writeCount_ = 0;  // bits in the pending output byte
  int readPos_ = 0;     // bits taken from the current input byte (0: none read yet)
  std::uint8_t buffer_ = 0;
};

class HuffmanBitStream : public BitStream {
 public:
  using BitStream::BitStream;
  // Walks the tree bit by bit; a missing branch raises "Invalid Huffman code".
  int decodeSymbol(const HuffmanTree& tree);
};

}  // namespace imagefile
