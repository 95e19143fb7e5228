// The image side: colour reduction, frames made from images, frame images and drawing, and
// Qt's own GIF reader as a second oracle for our files.
#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

#include <thread>

#include "gif/qt/color_reduction.h"
#include "gif/qt/frame_image.h"
#include "gif/qt/gif_bitmap.h"
#include "gif_test_util.h"

using namespace giftest;
using namespace gif;

namespace {

QImage rgbImage(int w, int h, const std::vector<QRgb>& pixels) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, pixels[static_cast<size_t>(y * w + x)]);
  return img;
}

Reduction reduceWith(const QImage& img, int method, int dither = 0, int bits = 8) {
  ReductionSettings s;
  s.method = method;
  s.dither = dither;
  s.bits = bits;
  return reduce(img, s);
}

QImage photo(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.setPixel(x, y, qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) * 7) & 255));
  return img;
}

struct WebDitherGuard {
  explicit WebDitherGuard(WebDither m) { setWebDither(m); }
  ~WebDitherGuard() { setWebDither(WebDither::Auto); }
};

}  // namespace

TEST(ColorReduction, FixedLookupsFollowTheirRules) {
  auto bw = reduceWith(rgbImage(2, 1, {qRgb(127, 127, 127), qRgb(128, 127, 127)}), rdBlackWhite);
  EXPECT_EQ(bw.indices, (Bytes{0, 1}));
  auto web = reduceWith(rgbImage(2, 1, {qRgb(25, 26, 27), qRgb(49, 0, 0)}), rdWeb216);
  EXPECT_EQ(web.indices, (Bytes{0, 36}));
  EXPECT_EQ(web.palette[36], makeColor(51, 0, 0));
  auto grey = reduceWith(rgbImage(1, 1, {qRgb(100, 50, 200)}), rdGrey256);
  EXPECT_EQ(grey.indices[0], (77 * 100 + 150 * 50 + 29 * 200) >> 8);
  auto g4 = reduceWith(rgbImage(2, 1, {qRgb(100, 100, 100), qRgb(170, 170, 170)}), rdGrey4);
  EXPECT_EQ(g4.indices, (Bytes{1, 2}));
  auto sys = reduceWith(rgbImage(2, 1, {qRgb(250, 250, 250), qRgb(200, 215, 200)}), rdSystem20);
  EXPECT_EQ(sys.palette.size(), 20u);
  EXPECT_EQ(sys.indices, (Bytes{19, 8}));
  auto half = reduceWith(rgbImage(1, 1, {qRgb(255, 251, 240)}), rdHalftone);
  EXPECT_EQ(half.palette.size(), 256u);
  EXPECT_EQ(half.palette[half.indices[0]], makeColor(255, 251, 240));
}

TEST(ColorReduction, NearestEntryTakesTheLowestIndexOnATie) {
  ReductionSettings s;
  s.method = rdPalette;
  s.palette = {makeColor(0, 0, 0), makeColor(10, 0, 0), makeColor(0, 10, 0), makeColor(10, 0, 0)};
  const auto r = reduce(rgbImage(3, 1, {qRgb(5, 5, 0), qRgb(9, 0, 0), qRgb(10, 0, 0)}), s);
  EXPECT_EQ(r.indices, (Bytes{0, 1, 1}));
}

TEST(ColorReduction, OctreeKeepsFewColoursExactly) {
  auto two = reduceWith(rgbImage(3, 1, {qRgb(10, 20, 30), qRgb(200, 100, 0), qRgb(10, 20, 30)}), rdOctree, 0, 1);
  ASSERT_EQ(two.palette.size(), 2u);
  std::vector<ColorValue> got = two.palette;
  std::sort(got.begin(), got.end());
  std::vector<ColorValue> want = {makeColor(10, 20, 30), makeColor(200, 100, 0)};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(two.indices[0], two.indices[2]);
  EXPECT_NE(two.indices[0], two.indices[1]);

  auto three = reduceWith(rgbImage(3, 1, {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)}), rdOctree, 0, 4);
  ASSERT_EQ(three.palette.size(), 16u);
  for (size_t i = 3; i < 16; ++i) EXPECT_EQ(three.palette[i], 0u);

  // Method 8: system colours around the image's own; up to 236 colours stay exact.
  std::vector<QRgb> px;
  for (int i = 0; i < 236; ++i) px.push_back(qRgb(i, (i * 7) & 255, 255 - i));
  const QImage img = rgbImage(236, 1, px);
  for (int dither : {0, 1}) {
    auto r = reduceWith(img, rdOctreeSystem, dither);
    ASSERT_EQ(r.palette.size(), 256u);
    EXPECT_EQ(r.palette[0], makeColor(0, 0, 0));
    EXPECT_EQ(r.palette[9], makeColor(166, 202, 240));
    EXPECT_EQ(r.palette[246], makeColor(255, 251, 240));
    EXPECT_EQ(r.palette[255], makeColor(255, 255, 255));
    for (int x = 0; x < 236; ++x) EXPECT_EQ(toQRgb(r.palette[r.indices[static_cast<size_t>(x)]]), px[static_cast<size_t>(x)]) << x;
  }
  // More colours than that are merged down, never beyond 236.
  auto many = reduceWith(photo(200, 100), rdOctreeSystem);
  EXPECT_EQ(many.palette.size(), 256u);
}

TEST(ColorReduction, BadArgumentsAreRefusedAndTheCallersImageIsUntouched) {
  QImage img(3, 2, QImage::Format_ARGB32);
  img.fill(qRgba(10, 20, 30, 255));
  const QImage before = img;
  EXPECT_EQ(errorOf([&] { reduceColors(img, 10, 0); }), "Invalid reduction method");
  EXPECT_EQ(errorOf([&] { reduceColors(img, -1, 0); }), "Invalid reduction method");
  EXPECT_EQ(errorOf([&] { reduceColors(img, 6, 7); }), "Invalid dither mode");
  EXPECT_EQ(errorOf([&] { reduceColors(QImage(), 6, 0); }), "Invalid image dimensions");
  const QImage reduced = reduceColors(img, rdWeb216, dtFloydSteinberg);
  EXPECT_EQ(reduced.format(), QImage::Format_Indexed8);
  EXPECT_EQ(reduced.colorCount(), 256);
  EXPECT_EQ(img.format(), QImage::Format_ARGB32);
  EXPECT_TRUE(img == before);
  const QImage copy = reduceColors(img, rdNone, 0);
  EXPECT_EQ(copy.format(), QImage::Format_RGB32);
  EXPECT_TRUE(reduceColors(img, rdPalette, 0).isNull());  // no colours to map to
}

TEST(ColorReduction, FloydSteinbergCarriesTheErrorAhead) {
  const QImage img = rgbImage(2, 1, {qRgb(40, 40, 40), qRgb(40, 40, 40)});
  EXPECT_EQ(reduceWith(img, rdWeb216, 0).indices, (Bytes{0, 0}));
  // 40 + (7 * 40 + 8) / 16 = 58, which is web level 1 (index 36 + 6 + 1).
  EXPECT_EQ(reduceWith(img, rdWeb216, 1).indices, (Bytes{0, 43}));
  // A single pixel gets exactly the lookup's index.
  for (int d = 1; d <= 6; ++d) EXPECT_EQ(reduceWith(rgbImage(1, 1, {qRgb(49, 0, 0)}), rdWeb216, d).indices[0], 36);
}

TEST(ColorReduction, KernelsMirrorOnRowsScannedRightToLeft) {
  // A row below a row of exact black runs right to left with nothing carried into it, so
  // the mirrored row must come out as the mirror of the row dithered left to right.
  const int w = 23;
  const QImage row = photo(w, 1);
  QImage two(w, 2, QImage::Format_RGB32);
  two.fill(qRgb(0, 0, 0));
  for (int x = 0; x < w; ++x) two.setPixel(w - 1 - x, 1, row.pixel(x, 0));
  for (int d = 1; d <= 6; ++d) {
    SCOPED_TRACE(d);
    const auto ra = reduceWith(row, rdWeb216, d);
    const auto rb = reduceWith(two, rdWeb216, d);
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(ra.indices[static_cast<size_t>(x)], rb.indices[static_cast<size_t>(w + w - 1 - x)]) << x;
  }
}

TEST(GifBitmap, ImagesAreMadeIn8Or24BitsOnly) {
  EXPECT_EQ(errorOf([] { makeImage(3, 2, 4); }), "Unsupported PixelFormat");
  EXPECT_EQ(errorOf([] { makeImage(0, 2, 8); }), "Invalid image dimensions");
  QImage img = makeImage(3, 2, 8, {makeColor(1, 2, 3)});
  EXPECT_EQ(img.format(), QImage::Format_Indexed8);
  ASSERT_EQ(img.colorCount(), 256);
  EXPECT_EQ(img.color(0), qRgb(1, 2, 3));
  EXPECT_EQ(img.color(255), qRgb(0, 0, 0));
  EXPECT_EQ(makeImage(3, 2, 24).format(), QImage::Format_RGB32);
  EXPECT_EQ(errorOf([&] { imageRow(img, 2); }), "Bereichsüberschreitung bei Zeilenindex");
  EXPECT_EQ(fromQRgb(qRgb(1, 2, 3)), makeColor(1, 2, 3));
  EXPECT_EQ(mulDiv(5, 3, 2), 8);
  EXPECT_EQ(mulDiv(-5, 3, 2), -8);
}

TEST(FrameImage, IndexedWithTransparentIndexAndBlackBeyondTheTable) {
  gif::GifFile file;
  GifSubImage& f = addFrame(file);
  f.colorMap().importColors({makeColor(255, 0, 0), makeColor(0, 255, 0), makeColor(0, 0, 255)});
  f.setBounds(0, 0, 2, 2);
  f.mutableData() = {0, 1, 2, 7};
  QImage img = frameImage(f);
  ASSERT_EQ(img.format(), QImage::Format_Indexed8);
  EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(1, 1), qRgb(0, 0, 0));
  auto gce = std::make_unique<GifGraphicControlExtension>(&f);
  gce->setTransparentColorIndex(1);
  gce->setTransparent(true);
  f.extensions().add(std::move(gce));
  img = frameImage(f);  // the change dropped the cached one
  EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 255);
  // Many painters at once.
  std::vector<std::thread> threads;
  f.dropCache();
  for (int i = 0; i < 4; ++i) threads.emplace_back([&] {
    for (int k = 0; k < 50; ++k) EXPECT_EQ(frameImage(f).width(), 2);
  });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(frameImage(GifSubImage(&file)).isNull());
}

TEST(FrameImage, WebDitherKeepsTransparencyByColumn) {
  WebDitherGuard guard(WebDither::On);
  gif::GifFile file;
  GifSubImage& f = addFrame(file);
  f.colorMap().importColors({makeColor(120, 120, 120), makeColor(10, 200, 30), makeColor(250, 0, 0)});
  f.setBounds(0, 0, 4, 3);
  // Row 1 is scanned right to left: its transparent pixels must still be where they are.
  f.mutableData() = {0, 1, 2, 0, 2, 1, 1, 0, 0, 0, 2, 1};
  auto gce = std::make_unique<GifGraphicControlExtension>(&f);
  gce->setTransparentColorIndex(1);
  gce->setTransparent(true);
  f.extensions().add(std::move(gce));
  const QImage img = frameImage(f);
  int ro, go, bo;
  NetscapeColorLookup web;
  const QRgb fill = webColorTable()[web.lookup(10, 200, 30, ro, go, bo)];
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool t = f.pixel(x, y) == 1;
      EXPECT_EQ(qAlpha(img.pixel(x, y)), t ? 0 : 255) << x << "," << y;
      if (t) EXPECT_EQ(img.pixel(x, y) & 0xFFFFFFu, fill & 0xFFFFFFu);
      else EXPECT_TRUE(webColorTable().contains(img.pixel(x, y)));
    }
}

TEST(FrameImage, BuildingReportsRenderingEvery32RowsOnTheGuiThread) {
  gif::GifFile file;
  std::vector<std::pair<std::string, int>> reports;
  file.onProgress = [&](ProgressStage, int percent, const std::string& text) { reports.emplace_back(text, percent); };
  GifSubImage& f = addFrame(file);
  f.colorMap().importColors({makeColor(255, 0, 0), makeColor(0, 0, 255)});
  f.setBounds(0, 0, 3, 100);
  const std::vector<std::pair<std::string, int>> every32 = {
      {"Rendering...", 0}, {"Rendering...", 32}, {"Rendering...", 64}, {"Rendering...", 96}};
  for (WebDither mode : {WebDither::Off, WebDither::On}) {
    WebDitherGuard guard(mode);
    reports.clear();
    f.dropCache();
    (void)frameImage(f);
    EXPECT_EQ(reports, every32);
    reports.clear();
    (void)frameImage(f);  // kept: nothing is rendered again
    EXPECT_TRUE(reports.empty());
  }
  // A painter thread renders without calling the handler from its thread.
  f.dropCache();
  std::thread([&] { (void)frameImage(f); }).join();
  EXPECT_TRUE(reports.empty());
  // A handler that lets the views repaint asks for the frame being rendered.
  f.dropCache();
  bool inside = false;
  int repaints = 0;
  file.onProgress = [&](ProgressStage, int, const std::string&) {
    if (inside) return;
    inside = true;
    repaints += frameImage(f).height() == 100;
    inside = false;
  };
  EXPECT_EQ(frameImage(f).height(), 100);
  EXPECT_EQ(repaints, 4);
}

TEST(FrameImage, FramesFromImagesKeepIndicesReduceOrMask) {
  gif::GifFile file;
  GifSubImage& f = addFrame(file);
  // Indexed images come as they are.
  QImage indexed = makeImage(2, 1, 8, {makeColor(1, 1, 1), makeColor(2, 2, 2)});
  indexed.setPixel(1, 0, 1);
  assignFromImage(f, indexed, {});
  EXPECT_EQ(f.data(), (Bytes{0, 1}));
  EXPECT_EQ(f.colorMap().color(1), makeColor(2, 2, 2));
  // True colour is reduced with the settings.
  ReductionSettings s;
  s.method = rdOctreeSystem;
  const QImage img = photo(40, 30);
  assignFromImage(f, img, s);
  EXPECT_EQ(f.colorMap().count(), 256);
  EXPECT_EQ(f.width(), 40);
  EXPECT_EQ(file.width(), 40);
  // Kept as true colour: more than 256 colours do not fit.
  s.method = rdNone;
  EXPECT_EQ(errorOf([&] { assignFromImage(f, photo(64, 64), s); }), "Color table overflow");
  assignFromImage(f, rgbImage(2, 1, {qRgb(9, 8, 7), qRgb(1, 2, 3)}), s);
  EXPECT_EQ(f.colorMap().colors(), (std::vector<ColorValue>{makeColor(9, 8, 7), makeColor(1, 2, 3)}));
  // Alpha below 128 marks transparent pixels.
  QImage icon(3, 1, QImage::Format_ARGB32);
  icon.setPixel(0, 0, qRgba(255, 0, 0, 255));
  icon.setPixel(1, 0, qRgba(0, 255, 0, 127));
  icon.setPixel(2, 0, qRgba(0, 0, 255, 128));
  s.method = rdOctreeSystem;
  assignFromImage(f, icon, s);
  ASSERT_TRUE(f.transparent());
  EXPECT_EQ(f.pixel(1, 0), f.transparentColorIndex());
  EXPECT_NE(f.pixel(0, 0), f.transparentColorIndex());
  EXPECT_NE(f.pixel(2, 0), f.transparentColorIndex());
  const QImage shown = frameImage(f);
  EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(shown.pixel(1, 0)), 0);
  // Fully opaque: no control extension is added.
  icon.setPixel(1, 0, qRgba(0, 255, 0, 255));
  assignFromImage(f, icon, s);
  EXPECT_FALSE(f.transparent());
  EXPECT_EQ(f.extensions().count(), 0);
}

TEST(FrameImage, FramesFromContainerPicturesKeepTheirTransparency) {
  class Masked final : public imagefile::Graphic {
   public:
    void loadFromStream(QIODevice&) override {}
    void saveToStream(QIODevice&) override {}
    int width() const override { return 2; }
    int height() const override { return 1; }
    bool empty() const override { return false; }
    void draw(QPainter&, const QRect&) override {}
    QImage toImage() const override {
      QImage img(2, 1, QImage::Format_ARGB32);
      img.setPixel(0, 0, qRgba(0, 0, 0, 0));
      img.setPixel(1, 0, qRgba(200, 10, 10, 255));
      return img;
    }
  };
  gif::GifFile file;
  GifSubImage& f = addFrame(file);
  ReductionSettings s;
  s.method = rdOctreeSystem;
  assignFromGraphic(f, Masked(), s);
  ASSERT_TRUE(f.transparent());
  EXPECT_EQ(f.pixel(0, 0), f.transparentColorIndex());
  EXPECT_EQ(f.colorMap().color(f.pixel(1, 0)), makeColor(200, 10, 10));
  // The codec's errors are the picture library's invalid-graphic errors.
  EXPECT_THROW(f.pixel(5, 0), imagefile::InvalidGraphic);
  EXPECT_THROW(makeImage(1, 1, 4), imagefile::Error);
}

TEST(FrameImage, DrawingScalesTilesAndRespectsTransparency) {
  gif::GifFile file;
  GifSubImage& f = addFrame(file);
  f.colorMap().importColors({makeColor(255, 0, 0), makeColor(0, 0, 255)});
  file.header().setWidth(4);
  file.header().setHeight(4);
  f.setBounds(2, 2, 2, 2);
  f.mutableData() = {0, 1, 1, 0};
  QImage target(8, 8, QImage::Format_RGB32);
  target.fill(qRgb(255, 255, 255));
  {
    QPainter p(&target);
    drawFrame(p, f, QRect(0, 0, 8, 8), true, false);
  }
  EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(target.pixel(4, 4), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(6, 4), qRgb(0, 0, 255));
  auto gce = std::make_unique<GifGraphicControlExtension>(&f);
  gce->setTransparentColorIndex(1);
  gce->setTransparent(true);
  f.extensions().add(std::move(gce));
  target.fill(qRgb(255, 255, 255));
  {
    QPainter p(&target);
    drawFrame(p, f, QRect(0, 0, 8, 8), true, true);
  }
  // Tiled at its own size from offset (2, 2), stepping by the picture's 4 x 4.
  EXPECT_EQ(target.pixel(2, 2), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(3, 2), qRgb(255, 255, 255));  // transparent
  EXPECT_EQ(target.pixel(6, 6), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
  target.fill(qRgb(255, 255, 255));
  {
    QPainter p(&target);
    drawFrame(p, f, QRect(0, 0, 4, 4), false, false);
  }
  EXPECT_EQ(target.pixel(3, 2), qRgb(0, 0, 255));  // drawn opaque when asked
  target.save("/tmp/kolvex_gif_draw.png");
}

TEST(QtOracle, ReadsOurFilesToOurColours) {
  for (int h : {1, 2, 5, 7, 16}) {
    for (bool interlace : {false, true}) {
      GifPlan s;
      s.width = 9;
      s.height = h;
      s.colors = greyColors(7);
      s.pixels = noise(9 * h, 7, static_cast<unsigned>(h));
      s.interlace = interlace;
      const Bytes file = encode(s);
      QByteArray bytes(reinterpret_cast<const char*>(file.data()), static_cast<int>(file.size()));
      QBuffer buffer(&bytes);
      QImageReader reader(&buffer, "gif");
      const QImage img = reader.read();
      ASSERT_FALSE(img.isNull()) << reader.errorString().toStdString();
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < 9; ++x)
          EXPECT_EQ(img.pixel(x, y) & 0xFFFFFFu, toQRgb(s.colors[s.pixels[static_cast<size_t>(y * 9 + x)]]) & 0xFFFFFFu);
    }
  }
}

TEST(DeviceStream, LoadsAndSavesThroughQtDevices) {
  const Bytes file = encode(GifPlan{});
  QByteArray bytes(reinterpret_cast<const char*>(file.data()), static_cast<int>(file.size()));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  DeviceStream s(in);
  gif::GifFile g;
  g.loadFromStream(s);
  EXPECT_EQ(g.images().count(), 1);
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  DeviceStream o(out);
  g.saveToStream(o);
  EXPECT_EQ(out.data(), bytes);
  QBuffer closed;
  DeviceStream c(closed);
  EXPECT_THROW(g.saveToStream(c), GifStreamError);
}
