// Windows bitmaps: hand-built headers of every kind, run-length files from ImageMagick, ours
// read by Qt, and the reader kept inside its buffers.
#include <gtest/gtest.h>

#include <QImage>

#include "imagefile/bmp_loader.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

void le16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void le32(Bytes& b, std::size_t at, std::uint32_t v) {
  le16(b, at, v);
  le16(b, at + 2, v >> 16);
}

struct BmpSpec {
  std::uint32_t headerSize = 40;
  int width = 1;
  int height = 1;
  int bits = 8;
  int planes = 1;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  Bytes palette;  // B, G, R per entry
  int entrySize = 4;
  Bytes masks;    // after a 40-byte header or inside a longer one
  Bytes pixels;
};

Bytes buildBmp(const BmpSpec& s) {
  Bytes b(14 + s.headerSize, 0);
  b[0] = 'B';
  b[1] = 'M';
  le32(b, 14, s.headerSize);
  if (s.headerSize == 12) {
    le16(b, 18, static_cast<std::uint32_t>(s.width));
    le16(b, 20, static_cast<std::uint32_t>(s.height));
    le16(b, 22, static_cast<std::uint32_t>(s.planes));
    le16(b, 24, static_cast<std::uint32_t>(s.bits));
  } else {
    le32(b, 18, static_cast<std::uint32_t>(s.width));
    le32(b, 22, static_cast<std::uint32_t>(s.height));
    le16(b, 26, static_cast<std::uint32_t>(s.planes));
    le16(b, 28, static_cast<std::uint32_t>(s.bits));
    le32(b, 30, s.compression);
    le32(b, 46, s.colorsUsed);
    if (s.headerSize > 40) std::copy(s.masks.begin(), s.masks.end(), b.begin() + 54);
  }
  if (s.headerSize == 40) b.insert(b.end(), s.masks.begin(), s.masks.end());
  for (std::size_t i = 0; i + 3 <= s.palette.size(); i += 3) {
    b.insert(b.end(), s.palette.begin() + static_cast<std::ptrdiff_t>(i), s.palette.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    if (s.entrySize == 4) b.push_back(0);
  }
  le32(b, 10, static_cast<std::uint32_t>(b.size()));
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  le32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

std::string loadError(const Bytes& file, LinearBitmap& bm) {
  return errorOf([&] { load(bmpLoader(), file, bm, "BMP"); });
}

Bytes rgbAt(const LinearBitmap& bm, int x, int y) {
  const std::uint8_t* p = bm.scanLine(y);
  if (bm.pixelFormat() == pf8bit) {
    const std::uint8_t* e = bm.palette() + 3 * p[x];
    return {e[2], e[1], e[0]};
  }
  return {p[3 * x + 2], p[3 * x + 1], p[3 * x]};
}

Bytes masks(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  Bytes m(12);
  le32(m, 0, r);
  le32(m, 4, g);
  le32(m, 8, b);
  return m;
}

}  // namespace

TEST(BmpRead, HeaderKindsAndDepths) {
  LinearBitmap bm;
  // 12-byte header, three-byte palette entries, 4 bits: rows bottom-up.
  BmpSpec s;
  s.headerSize = 12;
  s.width = 3;
  s.height = 2;
  s.bits = 4;
  s.entrySize = 3;
  s.palette = Bytes(16 * 3, 0);
  s.palette[3 * 1 + 2] = 0xFF;  // entry 1 red
  s.palette[3 * 2 + 0] = 0xFF;  // entry 2 blue
  s.pixels = {0x12, 0x00, 0, 0, 0x21, 0x10, 0, 0};
  ASSERT_EQ(loadError(buildBmp(s), bm), "(no error)");
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_EQ(rgbAt(bm, 0, 1), (Bytes{255, 0, 0}));
  EXPECT_EQ(rgbAt(bm, 1, 1), (Bytes{0, 0, 255}));
  EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{0, 0, 255}));
  EXPECT_EQ(rgbAt(bm, 2, 0), (Bytes{255, 0, 0}));

  // 1 bit, 40-byte header, top-down.
  BmpSpec one;
  one.width = 10;
  one.height = -2;
  one.bits = 1;
  one.palette = {0, 0, 0, 255, 255, 255};
  one.colorsUsed = 2;
  one.pixels = {0x80, 0x40, 0, 0, 0x01, 0x80, 0, 0};
  ASSERT_EQ(loadError(buildBmp(one), bm), "(no error)");
  EXPECT_EQ(bm.height(), 2);
  EXPECT_EQ(bm.scanLine(0)[0], 1);
  EXPECT_EQ(bm.scanLine(0)[9], 1);
  EXPECT_EQ(bm.scanLine(1)[7], 1);
  EXPECT_EQ(bm.scanLine(1)[8], 1);
  EXPECT_EQ(bm.scanLine(1)[0], 0);

  // 16 bits plain (5-5-5), bit fields 5-6-5, 32 bits plain and with masks in a V5 header.
  BmpSpec w16;
  w16.width = 2;
  w16.bits = 16;
  w16.pixels = {0x00, 0x7C, 0x1F, 0x00};
  ASSERT_EQ(loadError(buildBmp(w16), bm), "(no error)");
  EXPECT_EQ(bm.pixelFormat(), pf24bit);
  EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{255, 0, 0}));
  EXPECT_EQ(rgbAt(bm, 1, 0), (Bytes{0, 0, 255}));
  w16.compression = 3;
  w16.masks = masks(0xF800, 0x07E0, 0x001F);
  w16.pixels = {0xE0, 0x07, 0x10, 0x84};  // pure green; then r=16, g=32, b=16
  ASSERT_EQ(loadError(buildBmp(w16), bm), "(no error)");
  EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{0, 255, 0}));
  EXPECT_EQ(rgbAt(bm, 1, 0), (Bytes{132, 130, 132}));
  for (std::uint32_t hs : {52u, 56u, 108u, 124u}) {
    BmpSpec v;
    v.headerSize = hs;
    v.width = 1;
    v.bits = 32;
    v.compression = 3;
    v.masks = masks(0x0000FF00, 0x00FF0000, 0xFF000000);
    v.pixels = {0, 0x11, 0x22, 0x33};
    ASSERT_EQ(loadError(buildBmp(v), bm), "(no error)") << hs;
    EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{0x11, 0x22, 0x33})) << hs;
  }
  BmpSpec w32;
  w32.bits = 32;
  w32.pixels = {1, 2, 3, 4};
  ASSERT_EQ(loadError(buildBmp(w32), bm), "(no error)");
  EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{3, 2, 1}));

  // A 64-byte header has the 40-byte layout.
  BmpSpec os2;
  os2.headerSize = 64;
  os2.width = 300;
  os2.height = 2;
  os2.bits = 24;
  os2.pixels = Bytes(2 * 900, 0x40);
  ASSERT_EQ(loadError(buildBmp(os2), bm), "(no error)");
  EXPECT_EQ(bm.width(), 300);
  EXPECT_EQ(bm.height(), 2);
}

TEST(BmpRead, OldBitmapsUseTheHeadersRowSize) {
  // Windows 2.x: width 3, 8 bits, 3 bytes per line (not rounded to 4), 16 fixed colours.
  Bytes f = {0, 0, 3, 0, 2, 0, 3, 0, 1, 8, 9, 10, 11, 12, 13, 14};
  LinearBitmap bm;
  ASSERT_EQ(loadError(f, bm), "(no error)");
  EXPECT_EQ(bm.scanLine(1)[0], 9);
  EXPECT_EQ(bm.scanLine(1)[2], 11);
  EXPECT_EQ(bm.scanLine(0)[0], 12);
  EXPECT_EQ(rgbAt(bm, 0, 1), (Bytes{0x55, 0x55, 0xFF}));
  EXPECT_EQ(rgbAt(bm, 2, 0), (Bytes{0xFF, 0xFF, 0x55}));
}

TEST(BmpRead, RunLengthDataStaysInsideTheImage) {
  LinearBitmap bm;
  BmpSpec s;
  s.width = 4;
  s.height = 3;
  s.compression = 1;
  s.palette = Bytes(256 * 3, 0);
  // Row 0: run past the row end; row 1: literal of 3 (padded) and a delta right 1, down 1;
  // then a run on row 2 and the end of the image.
  s.pixels = {9, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 0, 1, 2, 5, 0, 1};
  ASSERT_EQ(loadError(buildBmp(s), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.scanLine(2), bm.scanLine(2) + 4), (Bytes{7, 7, 7, 7}));
  EXPECT_EQ(Bytes(bm.scanLine(1), bm.scanLine(1) + 4), (Bytes{1, 2, 3, 0}));
  // The delta (0, 1) moved down from column 3, where the run then starts.
  EXPECT_EQ(Bytes(bm.scanLine(0), bm.scanLine(0) + 4), (Bytes{0, 0, 0, 5}));

  // End of image before the last row: the rest stays zero. Deltas and literals far out.
  s.pixels = {2, 5, 0, 1, 0, 2, 255, 255, 0, 255};
  ASSERT_EQ(loadError(buildBmp(s), bm), "(no error)");
  EXPECT_EQ(bm.scanLine(2)[1], 5);
  EXPECT_EQ(bm.scanLine(1)[0], 0);
  s.pixels = {0, 2, 1, 200, 0, 250, 1, 2};  // literal longer than the data: ends the read
  EXPECT_EQ(loadError(buildBmp(s), bm), "(no error)");

  // RLE4: runs alternate nibbles; literal runs pad to an even byte count.
  BmpSpec f;
  f.width = 6;
  f.height = 2;
  f.bits = 4;
  f.compression = 2;
  f.palette = Bytes(16 * 3, 0);
  f.pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
  ASSERT_EQ(loadError(buildBmp(f), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.scanLine(1), bm.scanLine(1) + 6), (Bytes{1, 2, 1, 2, 1, 0}));
  EXPECT_EQ(Bytes(bm.scanLine(0), bm.scanLine(0) + 6), (Bytes{3, 4, 5, 6, 7, 0}));
  f.pixels = {0, 3, 0x34, 0x50, 0, 0, 2, 0x89, 0, 1};  // 3 nibbles in 2 bytes: no padding
  ASSERT_EQ(loadError(buildBmp(f), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.scanLine(1), bm.scanLine(1) + 3), (Bytes{3, 4, 5}));
  EXPECT_EQ(Bytes(bm.scanLine(0), bm.scanLine(0) + 2), (Bytes{8, 9}));
}

TEST(BmpRead, RunLengthFilesFromImageMagick) {
  // (ImageMagick compresses 8-bit files only; 4-bit runs are covered by hand-built files.)
  for (const char* depth : {"8"}) {
    const std::string src = tempPath(std::string("rle") + depth + ".ppm");
    const std::string bmp = tempPath(std::string("rle") + depth + ".bmp");
    LinearBitmap chart;
    chartLike(chart, 53, 31);
    Bytes ppm = {'P', '6', '\n', '5', '3', ' ', '3', '1', '\n', '2', '5', '5', '\n'};
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 53; ++x) {
        const std::uint8_t* p = chart.scanLine(y) + 3 * x;
        ppm.insert(ppm.end(), {p[2], p[1], p[0]});
      }
    writeFile(src, ppm);
    ASSERT_EQ(run(std::string("convert ") + src + " -colors " + (depth[0] == '8' ? "40" : "12") +
                  " -type Palette -depth " + depth + " -compress RLE BMP3:" + bmp),
              0);
    const Bytes file = readFile(bmp);
    ASSERT_GT(file.size(), 54u);
    ASSERT_EQ(file[30], depth[0] == '8' ? 1 : 2) << "ImageMagick did not compress";
    ASSERT_EQ(run("convert " + bmp + " " + src), 0);
    const Bytes want = readFile(src);
    LinearBitmap bm;
    ASSERT_EQ(loadError(file, bm), "(no error)");
    const std::size_t start = want.size() - 53 * 31 * 3;
    bool same = true;
    for (int y = 0; y < 31 && same; ++y)
      for (int x = 0; x < 53 && same; ++x)
        same = rgbAt(bm, x, y) == Bytes(&want[start + 3 * (53 * y + x)], &want[start + 3 * (53 * y + x) + 3]);
    EXPECT_TRUE(same) << depth;
  }
}

TEST(BmpRead, UnsupportedAndDamagedFiles) {
  LinearBitmap bm;
  BmpSpec s;
  s.width = 2;
  s.bits = 24;
  s.pixels = Bytes(8, 1);
  s.planes = 2;
  EXPECT_EQ(loadError(buildBmp(s), bm), "Unsupported file format");
  EXPECT_FALSE(bm.present());
  s.planes = 1;
  s.width = 0;
  EXPECT_EQ(loadError(buildBmp(s), bm), "Unsupported file format");
  s.width = 2;
  s.compression = 4;
  EXPECT_EQ(loadError(buildBmp(s), bm), "Unsupported file format");
  s.compression = 0;
  Bytes odd = buildBmp(s);
  odd[14] = 20;  // no such header size
  EXPECT_EQ(loadError(odd, bm), "Unsupported file format");
  EXPECT_EQ(loadError({'X', 'Y', 0, 0}, bm), "Unsupported file format");
  s.width = 1000000;
  s.height = 1000000;
  EXPECT_EQ(loadError(buildBmp(s), bm), "Unsupported file format");

  // A palette announced with 300 entries: 256 are taken, the pixels follow the file's offset.
  BmpSpec p;
  p.width = 1;
  p.colorsUsed = 300;
  p.palette = Bytes(300 * 3, 0);
  p.palette[3 * 255 + 1] = 77;
  p.pixels = {255, 0, 0, 0};
  ASSERT_EQ(loadError(buildBmp(p), bm), "(no error)");
  EXPECT_EQ(rgbAt(bm, 0, 0), (Bytes{0, 77, 0}));

  // Cut anywhere before the last row's pixels: a text, never a crash.
  s.width = 5;
  s.height = 3;
  s.pixels = Bytes(48, 9);
  const Bytes whole = buildBmp(s);
  for (std::size_t n = 0; n < whole.size() - 1; ++n) {
    const std::string e = loadError(Bytes(whole.begin(), whole.begin() + n), bm);
    EXPECT_TRUE(e == "Unsupported file format" || e == "Read less than expected") << n << e;
  }
}

TEST(BmpWrite, QtReadsEveryFormat) {
  LinearBitmap bms[4];
  chartLike(bms[0], 37, 11);
  bms[1].assign(bms[0]);
  bms[1].changePixelFormat(pf8bit);
  bms[2].assign(bms[0]);
  bms[2].changePixelFormat(pf32bit);
  bms[3].newImage(7, 5, pf16bit);
  const Bytes g = randomBytes(70, 3);
  std::memcpy(bms[3].map(), g.data(), 70);
  for (auto& bm : bms) {
    const Bytes file = save(bmpLoader(), bm, "BMP");
    QImage q;
    ASSERT_TRUE(q.loadFromData(file.data(), static_cast<int>(file.size()), "BMP"));
    ASSERT_EQ(q.width(), bm.width());
    bool same = true;
    for (int y = 0; y < bm.height() && same; ++y)
      for (int x = 0; x < bm.width() && same; ++x) {
        const QRgb c = q.pixel(x, y);
        if (bm.pixelFormat() == pf16bit) {
          const int v = bm.scanLine(y)[2 * x + 1];
          same = qRed(c) == v && qGreen(c) == v && qBlue(c) == v;
        } else {
          LinearBitmap copy(bm);
          if (copy.pixelFormat() == pf32bit) copy.changePixelFormat(pf24bit);
          same = rgbAt(copy, x, y) == Bytes{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                                            static_cast<std::uint8_t>(qBlue(c))};
        }
      }
    EXPECT_TRUE(same) << int(bm.pixelFormat());
    LinearBitmap back;
    load(bmpLoader(), file, back, "BMP");
    EXPECT_EQ(back.pixelFormat(), bm.pixelFormat() == pf24bit || bm.pixelFormat() == pf32bit ? pf24bit : pf8bit);
  }
}

TEST(BmpRead, StoredRowsTheFileCannotHoldAreRefusedBeforeTheBitmap) {
  // 118 bytes: a 16-colour palette and no pixels for 44000 x 44000 (1.9 GB as pf8bit).
  BmpSpec s;
  s.width = 44000;
  s.height = 44000;
  s.bits = 4;
  s.palette = Bytes(48, 0x80);
  const Bytes tiny = buildBmp(s);
  ASSERT_EQ(tiny.size(), 118u);
  LinearBitmap bm;
  EXPECT_EQ(loadError(tiny, bm), "Read less than expected");
  EXPECT_FALSE(bm.present());
  // Top-down, 24 bits, one byte short of the last row: refused just the same.
  s = BmpSpec{};
  s.width = 3;
  s.height = -4;
  s.bits = 24;
  s.pixels = Bytes(12 * 3 + 9 - 1, 7);
  EXPECT_EQ(loadError(buildBmp(s), bm), "Read less than expected");
  EXPECT_FALSE(bm.present());
  // The last row needs no padding after it.
  s.pixels.push_back(7);
  EXPECT_EQ(loadError(buildBmp(s), bm), "(no error)");
  EXPECT_EQ(bm.height(), 4);
  // Run-length data may stop early (the rest stays black): a tiny file of a large picture
  // still loads.
  BmpSpec rle;
  rle.width = 500;
  rle.height = 400;
  rle.compression = 1;
  rle.palette = {0, 0, 0, 255, 255, 255};
  rle.pixels = {3, 1, 0, 1};
  EXPECT_EQ(loadError(buildBmp(rle), bm), "(no error)");
  EXPECT_EQ(bm.scanLine(399)[2], 1);
}
