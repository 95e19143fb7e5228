// Deflate: exact bytes worked out by hand, zlib as the reference decoder and encoder, and
// every malformed stream ending in its own text.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "imagefile/deflate.h"
#include "imagefile/deflate_decoder.h"
#include "imagefile/errors.h"
#include "imagefile/streams.h"
#include "tests/imagefile/block_streams.h"

using namespace imagefile;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytesOf(const char* s) { return Bytes(s, s + std::strlen(s)); }

Bytes zlibInflate(const Bytes& packed, std::size_t expected) {
  Bytes out(expected + 16);
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&z, Z_FINISH);
  EXPECT_EQ(rc, Z_STREAM_END) << (z.msg ? z.msg : "");
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

// zlib's raw Deflate of data, written in pieces with the given flush between them.
Bytes zlibDeflate(const Bytes& data, int level, int strategy, int windowBits, int midFlush = Z_NO_FLUSH,
                  std::size_t piece = 0) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -windowBits, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + 1024 + data.size() / 8);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  std::size_t at = 0;
  if (piece == 0) piece = data.size() + 1;
  while (at < data.size()) {
    const std::size_t n = std::min(piece, data.size() - at);
    z.next_in = const_cast<Bytef*>(data.data() + at);
    z.avail_in = static_cast<uInt>(n);
    at += n;
    EXPECT_EQ(deflate(&z, at < data.size() ? midFlush : Z_NO_FLUSH), Z_OK);
  }
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Text-like data: words from a small vocabulary with numbers in between.
Bytes textLike(std::size_t n, unsigned seed) {
  static const char* words[] = {"Kurve", "Wert", "Formel", "Ergebnis", " ", "\n", "x = ", "1,5", "SIN(", ")"};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < n) {
    const char* w = words[rng() % 10];
    out.insert(out.end(), w, w + std::strlen(w));
    if (rng() % 7 == 0) {
      const std::string num = std::to_string(rng() % 100000);
      out.insert(out.end(), num.begin(), num.end());
    }
  }
  out.resize(n);
  return out;
}

Bytes randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

std::string inflateError(const Bytes& raw) {
  try {
    inflateBytes(raw);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

using block_streams::BitWriter;

// The head of a final dynamic block: HLIT, HDIST, HCLEN, then the first hclen lengths of the
// code-length code in the order the format lists them, given as (symbol, length) pairs
// (symbols not named have none).
void dynamicHeader(BitWriter& w, int hlit, int hdist, int hclen, std::initializer_list<std::pair<int, int>> clLengths) {
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.put(1, 1);
  w.put(2, 2);
  w.put(static_cast<std::uint32_t>(hlit - 257), 5);
  w.put(static_cast<std::uint32_t>(hdist - 1), 5);
  w.put(static_cast<std::uint32_t>(hclen - 4), 4);
  for (int i = 0; i < hclen; ++i) {
    int length = 0;
    for (const auto& [symbol, l] : clLengths)
      if (symbol == order[i]) length = l;
    w.put(static_cast<std::uint32_t>(length), 3);
  }
}

}  // namespace

// Empty input. Stored: one final block of length 0. Fixed: final header 1,01 and the 7-bit
// end code. Dynamic: the code has only symbol 256 (length 1, code 0) and no distance; HLIT
// 257, HDIST 1, the lengths 256 x 0, 1, 0 run-length coded as 18(127) 18(107) 1 0, whose
// code-length code is 18 -> "0", 0 -> "10", 1 -> "11" (HCLEN 18).
TEST(DeflateBytes, EmptyInputInEachMode) {
  EXPECT_EQ(deflateBytes({}, kDeflateStored), (Bytes{0x01, 0x00, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(deflateBytes({}, kDeflateFixed), (Bytes{0x03, 0x00}));
  BitWriter w;
  dynamicHeader(w, 257, 1, 18, {{18, 1}, {0, 2}, {1, 2}});
  w.code(0, 1);
  w.put(127, 7);
  w.code(0, 1);
  w.put(107, 7);
  w.code(3, 2);
  w.code(2, 2);
  w.code(0, 1);  // end of block
  EXPECT_EQ(deflateBytes({}, kDeflateDynamic), w.out);
  for (const DeflateMode mode : {kDeflateDynamic, kDeflateFixed, kDeflateStored})
    EXPECT_TRUE(inflateBytes(deflateBytes({}, mode)).empty());
}

// "abc" has no match: three literals and the end code. Fixed codes of 'a'..'c' are
// 0x91..0x93 in 8 bits.
TEST(DeflateBytes, ThreeLiterals) {
  const Bytes abc = bytesOf("abc");
  EXPECT_EQ(deflateBytes(abc, kDeflateStored), (Bytes{0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'}));
  BitWriter w;
  w.put(1, 1);
  w.put(1, 2);
  w.code(0x91, 8);
  w.code(0x92, 8);
  w.code(0x93, 8);
  w.code(0, 7);
  EXPECT_EQ(deflateBytes(abc, kDeflateFixed), w.out);
  const Bytes dyn = deflateBytes(abc, kDeflateDynamic);
  EXPECT_EQ(zlibInflate(dyn, 3), abc);
  EXPECT_EQ(inflateBytes(dyn), abc);
}

// 300 x 'a' in fixed mode: the 300 pending bytes start a (not yet final) block at once:
// literal, literal (no entry exists for the first byte's key), then a match of 258 at
// distance 2. The last 40 bytes wait for the flush: a match of 40 at distance 2 and the end
// code. The final flag then needs a block of its own: header 1,01 and the end code.
TEST(DeflateBytes, RunOfEqualBytesMatchesAtDistanceTwo) {
  const Bytes run(300, 'a');
  BitWriter w;
  w.put(0, 1);
  w.put(1, 2);
  w.code(0x91, 8);
  w.code(0x91, 8);
  w.code(0xC5, 8);  // 285: length 258
  w.code(1, 5);     // distance 2
  w.code(17, 7);    // 273: lengths 35..42
  w.put(5, 3);      // 40
  w.code(1, 5);
  w.code(0, 7);
  w.put(1, 1);
  w.put(1, 2);
  w.code(0, 7);
  EXPECT_EQ(deflateBytes(run, kDeflateFixed), w.out);
  for (const DeflateMode mode : {kDeflateDynamic, kDeflateFixed, kDeflateStored}) {
    const Bytes packed = deflateBytes(run, mode);
    EXPECT_EQ(zlibInflate(packed, run.size()), run) << mode;
    EXPECT_EQ(inflateBytes(packed), run) << mode;
  }
  // Stored: one final block with all 300 bytes.
  const Bytes stored = deflateBytes(run, kDeflateStored);
  ASSERT_EQ(stored.size(), 305u);
  EXPECT_EQ(stored[0], 0x01);
  EXPECT_EQ(stored[1] | (stored[2] << 8), 300);
}

TEST(DeflateBytes, ZlibReadsEveryModeOnLargeInputs) {
  std::vector<Bytes> inputs;
  inputs.push_back(textLike(200000, 1));
  inputs.push_back(randomBytes(70000, 2));
  // A block repeating with a period just inside and just outside the 32768-byte reach.
  for (std::size_t period : {32767u, 32768u, 32769u}) {
    const Bytes base = randomBytes(period, static_cast<unsigned>(period));
    Bytes rep;
    for (int i = 0; i < 4; ++i) rep.insert(rep.end(), base.begin(), base.end());
    inputs.push_back(rep);
  }
  // Enough symbols for several dynamic blocks.
  inputs.push_back(randomBytes(200000, 3));
  inputs.push_back(Bytes(3 << 20, 0));
  for (const Bytes& in : inputs)
    for (const DeflateMode mode : {kDeflateDynamic, kDeflateFixed, kDeflateStored}) {
      const Bytes packed = deflateBytes(in, mode);
      EXPECT_EQ(zlibInflate(packed, in.size()), in) << "mode " << mode << " size " << in.size();
      EXPECT_EQ(inflateBytes(packed), in) << "mode " << mode << " size " << in.size();
    }
}

TEST(DeflateBytes, RepeatsWithinReachAreFoundAndBeyondAreNot) {
  const Bytes base = randomBytes(32768, 7);
  Bytes twice = base;
  twice.insert(twice.end(), base.begin(), base.end());
  EXPECT_LT(deflateBytes(twice).size(), 32768u + 33000u / 8 + 1000);  // second half matched
  Bytes far = randomBytes(32769, 8);
  Bytes farTwice = far;
  farTwice.insert(farTwice.end(), far.begin(), far.end());
  EXPECT_GT(deflateBytes(farTwice).size(), 2 * 32769u);  // too far: all literals
}

// The literals and matches of a stream of fixed blocks, in order.
struct Token {
  int literal = -1;  // or a match:
  int length = 0;
  int distance = 0;
  bool operator==(const Token&) const = default;
};

std::vector<Token> fixedTokens(const Bytes& packed) {
  std::size_t bit = 0;
  auto take = [&](int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++bit) v |= ((packed.at(bit >> 3) >> (bit & 7)) & 1u) << i;
    return v;
  };
  auto codeBits = [&](int n) {  // Huffman codes come most significant bit first
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 1) | take(1);
    return v;
  };
  static const int lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  std::vector<Token> tokens;
  for (bool last = false; !last;) {
    last = take(1) != 0;
    EXPECT_EQ(take(2), 1u) << "not a fixed block";
    for (;;) {
      std::uint32_t c = codeBits(7);
      int sym;
      if (c <= 23) {
        sym = 256 + static_cast<int>(c);
      } else {
        c = (c << 1) | take(1);
        if (c >= 0x30 && c <= 0xBF)
          sym = static_cast<int>(c) - 0x30;
        else if (c >= 0xC0 && c <= 0xC7)
          sym = 280 + static_cast<int>(c) - 0xC0;
        else
          sym = 144 + static_cast<int>(((c << 1) | take(1)) - 0x190);
      }
      if (sym < 256) {
        tokens.push_back({sym});
        continue;
      }
      if (sym == 256) break;
      const int li = sym - 257;
      const int lengthExtra = li < 8 || li == 28 ? 0 : (li - 4) / 4;
      const int length = lengthBase[li] + static_cast<int>(take(lengthExtra));
      const int ds = static_cast<int>(codeBits(5));
      const int e = ds < 4 ? 0 : ds / 2 - 1;
      const int distance = ds < 4 ? ds + 1 : (((2 + (ds & 1)) << e) | static_cast<int>(take(e))) + 1;
      tokens.push_back({-1, length, distance});
    }
  }
  return tokens;
}

Bytes fixedStream(const Bytes& data, int minimumMatch = 3) {
  MemStream sink;
  {
    DeflateStream d(&sink, DeflateDirection::Compress);
    d.setCompressionMode(kDeflateFixed);
    d.setMinimumMatch(minimumMatch);
    d.write(data.data(), data.size());
    d.finish();
  }
  return sink.bytes();
}

// The search visits a two-byte key's newest 64 entries (16 with a minimum match of six),
// whatever their third byte: "XY" + 18 letters, then fillers "XY" + another byte, then the
// same 20 bytes again. With one filler too many the first copy is out of the search's
// sight; from its second byte on it is found under the key "Ya".
TEST(DeflateStream, SearchSeesTheNewestEntriesOfAKey) {
  const std::string text = "XYabcdefghijklmnopqr";
  for (const auto& [minimum, limit] : {std::pair{3, 64}, {6, 16}})
    for (int fillers : {limit - 1, limit}) {
      Bytes data(text.begin(), text.end());
      for (int i = 0; i < fillers; ++i) data.insert(data.end(), {'X', 'Y', static_cast<std::uint8_t>(1 + i)});
      data.insert(data.end(), text.begin(), text.end());
      const std::vector<Token> tokens = fixedTokens(fixedStream(data, minimum));
      const int copy = 20 + 3 * fillers;
      std::vector<Token> expected;
      for (int i = 0; i < copy; ++i) expected.push_back({data[i]});
      if (fillers < limit) {
        expected.push_back({-1, 20, copy});
      } else {
        expected.push_back({'X'});
        expected.push_back({-1, 19, copy});
      }
      EXPECT_EQ(tokens, expected) << "minimum " << minimum << ", fillers " << fillers;
      EXPECT_EQ(inflateBytes(fixedStream(data, minimum)), data);
    }
}

// A flush leaves the last two strings without their third byte; they are found once it
// comes: "...Kab" | flush | "c" + 30 letters + "abc" + the same 30 letters.
TEST(DeflateStream, StringsCutByAFlushAreFoundLater) {
  const Bytes head = randomBytes(500, 31);
  const std::string tail = "cdefghijklmnopqrstuvwxyzABCDEF";
  MemStream sink;
  {
    DeflateStream d(&sink, DeflateDirection::Compress);
    d.setCompressionMode(kDeflateFixed);
    d.write(head.data(), head.size());
    d.write("ab", 2);
    d.flush();
    const std::string rest = "c" + tail + "ab" + "c" + tail;
    d.write(rest.data(), rest.size());
    d.finish();
  }
  const std::vector<Token> tokens = fixedTokens(sink.bytes());
  ASSERT_FALSE(tokens.empty());
  EXPECT_EQ(tokens.back(), (Token{-1, 33, 33}));
}

// Past the first megabyte the match table moves its positions on (every megabyte, at a
// point that depends on the data); a pattern of period 20000 around that point matches all
// the way through.
TEST(DeflateBytes, RepeatsAroundTheFirstMegabytesAreFound) {
  Bytes data = randomBytes(1100000, 15);
  const Bytes period = randomBytes(20000, 16);
  for (int i = 0; i < 8; ++i) data.insert(data.end(), period.begin(), period.end());
  const Bytes tail = randomBytes(60000, 17);
  data.insert(data.end(), tail.begin(), tail.end());
  const Bytes packed = deflateBytes(data);
  // Random bytes cost a little more than themselves, the seven repeats next to nothing.
  EXPECT_LT(packed.size(), 1100000u + 20000 + 60000 + 10000) << packed.size();
  EXPECT_EQ(inflateBytes(packed), data);
}

TEST(DeflateStream, OutputDoesNotDependOnHowWritesAreSplit) {
  const Bytes text = textLike(150000, 4);
  for (const DeflateMode mode : {kDeflateDynamic, kDeflateFixed, kDeflateStored}) {
    const Bytes whole = deflateBytes(text, mode);
    for (std::size_t piece : {1u, 7u, 257u, 258u, 4096u, 40000u}) {
      if (piece == 1 && mode != 0) continue;  // one mode is enough for byte-wise writes
      Bytes out;
      MemStream sink;
      {
        DeflateStream d(&sink, DeflateDirection::Compress);
        d.setCompressionMode(mode);
        for (std::size_t at = 0; at < text.size(); at += piece)
          d.write(text.data() + at, std::min(piece, text.size() - at));
        d.finish();
      }
      EXPECT_EQ(sink.bytes(), whole) << "mode " << mode << " piece " << piece;
    }
  }
}

// A change of block kind between writes closes the open block first; whatever the kinds,
// the data comes back.
TEST(DeflateStream, BlockKindChangedBetweenWrites) {
  const Bytes text = textLike(70000, 14);
  for (int from = 0; from < 3; ++from)
    for (int to = 0; to < 3; ++to) {
      MemStream sink;
      {
        DeflateStream d(&sink, DeflateDirection::Compress);
        d.setCompressionMode(static_cast<DeflateMode>(from));
        d.write(text.data(), 40000);
        d.setCompressionMode(static_cast<DeflateMode>(to));
        EXPECT_EQ(d.compressionMode(), to);
        d.write(text.data() + 40000, text.size() - 40000);
        d.finish();
      }
      EXPECT_EQ(zlibInflate(sink.bytes(), text.size()), text) << from << " to " << to;
      EXPECT_EQ(inflateBytes(sink.bytes()), text) << from << " to " << to;
    }
}

TEST(DeflateStream, ReadsZlibOutputOfEveryLevelStrategyAndWindow) {
  const Bytes text = textLike(120000, 5);
  const Bytes noise = randomBytes(20000, 6);
  for (const Bytes* in : {&text, &noise})
    for (int level = 0; level <= 9; ++level)
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        for (int window : {9, 12, 15}) {
          if (window != 15 && level % 3 != 1) continue;
          const Bytes packed = zlibDeflate(*in, level, strategy, window);
          ASSERT_EQ(inflateBytes(packed), *in) << level << " " << strategy << " " << window;
        }
  for (int flush : {Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_PARTIAL_FLUSH, Z_BLOCK})
    EXPECT_EQ(inflateBytes(zlibDeflate(text, 6, Z_DEFAULT_STRATEGY, 15, flush, 3001)), text) << flush;
}

TEST(DeflateStream, ReadInSmallPiecesGivesTheSameBytes) {
  const Bytes text = textLike(100000, 9);
  const Bytes packed = zlibDeflate(text, 9, Z_DEFAULT_STRATEGY, 15, Z_SYNC_FLUSH, 777);
  SpanStream in(packed.data(), packed.size());
  DeflateStream d(&in, DeflateDirection::Decompress);
  Bytes out;
  std::uint8_t buf[333];
  for (std::size_t n; (n = d.readSome(buf, 1 + out.size() % 333)) > 0;) out.insert(out.end(), buf, buf + n);
  EXPECT_EQ(out, text);
  // At the end: a strict read raises, a lenient one gives nothing.
  EXPECT_EQ(d.readSome(buf, 10), 0u);
  EXPECT_THROW(d.read(buf, 1), InOutError);
}

TEST(DeflateStream, GivesBackWhatFollowsTheFinalBlock) {
  const Bytes text = textLike(5000, 10);
  Bytes packed = zlibDeflate(text, 6, Z_DEFAULT_STRATEGY, 15);
  const Bytes trailer = {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3};
  packed.insert(packed.end(), trailer.begin(), trailer.end());
  // Behind a filter, so the bytes come back through unread, not through a seek.
  SpanStream file(packed.data(), packed.size());
  BufferedStream buffered(-1, 0, &file);
  Bytes out(text.size());
  {
    DeflateStream d(&buffered, DeflateDirection::Decompress);
    ASSERT_EQ(d.read(out.data(), out.size()), out.size());
    std::uint8_t extra;
    EXPECT_EQ(d.readSome(&extra, 1), 0u);
  }
  EXPECT_EQ(out, text);
  Bytes rest(trailer.size());
  ASSERT_EQ(buffered.read(rest.data(), rest.size()), rest.size());
  EXPECT_EQ(rest, trailer);
}

TEST(DeflateStream, StoredBlockWrappingTheWindowKeepsHistoryForLaterBlocks) {
  // 50000 bytes of fixed literals, then a stored block of 30000 that wraps the 64 KB
  // window, then a fixed block that copies from inside the stored data.
  const Bytes first = randomBytes(50000, 11);
  const Bytes stored = randomBytes(30000, 12);
  BitWriter w;
  w.put(0, 1);
  w.put(1, 2);
  for (std::uint8_t b : first) {
    if (b < 144)
      w.code(0x30u + b, 8);
    else
      w.code(0x190u + (b - 144u), 9);
  }
  w.code(0, 7);
  w.put(0, 1);
  w.put(0, 2);
  w.used = 0;  // to the byte boundary
  w.out.push_back(30000 & 0xFF);
  w.out.push_back(30000 >> 8);
  w.out.push_back(static_cast<std::uint8_t>(~30000 & 0xFF));
  w.out.push_back(static_cast<std::uint8_t>((~30000 >> 8) & 0xFF));
  w.out.insert(w.out.end(), stored.begin(), stored.end());
  w.put(1, 1);
  w.put(1, 2);
  w.code(0xC5, 8);  // length 258
  w.code(26, 5);    // distances 8193..12288, 12 extra bits
  w.put(999, 12);   // distance 9192
  w.code(0, 7);
  Bytes expected = first;
  expected.insert(expected.end(), stored.begin(), stored.end());
  const std::size_t from = expected.size() - 9192;
  for (int i = 0; i < 258; ++i) expected.push_back(expected[from + i]);
  EXPECT_EQ(inflateBytes(w.out), expected);
  EXPECT_EQ(zlibInflate(w.out, expected.size()), expected);
  // Read in small pieces the stored data reaches the window piece by piece.
  for (std::size_t piece : {1u, 4097u}) {
    SpanStream in(w.out.data(), w.out.size());
    DeflateStream d(&in, DeflateDirection::Decompress);
    Bytes got(expected.size() + 10);
    std::size_t at = 0;
    for (std::size_t n; (n = d.readSome(got.data() + at, std::min(piece, got.size() - at))) > 0;) at += n;
    got.resize(at);
    EXPECT_EQ(got, expected) << piece;
  }
}

TEST(DeflateStream, MalformedStreamsEndWithTheirText) {
  // Block type 3.
  EXPECT_EQ(inflateError({0x07}), "Error in compressed data");
  // Stored block whose NLEN is no complement.
  EXPECT_EQ(inflateError({0x01, 0x05, 0x00, 0x00, 0x00}), "Error in compressed data");
  // Fixed block with literal/length symbol 286 (8-bit code 11000110): not in the code.
  {
    BitWriter w;
    w.put(1, 1);
    w.put(1, 2);
    w.code(0xC6, 8);
    EXPECT_EQ(inflateError(w.out), "Invalid Huffman code");
  }
  // Dynamic block where symbol 286 has a code: decodes, but is no length.
  {
    BitWriter w;
    // HLIT 287: symbols 0..286. Code-length code: 1 and 18 of length 1 each.
    dynamicHeader(w, 287, 1, 18, {{1, 1}, {18, 1}});
    // Canonical: 1 -> "0", 18 -> "1". 286 zeros as 138 + 137 + 11, then length 1 for
    // symbol 286 and length 1 for distance 0.
    w.code(1, 1); w.put(127, 7);
    w.code(1, 1); w.put(126, 7);
    w.code(1, 1); w.put(0, 7);
    w.code(0, 1);
    w.code(0, 1);
    // Data: symbol 286 is the only literal/length code ("0").
    w.code(0, 1);
    EXPECT_EQ(inflateError(w.out), "Error in compressed data");
  }
}

TEST(DeflateStream, DynamicHeaderFaultsAreRejected) {
  // Code-length code: 16 -> "0", 1 -> "10", 18 -> "11".
  auto header = [](BitWriter& w, int hlit, int hdist) { dynamicHeader(w, hlit, hdist, 18, {{16, 1}, {1, 2}, {18, 2}}); };
  {  // A repeat of the previous length as the very first code.
    BitWriter w;
    header(w, 257, 1);
    w.code(0, 1);
    w.put(0, 2);
    EXPECT_EQ(inflateError(w.out), "Error in compressed data");
  }
  {  // Zeros running past HLIT + HDIST (258 lengths; 138 + 138 would be 276).
    BitWriter w;
    header(w, 257, 1);
    w.code(3, 2);
    w.put(127, 7);
    w.code(3, 2);
    w.put(127, 7);
    EXPECT_EQ(inflateError(w.out), "Error in compressed data");
  }
}

// Literal/length symbols end at 285 and distance symbols at 29: a header declaring codes for
// 286, 287 or distances 30, 31 is refused when it is read, even where the code built from it
// would decode the data ('A' and the end code) without touching those symbols.
TEST(DeflateStream, HeaderCountsBeyondTheFormatAreRefused) {
  auto block = [](int hlit, int hdist) {
    BitWriter w;
    // Code-length code: 18 -> "0", 1 -> "10", 2 -> "11".
    dynamicHeader(w, hlit, hdist, 18, {{18, 1}, {1, 2}, {2, 2}});
    auto zeros = [&](int n) {
      for (; n > 0; n -= 138) {
        w.code(0, 1);
        w.put(static_cast<std::uint32_t>(std::min(n, 138) - 11), 7);
      }
    };
    // Literal/length lengths: 'A' 1, 256 2, the last declared symbol 2.
    zeros(65);
    w.code(2, 2);
    zeros(190);
    w.code(3, 2);
    zeros(hlit - 258);
    w.code(3, 2);
    // Distance lengths: 0 and the last declared symbol 1.
    w.code(2, 2);
    zeros(hdist - 2);
    w.code(2, 2);
    w.code(0, 1);  // 'A'
    w.code(2, 2);  // end of block
    return w.out;
  };
  EXPECT_EQ(inflateBytes(block(286, 30)), bytesOf("A"));
  EXPECT_EQ(zlibInflate(block(286, 30), 1), bytesOf("A"));
  for (const auto& [hlit, hdist] : {std::pair{287, 30}, {286, 31}, {287, 32}, {288, 32}})
    EXPECT_EQ(inflateError(block(hlit, hdist)), "Error in compressed data") << hlit << " " << hdist;
}

TEST(DeflateStream, OversubscribedCodesAreRefusedIncompleteOnesWorkUntilAMissingCode) {
  {  // Code-length code with three codes of length 1.
    BitWriter w;
    dynamicHeader(w, 257, 1, 4, {{16, 1}, {18, 1}, {0, 1}});
    EXPECT_EQ(inflateError(w.out), "Error in compressed data");
  }
  // Incomplete literal/length code: only 'A' (length 2), 'B' (length 2) and 256 (length 2);
  // the fourth 2-bit code leads nowhere. No distance code at all.
  auto block = [&](bool useMissing) {
    BitWriter w;
    // Code-length code: 2 -> "0", 0 -> "10", 18 -> "11" (lengths 1, 2, 2).
    dynamicHeader(w, 257, 1, 18, {{2, 1}, {0, 2}, {18, 2}});
    w.code(3, 2); w.put(65 - 11, 7);   // 65 zeros
    w.code(0, 1); w.code(0, 1);        // 'A', 'B' length 2
    w.code(3, 2); w.put(138 - 11, 7);  // 138 zeros
    w.code(3, 2); w.put(51 - 11, 7);   // 51 zeros: 67 + 189 = 256
    w.code(0, 1);                      // 256 length 2
    w.code(2, 2);                      // distance: 0
    // Codes: 'A' 00, 'B' 01, 256 10; 11 is missing.
    w.code(0, 2);
    w.code(1, 2);
    if (useMissing) w.code(3, 2);
    w.code(2, 2);
    return w.out;
  };
  EXPECT_EQ(inflateBytes(block(false)), bytesOf("AB"));
  EXPECT_EQ(inflateError(block(true)), "Invalid Huffman code");
}

TEST(DeflateStream, DistanceBeforeTheFirstByteIsAnError) {
  BitWriter w;
  w.put(1, 1);
  w.put(1, 2);
  w.code(0x30 + 'x', 8);
  w.code(1, 7);  // length 3
  w.code(1, 5);  // distance 2, but only one byte exists
  w.code(0, 7);
  EXPECT_EQ(inflateError(w.out), "Error in compressed data");
  BitWriter ok;
  ok.put(1, 1);
  ok.put(1, 2);
  ok.code(0x30 + 'x', 8);
  ok.code(1, 7);
  ok.code(0, 5);  // distance 1
  ok.code(0, 7);
  EXPECT_EQ(inflateBytes(ok.out), bytesOf("xxxx"));
}

TEST(DeflateStream, TruncatedStreamsRaise) {
  const Bytes text = textLike(60000, 13);
  const Bytes packed = deflateBytes(text);
  const Bytes stored = deflateBytes(text, kDeflateStored);
  int raised = 0;
  for (std::size_t cut = 0; cut < packed.size(); cut += 1 + cut / 16) {
    const std::string e = inflateError(Bytes(packed.begin(), packed.begin() + cut));
    if (e == "Read less than expected") ++raised;
  }
  for (std::size_t cut : {0u, 3u, 5u, 100u, 40000u})
    if (inflateError(Bytes(stored.begin(), stored.begin() + cut)) == "Read less than expected") ++raised;
  EXPECT_GT(raised, 50);
  // Every cut ends in an error, none in a success with made-up data.
  for (std::size_t cut = 1; cut < 64; ++cut)
    EXPECT_NE(inflateError(Bytes(packed.begin(), packed.begin() + cut)), "(no error)") << cut;
}

TEST(DeflateStream, WriteOnAReadingStreamIsRefused) {
  const Bytes packed = deflateBytes(bytesOf("abc"));
  SpanStream in(packed.data(), packed.size());
  DeflateStream d(&in, DeflateDirection::Decompress);
  EXPECT_THROW(
      {
        try {
          d.write("x", 1);
        } catch (const InOutError& e) {
          EXPECT_STREQ(e.what(), "Stream not open for write");
          throw;
        }
      },
      InOutError);
}

#include "imagefile/reference_inflate.h"

namespace {
std::string referenceError(const Bytes& raw, Bytes* out) {
  try {
    *out = reference::inflate(raw);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}
}  // namespace

// Damaged copies of real streams: the table decoder and the tree walker agree on every
// byte and every text.
TEST(DeflateStream, TableDecoderAgreesWithTheTreeWalker) {
  std::mt19937 rng(99);
  std::vector<Bytes> seeds = {deflateBytes(textLike(3000, 20)), deflateBytes(textLike(3000, 21), kDeflateFixed),
                              zlibDeflate(textLike(5000, 22), 9, Z_DEFAULT_STRATEGY, 15),
                              zlibDeflate(randomBytes(2000, 23), 6, Z_DEFAULT_STRATEGY, 15, Z_FULL_FLUSH, 700)};
  int agreed = 0;
  for (int round = 0; round < 1500; ++round) {
    Bytes data = seeds[round % seeds.size()];
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) {
      const std::size_t at = rng() % std::min<std::size_t>(data.size(), round % 2 ? 40 : data.size());
      data[at] = static_cast<std::uint8_t>(data[at] ^ (1u << (rng() % 8)));
    }
    if (rng() % 3 == 0) data.resize(rng() % data.size());
    Bytes expected;
    const std::string refError = referenceError(data, &expected);
    std::string ourError = "(no error)";
    Bytes ours;
    try {
      ours = inflateBytes(data);
    } catch (const std::exception& e) {
      ourError = e.what();
    }
    ASSERT_EQ(ourError, refError) << "round " << round;
    if (refError == "(no error)") {
      ASSERT_EQ(ours, expected) << "round " << round;
    }
    ++agreed;
  }
  EXPECT_EQ(agreed, 1500);
}

// All 286 literal/length symbols at 15 bits: an incomplete code whose tree needs more inner
// nodes than a complete one (an empty branch at every depth). Both decoders read the data.
TEST(DeflateStream, LongIncompleteCodeDecodesInBothDecoders) {
  BitWriter w;
  // Code-length code: 15 -> "0", 16 -> "1"; 287 lengths of 15.
  dynamicHeader(w, 286, 1, 19, {{15, 1}, {16, 1}});
  w.code(0, 1);
  for (int left = 286; left > 0; left -= 6) {
    w.code(1, 1);
    w.put(static_cast<std::uint32_t>(std::min(left, 6) - 3), 2);
  }
  // Canonical codes: symbol s is s in 15 bits.
  const Bytes text = bytesOf("Kolvex");
  for (std::uint8_t c : text) w.code(c, 15);
  w.code(256, 15);
  Bytes viaTree;
  EXPECT_EQ(referenceError(w.out, &viaTree), "(no error)");
  EXPECT_EQ(viaTree, text);
  EXPECT_EQ(inflateBytes(w.out), text);
}

// A block start costs its header: the fixed code's tables are built once for every decoder,
// stored blocks build none, a dynamic block the three its header describes. The bytes are
// those of the tree walker.
TEST(DeflateStream, FixedBlocksShareTablesBuiltOnce) {
  const Bytes data = randomBytes(3000, 31);
  const Bytes fixed = block_streams::fixedBlockPerByte(data);
  const Bytes stored = block_streams::storedBlocks(data, 5);
  Bytes viaTree;
  EXPECT_EQ(referenceError(fixed, &viaTree), "(no error)");
  EXPECT_EQ(viaTree, data);
  EXPECT_EQ(referenceError(stored, &viaTree), "(no error)");
  EXPECT_EQ(viaTree, data);
  EXPECT_EQ(inflateBytes(fixed), data);  // the first fixed block anywhere may build them
  std::uint64_t before = DeflateDecoder::tablesBuilt();
  EXPECT_EQ(inflateBytes(fixed), data);
  EXPECT_EQ(inflateBytes(stored), data);
  EXPECT_EQ(DeflateDecoder::tablesBuilt() - before, 0u);
  // Each of zlib's dynamic blocks (one per full flush) builds its own three.
  const Bytes dynamic = zlibDeflate(textLike(4000, 32), 6, Z_DEFAULT_STRATEGY, 15, Z_FULL_FLUSH, 1000);
  before = DeflateDecoder::tablesBuilt();
  EXPECT_EQ(inflateBytes(dynamic), textLike(4000, 32));
  EXPECT_EQ(DeflateDecoder::tablesBuilt() - before, 12u);
}
