// Metafiles: ours taken by emf2svg and wmf2svg (their embedded pictures compared with ours),
// played back by our player; hand-built files with placement and vector records.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QRegularExpression>
#include <algorithm>
#include <random>

#include "imagefile/byte_order.h"
#include "imagefile/metafile.h"
#include "imagefile/qt/format_graphics.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

// The first embedded picture of an SVG file.
QImage svgImage(const std::string& path) {
  const Bytes svg = readFile(path);
  const QString text = QString::fromLatin1(reinterpret_cast<const char*>(svg.data()), static_cast<int>(svg.size()));
  const QRegularExpression re("base64,([A-Za-z0-9+/=\\s]+)");
  const auto m = re.match(text);
  if (!m.hasMatch()) return {};
  QString b64 = m.captured(1);
  b64.remove(QRegularExpression("\\s"));
  return QImage::fromData(QByteArray::fromBase64(b64.toLatin1()));
}

// libwmf wants its standard fonts even for a file without text; where they are not
// installed, a font map sends every name to a font that is.
std::string libwmfFontMap() {
  const std::string path = tempPath("gs.map");
  std::string map;
  for (const char* n : {"Times-Roman", "Times-Italic", "Times-Bold", "Times-BoldItalic", "Helvetica",
                        "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique", "Courier", "Courier-Oblique",
                        "Courier-Bold", "Courier-BoldOblique", "Symbol"})
    map += std::string("/") + n + " (/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf) ;\n";
  writeFile(path, Bytes(map.begin(), map.end()));
  return path;
}

bool samePixels(const LinearBitmap& bm, const QImage& q) {
  if (q.width() != bm.width() || q.height() != bm.height()) return false;
  for (int y = 0; y < bm.height(); ++y)
    for (int x = 0; x < bm.width(); ++x) {
      const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
      if (bm.pixelFormat() == pf8bit) p = bm.palette() + 3 * p[0];
      const QRgb c = q.pixel(x, y);
      if (qRed(c) != p[2] || qGreen(c) != p[1] || qBlue(c) != p[0]) return false;
    }
  return true;
}

// A 2 x 2 24-bit DIB (40-byte header, bottom-up rows): top row red, blue; bottom row green, white.
Bytes smallDib() {
  Bytes d;
  putLE32(d, 40);
  putLE32(d, 2);
  putLE32(d, 2);
  putLE16(d, 1);
  putLE16(d, 24);
  for (int i = 0; i < 6; ++i) putLE32(d, 0);
  d.insert(d.end(), {0, 255, 0, 255, 255, 255, 0, 0});  // bottom row
  d.insert(d.end(), {0, 0, 255, 255, 0, 0, 0, 0});      // top row
  return d;
}

Bytes emfRecord(std::uint32_t type, const Bytes& params) {
  Bytes r;
  putLE32(r, type);
  putLE32(r, static_cast<std::uint32_t>(8 + params.size()));
  r.insert(r.end(), params.begin(), params.end());
  return r;
}

// An EMF whose frame is w x h pixels at 96 dpi, with the given records after the header.
Bytes handEmf(int w, int h, const std::vector<Bytes>& records) {
  Bytes b;
  putLE32(b, 1);
  putLE32(b, 88);
  for (int v : {0, 0, w - 1, h - 1}) putLE32(b, static_cast<std::uint32_t>(v));
  for (int v : {0, 0, w * 2540 / 96, h * 2540 / 96}) putLE32(b, static_cast<std::uint32_t>(v));
  putLE32(b, 0x464D4520);
  putLE32(b, 0x10000);
  putLE32(b, 0);
  putLE32(b, static_cast<std::uint32_t>(records.size() + 1));
  putLE32(b, 1);
  putLE32(b, 0);
  putLE32(b, 0);
  putLE32(b, 0);
  for (int v : {960, 540, 254, 143}) putLE32(b, static_cast<std::uint32_t>(v));
  for (const auto& r : records) b.insert(b.end(), r.begin(), r.end());
  return b;
}

Bytes stretchDibits(int xd, int yd, int cxd, int cyd) {
  const Bytes dib = smallDib();
  Bytes p;
  for (int v : {0, 0, 0, 0}) putLE32(p, static_cast<std::uint32_t>(v));
  for (int v : {xd, yd, 0, 0, 2, 2}) putLE32(p, static_cast<std::uint32_t>(v));
  putLE32(p, 80);
  putLE32(p, 40);
  putLE32(p, 120);
  putLE32(p, static_cast<std::uint32_t>(dib.size() - 40));
  putLE32(p, 0);
  putLE32(p, 0x00CC0020);
  putLE32(p, static_cast<std::uint32_t>(cxd));
  putLE32(p, static_cast<std::uint32_t>(cyd));
  p.insert(p.end(), dib.begin(), dib.end());
  return emfRecord(81, p);
}

std::uint32_t rgbAt(const LinearBitmap& bm, int x, int y) {
  const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
  if (bm.pixelFormat() == pf8bit) p = bm.palette() + 3 * p[0];
  return (std::uint32_t{p[2]} << 16) | (p[1] << 8) | p[0];
}

// A WMF without placeable header: the memory-metafile header, then records of 16-bit words.
Bytes wmfKopf() {
  Bytes w;
  putLE16(w, 1);
  putLE16(w, 9);
  putLE16(w, 0x300);
  putLE32(w, 0);
  putLE16(w, 0);
  putLE32(w, 0);
  putLE16(w, 0);
  return w;
}

void wmfRecord(Bytes& w, std::uint16_t fn, std::initializer_list<int> ps) {
  putLE32(w, 3 + static_cast<std::uint32_t>(ps.size()));
  putLE16(w, fn);
  for (int v : ps) putLE16(w, static_cast<std::uint32_t>(v));
}

// The small DIB stretched over (x, y, w, h) of the window.
void wmfStretchDib(Bytes& w, int x, int y, int width, int height) {
  const Bytes dib = smallDib();
  putLE32(w, static_cast<std::uint32_t>(3 + 2 + 1 + 8 + dib.size() / 2));
  putLE16(w, 0x0F43);
  putLE32(w, 0x00CC0020);
  putLE16(w, 0);
  for (int v : {2, 2, 0, 0, height, width, y, x}) putLE16(w, static_cast<std::uint32_t>(v));
  w.insert(w.end(), dib.begin(), dib.end());
}

// A placeable WMF of 66 bytes: the box (0, 0) to (box, box) at the given units per inch, a
// window origin and extent, the end record.
Bytes placeableWmf(int box, int unitsPerInch) {
  Bytes w;
  putLE32(w, 0x9AC6CDD7);
  putLE16(w, 0);
  for (int v : {0, 0, box, box}) putLE16(w, static_cast<std::uint32_t>(v));
  putLE16(w, static_cast<std::uint32_t>(unitsPerInch));
  putLE32(w, 0);
  putLE16(w, 0);  // check sum (not examined)
  const Bytes head = wmfKopf();
  w.insert(w.end(), head.begin(), head.end());
  wmfRecord(w, 0x020B, {0, 0});
  wmfRecord(w, 0x020C, {box, box});
  wmfRecord(w, 0, {});
  return w;
}

}  // namespace

TEST(Metafile, ConvertersTakeOursAndSeeTheSamePicture) {
  LinearBitmap chart;
  chartLike(chart, 90, 50);
  LinearBitmap pal(chart);
  pal.changePixelFormat(pf8bit);
  for (LinearBitmap* bm : {&chart, &pal}) {
    SCOPED_TRACE(bm == &chart ? "24 bit" : "8 bit");
    const std::string emf = tempPath("o.emf"), wmf = tempPath("o.wmf"), svg = tempPath("o.svg");
    const Bytes e = save(wmfLoader(), *bm, "EMF");
    const Bytes w = save(wmfLoader(), *bm, "WMF");
    EXPECT_EQ(std::memcmp(&e[40], " EMF", 4), 0);
    EXPECT_EQ(w[0], 0xD7);  // placeable key
    writeFile(emf, e);
    writeFile(wmf, w);
    ASSERT_EQ(run("emf2svg-conv -i " + emf + " -o " + svg), 0);
    const QImage fromEmf = svgImage(svg);
    EXPECT_TRUE(samePixels(*bm, fromEmf.convertToFormat(QImage::Format_RGB32)));
    ASSERT_EQ(run("wmf2svg --wmf-gs-fontmap=" + libwmfFontMap() + " --inline -o " + svg + " " + wmf), 0);
    const QImage fromWmf = svgImage(svg);
    EXPECT_TRUE(samePixels(*bm, fromWmf.convertToFormat(QImage::Format_RGB32)));
    for (const Bytes* f : {&e, &w}) {
      LinearBitmap back;
      load(wmfLoader(), *f, back, f == &e ? "EMF" : "WMF");
      ASSERT_EQ(back.width(), 90);
      ASSERT_EQ(back.height(), 50);
      bool same = true;
      for (int y = 0; y < 50 && same; ++y)
        for (int x = 0; x < 90 && same; ++x) same = rgbAt(back, x, y) == rgbAt(*bm, x, y);
      EXPECT_TRUE(same);
    }
  }
}

TEST(Metafile, PaletteReductionAt256Colours) {
  LinearBitmap bm;
  bm.newImage(16, 17, pf24bit);
  for (int i = 0; i < 16 * 17; ++i) {
    bm.map()[3 * i] = static_cast<std::uint8_t>(i);
    bm.map()[3 * i + 1] = static_cast<std::uint8_t>(i >> 8);
    bm.map()[3 * i + 2] = 7;
  }
  LinearBitmap back;
  load(wmfLoader(), save(wmfLoader(), bm, "EMF"), back, "EMF");
  EXPECT_EQ(back.pixelFormat(), pf24bit);  // 272 colours
  for (int i = 256; i < 16 * 17; ++i) std::memcpy(bm.map() + 3 * i, bm.map(), 3);
  load(wmfLoader(), save(wmfLoader(), bm, "EMF"), back, "EMF");
  ASSERT_EQ(back.pixelFormat(), pf8bit);   // exactly 256
  EXPECT_EQ(back.map()[0], 0);            // in order of first appearance
  EXPECT_EQ(back.map()[260], 0);
  EXPECT_EQ(back.map()[28], 28);
  EXPECT_EQ(rgbAt(back, 5, 3), rgbAt(bm, 5, 3));
  LinearBitmap huge;
  huge.newImage(32768, 1, pf8bit);
  EXPECT_EQ(errorOf([&] { save(wmfLoader(), huge, "WMF"); }), "Invalid bitmap size");
}

// The reduction against the plain rule on random pictures: palette in the order of first
// appearance, each pixel the place of its colour, the rest of the palette black; a picture of
// more colours stays as it is.
TEST(Metafile, PaletteReductionAgreesWithThePlainRule) {
  std::mt19937 rng(41);
  int differing = 0;
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 30);
    const int colourCount = 1 + static_cast<int>(rng() % (round % 10 == 0 ? 300 : 256));
    std::vector<std::uint32_t> set(static_cast<std::size_t>(colourCount));
    for (auto& c : set) c = rng() & 0xFFFFFF;
    LinearBitmap bm;
    bm.newImage(w, h, pf24bit);
    std::uint32_t c = set[0];
    for (std::int64_t i = 0; i < std::int64_t{w} * h; ++i) {
      if (rng() % 4 == 0) c = set[rng() % set.size()];  // runs of one colour between changes
      bm.map()[3 * i] = static_cast<std::uint8_t>(c);
      bm.map()[3 * i + 1] = static_cast<std::uint8_t>(c >> 8);
      bm.map()[3 * i + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    std::vector<std::uint32_t> seen;
    std::vector<std::uint8_t> expected;
    for (std::int64_t i = 0; i < std::int64_t{w} * h; ++i) {
      const std::uint32_t p = bm.map()[3 * i] | (bm.map()[3 * i + 1] << 8) | (bm.map()[3 * i + 2] << 16);
      auto at = std::find(seen.begin(), seen.end(), p);
      if (at == seen.end()) at = seen.insert(seen.end(), p);
      expected.push_back(static_cast<std::uint8_t>(at - seen.begin()));
    }
    LinearBitmap reduced(bm);
    reduceToPalette(reduced);
    if (seen.size() > 256) {
      differing += reduced.pixelFormat() != pf24bit ||
                   std::memcmp(reduced.map(), bm.map(), static_cast<std::size_t>(bm.size())) != 0;
      continue;
    }
    Bytes palette(768, 0);
    for (std::size_t k = 0; k < seen.size(); ++k)
      palette[3 * k] = static_cast<std::uint8_t>(seen[k]), palette[3 * k + 1] = static_cast<std::uint8_t>(seen[k] >> 8),
      palette[3 * k + 2] = static_cast<std::uint8_t>(seen[k] >> 16);
    differing += reduced.pixelFormat() != pf8bit || Bytes(reduced.map(), reduced.map() + reduced.size()) != expected ||
                 Bytes(reduced.palette(), reduced.palette() + 768) != palette;
  }
  EXPECT_EQ(differing, 0);
}

TEST(Metafile, PlayerTakesPlacementSkipsVectors) {
  // Anisotropic mapping: logical 0..200 onto the 100 x 60 frame; a rectangle record (vectors
  // are not drawn), a saved and restored state, the bitmap in the left half, top 30 rows.
  Bytes mode, wext, vext, rect, restore;
  putLE32(mode, 8);
  putLE32(wext, 200);
  putLE32(wext, 120);
  putLE32(vext, 100);
  putLE32(vext, 60);
  for (int v : {0, 0, 50, 50}) putLE32(rect, static_cast<std::uint32_t>(v));
  putLE32(restore, static_cast<std::uint32_t>(-1));
  Bytes wext2;
  putLE32(wext2, 1);
  putLE32(wext2, 1);
  const Bytes f = handEmf(100, 60, {emfRecord(17, mode), emfRecord(9, wext), emfRecord(11, vext), emfRecord(43, rect),
                                    emfRecord(33, {}), emfRecord(9, wext2), emfRecord(34, restore),
                                    stretchDibits(0, 0, 100, 60), emfRecord(14, Bytes(12, 0))});
  LinearBitmap bm;
  load(wmfLoader(), f, bm, "EMF");
  ASSERT_EQ(bm.width(), 100);
  ASSERT_EQ(bm.height(), 60);
  EXPECT_EQ(rgbAt(bm, 10, 10), 0xFF0000u);
  EXPECT_EQ(rgbAt(bm, 40, 10), 0x0000FFu);
  EXPECT_EQ(rgbAt(bm, 10, 20), 0x00FF00u);
  EXPECT_EQ(rgbAt(bm, 49, 29), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(bm, 51, 10), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(bm, 10, 40), 0xFFFFFFu);  // white: outside the bitmap
  EXPECT_EQ(rgbAt(bm, 60, 10), 0xFFFFFFu);

  // A WMF without placeable header: the window extent is the picture's size.
  Bytes w = wmfKopf();
  auto rec = [&](std::uint16_t fn, std::initializer_list<int> ps) { wmfRecord(w, fn, ps); };
  rec(0x020C, {8, 8});
  rec(0x041B, {0, 0, 4, 4});  // a rectangle: skipped
  wmfStretchDib(w, 4, 4, 4, 4);
  rec(0, {});
  load(wmfLoader(), w, bm, "WMF");
  ASSERT_EQ(bm.width(), 8);
  EXPECT_EQ(rgbAt(bm, 4, 4), 0xFF0000u);
  EXPECT_EQ(rgbAt(bm, 7, 7), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(bm, 1, 1), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(bm, 6, 4), 0x0000FFu);
}

TEST(Metafile, DamagedFiles) {
  LinearBitmap bm;
  // Destinations and sources far outside any int are clipped, not converted.
  const Bytes far = handEmf(10, 10, {stretchDibits(-2000000000, 5, 2000000000, 2000000000), stretchDibits(0, 0, 1, 1)});
  ASSERT_EQ(errorOf([&] { load(wmfLoader(), far, bm, "EMF"); }), "(no error)");
  EXPECT_NE(rgbAt(bm, 0, 0), 0xFFFFFFu);  // the 1 x 1 draw after it
  EXPECT_EQ(rgbAt(bm, 5, 5), 0xFFFFFFu);

  EXPECT_EQ(errorOf([&] { load(wmfLoader(), {1, 2, 3}, bm, "WMF"); }), "Metafile is not valid");
  // Headers that contradict themselves, however small their canvas would be: a frame whose
  // right edge lies left of its left one, a frame of no height, a placeable box of no width, a
  // header of the wrong length, a plain WMF without a window extent.
  Bytes inverted = handEmf(10, 10, {}), flat = handEmf(10, 10, {});
  imagefile::putLE32(&inverted[32], static_cast<std::uint32_t>(-300));
  imagefile::putLE32(&flat[36], 0);
  Bytes narrow = placeableWmf(100, 96);
  narrow[10] = narrow[11] = 0;
  Bytes header = wmfKopf();
  header[2] = 8;
  wmfRecord(header, 0x020C, {8, 8});
  Bytes noExtent = wmfKopf();
  wmfRecord(noExtent, 0x041B, {0, 0, 4, 4});
  wmfRecord(noExtent, 0, {});
  for (const Bytes* f : {&inverted, &flat, &narrow, &header, &noExtent})
    EXPECT_EQ(errorOf([&] { load(wmfLoader(), *f, bm, f == &inverted || f == &flat ? "EMF" : "WMF"); }),
              "Metafile is not valid");
  LinearBitmap chart;
  chartLike(chart, 20, 10);
  for (const char* ext : {"EMF", "WMF"}) {
    const Bytes whole = save(wmfLoader(), chart, ext);
    for (std::size_t n = 0; n < whole.size(); n += 3) {
      Bytes cut(whole.begin(), whole.begin() + n);
      (void)errorOf([&] { load(wmfLoader(), cut, bm, ext); });
    }
    Bytes garbled = whole;
    for (std::size_t i = 30; i < garbled.size(); i += 7) garbled[i] = static_cast<std::uint8_t>(garbled[i] * 31 + 7);
    (void)errorOf([&] { load(wmfLoader(), garbled, bm, ext); });
  }
}

TEST(Metafile, KnowsWhetherItHoldsABitmap) {
  Metafile m;
  LinearBitmap chart;
  chartLike(chart, 20, 10);
  for (const char* ext : {"EMF", "WMF"}) {
    m.load(save(wmfLoader(), chart, ext));
    EXPECT_TRUE(m.hasBitmap()) << ext;
  }
  m.load(handEmf(10, 10, {stretchDibits(0, 0, 10, 10), emfRecord(14, Bytes(12, 0))}));
  EXPECT_TRUE(m.hasBitmap());
  // Vectors only; a block transfer without a source bitmap (a fill); a bitmap after the end.
  Bytes rect;
  for (int v : {0, 0, 5, 5}) putLE32(rect, static_cast<std::uint32_t>(v));
  m.load(handEmf(10, 10, {emfRecord(43, rect), emfRecord(14, Bytes(12, 0))}));
  EXPECT_FALSE(m.hasBitmap());
  m.load(handEmf(10, 10, {emfRecord(76, Bytes(92, 0)), emfRecord(14, Bytes(12, 0))}));
  EXPECT_FALSE(m.hasBitmap());
  m.load(handEmf(10, 10, {emfRecord(14, Bytes(12, 0)), stretchDibits(0, 0, 10, 10)}));
  EXPECT_FALSE(m.hasBitmap());

  // A WMF of a window extent, a rectangle and a pattern fill (a DIB block transfer that is
  // too short to carry a bitmap).
  Bytes w = wmfKopf();
  auto rec = [&](std::uint16_t fn, std::initializer_list<int> ps) { wmfRecord(w, fn, ps); };
  rec(0x020C, {8, 8});
  rec(0x041B, {0, 0, 4, 4});
  rec(0x0940, {0x0021, 0x00F0, 0, 0, 8, 8, 0, 0});
  rec(0, {});
  m.load(w);
  EXPECT_FALSE(m.hasBitmap());
}


TEST(Metafile, CanvasBeyondTheCapIsDrawnScaledIntoIt) {
  // The player may make no bitmap larger than the cap's canvas at 24 bits.
  struct Limit {
    std::int64_t old = mapSizeLimit();
    ~Limit() { mapSizeLimit() = old; }
  } restore;
  mapSizeLimit() = Metafile::kFreeCanvasPixels * 3;
  // A drawing of A4 paper in tenths of a millimetre, without a placeable header (96 units per
  // inch: 21000 x 29700 pixels), the small bitmap stretched over the page; once more after
  // 5 MB of vector records, more than a byte per 128 pixels but no bitmap of that size.
  auto a4 = [&](int vectorRecords) {
    Bytes w = wmfKopf();
    wmfRecord(w, 0x020C, {29700, 21000});
    for (int i = 0; i < vectorRecords; ++i) wmfRecord(w, 0x041B, {0, 0, 4, 4});
    wmfStretchDib(w, 0, 0, 21000, 29700);
    wmfRecord(w, 0, {});
    return w;
  };
  const Bytes page = a4(0), drawn = a4(360000);
  ASSERT_GT(drawn.size() * 128, std::size_t{21000} * 29700);
  const Bytes tiny = placeableWmf(100, 1);  // 9600 x 9600 pixels in 66 bytes
  const Bytes metres = handEmf(20000, 20000, {emfRecord(14, Bytes(12, 0))});
  for (const Bytes* f : {&page, &drawn, &tiny, &metres}) {
    const std::string ext = f == &metres ? "EMF" : "WMF";
    SCOPED_TRACE(f == &page ? "A4" : f == &drawn ? "A4 with vectors" : f == &tiny ? "tiny" : "metres");
    Metafile m;
    m.load(*f);
    const std::int64_t w = m.width(), h = m.height();
    LinearBitmap bm;
    ASSERT_EQ(errorOf([&] { load(wmfLoader(), *f, bm, ext); }), "(no error)");
    const std::int64_t cw = bm.width(), ch = bm.height();
    EXPECT_LE(cw * ch, Metafile::kFreeCanvasPixels);
    EXPECT_GT(cw * ch, Metafile::kFreeCanvasPixels * 99 / 100) << "fills the cap";
    EXPECT_LE(std::abs(cw * h - ch * w), std::max(w, h)) << "in the same proportions, to a pixel";
    if (f == &page || f == &drawn) {
      EXPECT_EQ(rgbAt(bm, bm.width() / 4, bm.height() / 4), 0xFF0000u);
      EXPECT_EQ(rgbAt(bm, bm.width() * 3 / 4, bm.height() / 4), 0x0000FFu);
      EXPECT_EQ(rgbAt(bm, bm.width() / 4, bm.height() * 3 / 4), 0x00FF00u);
    }
    // The viewer's picture: drawn into any rectangle, and as a whole on the same canvas.
    m.render(bm, 30, 20);
    EXPECT_EQ(bm.width(), 30);
    if (f != &tiny) continue;
    MetafileGraphic graphic;
    QBuffer device;
    device.setData(reinterpret_cast<const char*>(f->data()), static_cast<int>(f->size()));
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    graphic.loadFromStream(device);
    EXPECT_EQ(graphic.toImage().size(), QSize(static_cast<int>(cw), static_cast<int>(ch)));
  }
  // The same box at the usual 1440 units per inch is 7 x 7 pixels.
  LinearBitmap small;
  load(wmfLoader(), placeableWmf(100, 1440), small, "WMF");
  EXPECT_EQ(small.width(), 7);

  // Our own metafiles of pictures beyond the free canvas load at their own size: their
  // bitmap's bytes carry every pixel. (Colours beyond 256, which stay 24-bit, keep the test
  // quick.)
  mapSizeLimit() = restore.old;
  LinearBitmap big;
  big.newImage(4100, 4100, pf24bit);
  for (int y = 0; y < big.height(); ++y)
    for (int x = 0; x < big.width(); ++x) {
      std::uint8_t* p = big.scanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x / 256 + y / 256);
    }
  ASSERT_GT(std::int64_t{big.width()} * big.height(), Metafile::kFreeCanvasPixels);
  for (const char* ext : {"WMF", "EMF"}) {
    SCOPED_TRACE(ext);
    LinearBitmap back;
    ASSERT_EQ(errorOf([&] { load(wmfLoader(), save(wmfLoader(), big, ext), back, ext); }), "(no error)");
    ASSERT_EQ(back.width(), 4100);
    ASSERT_EQ(back.height(), 4100);
    EXPECT_EQ(std::memcmp(back.map(), big.map(), static_cast<std::size_t>(big.size())), 0);
  }
}
