// CRC-32, Adler-32, bit fields and Huffman codes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "imagefile/checksums.h"
#include "imagefile/huffman.h"

using namespace imagefile;
using Bytes = std::vector<std::uint8_t>;

TEST(Checksums, KnownValues) {
  const char* digits = "123456789";
  const std::span<const std::uint8_t> d(reinterpret_cast<const std::uint8_t*>(digits), 9);
  EXPECT_EQ(crc32Bytes(d), 0xCBF43926u);
  EXPECT_EQ(crc32Bytes({}), 0u);
  EXPECT_EQ(adler32Bytes({}), 1u);
  const std::uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(adler32Bytes(abc), 0x024D0127u);
  Adler32State s;
  EXPECT_EQ(adler32Result(s), 0x01000000u);  // stored in memory order: 00 00 00 01
}

TEST(Checksums, AgreeWithZlibOnEveryLengthAndAlignment) {
  std::mt19937 rng(1);
  Bytes data(300000);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  std::fill(data.begin() + 100000, data.begin() + 200000, 0xFF);  // sums near their bounds
  for (std::size_t off : {0u, 1u, 3u, 7u})
    for (std::size_t len : {0u, 1u, 7u, 8u, 9u, 5551u, 5552u, 5553u, 100000u, 299990u}) {
      const std::span<const std::uint8_t> s(data.data() + off, len);
      EXPECT_EQ(crc32Bytes(s), crc32(0, s.data(), static_cast<uInt>(len))) << off << " " << len;
      EXPECT_EQ(adler32Bytes(s), adler32(1, s.data(), static_cast<uInt>(len))) << off << " " << len;
    }
  // Byte by byte equals the block form.
  Adler32State one;
  for (std::size_t i = 0; i < 20000; ++i) adler32UpdateByte(one, data[100000 + i]);
  EXPECT_EQ(adler32Value(one), adler32(1, data.data() + 100000, 20000));
}

TEST(CRC32Stream, CountsWhatPassesInBothDirections) {
  MemStream m;
  CRC32Stream w(&m);
  w.write("1234", 4);
  w.write("56789", 5);
  EXPECT_EQ(w.getCRC(), 0xCBF43926u);
  w.resetCRC();
  EXPECT_EQ(w.getCRC(), 0u);
  m.setPosition(0);
  CRC32Stream r(&m);
  char buf[20];
  r.setStrict(false);
  EXPECT_EQ(r.read(buf, 20), 9u);  // only what was delivered is counted
  EXPECT_EQ(r.getCRC(), 0xCBF43926u);
}

TEST(BitStream, WritesLeastSignificantBitFirst) {
  MemStream m;
  {
    BitStream b(&m);
    b.writeBits(5, 3);
    b.writeBits(0, 5);
    b.writeBits(0x1FF, 9);
    b.flush();
  }
  EXPECT_EQ(m.bytes(), (Bytes{0x05, 0xFF, 0x01}));
}

TEST(BitStream, ReadsFieldsAndRaisesAtTheEndInsteadOfRepeatingTheLastByte) {
  const Bytes data = {0xB5, 0x0F};
  SpanStream s(data.data(), data.size());
  BitStream b(&s);
  std::uint8_t out[2] = {};
  EXPECT_EQ(b.readBits(out, 3), 3);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(b.readBits(out, 9), 9);  // crosses into the second byte
  EXPECT_EQ(out[0], 0xF6);
  EXPECT_EQ(out[1], 1);
  // Four bits are left: a whole piece of eight cannot be had, the single bits can.
  EXPECT_EQ(b.readBits(out, 8), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.readBit(), 0);
  EXPECT_THROW(b.readBit(), InOutError);
}

TEST(Huffman, CodeLengthsFromFrequencies) {
  HuffmanTable t;
  setHuffmanCount(t, 4);
  const std::uint32_t f[] = {1, 1, 2, 4};
  buildCodeLengths(t, f, 15);
  EXPECT_EQ(t.codes[0].length, 3u);
  EXPECT_EQ(t.codes[1].length, 3u);
  EXPECT_EQ(t.codes[2].length, 2u);
  EXPECT_EQ(t.codes[3].length, 1u);
  const std::uint32_t one[] = {0, 0, 9, 0};
  buildCodeLengths(t, one, 15);
  EXPECT_EQ(t.codes[2].length, 1u);
  EXPECT_EQ(t.codes[0].length, 0u);
  const std::uint32_t none[] = {0, 0, 0, 0};
  buildCodeLengths(t, none, 15);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.codes[i].length, 0u);
}

// Fibonacci frequencies make the deepest possible tree: far beyond the limit, folded back
// to a complete code within it.
TEST(Huffman, ExtremeFrequenciesAreLimitedAndStayComplete) {
  for (int maxBits : {7, 15}) {
    const int n = maxBits == 7 ? 19 : 40;
    HuffmanTable t;
    setHuffmanCount(t, n);
    std::vector<std::uint32_t> f(n);
    f[0] = f[1] = 1;
    for (int i = 2; i < n; ++i) f[i] = f[i - 1] + f[i - 2];
    buildCodeLengths(t, f.data(), maxBits);
    double kraft = 0;
    for (int i = 0; i < n; ++i) {
      ASSERT_GE(t.codes[i].length, 1u);
      ASSERT_LE(t.codes[i].length, static_cast<std::uint32_t>(maxBits));
      kraft += 1.0 / (1u << t.codes[i].length);
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0);
  }
}

TEST(Huffman, CanonicalCodesTreesAndDecoding) {
  HuffmanTable t;
  setHuffmanCount(t, 4);
  const std::uint8_t lengths[] = {2, 1, 3, 3};
  makeHuffmanCodes(t, lengths, 15);
  // 10, 0, 110, 111 before reversal.
  EXPECT_EQ(t.codes[0].code, reverseBits(2, 2));
  EXPECT_EQ(t.codes[1].code, 0u);
  EXPECT_EQ(t.codes[2].code, reverseBits(6, 3));
  EXPECT_EQ(t.codes[3].code, reverseBits(7, 3));
  HuffmanTree tree;
  setHuffmanCount(tree, 4);
  buildHuffmanTree(tree, t);
  MemStream m;
  {
    BitStream w(&m);
    for (int s : {3, 1, 0, 2, 1}) w.writeBits(t.codes[s].code, static_cast<int>(t.codes[s].length));
    w.flush();
  }
  m.setPosition(0);
  HuffmanBitStream r(&m);
  for (int s : {3, 1, 0, 2, 1}) EXPECT_EQ(r.decodeSymbol(tree), s);

  const std::uint8_t over[] = {1, 1, 1, 0};
  EXPECT_THROW(makeHuffmanCodes(t, over, 15), Error);
  // Incomplete: only "0" exists; a 1 bit leads nowhere.
  const std::uint8_t partial[] = {0, 1, 0, 0};
  buildHuffmanTreeFromLengths(tree, partial, 15);
  const Bytes ones = {0xFF};
  SpanStream s(ones.data(), ones.size());
  HuffmanBitStream r2(&s);
  try {
    r2.decodeSymbol(tree);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid Huffman code");
  }
}
