#include "imagefile/deflate_decoder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "imagefile/byte_order.h"
#include "imagefile/deflate_tables.h"
#include "imagefile/huffman.h"

namespace imagefile {

namespace {

using namespace deflate_tables;

constexpr std::size_t kInChunk = 1 << 14;
// Decoded bytes not yet handed out stay below this, so 32768 bytes of history and a whole
// match always fit in the window beside them.
constexpr std::uint32_t kMaxPendingDecoded = 32768 - 258;

// Decode table entries: value (16 bits), length or sub-table bits (bits 16..20), kind.
constexpr std::uint32_t kSymbol = 0u << 24;
constexpr std::uint32_t kLink = 1u << 24;
constexpr std::uint32_t kInvalid = 2u << 24;
inline std::uint32_t entry(std::uint32_t kind, int len, std::uint32_t value) {
  return kind | (static_cast<std::uint32_t>(len) << 16) | value;
}

std::atomic<std::uint64_t> tablesBuiltSoFar{0};

}  // namespace

DeflateDecoder::DeflateDecoder(BaseStream& in) : source_(in) {
  in_.resize(kInChunk);
  // Zeroed, so a distance reaching before the data can never show stale memory.
  window_.assign(kWindow, 0);
}

bool DeflateDecoder::fillInput() {
  if (inputEnded_) return false;
  inPos_ = 0;
  inEnd_ = source_.readSome(in_.data(), in_.size());
  if (inEnd_ == 0) inputEnded_ = true;
  return inEnd_ > 0;
}

void DeflateDecoder::refill() {
  while (bitsIn_ <= 56) {
    if (inEnd_ - inPos_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, in_.data() + inPos_, 8);
      bitBuf_ |= word << bitsIn_;
      const int take = (63 - bitsIn_) >> 3;
      inPos_ += static_cast<std::size_t>(take);
      bitsIn_ += take * 8;
      // Only whole bytes taken count; the rest of the word must not linger above them, or
      // bytes later read around the bit buffer (stored data) would be mixed with them.
      bitBuf_ &= (1ull << bitsIn_) - 1;
      return;
    }
    if (inPos_ == inEnd_ && !fillInput()) return;
    bitBuf_ |= static_cast<std::uint64_t>(in_[inPos_++]) << bitsIn_;
    bitsIn_ += 8;
  }
}

std::uint32_t DeflateDecoder::takeBits(int n) {
  if (bitsIn_ < n) {
    refill();
    // The input ended inside the data: nothing may be made up from old bits.
    if (bitsIn_ < n) throw InOutError(text::kReadLessThanExpected);
  }
  const std::uint32_t v = static_cast<std::uint32_t>(bitBuf_ & ((1ull << n) - 1));
  bitBuf_ >>= n;
  bitsIn_ -= n;
  return v;
}

void DeflateDecoder::buildTable(DecodeTable& t, const std::uint8_t* lengths, int n, int usable) {
  tablesBuiltSoFar.fetch_add(1, std::memory_order_relaxed);
  if (usable < 0) usable = n;
  std::array<int, 16> count{};
  int maxLen = 0;
  for (int i = 0; i < n; ++i) {
    ++count[lengths[i]];
    maxLen = std::max<int>(maxLen, lengths[i]);
  }
  count[0] = 0;
  int left = 1;
  for (int len = 1; len <= 15; ++len) {
    left = 2 * left - count[len];
    // Over-subscribed: two symbols would share a code.
    if (left < 0) throw Error(text::kErrorInCompressedData);
  }
  const bool complete = left == 0 && usable == n;
  // Codes longer than the primary bits exist only when the primary table has its full 10
  // bits, so a sub-table never needs more than 15 - 10 bits.
  constexpr int kMaxPrimary = 10;
  const int primary = std::clamp(maxLen, 1, kMaxPrimary);
  t.primaryBits = primary;
  const std::uint32_t primarySize = 1u << primary;

  std::array<std::uint32_t, 16> next{};
  std::uint32_t code = 0;
  for (int len = 1; len <= 15; ++len) {
    code = (code + static_cast<std::uint32_t>(count[len - 1])) << 1;
    next[len] = code;
  }
  // Reversed codes (set for every symbol with a length) and, for long codes, the widest
  // sub-table each primary prefix needs. Scratch on the stack: a block start allocates
  // nothing beyond the table itself, whose storage the decoder keeps.
  std::array<std::uint32_t, 320> rev;
  std::array<std::uint8_t, 1u << kMaxPrimary> subBits;
  std::fill_n(subBits.begin(), primarySize, 0);
  for (int s = 0; s < n; ++s) {
    const int len = lengths[s];
    if (!len) continue;
    rev[s] = reverseBits(next[len]++, len);
    if (len > primary) {
      std::uint8_t& b = subBits[rev[s] & (primarySize - 1)];
      b = static_cast<std::uint8_t>(std::max(static_cast<int>(b), len - primary));
    }
  }
  std::size_t total = primarySize;
  std::array<std::uint32_t, 1u << kMaxPrimary> subStart;  // set where subBits is
  for (std::uint32_t i = 0; i < primarySize; ++i)
    if (subBits[i]) {
      subStart[i] = static_cast<std::uint32_t>(total);
      total += 1u << subBits[i];
    }
  t.entries.assign(total, entry(kInvalid, 0, 0));
  for (std::uint32_t i = 0; i < primarySize; ++i)
    if (subBits[i]) t.entries[i] = entry(kLink, subBits[i], subStart[i]);
  for (int s = 0; s < usable; ++s) {
    const int len = lengths[s];
    if (!len) continue;
    if (len <= primary) {
      for (std::uint32_t k = rev[s]; k < primarySize; k += 1u << len)
        t.entries[k] = entry(kSymbol, len, static_cast<std::uint32_t>(s));
    } else {
      const std::uint32_t p = rev[s] & (primarySize - 1);
      const int sb = subBits[p];
      const std::uint32_t high = rev[s] >> primary;
      for (std::uint32_t k = high; k < (1u << sb); k += 1u << (len - primary))
        t.entries[subStart[p] + k] = entry(kSymbol, len, static_cast<std::uint32_t>(s));
    }
  }
  if (complete) return;
  // An incomplete code is legal until a missing branch is met. Each empty entry learns how
  // many bits lead to that branch, its shortest prefix that no usable code begins with: a
  // decoder given fewer bits must report the truncation, as one walking the tree bit by bit
  // would. Primary entries: every missing branch of l bits whose (l - 1)-bit parent leads
  // on covers the entries that begin with it.
  auto at = [](int l, std::uint32_t bits) { return (1u << l) | (bits & ((1u << l) - 1)); };
  std::array<std::uint8_t, 2u << kMaxPrimary> leads{};  // at(l, prefix), l up to primary
  for (int s = 0; s < usable; ++s)
    for (int l = 1; l <= std::min<int>(lengths[s], primary); ++l) leads[at(l, rev[s])] = 1;
  for (int l = 1; l <= primary; ++l)
    for (std::uint32_t p = 0; p < (1u << l); ++p) {
      if (leads[at(l, p)] || (l > 1 && !leads[at(l - 1, p)])) continue;
      for (std::uint32_t k = p; k < primarySize; k += 1u << l)
        if ((t.entries[k] >> 24) == 2) t.entries[k] = entry(kInvalid, l, 0);
    }
  // Sub-tables: the symbols already in a sub-table show which of its prefixes lead on; none
  // leads deeper than the sub-table's bits.
  for (std::uint32_t i = 0; i < primarySize; ++i) {
    const int sb = subBits[i];
    if (!sb) continue;
    std::uint32_t* sub = t.entries.data() + subStart[i];
    std::array<std::uint8_t, 2u << (15 - kMaxPrimary)> subLeads{};  // at(m, bits past the primary ones)
    for (std::uint32_t j = 0; j < (1u << sb); ++j)
      if ((sub[j] >> 24) == 0)
        for (int m = 1; m <= static_cast<int>((sub[j] >> 16) & 31) - primary; ++m) subLeads[at(m, j)] = 1;
    for (std::uint32_t j = 0; j < (1u << sb); ++j) {
      if ((sub[j] >> 24) != 2) continue;
      int m = 1;
      while (m < sb && subLeads[at(m, j)]) ++m;
      sub[j] = entry(kInvalid, primary + m, 0);
    }
  }
}

std::uint64_t DeflateDecoder::tablesBuilt() { return tablesBuiltSoFar.load(std::memory_order_relaxed); }

// Built on first use and shared by every decoder; the initialisation of a local static is
// safe when decoders on several threads meet it at once.
const DeflateDecoder::DecodeTable& DeflateDecoder::fixedLiteralTable() {
  static const DecodeTable table = [] {
    std::array<std::uint8_t, 288> lit{};
    fixedLengths(lit.data());
    DecodeTable t;
    // 286 and 287 have codes in the fixed table but are no symbols: their bits lead nowhere.
    buildTable(t, lit.data(), 288, 286);
    return t;
  }();
  return table;
}

const DeflateDecoder::DecodeTable& DeflateDecoder::fixedDistanceTable() {
  static const DecodeTable table = [] {
    std::array<std::uint8_t, 32> dist;
    dist.fill(5);
    DecodeTable t;
    buildTable(t, dist.data(), 32);
    return t;
  }();
  return table;
}

int DeflateDecoder::decode(const DecodeTable& t) {
  if (bitsIn_ < 15) refill();
  std::uint32_t e = t.entries[bitBuf_ & ((1u << t.primaryBits) - 1)];
  if ((e >> 24) == 1) {
    const int sb = (e >> 16) & 31;
    e = t.entries[(e & 0xFFFF) + ((bitBuf_ >> t.primaryBits) & ((1u << sb) - 1))];
  }
  const int len = (e >> 16) & 31;
  if (len > bitsIn_) throw InOutError(text::kReadLessThanExpected);
  if ((e >> 24) == 2) throw Error(text::kInvalidHuffmanCode);
  bitBuf_ >>= len;
  bitsIn_ -= len;
  return static_cast<int>(e & 0xFFFF);
}

void DeflateDecoder::readStoredBytes(std::uint8_t* dst, std::size_t n) {
  while (n > 0 && bitsIn_ >= 8) {
    *dst++ = static_cast<std::uint8_t>(bitBuf_);
    bitBuf_ >>= 8;
    bitsIn_ -= 8;
    --n;
  }
  const std::size_t fromBuf = std::min(n, inEnd_ - inPos_);
  std::memcpy(dst, in_.data() + inPos_, fromBuf);
  inPos_ += fromBuf;
  dst += fromBuf;
  n -= fromBuf;
  if (n > 0) {
    if (source_.readSome(dst, n) < n) throw InOutError(text::kReadLessThanExpected);
  }
}

void DeflateDecoder::alignToInput() {
  takeBits(bitsIn_ & 7);
  // The bit buffer takes the input's bytes in order: when at least as many bytes have been
  // taken from the input buffer as the bit buffer holds, they are the ones just before its
  // position, and a stored block's header and data are copied from there directly.
  const std::size_t whole = static_cast<std::size_t>(bitsIn_ / 8);
  if (inPos_ >= whole) {
    inPos_ -= whole;
    bitBuf_ = 0;
    bitsIn_ = 0;
  }
}

void DeflateDecoder::giveBackInput() {
  // Bits of a started byte belong to the Deflate data; whole bytes fetched ahead go back
  // to the next stream for whoever reads after us (a stored-data reader, the zlib trailer).
  const int drop = bitsIn_ & 7;
  bitBuf_ >>= drop;
  bitsIn_ -= drop;
  std::vector<std::uint8_t> back;
  while (bitsIn_ >= 8) {
    back.push_back(static_cast<std::uint8_t>(bitBuf_));
    bitBuf_ >>= 8;
    bitsIn_ -= 8;
  }
  back.insert(back.end(), in_.data() + inPos_, in_.data() + inEnd_);
  inPos_ = inEnd_ = 0;
  bitBuf_ = 0;
  bitsIn_ = 0;
  if (!back.empty()) source_.unread(back.data(), back.size());
}

void DeflateDecoder::readDynamicTables() {
  const int hlit = static_cast<int>(takeBits(5)) + 257;
  const int hdist = static_cast<int>(takeBits(5)) + 1;
  const int hclen = static_cast<int>(takeBits(4)) + 4;
  // Literal/length symbols end at 285 and distance symbols at 29; a header that declares
  // codes for more is impossible data.
  if (hlit > 286 || hdist > 30) throw Error(text::kErrorInCompressedData);
  std::array<std::uint8_t, 19> clLengths{};
  for (int i = 0; i < hclen; ++i) clLengths[kLengthOrder[i]] = static_cast<std::uint8_t>(takeBits(3));
  buildTable(codeLengthTable_, clLengths.data(), 19);
  // Room for the largest HLIT + HDIST (288 + 32).
  std::array<std::uint8_t, 320> lengths{};
  const int total = hlit + hdist;
  int i = 0;
  while (i < total) {
    const int sym = decode(codeLengthTable_);
    int repeat = 0;
    std::uint8_t value = 0;
    if (sym < 16) {
      lengths[i++] = static_cast<std::uint8_t>(sym);
      continue;
    }
    if (sym == 16) {
      if (i == 0) throw Error(text::kErrorInCompressedData);  // nothing to repeat
      value = lengths[i - 1];
      repeat = 3 + static_cast<int>(takeBits(2));
    } else if (sym == 17) {
      repeat = 3 + static_cast<int>(takeBits(3));
    } else if (sym == 18) {
      repeat = 11 + static_cast<int>(takeBits(7));
    } else {
      throw Error(text::kErrorInCompressedData);
    }
    if (i + repeat > total) throw Error(text::kErrorInCompressedData);
    while (repeat--) lengths[i++] = value;
  }
  std::array<std::uint8_t, 32> distLengths{};
  std::copy(lengths.begin() + hlit, lengths.begin() + hlit + hdist, distLengths.begin());
  std::array<std::uint8_t, 288> litLengths{};
  std::copy(lengths.begin(), lengths.begin() + hlit, litLengths.begin());
  buildTable(dynamicDist_, distLengths.data(), 32);
  buildTable(dynamicLit_, litLengths.data(), 288);
  distTable_ = &dynamicDist_;
  litTable_ = &dynamicLit_;
}

void DeflateDecoder::readHeader() {
  if (final_) {
    state_ = State::End;
    giveBackInput();
    return;
  }
  const std::uint32_t head = takeBits(3);  // BFINAL, then the block type
  final_ = (head & 1) != 0;
  const int type = static_cast<int>(head >> 1);
  switch (type) {
    case 0: {
      alignToInput();
      std::uint8_t hdr[4];
      readStoredBytes(hdr, 4);
      const std::uint16_t len = le16(hdr);
      const std::uint16_t nlen = le16(hdr + 2);
      if (static_cast<std::uint16_t>(~nlen) != len) throw Error(text::kErrorInCompressedData);
      // The data goes straight to the caller (readImpl); the window learns it afterwards.
      storedLeft_ = len;
      state_ = len ? State::Stored : State::Header;
      break;
    }
    case 1:
      litTable_ = &fixedLiteralTable();
      distTable_ = &fixedDistanceTable();
      state_ = State::Symbols;
      break;
    case 2:
      readDynamicTables();
      state_ = State::Symbols;
      break;
    default:
      throw Error(text::kErrorInCompressedData);
  }
}

void DeflateDecoder::decodeSymbols(std::size_t want) {
  // Decodes into the window until enough is pending for the caller or the block ends.
  std::uint8_t* w = window_.data();
  if (pending_ == 0) second_ = cur_;
  const std::uint32_t target = static_cast<std::uint32_t>(std::min<std::size_t>(want, kMaxPendingDecoded));
  while (pending_ < target) {
    const int sym = decode(*litTable_);
    if (sym < 256) {
      w[cur_++] = static_cast<std::uint8_t>(sym);
      ++pending_;
      ++produced_;
      continue;
    }
    if (sym == 256) {
      state_ = State::Header;
      return;
    }
    if (sym > 285) throw Error(text::kErrorInCompressedData);
    const int li = sym - 257;
    int length = kLengthBase[li];
    if (kLengthExtra[li]) length += static_cast<int>(takeBits(kLengthExtra[li]));
    const int dsym = decode(*distTable_);
    std::uint32_t distance;
    if (dsym < 4) {
      distance = static_cast<std::uint32_t>(dsym) + 1;
    } else {
      const int e = (dsym - 4) / 2 + 1;
      const std::uint32_t extra = takeBits(e);
      distance = ((static_cast<std::uint32_t>(dsym & 1) << e) | extra) + (1u << (e + 1)) + 1;
    }
    if (distance > produced_) throw Error(text::kErrorInCompressedData);
    std::uint16_t from = static_cast<std::uint16_t>(cur_ - distance);
    if (from < cur_ && static_cast<std::size_t>(cur_) + static_cast<std::size_t>(length) <= kWindow) {
      // Neither range wraps. Copies run forward, so an overlap repeats the pattern; eight
      // bytes at a time read only bytes already written when the distance is eight or more.
      // Nothing is written past the match: distances beyond 32768 may still reach there.
      std::uint8_t* d = w + cur_;
      const std::uint8_t* src = w + from;
      int k = 0;
      if (distance == 1) {
        std::memset(d, *src, static_cast<std::size_t>(length));
        k = length;
      } else if (distance >= 8) {
        for (; k + 8 <= length; k += 8) std::memcpy(d + k, src + k, 8);
      }
      for (; k < length; ++k) d[k] = src[k];
      cur_ = static_cast<std::uint16_t>(cur_ + length);
    } else {
      for (int k = 0; k < length; ++k) w[cur_++] = w[from++];
    }
    pending_ += static_cast<std::uint32_t>(length);
    produced_ += static_cast<std::uint64_t>(length);
  }
}

void DeflateDecoder::appendHistory(const std::uint8_t* p, std::size_t n) {
  // Only the newest 65536 bytes can be reached from later blocks.
  if (n > kWindow) {
    cur_ = static_cast<std::uint16_t>(cur_ + (n - kWindow));
    p += n - kWindow;
    n = kWindow;
  }
  while (n > 0) {
    const std::size_t k = std::min(n, kWindow - cur_);
    std::memcpy(window_.data() + cur_, p, k);
    cur_ = static_cast<std::uint16_t>(cur_ + k);
    p += k;
    n -= k;
  }
}

std::size_t DeflateDecoder::read(void* buffer, std::size_t count, bool strict) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  // Stored data is copied from the input straight into the caller's buffer; the window
  // takes it once, before a Huffman block needs it as history or when this call returns,
  // so a run of stored blocks is not copied block by block through the window.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t historyFrom = kNone;
  auto settleHistory = [&] {
    if (historyFrom != kNone) {
      appendHistory(out + historyFrom, done - historyFrom);
      historyFrom = kNone;
    }
  };
  while (done < count) {
    if (state_ == State::Stored) {
      const std::size_t n = std::min(count - done, static_cast<std::size_t>(storedLeft_));
      readStoredBytes(out + done, n);
      if (historyFrom == kNone) historyFrom = done;
      done += n;
      storedLeft_ -= static_cast<std::uint32_t>(n);
      produced_ += n;
      if (storedLeft_ == 0) state_ = State::Header;
      continue;
    }
    if (pending_ > 0) {
      const std::size_t n = std::min({count - done, static_cast<std::size_t>(pending_),
                                      kWindow - second_});
      std::memcpy(out + done, window_.data() + second_, n);
      second_ = static_cast<std::uint16_t>(second_ + n);
      pending_ -= static_cast<std::uint32_t>(n);
      done += n;
      continue;
    }
    if (state_ == State::End) {
      if (strict) throw InOutError(text::kReadLessThanExpected);
      break;
    }
    if (state_ == State::Header) {
      readHeader();
      continue;
    }
    settleHistory();
    decodeSymbols(count - done);
  }
  settleHistory();
  return done;
}

std::int64_t DeflateDecoder::available() {
  const std::int64_t buffered = static_cast<std::int64_t>(inEnd_ - inPos_ + bitsIn_ / 8);
  if (state_ == State::End) return source_.available() + buffered;
  return source_.available() + buffered + pending_ + storedLeft_;
}

}  // namespace imagefile
