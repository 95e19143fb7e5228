#include "imagefile/deflate.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <cstring>

namespace imagefile {

namespace {

constexpr std::size_t kWindow = 65536;
// The window carries a copy of its first 258 bytes behind its end (and a few spare bytes),
// so a match can be compared without wrapping.
constexpr std::size_t kWindowAlloc = kWindow + 258 + 16;
constexpr std::uint32_t kFullBuffer = 65527;
constexpr std::uint32_t kLitLen = 0xFFFF;
constexpr std::uint32_t kDist = 0xFFFE;
constexpr std::size_t kOutChunk = 1 << 16;
constexpr std::size_t kInChunk = 1 << 14;
// Decoded bytes not yet handed out stay below this, so 32768 bytes of history and a whole
// match always fit in the window beside them.
constexpr std::uint32_t kMaxPendingDecoded = 32768 - 258;

constexpr std::array<std::uint8_t, 19> kLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                       11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11, 13,
                                                       15, 17, 19, 23, 27, 31, 35, 43, 51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

int highestBit(std::uint32_t v) { return 31 - __builtin_clz(v); }

// Length 3..258 -> symbol, extra bits, extra value.
struct LengthCode {
  std::uint16_t symbol;
  std::uint8_t bits;
  std::uint16_t extra;
};
constexpr std::array<LengthCode, 259> makeLengthCodes() {
  std::array<LengthCode, 259> t{};
  for (int len = 3; len <= 258; ++len) {
    if (len <= 10) {
      t[len] = {static_cast<std::uint16_t>(len + 254), 0, 0};
    } else if (len == 258) {
      t[len] = {285, 0, 0};
    } else {
      const int q = (len - 3) / 8;
      int e = 0;
      while ((q >> (e + 1)) != 0) ++e;
      e += 1;  // position of the highest bit, counted from 1
      const int base = len - (4 << e) - 3;
      t[len] = {static_cast<std::uint16_t>((base >> e) + 4 * e + 261), static_cast<std::uint8_t>(e),
                static_cast<std::uint16_t>(base & ((1 << e) - 1))};
    }
  }
  return t;
}
constexpr auto kLengthCodes = makeLengthCodes();

inline void distanceCode(int distance, int& symbol, int& bits, int& extra) {
  const int d = distance - 1;
  if (d < 4) {
    symbol = d;
    bits = 0;
    extra = 0;
    return;
  }
  const int e = highestBit(static_cast<std::uint32_t>(d >> 2)) + 1;
  symbol = 2 * (e + 1) + ((d >> e) & 1);
  bits = e;
  extra = d & ((1 << e) - 1);
}

void fixedLengths(std::uint8_t* lit) {
  for (int i = 0; i < 144; ++i) lit[i] = 8;
  for (int i = 144; i < 256; ++i) lit[i] = 9;
  for (int i = 256; i < 280; ++i) lit[i] = 7;
  for (int i = 280; i < 288; ++i) lit[i] = 8;
}

// Decode table entries: value (16 bits), length or sub-table bits (bits 16..20), kind.
constexpr std::uint32_t kSymbol = 0u << 24;
constexpr std::uint32_t kLink = 1u << 24;
constexpr std::uint32_t kInvalid = 2u << 24;
inline std::uint32_t entry(std::uint32_t kind, int len, std::uint32_t value) {
  return kind | (static_cast<std::uint32_t>(len) << 16) | value;
}

}  // namespace

DeflateStream::DeflateStream(BaseStream* next, int direction) : FilterStream(next) {
  if (next->canWrite() && (direction == -1 || direction == 1)) {
    canWrite_ = true;
    // Position 0 is never entered (the first byte has no key), so 0 marks an empty key.
    head_.reset(static_cast<std::uint64_t*>(std::calloc(65536, sizeof(std::uint64_t))));
    if (!head_) throw std::bad_alloc();
    // Links are read only for positions that were entered, so they need no initial value.
    prev_.reset(new std::uint16_t[65536]);
    symbols_.reset(new std::uint32_t[65537]);
    out_.reserve(kOutChunk + 64);
  } else if (next->canRead() && (direction == -1 || direction == 0)) {
    canRead_ = true;
    in_.resize(kInChunk);
  } else {
    // A programming error, not a fault of the data.
    throw std::logic_error("Deflate stream over a stream that can be neither read nor written");
  }
  setHuffmanCount(litCodes_, 288);
  setHuffmanCount(distCodes_, 32);
  // Zeroed, so a distance reaching before the data can never show stale memory.
  window_.assign(kWindowAlloc, 0);
}

DeflateStream::~DeflateStream() {
  if (canWrite_ && !finished_) {
    try {
      finish();
    } catch (...) {
      // finish() on the normal path reports what went wrong.
    }
  }
}

// ---- compression --------------------------------------------------------------------------

void DeflateStream::storeInput(const std::uint8_t* p, std::size_t n) {
  std::memcpy(window_.data() + second_, p, n);
  if (second_ < 258) {
    const std::size_t m = std::min<std::size_t>(n, 258 - second_);
    std::memcpy(window_.data() + kWindow + second_, p, m);
  }
  second_ = static_cast<std::uint16_t>(second_ + n);
  pending_ += static_cast<std::uint32_t>(n);
}

std::size_t DeflateStream::write(const void* buffer, std::size_t count) {
  if (!canWrite_) throw InOutError(text::kStreamNotOpenForWrite);
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  const std::uint32_t limit = mode_ == kDeflateStored ? 65535 : 32767;
  std::size_t left = count;
  while (left > 0 || flushRequest_) {
    const std::size_t piece =
        std::min({left, static_cast<std::size_t>(limit - pending_), kWindow - second_});
    if (piece) {
      storeInput(p, piece);
      p += piece;
      left -= piece;
    }
    if (mode_ == kDeflateStored) {
      if (pending_ == limit || flushRequest_) storedBlock();
    } else if (pending_ >= 258 || flushRequest_) {
      if (mode_ == kDeflateFixed)
        fixedCoder();
      else
        dynamicCoder();
    }
  }
  return count;
}

void DeflateStream::consume(std::size_t n) {
  std::uint64_t* head = head_.get();
  std::uint16_t* prev = prev_.get();
  const std::uint8_t* w = window_.data();
  while (n--) {
    if (absolute_ > 0) {
      const std::uint32_t key = w[static_cast<std::uint16_t>(cur_ - 1)] | (w[cur_] << 8);
      const std::uint64_t older = head[key];
      // The link is the distance back to the key's previous position; 0 ends the chain
      // where that lies out of reach (or there is none), as the walk would stop there.
      const std::uint64_t gap = absolute_ - older;
      prev[absolute_ & 0xFFFF] = (older != 0 && gap <= 32768) ? static_cast<std::uint16_t>(gap) : 0;
      head[key] = absolute_;
    }
    ++absolute_;
    ++cur_;
    --pending_;
  }
}

void DeflateStream::findMatch(int& length, int& distance) {
  // Only a candidate that agrees at the last byte of the shortest usable match can beat it,
  // which rejects most candidates at their first comparison.
  length = minMatch_ - 1;
  distance = 0;
  const std::uint8_t* w = window_.data();
  const std::uint32_t key = w[cur_] | (w[cur_ + 1] << 8);
  const std::uint16_t* prev = prev_.get();
  const int maxLen = static_cast<int>(std::min<std::uint32_t>(pending_, 258));
  const std::uint8_t* here = w + cur_;
  // The key's 64 newest positions, newest first: the chain through prev_ visits exactly the
  // entries a table of 64 slots per key would hold. A position within reach (32768) still
  // has its own link, which is overwritten only 65536 positions later.
  std::uint64_t slot = head_[key];
  for (int i = 0; i < chainLimit_ && slot != 0; ++i) {
    const std::uint64_t dist = absolute_ - slot + 1;
    if (dist > 32768) break;
    const std::uint16_t link = prev[slot & 0xFFFF];
    slot = link ? slot - link : 0;
    const std::uint8_t* there = w + static_cast<std::uint16_t>(cur_ - dist);
    if (there[length] != here[length]) continue;
    int len = 2;
    while (len + 8 <= maxLen) {
      std::uint64_t a;
      std::uint64_t b;
      std::memcpy(&a, there + len, 8);
      std::memcpy(&b, here + len, 8);
      const std::uint64_t x = a ^ b;
      if (x) {
        len += __builtin_ctzll(x) >> 3;
        goto counted;
      }
      len += 8;
    }
    while (len < maxLen && there[len] == here[len]) ++len;
  counted:
    if (len > maxLen) len = maxLen;
    if (len > length) {
      length = len;
      distance = static_cast<int>(dist);
      // Equal lengths keep the nearer candidate, so nothing later can win.
      if (len == maxLen) break;
    }
  }
}

void DeflateStream::putBits(std::uint32_t value, int count) {
  bitAcc_ |= static_cast<std::uint64_t>(value) << bitCount_;
  bitCount_ += count;
  if (bitCount_ >= 32) {
    const std::uint32_t word = static_cast<std::uint32_t>(bitAcc_);
    const std::size_t at = out_.size();
    out_.resize(at + 4);
    out_[at] = static_cast<std::uint8_t>(word);
    out_[at + 1] = static_cast<std::uint8_t>(word >> 8);
    out_[at + 2] = static_cast<std::uint8_t>(word >> 16);
    out_[at + 3] = static_cast<std::uint8_t>(word >> 24);
    bitAcc_ >>= 32;
    bitCount_ -= 32;
    if (out_.size() >= kOutChunk) drainOutput(false);
  }
}

void DeflateStream::alignBits() {
  while (bitCount_ > 0) {
    out_.push_back(static_cast<std::uint8_t>(bitAcc_));
    bitAcc_ >>= 8;
    bitCount_ = std::max(0, bitCount_ - 8);
  }
  bitAcc_ = 0;
}

void DeflateStream::drainOutput(bool all) {
  // Whole bytes of the bit accumulator go along; a partial byte waits for more bits.
  if (all) alignBits();
  while (bitCount_ >= 8) {
    out_.push_back(static_cast<std::uint8_t>(bitAcc_));
    bitAcc_ >>= 8;
    bitCount_ -= 8;
  }
  if (!out_.empty()) {
    next_->write(out_.data(), out_.size());
    out_.clear();
  }
}

void DeflateStream::emitLiteralFixed(int lit) {
  putBits(litCodes_.codes[lit].code, static_cast<int>(litCodes_.codes[lit].length));
}

void DeflateStream::emitMatchFixed(int length, int distance) {
  const LengthCode& lc = kLengthCodes[length];
  putBits(litCodes_.codes[lc.symbol].code, static_cast<int>(litCodes_.codes[lc.symbol].length));
  if (lc.bits) putBits(lc.extra, lc.bits);
  int sym, bits, extra;
  distanceCode(distance, sym, bits, extra);
  putBits(distCodes_.codes[sym].code, static_cast<int>(distCodes_.codes[sym].length));
  if (bits) putBits(static_cast<std::uint32_t>(extra), bits);
}

void DeflateStream::fixedCoder() {
  if (!blockOpen_) {
    putBits(final_ ? 1 : 0, 1);
    putBits(1, 2);
    final_ = false;
    std::array<std::uint8_t, 288> lengths{};
    fixedLengths(lengths.data());
    makeHuffmanCodes(litCodes_, lengths.data(), 15);
    makeFixedCodes(distCodes_, 5);
    blockOpen_ = true;
  }
  while (pending_ >= 258 || (flushRequest_ && pending_ >= 3)) {
    int len, dist;
    findMatch(len, dist);
    if (len < minMatch_) {
      emitLiteralFixed(window_[cur_]);
      consume(1);
    } else {
      emitMatchFixed(len, dist);
      consume(static_cast<std::size_t>(len));
    }
  }
  if (flushRequest_) {
    while (pending_ > 0) {
      emitLiteralFixed(window_[cur_]);
      consume(1);
    }
    emitLiteralFixed(256);
    flushRequest_ = false;
    blockOpen_ = false;
  }
}

void DeflateStream::bufferLiteral(int lit) {
  symbols_[symbolCount_++] = static_cast<std::uint32_t>(lit) | (kLitLen << 16);
}

void DeflateStream::bufferMatch(int length, int distance) {
  const LengthCode& lc = kLengthCodes[length];
  symbols_[symbolCount_++] = lc.symbol | (kLitLen << 16);
  if (lc.bits) symbols_[symbolCount_++] = lc.extra | (static_cast<std::uint32_t>(lc.bits) << 16);
  int sym, bits, extra;
  distanceCode(distance, sym, bits, extra);
  symbols_[symbolCount_++] = static_cast<std::uint32_t>(sym) | (kDist << 16);
  if (bits)
    symbols_[symbolCount_++] = static_cast<std::uint32_t>(extra) | (static_cast<std::uint32_t>(bits) << 16);
}

void DeflateStream::dynamicCoder() {
  if (!blockOpen_) {
    symbolCount_ = 0;
    blockOpen_ = true;
  }
  while (pending_ >= 258 || (flushRequest_ && pending_ >= 3)) {
    int len, dist;
    findMatch(len, dist);
    if (len < minMatch_) {
      bufferLiteral(window_[cur_]);
      consume(1);
    } else {
      bufferMatch(len, dist);
      consume(static_cast<std::size_t>(len));
    }
    if (symbolCount_ >= kFullBuffer) {
      writeDynamicBlock();
      return;
    }
  }
  if (flushRequest_) {
    while (pending_ > 0) {
      bufferLiteral(window_[cur_]);
      consume(1);
    }
    writeDynamicBlock();
  }
}

void DeflateStream::writeDynamicBlock() {
  bool bfinal = false;
  if (pending_ == 0) {
    bfinal = final_;
    final_ = false;
  }
  putBits(bfinal ? 1 : 0, 1);
  putBits(2, 2);
  bufferLiteral(256);

  std::array<std::uint32_t, 288> litFreq{};
  std::array<std::uint32_t, 32> distFreq{};
  for (std::size_t i = 0; i < symbolCount_; ++i) {
    const std::uint32_t kind = symbols_[i] >> 16;
    if (kind == kLitLen)
      ++litFreq[symbols_[i] & 0xFFFF];
    else if (kind == kDist)
      ++distFreq[symbols_[i] & 0xFFFF];
  }
  buildCodeLengths(litCodes_, litFreq.data(), 15);
  buildCodeLengths(distCodes_, distFreq.data(), 15);

  int hlit = 1;
  for (int s = 285; s >= 0; --s)
    if (litCodes_.codes[s].length) {
      hlit = s + 1;
      break;
    }
  int hdist = 1;
  for (int s = 29; s >= 0; --s)
    if (distCodes_.codes[s].length) {
      hdist = s + 1;
      break;
    }

  std::array<std::uint8_t, 320> seq{};
  int total = 0;
  for (int i = 0; i < hlit; ++i) seq[total++] = static_cast<std::uint8_t>(litCodes_.codes[i].length);
  for (int i = 0; i < hdist; ++i) seq[total++] = static_cast<std::uint8_t>(distCodes_.codes[i].length);

  // Run-length code of the lengths: (symbol, extra value) pairs.
  std::array<std::uint16_t, 2 * 320> rle{};
  int rleCount = 0;
  std::array<std::uint32_t, 19> clFreq{};
  auto emit = [&](int sym, int extra) {
    rle[rleCount++] = static_cast<std::uint16_t>(sym | (extra << 5));
    ++clFreq[sym];
  };
  for (int i = 0; i < total;) {
    const int v = seq[i];
    int n = 1;
    while (i + n < total && seq[i + n] == v) ++n;
    i += n;
    if (v != 0) {
      emit(v, 0);
      --n;
    }
    while (n >= 3) {
      if (v != 0) {
        const int k = std::min(n, 6);
        emit(16, k - 3);
        n -= k;
      } else if (n > 10) {
        const int k = std::min(n, 138);
        emit(18, k - 11);
        n -= k;
      } else {
        emit(17, n - 3);
        n = 0;
      }
    }
    while (n-- > 0) emit(v, 0);
  }
  HuffmanTable clCodes;
  setHuffmanCount(clCodes, 19);
  buildCodeLengths(clCodes, clFreq.data(), 7);
  int hclen = 4;
  for (int i = 18; i >= 0; --i)
    if (clCodes.codes[kLengthOrder[i]].length) {
      hclen = std::max(4, i + 1);
      break;
    }
  putBits(static_cast<std::uint32_t>(hlit - 257), 5);
  putBits(static_cast<std::uint32_t>(hdist - 1), 5);
  putBits(static_cast<std::uint32_t>(hclen - 4), 4);
  for (int i = 0; i < hclen; ++i) putBits(clCodes.codes[kLengthOrder[i]].length, 3);
  for (int i = 0; i < rleCount; ++i) {
    const int sym = rle[i] & 31;
    const int extra = rle[i] >> 5;
    putBits(clCodes.codes[sym].code, static_cast<int>(clCodes.codes[sym].length));
    if (sym == 16)
      putBits(static_cast<std::uint32_t>(extra), 2);
    else if (sym == 17)
      putBits(static_cast<std::uint32_t>(extra), 3);
    else if (sym == 18)
      putBits(static_cast<std::uint32_t>(extra), 7);
  }
  for (std::size_t i = 0; i < symbolCount_; ++i) {
    const std::uint32_t value = symbols_[i] & 0xFFFF;
    const std::uint32_t kind = symbols_[i] >> 16;
    if (kind == kLitLen)
      putBits(litCodes_.codes[value].code, static_cast<int>(litCodes_.codes[value].length));
    else if (kind == kDist)
      putBits(distCodes_.codes[value].code, static_cast<int>(distCodes_.codes[value].length));
    else
      putBits(value, static_cast<int>(kind));
  }
  symbolCount_ = 0;
  flushRequest_ = false;
  blockOpen_ = false;
}

void DeflateStream::storedBlock() {
  putBits(final_ ? 1 : 0, 1);
  putBits(0, 2);
  alignBits();
  const std::uint16_t len = static_cast<std::uint16_t>(pending_);
  const std::uint16_t nlen = static_cast<std::uint16_t>(~len);
  out_.push_back(static_cast<std::uint8_t>(len));
  out_.push_back(static_cast<std::uint8_t>(len >> 8));
  out_.push_back(static_cast<std::uint8_t>(nlen));
  out_.push_back(static_cast<std::uint8_t>(nlen >> 8));
  while (pending_ > 0) {
    const std::size_t n = std::min<std::size_t>(pending_, kWindow - cur_);
    out_.insert(out_.end(), window_.data() + cur_, window_.data() + cur_ + n);
    consume(n);
    if (out_.size() >= kOutChunk) drainOutput(false);
  }
  flushRequest_ = false;
  final_ = false;
}

void DeflateStream::flush() {
  if (!canWrite_) return;
  while (pending_ > 0 || blockOpen_ || final_) {
    flushRequest_ = true;
    write(nullptr, 0);
  }
  drainOutput(false);
}

void DeflateStream::finish() {
  if (!canWrite_ || finished_) return;
  finished_ = true;
  final_ = true;
  flush();
  drainOutput(true);
}

// ---- decompression ------------------------------------------------------------------------

bool DeflateStream::fillInput() {
  if (inputEnded_) return false;
  inPos_ = 0;
  inEnd_ = next_->readSome(in_.data(), in_.size());
  if (inEnd_ == 0) inputEnded_ = true;
  return inEnd_ > 0;
}

void DeflateStream::refill() {
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

std::uint32_t DeflateStream::takeBits(int n) {
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

void DeflateStream::buildTable(DecodeTable& t, const std::uint8_t* lengths, int n, int usable) {
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
  const int primary = std::clamp(maxLen, 1, 10);
  t.primaryBits = primary;
  const std::uint32_t primarySize = 1u << primary;

  std::array<std::uint32_t, 16> next{};
  std::uint32_t code = 0;
  for (int len = 1; len <= 15; ++len) {
    code = (code + static_cast<std::uint32_t>(count[len - 1])) << 1;
    next[len] = code;
  }
  // Reversed codes and, for long codes, the widest sub-table each primary prefix needs.
  std::array<std::uint32_t, 320> rev{};
  std::vector<int> subBits(primarySize, 0);
  for (int s = 0; s < n; ++s) {
    const int len = lengths[s];
    if (!len) continue;
    rev[s] = reverseBits(next[len]++, len);
    if (len > primary) {
      int& b = subBits[rev[s] & (primarySize - 1)];
      b = std::max(b, len - primary);
    }
  }
  std::size_t total = primarySize;
  std::vector<std::uint32_t> subStart(primarySize, 0);
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
  // many bits lead to that branch: a decoder given fewer bits must report the truncation,
  // as one walking the tree bit by bit would.
  std::vector<std::uint8_t> prefix(1u << 16, 0);  // (1 << l) | l-bit prefix -> exists
  for (int s = 0; s < usable; ++s)
    for (int l = 1; l <= lengths[s]; ++l) prefix[(1u << l) | (rev[s] & ((1u << l) - 1))] = 1;
  auto depthOf = [&](std::uint32_t bits, int from) {
    int l = from;
    while (l < 15 && prefix[(1u << l) | (bits & ((1u << l) - 1))]) ++l;
    return l;
  };
  for (std::uint32_t i = 0; i < primarySize; ++i) {
    if ((t.entries[i] >> 24) == 2) t.entries[i] = entry(kInvalid, depthOf(i, 1), 0);
    if (subBits[i])
      for (std::uint32_t k = 0; k < (1u << subBits[i]); ++k) {
        std::uint32_t& e = t.entries[subStart[i] + k];
        if ((e >> 24) == 2) e = entry(kInvalid, depthOf(i | (k << primary), primary + 1), 0);
      }
  }
}

int DeflateStream::decode(const DecodeTable& t) {
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

void DeflateStream::readStoredBytes(std::uint8_t* dst, std::size_t n) {
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
    if (next_->readSome(dst, n) < n) throw InOutError(text::kReadLessThanExpected);
  }
}

void DeflateStream::giveBackInput() {
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
  if (!back.empty()) next_->unread(back.data(), back.size());
}

void DeflateStream::readDynamicTables() {
  const int hlit = static_cast<int>(takeBits(5)) + 257;
  const int hdist = static_cast<int>(takeBits(5)) + 1;
  const int hclen = static_cast<int>(takeBits(4)) + 4;
  // Literal/length symbols end at 285 and distance symbols at 29; a header that declares
  // codes for more is impossible data.
  if (hlit > 286 || hdist > 30) throw Error(text::kErrorInCompressedData);
  std::array<std::uint8_t, 19> clLengths{};
  for (int i = 0; i < hclen; ++i) clLengths[kLengthOrder[i]] = static_cast<std::uint8_t>(takeBits(3));
  DecodeTable clTable;
  buildTable(clTable, clLengths.data(), 19);
  // Room for the largest HLIT + HDIST (288 + 32).
  std::array<std::uint8_t, 320> lengths{};
  const int total = hlit + hdist;
  int i = 0;
  while (i < total) {
    const int sym = decode(clTable);
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
  buildTable(distTable_, distLengths.data(), 32);
  buildTable(litTable_, litLengths.data(), 288);
}

void DeflateStream::readHeader() {
  if (final_) {
    state_ = State::End;
    giveBackInput();
    return;
  }
  final_ = takeBits(1) != 0;
  const int type = static_cast<int>(takeBits(2));
  switch (type) {
    case 0: {
      takeBits(bitsIn_ & 7);  // to the byte boundary
      std::uint8_t hdr[4];
      readStoredBytes(hdr, 4);
      const std::uint16_t len = static_cast<std::uint16_t>(hdr[0] | (hdr[1] << 8));
      const std::uint16_t nlen = static_cast<std::uint16_t>(hdr[2] | (hdr[3] << 8));
      if (static_cast<std::uint16_t>(~nlen) != len) throw Error(text::kErrorInCompressedData);
      // The data goes straight to the caller (readImpl); the window learns it afterwards.
      storedLeft_ = len;
      huffmanBlock_ = false;
      state_ = len ? State::Stored : State::Header;
      break;
    }
    case 1: {
      std::array<std::uint8_t, 288> lit{};
      fixedLengths(lit.data());
      std::array<std::uint8_t, 32> dist;
      dist.fill(5);
      // 286 and 287 have codes in the fixed table but are no symbols: their bits lead
      // nowhere.
      buildTable(litTable_, lit.data(), 288, 286);
      buildTable(distTable_, dist.data(), 32);
      huffmanBlock_ = true;
      state_ = State::Symbols;
      break;
    }
    case 2:
      readDynamicTables();
      huffmanBlock_ = true;
      state_ = State::Symbols;
      break;
    default:
      throw Error(text::kErrorInCompressedData);
  }
}

void DeflateStream::decodeSymbols(std::size_t want) {
  // Decodes into the window until enough is pending for the caller or the block ends.
  std::uint8_t* w = window_.data();
  if (pending_ == 0) second_ = cur_;
  const std::uint32_t target = static_cast<std::uint32_t>(std::min<std::size_t>(want, kMaxPendingDecoded));
  while (pending_ < target) {
    const int sym = decode(litTable_);
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
    const int dsym = decode(distTable_);
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

void DeflateStream::appendHistory(const std::uint8_t* p, std::size_t n) {
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

std::size_t DeflateStream::readImpl(void* buffer, std::size_t count, bool strict) {
  canWrite_ = false;
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
    if (state_ == State::Pending) state_ = huffmanBlock_ ? State::Symbols : State::Header;
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

std::int64_t DeflateStream::availableImpl() {
  if (!canRead_) return next_->available();
  const std::int64_t buffered = static_cast<std::int64_t>(inEnd_ - inPos_ + bitsIn_ / 8);
  if (state_ == State::End) return next_->available() + buffered;
  return next_->available() + buffered + pending_ + storedLeft_;
}

// ---- one-call forms -----------------------------------------------------------------------

std::vector<std::uint8_t> deflateBytes(std::span<const std::uint8_t> data, int mode) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size() / 2 + 64);
  VectorSink sink(out);
  DeflateStream d(&sink, 1);
  d.setCompressionMode(mode);
  d.write(data.data(), data.size());
  d.finish();
  return out;
}

std::vector<std::uint8_t> inflateBytes(std::span<const std::uint8_t> raw) {
  SpanStream in(raw.data(), raw.size());
  DeflateStream d(&in, 0);
  // Pieces of growing size, joined once at the end: no byte of the result is written twice
  // and nothing is zeroed first.
  std::vector<std::unique_ptr<std::uint8_t[]>> pieces;
  std::vector<std::size_t> sizes;
  std::size_t total = 0;
  std::size_t capacity = std::max<std::size_t>(raw.size() * 3, 1 << 16);
  for (;;) {
    auto piece = std::unique_ptr<std::uint8_t[]>(new std::uint8_t[capacity]);
    std::size_t filled = 0;
    while (filled < capacity) {
      const std::size_t n = d.readSome(piece.get() + filled, capacity - filled);
      if (n == 0) break;
      filled += n;
    }
    total += filled;
    pieces.push_back(std::move(piece));
    sizes.push_back(filled);
    if (filled < capacity) break;
    capacity *= 2;
  }
  std::vector<std::uint8_t> out;
  out.reserve(total);
  for (std::size_t i = 0; i < pieces.size(); ++i) out.insert(out.end(), pieces[i].get(), pieces[i].get() + sizes[i]);
  return out;
}

}  // namespace imagefile
