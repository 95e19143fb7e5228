// LZW and run-length coding against giflib, and the decoder's handling of odd and broken data.
#include <gtest/gtest.h>

#include "giflib_oracle.h"
#include "gif_test_util.h"

using namespace giftest;

namespace {

struct Case {
  const char* name;
  int width, height, colors;
  int kind;  // 0 noise, 1 runs, 2 flat
  bool interlace;
};

Bytes pixelsFor(const Case& c, unsigned seed) {
  const int n = c.width * c.height;
  if (c.kind == 0) return noise(n, c.colors, seed);
  if (c.kind == 1) return runs(n, c.colors, seed, 300);
  return Bytes(static_cast<size_t>(n), static_cast<uint8_t>(c.colors - 1));
}

const Case kCases[] = {
    {"two_colours_noise", 61, 17, 2, 0, false},   {"three_colours_runs", 100, 40, 3, 1, false},
    {"four_colours_noise", 33, 33, 4, 0, true},   {"sixteen_runs", 200, 50, 16, 1, false},
    {"seventeen_noise", 40, 40, 17, 0, false},    {"big_noise_forces_clears", 300, 300, 256, 0, false},
    {"flat_100x100", 100, 100, 5, 2, false},      {"interlaced_runs", 90, 37, 200, 1, true},
    {"one_pixel", 1, 1, 2, 0, false},             {"tall_thin_interlaced", 1, 29, 8, 0, true},
    {"long_flat_256", 2000, 300, 256, 2, false},  {"noise_128", 128, 128, 128, 0, true},
};

}  // namespace

TEST(LzwCodec, OurFilesDecodeInGiflibToOurIndicesForEveryCodeSize) {
  unsigned seed = 1;
  for (const Case& c : kCases)
    for (bool rle : {false, true})
      for (bool global : {false, true}) {
        SCOPED_TRACE(std::string(c.name) + (rle ? " rle" : " lzw") + (global ? " global" : " local"));
        GifPlan s;
        s.width = c.width;
        s.height = c.height;
        s.colors = greyColors(c.colors);
        s.pixels = pixelsFor(c, seed++);
        s.interlace = c.interlace;
        s.rle = rle;
        s.global = global;
        const Bytes file = encode(s);
        const auto theirs = oracle::decode(file);
        ASSERT_TRUE(theirs.has_value());
        ASSERT_EQ(theirs->frames.size(), 1u);
        EXPECT_EQ(theirs->frames[0].interlace, c.interlace);
        EXPECT_TRUE(theirs->frames[0].pixels == s.pixels);
        // And back through our own decoder, also from 1-byte sub-blocks.
        for (size_t chunk : {size_t{255}, size_t{1}, size_t{7}}) {
          auto ours = load(rechunk(file, chunk));
          ASSERT_EQ(ours->file->images().count(), 1);
          EXPECT_TRUE(ours->file->images().image(0).data() == s.pixels) << "chunk " << chunk;
          EXPECT_TRUE(ours->warnings.empty());
        }
      }
}

TEST(LzwCodec, GiflibFilesDecodeInOursAlsoFromOneByteSubBlocks) {
  unsigned seed = 100;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Bytes pixels = pixelsFor(c, seed++);
    const Bytes file = oracle::encode(c.width, c.height, colorBytes(greyColors(c.colors)), pixels, c.interlace);
    for (size_t chunk : {size_t{255}, size_t{1}, size_t{2}}) {
      auto ours = load(rechunk(file, chunk));
      ASSERT_EQ(ours->file->images().count(), 1);
      EXPECT_EQ(ours->file->images().image(0).interlaced(), c.interlace);
      EXPECT_TRUE(ours->file->images().image(0).data() == pixels) << "chunk " << chunk;
      EXPECT_TRUE(ours->warnings.empty());
    }
  }
}

TEST(LzwCodec, RunLengthFilesStaySmallForFlatAreas) {
  GifPlan s;
  s.width = 100;
  s.height = 100;
  s.colors = greyColors(4);
  s.pixels.assign(10000, 2);
  s.rle = true;
  const Bytes rle = encode(s);
  EXPECT_LT(rle.size(), 400u);
  const auto theirs = oracle::decode(rle);
  ASSERT_TRUE(theirs);
  EXPECT_TRUE(theirs->frames[0].pixels == s.pixels);
}

TEST(LzwCodec, InterlacedRowsAreStoredInFourPasses) {
  EXPECT_EQ(gif::rowOrder(3, true), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(gif::rowOrder(5, true), (std::vector<int>{0, 4, 2, 1, 3}));
  EXPECT_EQ(gif::rowOrder(1, true), (std::vector<int>{0}));
  EXPECT_EQ(gif::rowOrder(10, true), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  for (int h = 1; h <= 9; ++h) {
    SCOPED_TRACE(h);
    GifPlan s;
    s.width = 3;
    s.height = h;
    s.colors = greyColors(16);
    s.pixels.clear();
    for (int i = 0; i < 3 * h; ++i) s.pixels.push_back(static_cast<uint8_t>(i % 16));
    s.interlace = true;
    const Bytes file = encode(s);
    EXPECT_TRUE(oracle::decode(file)->frames[0].pixels == s.pixels);
    EXPECT_TRUE(load(file)->file->images().image(0).data() == s.pixels);
  }
}

TEST(LzwCodec, SubBlockWriterCutsAt255AndNeverWritesTheTerminator) {
  for (size_t n : {size_t{0}, size_t{1}, size_t{255}, size_t{256}, size_t{600}}) {
    gif::MemoryStream out;
    {
      gif::GifWriter w(out);
      const Bytes data(n, 7);
      w.write(data.data(), data.size());
    }
    EXPECT_TRUE(out.bytes() == subBlocks(Bytes(n, 7), 255, false)) << n;
  }
}

TEST(LzwCodec, HashTableFindsWhatWasInsertedAndNothingElse) {
  gif::HashTable t;
  for (uint32_t k = 0; k < 4000; ++k) t.insert(k * 131 % 1048576, static_cast<int>(k));
  for (uint32_t k = 0; k < 4000; ++k) EXPECT_EQ(t.lookup(k * 131 % 1048576), static_cast<int>(k));
  EXPECT_EQ(t.lookup(5), -1);
  t.clear();
  EXPECT_EQ(t.lookup(0), -1);
}

TEST(LzwCodec, PixelsBeyondTheColourLimitAreRefused) {
  GifPlan s;
  s.width = 3;
  s.colors = greyColors(3);
  s.pixels = {0, 2, 3};
  EXPECT_EQ(errorOf([&] { encode(s); }), "Color not in color table");
  s.rle = true;
  EXPECT_EQ(errorOf([&] { encode(s); }), "Color not in color table");
  s.pixels = {0, 2, 2};
  EXPECT_EQ(errorOf([&] { encode(s); }), "(no error)");
}

TEST(LzwDecoder, HandMadeStreamsDecodeAsAnyLzwDecoderReadsThem) {
  // clear, pixel, end
  auto one = load(fileWithData(1, 1, data2({{4, 3}, {1, 3}, {5, 3}})));
  EXPECT_EQ(one->file->images().image(0).data(), Bytes{1});
  // No leading clear: the decoder starts from a reset table anyway.
  auto noClear = load(fileWithData(2, 1, data2({{1, 3}, {0, 3}, {5, 3}})));
  EXPECT_EQ(noClear->file->images().image(0).data(), (Bytes{1, 0}));
  // Code 6 is the next free code right after the first pixel: "1" + "1".
  auto kwk = load(fileWithData(3, 1, data2({{4, 3}, {1, 3}, {6, 3}, {5, 3}})));
  EXPECT_EQ(kwk->file->images().image(0).data(), (Bytes{1, 1, 1}));
  EXPECT_TRUE(kwk->warnings.empty());
  // The end code right after a clear ends the data; the rest keeps the fill.
  auto ended = load(fileWithData(2, 1, data2({{4, 3}, {5, 3}})));
  EXPECT_EQ(ended->file->images().image(0).data(), (Bytes{0, 0}));
}

TEST(LzwDecoder, CodeSizesOutsideTwoToEightAreRefused) {
  for (uint8_t size : {uint8_t{0}, uint8_t{1}, uint8_t{9}, uint8_t{12}, uint8_t{255}}) {
    const Bytes data = {size, 1, 0, 0};
    EXPECT_EQ(loadError(fileWithData(1, 1, data)), "Invalid LZW code size") << int(size);
  }
}

TEST(LzwDecoder, CorruptCodesStopStoringWarnAndSkipToTheNextBlock) {
  struct Bad {
    const char* name;
    std::vector<std::pair<int, int>> codes;
  };
  const Bad bad[] = {
      {"code above the free code", {{4, 3}, {1, 3}, {7, 3}, {0, 3}, {5, 3}}},
      {"first code after a clear is a table code", {{4, 3}, {6, 3}, {5, 3}}},
      {"free code without a previous code", {{4, 3}, {0, 3}, {4, 3}, {6, 3}, {5, 3}}},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    Bytes file = fileWithData(4, 1, data2(b.codes));
    // A second frame behind the broken one must still be found.
    file.pop_back();
    const Bytes second = fileWithData(1, 1, data2({{4, 3}, {1, 3}, {5, 3}}));
    file.insert(file.end(), second.begin() + 19, second.end());
    auto l = load(file);
    ASSERT_EQ(l->file->images().count(), 2);
    EXPECT_EQ(l->warnings, std::vector<std::string>{"Invalid LZW code"});
    EXPECT_EQ(l->file->images().image(1).data(), Bytes{1});
  }
  // Pixels decoded before the corrupt code stay.
  auto l = load(fileWithData(4, 1, data2({{4, 3}, {1, 3}, {0, 3}, {0, 4}, {15, 4}, {5, 4}})));
  EXPECT_EQ(l->file->images().image(0).data(), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(l->warnings, std::vector<std::string>{"Invalid LZW code"});
}

TEST(LzwDecoder, DataAfterTheLastPixelIsSkippedThroughTheTerminator) {
  // Three sub-blocks for a 1-pixel frame, the pixel in the first.
  CodePacker p;
  p.put(4, 3);
  p.put(1, 3);
  Bytes d = {2, 1};
  d.push_back(p.finish()[0]);
  for (uint8_t extra : {uint8_t{0x3B}, uint8_t{0x2C}}) {
    d.push_back(1);
    d.push_back(extra);
  }
  d.push_back(0);
  auto l = load(fileWithData(1, 1, d));
  EXPECT_EQ(l->file->images().count(), 1);
  EXPECT_EQ(l->file->images().image(0).data(), Bytes{1});
  EXPECT_TRUE(l->warnings.empty());
}

TEST(LzwDecoder, CutDataWarnsAndKeepsTheFill) {
  GifPlan s;
  s.width = 50;
  s.height = 50;
  s.colors = greyColors(16);
  s.pixels = noise(2500, 16, 5);
  Bytes file = encode(s);
  // Cut in the middle of the first data sub-block: 13 header + 10 descriptor + 48 table + 1
  // code size + 1 length, then 100 of its 255 bytes.
  file.resize(13 + 10 + 48 + 2 + 100);
  std::vector<std::string> warnings;
  EXPECT_EQ(loadError(file, &warnings), "Invalid Image trailer");
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], "Premature end of data");

  // Seen through the frame: the decoded start is right, the rest is the fill.
  gif::GifFile holder;
  gif::GifSubImage frame(&holder);
  gif::MemoryReader r(file.data(), file.size());
  r.seek(13);
  frame.loadFromStream(r);
  const Bytes& got = frame.data();
  ASSERT_EQ(got.size(), 2500u);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 50, s.pixels.begin()));
  EXPECT_EQ(got.back(), 0);
}

TEST(LzwDecoder, TooFewCodesBeforeTheTerminatorWarnUnderRun) {
  auto l = load(fileWithData(5, 1, data2({{4, 3}, {1, 3}})));
  EXPECT_EQ(l->file->images().image(0).data(), (Bytes{1, 0, 0, 0, 0}));
  EXPECT_EQ(l->warnings, std::vector<std::string>{"Decoder bit buffer under-run"});
}

TEST(LzwDecoder, FillIsTheTransparentIndexOfATransparentFrame) {
  Bytes file = fileWithData(3, 1, data2({{4, 3}, {1, 3}, {5, 3}}));
  const Bytes gce = {'!', 0xF9, 4, 1, 0, 0, 1, 0};
  file.insert(file.begin() + 19, gce.begin(), gce.end());
  auto l = load(file);
  EXPECT_EQ(l->file->images().image(0).data(), (Bytes{1, 1, 1}));
  EXPECT_TRUE(l->file->images().image(0).transparent());
}

TEST(LzwCodec, EncoderClearsBeforeTheTableOverflowsAndDecoderStaysAt12Bits) {
  // 256-colour noise fills the table many times over; a decoder that grew past 12 bits or
  // an encoder that missed a clear would lose the pixels.
  GifPlan s;
  s.width = 512;
  s.height = 512;
  s.colors = greyColors(256);
  s.pixels = noise(512 * 512, 256, 9);
  const Bytes file = encode(s);
  EXPECT_TRUE(oracle::decode(file)->frames[0].pixels == s.pixels);
  const Bytes theirs = oracle::encode(512, 512, colorBytes(s.colors), s.pixels);
  EXPECT_TRUE(load(theirs)->file->images().image(0).data() == s.pixels);
  // Within a percent of giflib's size.
  EXPECT_NEAR(static_cast<double>(file.size()), static_cast<double>(theirs.size()), theirs.size() * 0.01);
}
