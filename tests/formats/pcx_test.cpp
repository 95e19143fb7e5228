// PCX: netpbm and ImageMagick read ours and write what we read; the run coding by hand.
#include <gtest/gtest.h>

#include "imagefile/pcx_loader.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

Bytes ppmOf(const LinearBitmap& bm) {
  const std::string head = "P6\n" + std::to_string(bm.width()) + " " + std::to_string(bm.height()) + "\n255\n";
  Bytes b(head.begin(), head.end());
  for (int y = 0; y < bm.height(); ++y)
    for (int x = 0; x < bm.width(); ++x) {
      const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
      if (bm.pixelFormat() == pf8bit) p = bm.palette() + 3 * p[0];
      b.insert(b.end(), {p[2], p[1], p[0]});
    }
  return b;
}

// The pixels of a binary PPM as a string of R, G, B bytes.
Bytes ppmPixels(const Bytes& ppm, int w, int h) {
  const std::size_t n = static_cast<std::size_t>(w) * h * 3;
  if (ppm.size() < n) return {};
  return Bytes(ppm.end() - static_cast<std::ptrdiff_t>(n), ppm.end());
}

Bytes header(int planes, int xmin, int ymin, int xmax, int ymax, int bpl) {
  Bytes h(128, 0);
  h[0] = 10;
  h[1] = 5;
  h[2] = 1;
  h[3] = 8;
  auto put = [&](int at, int v) {
    h[at] = static_cast<std::uint8_t>(v);
    h[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put(4, xmin);
  put(6, ymin);
  put(8, xmax);
  put(10, ymax);
  h[65] = static_cast<std::uint8_t>(planes);
  put(66, bpl);
  return h;
}

std::string loadError(const Bytes& f, LinearBitmap& bm) {
  return errorOf([&] { load(pcxLoader(), f, bm, "PCX"); });
}

}  // namespace

TEST(Pcx, NetpbmAndImageMagickBothWays) {
  LinearBitmap chart;
  chartLike(chart, 61, 23);  // odd width
  LinearBitmap pal(chart);
  pal.changePixelFormat(pf8bit);
  for (LinearBitmap* bm : {&chart, &pal}) {
    SCOPED_TRACE(bm == &chart ? "24 bit" : "8 bit");
    const Bytes want = ppmPixels(ppmOf(*bm), 61, 23);
    const std::string ours = tempPath("ours.pcx"), ppm = tempPath("x.ppm"), theirs = tempPath("theirs.pcx");
    writeFile(ours, save(pcxLoader(), *bm, "PCX"));
    ASSERT_EQ(run("pcxtoppm " + ours + " > " + ppm), 0);
    EXPECT_EQ(ppmPixels(readFile(ppm), 61, 23), want);
    ASSERT_EQ(run("convert " + ours + " " + ppm), 0);
    EXPECT_EQ(ppmPixels(readFile(ppm), 61, 23), want);

    writeFile(ppm, ppmOf(*bm));
    for (const std::string& cmd : {"ppmtopcx " + std::string(bm == &chart ? "-24bit " : "-8bit ") + ppm + " > " + theirs,
                                   "convert " + ppm + (bm == &chart ? " -type TrueColor" : " -type Palette") +
                                       " PCX:" + theirs}) {
      ASSERT_EQ(run(cmd), 0) << cmd;
      LinearBitmap back;
      ASSERT_EQ(loadError(readFile(theirs), back), "(no error)") << cmd;
      EXPECT_EQ(back.width(), 61);
      EXPECT_EQ(ppmPixels(ppmOf(back), 61, 23), want) << cmd;
    }
  }
}

TEST(Pcx, RunsHeaderAndOtherFormats) {
  LinearBitmap bm;
  bm.newImage(65, 1, pf8bit);
  bm.clear(0x41);
  bm.scanLine(0)[0] = 0xC5;
  Bytes f = save(pcxLoader(), bm, "PCX");
  // 0xC5 alone as C1 C5; 64 equal samples as a run of 63 and a single value.
  EXPECT_EQ(Bytes(f.begin() + 128, f.begin() + 132), (Bytes{0xC1, 0xC5, 0xFF, 0x41}));
  EXPECT_EQ(f[132], 0x41);
  EXPECT_EQ(f[133], 12);
  EXPECT_EQ(f.size(), 134u + 768);
  EXPECT_EQ(f[66], 65);  // bytes per line: the odd width

  // pf32bit is written as three planes, pf16bit as one grey plane; a single row reports 100.
  std::vector<int> seen;
  progressHandler() = [&](int p) { seen.push_back(p); };
  LinearBitmap c;
  chartLike(c, 9, 1);
  c.changePixelFormat(pf32bit);
  f = save(pcxLoader(), c, "PCX");
  progressHandler() = nullptr;
  EXPECT_EQ(seen, std::vector<int>{100});
  EXPECT_EQ(f[65], 3);
  LinearBitmap back;
  load(pcxLoader(), f, back, "PCX");
  c.changePixelFormat(pf24bit);
  EXPECT_EQ(std::memcmp(back.map(), c.map(), 27), 0);
  LinearBitmap g;
  g.newImage(3, 2, pf16bit);
  const Bytes gv = {1, 10, 2, 20, 3, 30, 4, 40, 5, 50, 6, 60};
  std::memcpy(g.map(), gv.data(), gv.size());
  f = save(pcxLoader(), g, "PCX");
  EXPECT_EQ(f[65], 1);
  load(pcxLoader(), f, back, "PCX");
  EXPECT_TRUE(back.isGrayScale());
  EXPECT_EQ(Bytes(back.map(), back.map() + 6), (Bytes{10, 20, 30, 40, 50, 60}));
  LinearBitmap wide;
  wide.newImage(65536, 1, pf8bit);
  EXPECT_EQ(errorOf([&] { save(pcxLoader(), wide, "PCX"); }), "Invalid bitmap size");

  // Bytes per line wider than Xmax - Xmin + 1: the narrower width.
  Bytes n = header(1, 2, 0, 4, 1, 4);
  n.insert(n.end(), {1, 2, 3, 4, 5, 6, 7, 8, 12});
  n.resize(n.size() + 768, 0);
  ASSERT_EQ(loadError(n, back), "(no error)");
  EXPECT_EQ(back.width(), 3);
  EXPECT_EQ(Bytes(back.scanLine(1), back.scanLine(1) + 3), (Bytes{5, 6, 7}));
}

TEST(Pcx, BrokenFiles) {
  LinearBitmap bm;
  Bytes bad = header(2, 0, 0, 1, 1, 2);
  EXPECT_EQ(loadError(bad, bm), "Unsupported file format");
  bad = header(1, 0, 0, 1, 1, 2);
  bad[1] = 3;
  EXPECT_EQ(loadError(bad, bm), "Unsupported file format");
  EXPECT_EQ(loadError(header(1, 5, 0, 4, 1, 2), bm), "Unsupported file format");
  EXPECT_EQ(loadError(header(3, 0, 9, 4, 1, 2), bm), "Unsupported file format");
  EXPECT_EQ(loadError(header(1, 0, 0, 0, 0, 0), bm), "Unsupported file format");
  // A run past the end of the map (the palette after it, so the file is long enough).
  Bytes over = header(1, 0, 0, 1, 0, 2);
  over.insert(over.end(), {0xC3, 7, 12});
  over.resize(over.size() + 768, 0);
  EXPECT_EQ(loadError(over, bm), "Error in bitmap data");
  over = header(3, 0, 0, 0, 0, 1);
  over.insert(over.end(), {0xC4, 7});
  EXPECT_EQ(loadError(over, bm), "Error in bitmap data");
  // Cut anywhere: no crash, never a success.
  LinearBitmap c;
  chartLike(c, 7, 3);
  c.changePixelFormat(pf8bit);
  const Bytes whole = save(pcxLoader(), c, "PCX");
  for (std::size_t k = 0; k < whole.size(); ++k)
    EXPECT_NE(loadError(Bytes(whole.begin(), whole.begin() + k), bm), "(no error)") << k;
}

TEST(Pcx, RunsTheFileCannotHoldAreRefusedBeforeTheBitmap) {
  // 192 bytes for 26000 x 26000 three-plane samples (2 GB; at 63 samples a run it would
  // take 64 MB of data).
  Bytes tiny = header(3, 0, 0, 25999, 25999, 26000);
  for (int i = 0; i < 32; ++i) tiny.insert(tiny.end(), {0xFF, 9});
  ASSERT_EQ(tiny.size(), 192u);
  LinearBitmap bm;
  EXPECT_EQ(loadError(tiny, bm), "Read less than expected");
  EXPECT_FALSE(bm.present());
  // The bound is the longest run: 126 samples in two runs and 127 with a third byte load,
  // one byte less does not even reach the palette.
  for (int samples : {126, 127}) {
    SCOPED_TRACE(samples);
    Bytes f = header(1, 0, 0, samples - 1, 0, samples);
    f.insert(f.end(), {0xFF, 4, 0xFF, 4});
    if (samples == 127) f.push_back(4);
    f.push_back(12);
    f.resize(f.size() + 768, 0);
    EXPECT_EQ(loadError(f, bm), "(no error)");
    EXPECT_EQ(bm.width(), samples);
    f.erase(f.begin() + 128);
    EXPECT_EQ(loadError(f, bm), "Read less than expected");
  }
}
