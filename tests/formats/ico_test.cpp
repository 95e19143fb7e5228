// Icons and cursors: hand-built files read by us and by Qt alike, ours read by Qt, Qt's
// read by us, the loader's choices and its error texts.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "imagefile/ico_loader.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

struct Img {
  int w, h, bits;
  std::function<std::uint32_t(int, int)> value;   // index or 0x00RRGGBB
  std::function<bool(int, int)> transparent;
  int hotX = 0, hotY = 0;
};

// The file layout written out by hand: XOR rows padded to four bytes.
Bytes buildIco(const std::vector<Img>& images, int kind = 1) {
  Bytes dir, data;
  putLE16(dir, 0);
  putLE16(dir, static_cast<std::uint32_t>(kind));
  putLE16(dir, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (const Img& im : images) {
    Bytes d;
    putLE32(d, 40);
    putLE32(d, static_cast<std::uint32_t>(im.w));
    putLE32(d, static_cast<std::uint32_t>(im.h * 2));
    putLE16(d, 1);
    putLE16(d, static_cast<std::uint32_t>(im.bits));
    for (int i = 0; i < 6; ++i) putLE32(d, 0);
    if (im.bits <= 8)
      for (int c = 0; c < (1 << im.bits); ++c) d.insert(d.end(), {static_cast<std::uint8_t>(c * 3), static_cast<std::uint8_t>(c * 5), static_cast<std::uint8_t>(255 - c), 0});
    const int xorRow = (im.w * im.bits + 31) / 32 * 4;
    const int andRow = (im.w + 31) / 32 * 4;
    for (int r = 0; r < im.h; ++r) {
      const int y = im.h - 1 - r;
      Bytes row(static_cast<std::size_t>(xorRow), 0);
      for (int x = 0; x < im.w; ++x) {
        const std::uint32_t v = im.value(x, y);
        if (im.bits >= 24) {  // 32 bits: 0xAARRGGBB
          const int ps = im.bits / 8;
          for (int k = 0; k < ps; ++k) row[static_cast<std::size_t>(ps * x + k)] = static_cast<std::uint8_t>(v >> (8 * k));
        } else {
          const int bit = x * im.bits;
          row[bit >> 3] = static_cast<std::uint8_t>(row[bit >> 3] | (v << (8 - im.bits - (bit & 7))));
        }
      }
      d.insert(d.end(), row.begin(), row.end());
    }
    for (int r = 0; r < im.h; ++r) {
      const int y = im.h - 1 - r;
      Bytes row(static_cast<std::size_t>(andRow), 0);
      for (int x = 0; x < im.w; ++x)
        if (im.transparent(x, y)) row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
      d.insert(d.end(), row.begin(), row.end());
    }
    dir.insert(dir.end(), {static_cast<std::uint8_t>(im.w), static_cast<std::uint8_t>(im.h),
                           static_cast<std::uint8_t>(im.bits <= 8 ? 1 << im.bits : 0), 0});
    putLE16(dir, kind == 2 ? static_cast<std::uint32_t>(im.hotX) : 1);
    putLE16(dir, kind == 2 ? static_cast<std::uint32_t>(im.hotY) : static_cast<std::uint32_t>(im.bits));
    putLE32(dir, static_cast<std::uint32_t>(d.size()));
    putLE32(dir, offset);
    offset += static_cast<std::uint32_t>(d.size());
    data.insert(data.end(), d.begin(), d.end());
  }
  dir.insert(dir.end(), data.begin(), data.end());
  return dir;
}

// The colour our generator gives palette entry c, as 0x00RRGGBB.
std::uint32_t paletteRgb(int c) { return (static_cast<std::uint32_t>(255 - c) << 16) | ((c * 5 & 255) << 8) | (c * 3 & 255); }

QImage qtRead(const Bytes& b, int index = 0) {
  QByteArray a(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
  QBuffer buf(&a);
  buf.open(QIODevice::ReadOnly);
  QImageReader r(&buf, "ICO");
  r.jumpToImage(index);
  return r.read();
}

// ImageMagick's alpha of image index of an icon file, one byte per pixel.
Bytes imageMagickAlpha(const Bytes& file, int index) {
  const std::string ico = tempPath("alpha.ico"), out = tempPath("alpha.gray");
  writeFile(ico, file);
  if (run("convert '" + ico + "[" + std::to_string(index) + "]' -alpha extract -depth 8 gray:" + out) != 0) return {};
  return readFile(out);
}

std::vector<Img> sampleImages() {
  return {{20, 7, 1, [](int x, int y) { return static_cast<std::uint32_t>((x + y) & 1); }, [](int x, int) { return x == 19; }},
          {9, 5, 4, [](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y) & 15); }, [](int x, int y) { return x == y; }},
          {33, 3, 8, [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 50) & 255); }, [](int, int y) { return y == 1; }},
          {5, 6, 24, [](int x, int y) { return static_cast<std::uint32_t>(x * 0x102030 + y * 0x30201); }, [](int x, int) { return x == 0; }}};
}

}  // namespace

TEST(Ico, HandBuiltFilesReadAsQtReadsThem) {
  const auto images = sampleImages();
  const Bytes file = buildIco(images);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Img& im = images[static_cast<std::size_t>(i)];
    const QImage q = qtRead(file, i).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(q.width(), im.w);
    ICOLoader l;
    l.selector = [&](const IconList& list, int& index, std::uint32_t&) {
      EXPECT_EQ(list.count(), 4);
      index = i;
      return true;
    };
    LinearBitmap bm;
    load(l, file, bm, "ICO");
    ASSERT_EQ(bm.width(), im.w);
    EXPECT_EQ(bm.pixelFormat(), i == 3 ? pf24bit : i == 2 ? pf24bit : pf8bit);  // magenta not in the 8-bit palette
    bool same = true;
    for (int y = 0; y < im.h && same; ++y)
      for (int x = 0; x < im.w && same; ++x) {
        const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
        if (bm.pixelFormat() == pf8bit) p = bm.palette() + 3 * p[0];
        const QRgb c = q.pixel(x, y);
        const std::uint32_t rgb = (std::uint32_t{p[2]} << 16) | (p[1] << 8) | p[0];
        if (im.transparent(x, y)) {
          // (Qt ignores the mask of 24-bit images; ImageMagick's view is checked below.)
          same = (qAlpha(c) == 0 || im.bits == 24) && rgb == 0xFF00FF;
        } else {
          same = qAlpha(c) == 255 && rgb == (c & 0xFFFFFF);
          if (im.bits <= 8) same = same && rgb == paletteRgb(static_cast<int>(im.value(x, y)));
        }

      }
    EXPECT_TRUE(same);
    if (im.bits == 24) {
      const Bytes alpha = imageMagickAlpha(file, i);
      ASSERT_EQ(alpha.size(), static_cast<std::size_t>(im.w * im.h));
      for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) EXPECT_EQ(alpha[static_cast<std::size_t>(y * im.w + x)] == 0, im.transparent(x, y));
    }
  }
}

TEST(Ico, OursReadByQt) {
  ICOLoader l;
  LinearBitmap chart;
  chartLike(chart, 40, 30);
  for (int x = 0; x < 40; ++x) {
    std::uint8_t* p = chart.scanLine(3) + 3 * x;
    p[0] = 0xFF, p[1] = 0, p[2] = 0xFF;  // magenta row: transparent
  }
  LinearBitmap pal8(chart);
  pal8.changePixelFormat(pf8bit);  // 3-3-2 palette: magenta is entry 227
  for (LinearBitmap* bm : {&chart, &pal8}) {
    const Bytes file = save(l, *bm, "ICO");
    const QImage q = qtRead(file).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(q.width(), 40);
    bool same = true;
    for (int y = 0; y < 30 && same; ++y)
      for (int x = 0; x < 40 && same; ++x) {
        const std::uint8_t* p = bm->scanLine(y) + x * bm->pixelSize();
        if (bm->pixelFormat() == pf8bit) p = bm->palette() + 3 * p[0];
        const QRgb c = q.pixel(x, y);
        same = y == 3 ? (qAlpha(c) == 0 || bm == &chart) : (qAlpha(c) == 255 && qRed(c) == p[2] && qGreen(c) == p[1] && qBlue(c) == p[0]);
      }
    EXPECT_TRUE(same);
    const Bytes alpha = imageMagickAlpha(file, 0);
    ASSERT_EQ(alpha.size(), 1200u);
    for (int i = 0; i < 1200; ++i) EXPECT_EQ(alpha[static_cast<std::size_t>(i)] == 0, i / 40 == 3) << i;
    LinearBitmap back;
    load(l, file, back, "ICO");
    EXPECT_EQ(back.width(), 40);
  }
}

TEST(Ico, QtFilesOpenAsIconImages) {
  QImage q(17, 9, QImage::Format_ARGB32);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 17; ++x) q.setPixel(x, y, x == y ? 0 : qRgba(x * 10, y * 20, 99, 255));
  QByteArray a;
  QBuffer buf(&a);
  buf.open(QIODevice::WriteOnly);
  ASSERT_TRUE(q.save(&buf, "ICO"));
  const Bytes file(a.begin(), a.end());
  IconList list;
  SpanStream s(file.data(), file.size());
  list.loadFromStream(s, true);
  ASSERT_EQ(list.count(), 1);
  const auto argb = list.images[0]->toArgb();
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 17; ++x) {
      const QRgb c = q.pixel(x, y);
      if (qAlpha(c) == 0) {
        EXPECT_EQ(argb[static_cast<std::size_t>(y * 17 + x)] >> 24, 0u);
      } else {
        EXPECT_EQ(argb[static_cast<std::size_t>(y * 17 + x)], c);
      }
    }
}

TEST(Ico, LoaderChoicesAndErrors) {
  ICOLoader l;
  LinearBitmap bm;
  // The selection: cancelled is a silent abort; suppressed takes image 0.
  const Bytes file = buildIco(sampleImages());
  l.selector = [](const IconList&, int&, std::uint32_t&) { return false; };
  EXPECT_THROW(load(l, file, bm, "ICO"), SilentAbort);
  IcoLoadOptions suppressed;
  suppressed.suppressSelection = true;
  loadWith(l, file, bm, suppressed);
  EXPECT_EQ(bm.width(), 20);

  // A cursor's hot spot and the chosen colour come out of the load and are written back.
  auto cur = sampleImages();
  cur[1].hotX = 4;
  cur[1].hotY = 3;
  l.selector = [](const IconList&, int& index, std::uint32_t& color) {
    index = 1;
    color = 0x00FF00;
    return true;
  };
  const IcoLoadResult read = loadWith(l, buildIco(cur, 2), bm, IcoLoadOptions{});
  EXPECT_EQ(read.hotSpotX, 4);
  EXPECT_EQ(read.hotSpotY, 3);
  EXPECT_EQ(read.transparentColor, 0x00FF00u);
  MemStream kept;
  l.save(kept, "CUR", bm, IcoSaveOptions::keeping(read));
  const Bytes written = kept.bytes();
  EXPECT_EQ(written[2], 2);
  EXPECT_EQ(written[10], 4);
  EXPECT_EQ(written[12], 3);

  // 256 x 256 (entry byte 0) as the first entry, too large, empty, no such depth.
  Bytes big = buildIco({{2, 2, 24, [](int, int) { return 0u; }, [](int, int) { return false; }}});
  big[6] = 0;
  big[7] = 0;
  big[22 + 4] = 0;
  big[22 + 5] = 1;  // header width 256
  big[22 + 8] = 0;
  big[22 + 9] = 2;  // header height 512
  EXPECT_EQ(errorOf([&] { load(l, big, bm, "ICO"); }), "Size mismatch in icon 0");
  LinearBitmap wide;
  wide.newImage(300, 10, pf24bit);
  EXPECT_EQ(errorOf([&] { save(l, wide, "ICO"); }), "Image is too large for icon");
  EXPECT_EQ(errorOf([&] { load(l, {0, 0, 1, 0, 0, 0}, bm, "ICO"); }), "No icons in file");
  Bytes deep = buildIco({{2, 2, 24, [](int, int) { return 0u; }, [](int, int) { return false; }}});
  deep[22 + 14] = 32;
  EXPECT_EQ(errorOf([&] { load(l, deep, bm, "ICO"); }), "Unsupported pixel format");
  // An image of width 0 (entry and header agree): read, then refused as a bitmap size.
  Bytes empty = buildIco({{0, 4, 8, [](int, int) { return 0u; }, [](int, int) { return false; }}});
  EXPECT_EQ(errorOf([&] { load(l, empty, bm, "ICO"); }), "Invalid bitmap size");
  IconList other;
  MemStream m;
  EXPECT_EQ(errorOf([&] { other.saveToStream(m); }), "Unsupported file format");
  for (std::size_t n = 0; n < file.size(); n += 5) {
    const std::string e = errorOf([&] { load(l, Bytes(file.begin(), file.begin() + n), bm, "ICO"); });
    EXPECT_NE(e, "(no error)") << n;
  }
}

TEST(Ico, EightBitPicturesBecomeSmallIcons) {
  ICOLoader l;
  LinearBitmap bm;
  bm.newImage(10, 4, pf8bit);
  const Bytes pal = randomBytes(768, 4);
  std::memcpy(bm.palette(), pal.data(), 768);
  for (int i = 0; i < 40; ++i) bm.map()[i] = static_cast<std::uint8_t>(i % 16);
  // Entry 200 is the transparent colour, entry 3 black: transparent pixels take index 3.
  bm.palette()[600] = 0xFF, bm.palette()[601] = 0, bm.palette()[602] = 0xFF;
  std::memset(bm.palette() + 9, 0, 3);
  bm.map()[5] = 200;
  Bytes file = save(l, bm, "ICO");
  EXPECT_EQ(file[22 + 14], 4);  // bit count
  IconList list;
  SpanStream s(file.data(), file.size());
  list.loadFromStream(s);
  EXPECT_TRUE(list.images[0]->transparentAt(5, 0));
  EXPECT_EQ(list.images[0]->indexAt(5, 0), 3);
  EXPECT_EQ(list.images[0]->indexAt(4, 0), 4);
  // Without any black entry among those in use, one is added after them.
  bm.palette()[9] = 1;
  file = save(l, bm, "ICO");
  SpanStream s2(file.data(), file.size());
  list.loadFromStream(s2);
  EXPECT_EQ(list.images[0]->bitCount(), 8);  // 17 entries
  EXPECT_EQ(list.images[0]->indexAt(5, 0), 16);
  EXPECT_EQ(list.images[0]->colorAt(5, 0), 0u);
  bm.map()[7] = 40;
  file = save(l, bm, "ICO");
  EXPECT_EQ(file[22 + 14], 8);
}

TEST(Ico, ThirtyTwoBitImagesFollowTheirAlpha) {
  // Alpha opaque on the left half, graded on the right; the AND mask set over the top
  // four rows regardless (as writers leave it for readers without alpha).
  const Img alphaIcon{32, 32, 32,
                      [](int x, int y) {
                        const std::uint32_t a = x < 16 ? 255 : static_cast<std::uint32_t>((x - 16) * 16);
                        return (a << 24) | static_cast<std::uint32_t>(x * 0x070000 + y * 0x000700 + 0x40);
                      },
                      [](int, int y) { return y < 4; }};
  const Bytes file = buildIco({alphaIcon});
  IconList list;
  SpanStream s(file.data(), file.size());
  list.loadFromStream(s, true);
  const std::vector<std::uint32_t> argb = list.images[0]->toArgb();
  const QImage qt = qtRead(file).convertToFormat(QImage::Format_ARGB32);
  const Bytes magick = imageMagickAlpha(file, 0);
  ASSERT_EQ(magick.size(), 1024u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * 32 + x);
      EXPECT_EQ(argb[i] >> 24, alphaIcon.value(x, y) >> 24) << x << "," << y;
      EXPECT_EQ(argb[i] >> 24, magick[i]) << x << "," << y;
      EXPECT_EQ(argb[i] >> 24, static_cast<std::uint32_t>(qAlpha(qt.pixel(x, y)))) << x << "," << y;
      if (argb[i] >> 24 == 255) {
        EXPECT_EQ(argb[i], alphaIcon.value(x, y));
      }
    }
}

TEST(Ico, AnotherPictureSavedAfterALoadGetsNothingOfIt) {
  // A cursor with a hot spot, whose transparent colour the user picked as green.
  auto cur = sampleImages();
  cur[1].hotX = 4;
  cur[1].hotY = 3;
  ICOLoader l;
  l.selector = [](const IconList&, int& index, std::uint32_t& color) {
    index = 1;
    color = 0x00FF00;
    return true;
  };
  LinearBitmap bm;
  load(l, buildIco(cur, 2), bm, "CUR");
  // A new picture with green and magenta pixels, saved as a cursor by the same loader.
  LinearBitmap pic;
  pic.newImage(2, 1, pf24bit);
  const std::uint8_t pixels[6] = {0, 0xFF, 0, 0xFF, 0, 0xFF};  // B, G, R: green, magenta
  std::memcpy(pic.map(), pixels, 6);
  const Bytes file = save(l, pic, "CUR");
  EXPECT_EQ(file[10], 0);  // no hot spot of the cursor read before
  EXPECT_EQ(file[12], 0);
  IconList list;
  SpanStream s(file.data(), file.size());
  list.loadFromStream(s);
  EXPECT_FALSE(list.images[0]->transparentAt(0, 0));  // green stays a colour
  EXPECT_TRUE(list.images[0]->transparentAt(1, 0));   // magenta is the usual transparent colour
}
