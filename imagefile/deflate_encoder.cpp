#include "imagefile/deflate_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imagefile/byte_order.h"
#include "imagefile/deflate.h"
#include "imagefile/deflate_tables.h"

namespace imagefile {

namespace {

using namespace deflate_tables;

// The window carries a copy of its first 258 bytes behind its end (and a few spare bytes),
// so a match can be compared without wrapping.
constexpr std::size_t kWindowAlloc = kWindow + 258 + 16;
constexpr std::uint32_t kFullBuffer = 65527;
constexpr std::size_t kOutChunk = 1 << 15;
constexpr std::size_t kOutSpare = 64;
// A buffered match: this bit, the distance code's extra value (bits 14..26), its symbol
// (bits 9..13) and the length (bits 0..8). A literal (or the end code) is its symbol.
constexpr std::uint32_t kMatchEvent = 0x80000000u;

int highestBit(std::uint32_t v) { return 31 - __builtin_clz(v); }

constexpr int kHashBits = 15;
constexpr std::size_t kHashSize = std::size_t{1} << kHashBits;

// Positions within reach of a match (32768) fit a ring of this many entries.
constexpr std::uint32_t kRingMask = 32767;

// A chain link: how far back the previous string of a hash was entered; 0 when that is out
// of reach (or there is none: an empty head is position 0, and the link then leads there).
inline std::uint16_t link(std::uint32_t gap) { return gap <= 32768 ? static_cast<std::uint16_t>(gap) : 0; }
constexpr std::uint32_t kNoKey = 0x10000;
// The chains hold positions relative to a base that moves on by a step whenever they reach
// the step and a margin: entries a step back are out of reach by then. A step is a
// multiple of the rings' size.
constexpr std::uint64_t kRebaseStep = 1 << 20;
constexpr std::uint64_t kRebaseAt = kRebaseStep + (1 << 17);

// The window has spare bytes behind its mirrored start, so four bytes can be loaded at any
// position.
inline std::uint32_t hash3(const std::uint8_t* s) {
  std::uint32_t v;
  std::memcpy(&v, s, 4);
  return ((v & 0xFFFFFF) * 2654435761u) >> (32 - kHashBits);
}

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

// Extra bits of a distance symbol: none for 0..3, then one more for every two symbols.
inline int distanceExtraBits(int symbol) { return symbol < 4 ? 0 : (symbol - 2) >> 1; }

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

}  // namespace

DeflateEncoder::DeflateEncoder(BaseStream& out) : sink_(out) {
  // One block for every table, the zeroed ones first: one allocation and one clearing per
  // stream, and freed memory the allocator keeps for the next stream.
  constexpr std::size_t kHeadBytes = kHashSize * sizeof(std::uint32_t);
  constexpr std::size_t kCountBytes = 65536 * sizeof(std::uint16_t);
  constexpr std::size_t kWindowBytes = (kWindowAlloc + 63) / 64 * 64;
  constexpr std::size_t kRingBytes = (kRingMask + 1) * sizeof(std::uint16_t);
  constexpr std::size_t kZeroed = kHeadBytes + kCountBytes + kWindowBytes;
  arena_.reset(new std::uint8_t[kZeroed + 2 * kRingBytes + kOutChunk + kOutSpare]);
  std::uint8_t* at = arena_.get();
  std::memset(at, 0, kZeroed);
  // Position 0 is never entered (the first byte has no key), so 0 marks an empty chain.
  head3_ = reinterpret_cast<std::uint32_t*>(at);
  keyCount_ = reinterpret_cast<std::uint16_t*>(at + kHeadBytes);
  // Zeroed, so reading a word at the last stored byte sees no stale memory.
  window_ = at + kHeadBytes + kCountBytes;
  // Ranks and links are read only for positions that were entered.
  keyRank_ = reinterpret_cast<std::uint16_t*>(at + kZeroed);
  prev3_ = reinterpret_cast<std::uint16_t*>(at + kZeroed + kRingBytes);
  out_ = at + kZeroed + 2 * kRingBytes;
  // A block's events grow with it, so a short stream stays small.
  events_.resize(4096);
  setHuffmanCount(litCodes_, 288);
  setHuffmanCount(distCodes_, 32);
}

void DeflateEncoder::storeInput(const std::uint8_t* p, std::size_t n) {
  std::memcpy(window_ + second_, p, n);
  if (second_ < 258) {
    const std::size_t m = std::min<std::size_t>(n, 258 - second_);
    std::memcpy(window_ + kWindow + second_, p, m);
  }
  second_ = static_cast<std::uint16_t>(second_ + n);
  pending_ += static_cast<std::uint32_t>(n);
}

void DeflateEncoder::write(const std::uint8_t* p, std::size_t count) {
  const std::uint32_t limit = mode_ == kDeflateStored ? 65535 : 32767;
  std::size_t left = count;
  while (left > 0 || flushRequest_) {
    // A pass consumes less than 65536 bytes, so relative positions stay far below 2^32.
    if (absolute_ - base_ >= kRebaseAt) rebase();
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
}

void DeflateEncoder::rebase() {
  std::uint32_t* head = head3_;
  for (std::size_t i = 0; i < kHashSize; ++i) head[i] = head[i] > kRebaseStep ? head[i] - kRebaseStep : 0;
  base_ += kRebaseStep;
}

void DeflateEncoder::consume(std::size_t n) {
  if (n == 0) return;
  std::uint16_t* count = keyCount_;
  std::uint16_t* rank = keyRank_;
  const std::uint8_t* w = window_;
  std::uint64_t p = absolute_;
  std::uint16_t at = cur_;
  const std::uint64_t end = p + n;
  if (p == 0) {  // the first byte has no key
    ++p;
    ++at;
  }
  // In a run of one key every entry would wait for the count stored by the one before; the
  // run's count stays in a register until the key changes.
  std::uint32_t runKey = kNoKey;
  std::uint16_t runCount = 0;
  for (; p < end; ++p, ++at) {
    const std::uint32_t key = w[static_cast<std::uint16_t>(at - 1)] | (w[at] << 8);
    if (key != runKey) {
      if (runKey != kNoKey) count[runKey] = runCount;
      runKey = key;
      runCount = count[key];
    }
    rank[p & kRingMask] = runCount++;
  }
  if (runKey != kNoKey) count[runKey] = runCount;
  absolute_ += n;
  cur_ = static_cast<std::uint16_t>(cur_ + n);
  pending_ -= static_cast<std::uint32_t>(n);
  // The strings before the current position join their hash chains, as far as their third
  // bytes are stored; the current one joins at its search.
  chainUpTo(absolute_ + std::min<std::uint32_t>(pending_, 2) - 1);
}

// consume(1) for the literals between searches.
inline void DeflateEncoder::consumeOne() {
  const std::uint8_t* w = window_;
  if (absolute_ > 0) {
    const std::uint32_t key = w[static_cast<std::uint16_t>(cur_ - 1)] | (w[cur_] << 8);
    keyRank_[absolute_ & kRingMask] = keyCount_[key]++;
  }
  ++absolute_;
  ++cur_;
  --pending_;
  const std::uint64_t end = absolute_ + std::min<std::uint32_t>(pending_, 2) - 1;
  if (chained_ < end) chainUpTo(end);
}

void DeflateEncoder::chainUpTo(std::uint64_t end) {
  if (chained_ >= end) return;
  // Strings that no search from here on can reach need no chain (the earliest search is at
  // end - 1, and reaches back to end - 32768); in a long stored block their bytes may be
  // gone from the window already.
  if (end - chained_ > 32768) chained_ = end - 32768;
  std::uint32_t* head = head3_;
  std::uint16_t* prev = prev3_;
  // The string entered at p starts at p - 1.
  const std::uint8_t* w = window_;
  std::uint16_t at = static_cast<std::uint16_t>(cur_ - (absolute_ - chained_) - 1);
  const std::uint32_t last = static_cast<std::uint32_t>(end - base_);
  for (std::uint32_t p = static_cast<std::uint32_t>(chained_ - base_); p < last; ++p, ++at) {
    const std::uint32_t h = hash3(w + at);
    prev[p & kRingMask] = link(p - head[h]);
    head[h] = p;
  }
  chained_ = end;
}

void DeflateEncoder::findMatch(int& length, int& distance) {
  // Every string before the current position has its third byte in the window now.
  chainUpTo(absolute_ + 1);
  // Only a candidate that agrees at the last byte of the shortest usable match can beat it,
  // which rejects most candidates at their first comparison.
  length = minMatch_ - 1;
  distance = 0;
  const std::uint8_t* w = window_;
  const std::uint8_t* here = w + cur_;
  const std::uint32_t key = here[0] | (here[1] << 8);
  int newest = -1;  // the rank of the key's newest entry, read when a candidate needs it
  const std::uint16_t* prev = prev3_;
  const std::uint16_t* rank = keyRank_;
  const int maxLen = static_cast<int>(std::min<std::uint32_t>(pending_, 258));
  // The current string joins its chain now, while the chain's head is at hand; until its
  // first byte is consumed it is no candidate (distance 1) for the next search.
  const std::uint32_t h = hash3(here);
  // After a literal the next search looks up the next string, and the next byte consumed
  // counts the current key.
  __builtin_prefetch(&head3_[hash3(here + 1)]);
  __builtin_prefetch(&keyCount_[key]);
  // Chain positions are relative to base_.
  const std::uint32_t current = static_cast<std::uint32_t>(absolute_ - base_);
  std::uint32_t slot = head3_[h];
  prev3_[(current + 1) & kRingMask] = link(current + 1 - slot);
  head3_[h] = current + 1;
  chained_ = absolute_ + 2;
  while (slot != 0) {
    const std::uint32_t dist = current - slot + 1;
    if (dist > 32768) break;
    const std::uint16_t back = prev[slot & kRingMask];
    if (dist < 2) {
      slot = back ? slot - back : 0;
      continue;
    }
    const std::uint8_t* there = w + static_cast<std::uint16_t>(cur_ - dist);
    // Another string of the same hash.
    if (static_cast<std::uint32_t>(there[0] | (there[1] << 8)) != key || there[2] != here[2]) {
      slot = back ? slot - back : 0;
      continue;
    }
    // Ranks grow along the chain: past the key's newest entries nothing more counts.
    if (newest < 0) newest = static_cast<std::uint16_t>(keyCount_[key] - 1);
    if (static_cast<std::uint16_t>(newest - rank[slot & kRingMask]) >= chainLimit_) break;
    slot = back ? slot - back : 0;
    if (there[length] != here[length]) continue;
    int len = 3;
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

inline void DeflateEncoder::putBits(std::uint32_t value, int count) {
  bitAcc_ |= static_cast<std::uint64_t>(value) << bitCount_;
  bitCount_ += count;
  if (bitCount_ >= 32) {
    // The buffer keeps room behind kOutChunk, and is drained once it is passed.
    const std::uint32_t word = static_cast<std::uint32_t>(bitAcc_);
    std::uint8_t* o = out_ + outLen_;
    o[0] = static_cast<std::uint8_t>(word);
    o[1] = static_cast<std::uint8_t>(word >> 8);
    o[2] = static_cast<std::uint8_t>(word >> 16);
    o[3] = static_cast<std::uint8_t>(word >> 24);
    outLen_ += 4;
    bitAcc_ >>= 32;
    bitCount_ -= 32;
    if (outLen_ >= kOutChunk) drainOutput(false);
  }
}

void DeflateEncoder::putBytes(const std::uint8_t* p, std::size_t n) {
  // Only at a byte boundary (stored data), so the buffer holds every byte made so far.
  if (outLen_ + n > kOutChunk) {
    drainOutput(false);
    if (n >= kOutChunk) {
      sink_.write(p, n);
      return;
    }
  }
  std::memcpy(out_ + outLen_, p, n);
  outLen_ += n;
}

void DeflateEncoder::alignBits() {
  while (bitCount_ > 0) {
    out_[outLen_++] = static_cast<std::uint8_t>(bitAcc_);
    bitAcc_ >>= 8;
    bitCount_ = std::max(0, bitCount_ - 8);
  }
  bitAcc_ = 0;
}

void DeflateEncoder::drainOutput(bool all) {
  // Whole bytes of the bit accumulator go along; a partial byte waits for more bits.
  if (all) alignBits();
  while (bitCount_ >= 8) {
    out_[outLen_++] = static_cast<std::uint8_t>(bitAcc_);
    bitAcc_ >>= 8;
    bitCount_ -= 8;
  }
  if (outLen_ > 0) {
    sink_.write(out_, outLen_);
    outLen_ = 0;
  }
}

void DeflateEncoder::emitLiteral(int lit) {
  putBits(litCodes_.codes[lit].code, static_cast<int>(litCodes_.codes[lit].length));
}

// A code and its extra bits go out in one piece: at most 15 + 13 bits.
void DeflateEncoder::emitMatch(int length, int distanceSymbol, int distanceBits, int distanceExtra) {
  const LengthCode& lc = kLengthCodes[length];
  const HuffmanCode& l = litCodes_.codes[lc.symbol];
  putBits(l.code | (static_cast<std::uint32_t>(lc.extra) << l.length), static_cast<int>(l.length) + lc.bits);
  const HuffmanCode& d = distCodes_.codes[distanceSymbol];
  putBits(d.code | (static_cast<std::uint32_t>(distanceExtra) << d.length), static_cast<int>(d.length) + distanceBits);
}

void DeflateEncoder::fixedCoder() {
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
      emitLiteral(window_[cur_]);
      consumeOne();
    } else {
      int sym, bits, extra;
      distanceCode(dist, sym, bits, extra);
      emitMatch(len, sym, bits, extra);
      consume(static_cast<std::size_t>(len));
    }
  }
  if (flushRequest_) {
    while (pending_ > 0) {
      emitLiteral(window_[cur_]);
      consumeOne();
    }
    emitLiteral(256);
    flushRequest_ = false;
    blockOpen_ = false;
  }
}

inline void DeflateEncoder::bufferLiteral(int lit) {
  if (eventCount_ == events_.size()) events_.resize(std::min<std::size_t>(events_.size() * 4, 65537));
  events_[eventCount_++] = static_cast<std::uint32_t>(lit);
  ++litFreq_[lit];
  ++symbolCount_;
}

inline void DeflateEncoder::bufferMatch(int length, int distance) {
  const LengthCode& lc = kLengthCodes[length];
  int sym, bits, extra;
  distanceCode(distance, sym, bits, extra);
  if (eventCount_ == events_.size()) events_.resize(std::min<std::size_t>(events_.size() * 4, 65537));
  events_[eventCount_++] = kMatchEvent | (static_cast<std::uint32_t>(extra) << 14) |
                           (static_cast<std::uint32_t>(sym) << 9) | static_cast<std::uint32_t>(length);
  ++litFreq_[lc.symbol];
  ++distFreq_[sym];
  // Counted as the symbols and extra-bit fields it stands for.
  symbolCount_ += 2 + (lc.bits != 0) + (bits != 0);
}

void DeflateEncoder::dynamicCoder() {
  if (!blockOpen_) {
    symbolCount_ = 0;
    eventCount_ = 0;
    litFreq_.fill(0);
    distFreq_.fill(0);
    blockOpen_ = true;
  }
  while (pending_ >= 258 || (flushRequest_ && pending_ >= 3)) {
    int len, dist;
    findMatch(len, dist);
    if (len < minMatch_) {
      bufferLiteral(window_[cur_]);
      consumeOne();
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
      consumeOne();
    }
    writeDynamicBlock();
  }
}

void DeflateEncoder::writeDynamicBlock() {
  bool bfinal = false;
  if (pending_ == 0) {
    bfinal = final_;
    final_ = false;
  }
  putBits(bfinal ? 1 : 0, 1);
  putBits(2, 2);
  bufferLiteral(256);
  buildCodeLengths(litCodes_, litFreq_.data(), 15);
  buildCodeLengths(distCodes_, distFreq_.data(), 15);

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
  for (std::size_t i = 0; i < eventCount_; ++i) {
    const std::uint32_t e = events_[i];
    if (!(e & kMatchEvent))
      emitLiteral(static_cast<int>(e));
    else
      emitMatch(static_cast<int>(e & 511), static_cast<int>((e >> 9) & 31),
                distanceExtraBits(static_cast<int>((e >> 9) & 31)), static_cast<int>((e >> 14) & 0x1FFF));
  }
  symbolCount_ = 0;
  eventCount_ = 0;
  flushRequest_ = false;
  blockOpen_ = false;
}

void DeflateEncoder::storedBlock() {
  putBits(final_ ? 1 : 0, 1);
  putBits(0, 2);
  alignBits();
  std::uint8_t header[4];
  putLE16(header, pending_);
  putLE16(header + 2, ~pending_);
  putBytes(header, 4);
  while (pending_ > 0) {
    const std::size_t n = std::min<std::size_t>(pending_, kWindow - cur_);
    putBytes(window_ + cur_, n);
    consume(n);
    if (outLen_ >= kOutChunk) drainOutput(false);
  }
  flushRequest_ = false;
  final_ = false;
}

void DeflateEncoder::setMode(DeflateMode mode) {
  // Each coder keeps its own kind of open block and its own input limit.
  if (mode != mode_ && (pending_ > 0 || blockOpen_)) flush();
  mode_ = mode;
}

void DeflateEncoder::flush() {
  while (pending_ > 0 || blockOpen_ || final_) {
    flushRequest_ = true;
    write(nullptr, 0);
  }
  drainOutput(false);
}

void DeflateEncoder::finish() {
  if (finished_) return;
  finished_ = true;
  final_ = true;
  flush();
  drainOutput(true);
}

}  // namespace imagefile
