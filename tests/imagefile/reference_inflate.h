#pragma once
// A second Deflate decoder that walks the Huffman trees bit by bit, built from the same
// routines as the library's codes (makeHuffmanCodes, buildHuffmanTree, decodeSymbol). Slow
// and plain on purpose: the table-driven decoder must give the same bytes and, for damaged
// data, the same text.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "imagefile/errors.h"
#include "imagefile/huffman.h"
#include "imagefile/streams.h"

namespace reference {

inline std::vector<std::uint8_t> inflate(std::span<const std::uint8_t> raw) {
  using namespace imagefile;
  SpanStream in(raw.data(), raw.size());
  in.setStrict(false);
  HuffmanBitStream bits(&in);
  auto take = [&](int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint32_t>(bits.readBit()) << i;
    return v;
  };
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> window(65536, 0);
  std::uint16_t pos = 0;
  auto put = [&](std::uint8_t b) {
    out.push_back(b);
    window[pos++] = b;
  };
  static const int base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  bool final = false;
  HuffmanTree lit, dist;
  while (!final) {
    final = take(1) != 0;
    const int type = static_cast<int>(take(2));
    if (type == 0) {
      bits.flush();
      std::uint8_t hdr[4];
      if (in.readSome(hdr, 4) < 4) throw InOutError(text::kReadLessThanExpected);
      const int len = hdr[0] | (hdr[1] << 8);
      if ((len ^ 0xFFFF) != (hdr[2] | (hdr[3] << 8))) throw Error(text::kErrorInCompressedData);
      std::vector<std::uint8_t> data(static_cast<std::size_t>(len));
      if (in.readSome(data.data(), data.size()) < data.size()) throw InOutError(text::kReadLessThanExpected);
      for (std::uint8_t b : data) put(b);
      continue;
    }
    if (type == 3) throw Error(text::kErrorInCompressedData);
    std::array<std::uint8_t, 288> litLengths{};
    std::array<std::uint8_t, 32> distLengths{};
    int litSymbols = 288;
    if (type == 1) {
      for (int i = 0; i < 288; ++i) litLengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
      distLengths.fill(5);
      litSymbols = 286;
    } else {
      const int hlit = static_cast<int>(take(5)) + 257;
      const int hdist = static_cast<int>(take(5)) + 1;
      const int hclen = static_cast<int>(take(4)) + 4;
      if (hlit > 286 || hdist > 30) throw Error(text::kErrorInCompressedData);
      std::array<std::uint8_t, 19> cl{};
      for (int i = 0; i < hclen; ++i) cl[order[i]] = static_cast<std::uint8_t>(take(3));
      HuffmanTree clTree;
      setHuffmanCount(clTree, 19);
      buildHuffmanTreeFromLengths(clTree, cl.data(), 7);
      std::array<std::uint8_t, 320> lengths{};
      int i = 0;
      while (i < hlit + hdist) {
        const int sym = bits.decodeSymbol(clTree);
        if (sym < 16) {
          lengths[i++] = static_cast<std::uint8_t>(sym);
          continue;
        }
        int repeat;
        std::uint8_t value = 0;
        if (sym == 16) {
          if (i == 0) throw Error(text::kErrorInCompressedData);
          value = lengths[i - 1];
          repeat = 3 + static_cast<int>(take(2));
        } else if (sym == 17) {
          repeat = 3 + static_cast<int>(take(3));
        } else {
          repeat = 11 + static_cast<int>(take(7));
        }
        if (i + repeat > hlit + hdist) throw Error(text::kErrorInCompressedData);
        while (repeat--) lengths[i++] = value;
      }
      for (int k = 0; k < hdist; ++k) distLengths[k] = lengths[hlit + k];
      for (int k = 0; k < hlit; ++k) litLengths[k] = lengths[k];
    }
    setHuffmanCount(dist, 32);
    buildHuffmanTreeFromLengths(dist, distLengths.data(), 15);
    HuffmanTable litTable;
    setHuffmanCount(litTable, 288);
    makeHuffmanCodes(litTable, litLengths.data(), 15);
    for (int k = litSymbols; k < 288; ++k) litTable.codes[k] = HuffmanCode{};  // no symbols
    setHuffmanCount(lit, 288);
    buildHuffmanTree(lit, litTable);
    for (;;) {
      const int sym = bits.decodeSymbol(lit);
      if (sym < 256) {
        put(static_cast<std::uint8_t>(sym));
        continue;
      }
      if (sym == 256) break;
      if (sym > 285) throw Error(text::kErrorInCompressedData);
      int length = base[sym - 257] + static_cast<int>(take(extra[sym - 257]));
      const int ds = bits.decodeSymbol(dist);
      std::uint32_t d;
      if (ds < 4) {
        d = static_cast<std::uint32_t>(ds) + 1;
      } else {
        const int e = (ds - 4) / 2 + 1;
        d = ((static_cast<std::uint32_t>(ds & 1) << e) | take(e)) + (1u << (e + 1)) + 1;
      }
      if (d > out.size()) throw Error(text::kErrorInCompressedData);
      std::uint16_t from = static_cast<std::uint16_t>(pos - d);
      while (length--) put(window[from++]);
    }
  }
  return out;
}

}  // namespace reference
