#include "imagefile/huffman.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace imagefile {

std::uint32_t reverseBits(std::uint32_t value, int bits) {
  std::uint32_t r = 0;
  for (int i = 0; i < bits; ++i) {
    r = (r << 1) | (value & 1);
    value >>= 1;
  }
  return r;
}

void setHuffmanCount(HuffmanTable& table, int count) { table.count = count - 1; }
void setHuffmanCount(HuffmanTree& tree, int count) { tree.count = count - 1; }

void makeHuffmanCodes(HuffmanTable& table, const std::uint8_t* lengths, int maxBits) {
  const int n = table.count + 1;
  std::array<std::uint32_t, 33> lengthCount{};
  for (int i = 0; i < n; ++i)
    if (lengths[i] <= 32) ++lengthCount[lengths[i]];
  lengthCount[0] = 0;
  // A prefix code holds at most 2^L codes of length L once the shorter ones are placed;
  // more would give two symbols one code.
  std::int64_t left = 1;
  for (int len = 1; len <= maxBits; ++len) {
    left = 2 * left - lengthCount[len];
    if (left < 0) throw Error(text::kErrorInCompressedData);
  }
  std::array<std::uint32_t, 34> next{};
  std::uint32_t code = 0;
  for (int len = 1; len <= 32; ++len) {
    code = (code + lengthCount[len - 1]) << 1;
    next[len] = code;
  }
  for (int i = 0; i < n; ++i) {
    const int len = lengths[i];
    if (len == 0 || len > maxBits) {
      table.codes[i] = HuffmanCode{};
      continue;
    }
    table.codes[i] = HuffmanCode{reverseBits(next[len]++, len), static_cast<std::uint32_t>(len)};
  }
}

void makeFixedCodes(HuffmanTable& table, int bits) {
  for (int i = 0; i <= table.count; ++i)
    table.codes[i] = HuffmanCode{reverseBits(static_cast<std::uint32_t>(i), bits),
                                 static_cast<std::uint32_t>(bits)};
}

void buildCodeLengths(HuffmanTable& table, const std::uint32_t* frequencies, int maxBits) {
  const int n = table.count + 1;
  for (int i = 0; i < n; ++i) table.codes[i] = HuffmanCode{};
  std::array<std::uint64_t, kMaxHuffmanSymbols> freq;
  std::array<int, kMaxHuffmanSymbols> size{};
  std::array<int, kMaxHuffmanSymbols> link;
  // The two symbols merged next are the least frequent, on equal frequencies the higher
  // symbol first: a heap in that order picks them as a scan over all symbols would.
  std::array<int, kMaxHuffmanSymbols> heap;
  int used = 0;
  const auto later = [&](int a, int b) { return freq[a] > freq[b] || (freq[a] == freq[b] && a < b); };
  for (int i = 0; i < n; ++i) {
    freq[i] = frequencies[i];
    link[i] = -1;
    if (freq[i] != 0) heap[used++] = i;
  }
  if (used == 0) return;  // no symbol at all
  std::make_heap(heap.begin(), heap.begin() + used, later);
  while (used > 1) {
    std::pop_heap(heap.begin(), heap.begin() + used, later);
    const int c1 = heap[--used];
    std::pop_heap(heap.begin(), heap.begin() + used, later);
    const int c2 = heap[--used];
    freq[c1] += freq[c2];
    freq[c2] = 0;
    int last = c1;
    for (int s = c1;; s = link[s]) {
      ++size[s];
      last = s;
      if (link[s] < 0) break;
    }
    for (int s = c2; s >= 0; s = link[s]) ++size[s];
    link[last] = c2;
    heap[used++] = c1;
    std::push_heap(heap.begin(), heap.begin() + used, later);
  }
  if (size[heap[0]] == 0) size[heap[0]] = 1;  // a single symbol
  // Sizes can exceed 2 maxBits only with extreme frequencies; the count table is sized for
  // the longest possible code (one less than the symbols), so nothing is written past it.
  int longest = 0;
  for (int i = 0; i < n; ++i) longest = std::max(longest, size[i]);
  const int top = std::max(longest, 2 * maxBits);
  std::array<int, kMaxHuffmanSymbols + 66> bits{};
  for (int i = 0; i < n; ++i)
    if (size[i] > 0) ++bits[size[i]];
  for (int i = top; i > maxBits; --i) {
    while (bits[i] > 0) {
      int j = i - 2;
      while (j > 0 && bits[j] == 0) --j;
      bits[i] -= 2;
      bits[i - 1] += 1;
      bits[j + 1] += 2;
      bits[j] -= 1;
    }
  }
  // Hand the adjusted sizes out along the symbols ordered by their merged size (ascending
  // symbols within a size).
  std::array<int, kMaxHuffmanSymbols + 2> start{};
  for (int i = 0; i < n; ++i)
    if (size[i] > 0) ++start[size[i] + 1];
  for (int s = 1; s <= longest; ++s) start[s + 1] += start[s];
  std::array<int, kMaxHuffmanSymbols> order;
  for (int i = 0; i < n; ++i)
    if (size[i] > 0) order[start[size[i]]++] = i;
  const int listed = start[longest];
  std::array<std::uint8_t, kMaxHuffmanSymbols> lengths{};
  int k = 0;
  for (int len = 1; len <= maxBits; ++len)
    for (int c = 0; c < bits[len] && k < listed; ++c) lengths[order[k++]] = static_cast<std::uint8_t>(len);
  makeHuffmanCodes(table, lengths.data(), maxBits);
}

void buildHuffmanTree(HuffmanTree& tree, const HuffmanTable& table) {
  const int n = tree.count;
  for (auto& node : tree.nodes) node = HuffmanNode{};
  tree.root = n + 1;
  tree.lastNode = n + 1;
  for (int sym = 0; sym <= n && sym <= table.count; ++sym) {
    const int len = static_cast<int>(table.codes[sym].length);
    if (len == 0) continue;
    std::uint32_t code = table.codes[sym].code;
    int node = tree.root;
    for (int b = 0; b < len - 1; ++b, code >>= 1) {
      std::uint16_t& child = (code & 1) ? tree.nodes[node].one : tree.nodes[node].zero;
      if (child == kNoNode) {
        // Canonical codes that passed the Kraft check never run out of nodes; a table made
        // elsewhere is checked here all the same.
        if (tree.lastNode + 1 >= static_cast<int>(tree.nodes.size()))
          throw Error(text::kErrorInCompressedData);
        child = static_cast<std::uint16_t>(++tree.lastNode);
        tree.nodes[child].back = static_cast<std::uint16_t>(node);
      } else if (child <= n) {
        throw Error(text::kErrorInCompressedData);  // a code that is a prefix of another
      }
      node = child;
    }
    std::uint16_t& leaf = (code & 1) ? tree.nodes[node].one : tree.nodes[node].zero;
    if (leaf != kNoNode) throw Error(text::kErrorInCompressedData);
    leaf = static_cast<std::uint16_t>(sym);
    tree.nodes[sym].back = static_cast<std::uint16_t>(node);
  }
}

void buildHuffmanTreeFromLengths(HuffmanTree& tree, const std::uint8_t* lengths, int maxBits) {
  HuffmanTable scratch;
  scratch.count = tree.count;
  makeHuffmanCodes(scratch, lengths, maxBits);
  buildHuffmanTree(tree, scratch);
}

// ---- BitStream ----------------------------------------------------------------------------

BitStream::BitStream(BaseStream* next) : FilterStream(next) {
  canRead_ = next->canRead();
  canWrite_ = next->canWrite();
}

BitStream::~BitStream() {
  try {
    flush();
  } catch (...) {
  }
}

bool BitStream::fetch() {
  std::uint8_t b;
  if (next_->readSome(&b, 1) != 1) return false;
  buffer_ = b;
  return true;
}

void BitStream::writeBits(std::uint32_t value, int count) {
  assert(count <= 32);
  while (count > 0) {
    const int k = std::min(8, count);
    const std::uint32_t piece = value & ((1u << k) - 1);
    const int old = writeCount_;
    buffer_ = static_cast<std::uint8_t>(buffer_ | (piece << old));
    if (old + k >= 8) {
      next_->write(&buffer_, 1);
      buffer_ = static_cast<std::uint8_t>(piece >> (8 - old));
      writeCount_ -= 8;
    }
    writeCount_ += k;
    value >>= 8;
    count -= k;
  }
}

int BitStream::readBits(void* buffer, int count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  int done = 0;
  while (count > 0) {
    const int k = std::min(8, count);
    if (readPos_ == 0 || readPos_ == 8) {
      if (!fetch()) return done;
      readPos_ = 0;
    }
    std::uint32_t piece = static_cast<std::uint32_t>(buffer_) >> readPos_;
    if (readPos_ + k > 8) {
      const int have = 8 - readPos_;
      if (!fetch()) return done;
      piece |= static_cast<std::uint32_t>(buffer_) << have;
      readPos_ -= 8;
    }
    *out++ = static_cast<std::uint8_t>(piece & ((1u << k) - 1));
    readPos_ += k;
    done += k;
    count -= k;
  }
  return done;
}

int BitStream::readBit() {
  if (readPos_ == 0 || readPos_ == 8) {
    // At the end the old byte must not be read again: that would invent bits, and a decoder
    // waiting for a code could loop for ever.
    if (!fetch()) throw InOutError(text::kReadLessThanExpected);
    readPos_ = 0;
  }
  return (buffer_ >> readPos_++) & 1;
}

void BitStream::flush() {
  if (writeCount_ > 0) next_->write(&buffer_, 1);
  writeCount_ = 0;
  readPos_ = 0;
  buffer_ = 0;
}

std::int64_t BitStream::availableImpl() { return next_->available() + readPos_; }

int HuffmanBitStream::decodeSymbol(const HuffmanTree& tree) {
  int node = tree.root;
  do {
    if (node > tree.lastNode) throw Error(text::kInvalidHuffmanCode);
    node = readBit() ? tree.nodes[node].one : tree.nodes[node].zero;
  } while (node > tree.count);
  return node;
}

}  // namespace imagefile
