// JPEG through libjpeg: files from cjpeg read as djpeg reads them, ours read by djpeg and Qt
// close to the original, grey files, quality and target size, and damaged input.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "imagefile/jpeg_loader.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

Bytes ppmOf(const LinearBitmap& bm) {
  const bool grey = bm.pixelFormat() == pf8bit;
  const std::string head = std::string(grey ? "P5\n" : "P6\n") + std::to_string(bm.width()) + " " +
                           std::to_string(bm.height()) + "\n255\n";
  Bytes b(head.begin(), head.end());
  for (int y = 0; y < bm.height(); ++y)
    for (int x = 0; x < bm.width(); ++x) {
      const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
      if (grey) {
        b.push_back(p[0]);
      } else {
        b.insert(b.end(), {p[2], p[1], p[0]});
      }
    }
  return b;
}

Bytes tail(const Bytes& b, std::size_t n) { return b.size() < n ? Bytes{} : Bytes(b.end() - static_cast<std::ptrdiff_t>(n), b.end()); }

double psnr(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double se = 0;
  for (std::size_t i = 0; i < a.size(); ++i) se += (a[i] - b[i]) * (a[i] - b[i]);
  if (se == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * a.size() / se);
}

std::string loadError(const Bytes& f, LinearBitmap& bm) {
  return errorOf([&] { load(jpegLoader(), f, bm, "JPG"); });
}

// Our own save with the options of one call, and what it reports.
Bytes saveJpeg(const LinearBitmap& bm, const JpegSaveOptions& options, JpegSaveResult* result = nullptr) {
  MemStream m;
  const JpegSaveResult r = jpegLoader().save(m, bm, options);
  if (result) *result = r;
  return m.bytes();
}

class FailingStream : public BaseStream {
 public:
  FailingStream() { canWrite_ = true; }
  std::size_t write(const void*, std::size_t) override { throw InOutError("Error writing to stream - disk full"); }

 protected:
  std::size_t readImpl(void*, std::size_t, bool) override { return 0; }
  std::int64_t availableImpl() override { return 0; }
};

}  // namespace

TEST(Jpeg, FilesFromCjpegDecodeAsDjpegDoes) {
  LinearBitmap photo;
  photoLike(photo, 83, 45);
  LinearBitmap grey(photo);
  for (std::int64_t i = 0; i < grey.size(); i += 3) grey.map()[i + 1] = grey.map()[i + 2] = grey.map()[i];
  LinearBitmap grey8;
  grey8.newImage(83, 45, pf8bit);
  std::memcpy(grey8.palette(), grayPalette(), 768);
  for (int i = 0; i < 83 * 45; ++i) grey8.map()[i] = grey.map()[3 * i];
  const std::string src = tempPath("src.pnm"), jpg = tempPath("c.jpg"), out = tempPath("d.pnm");
  for (const char* opts : {"", "-progressive", "-quality 75 -sample 2x2", "-grayscale"})
    for (LinearBitmap* bm : {&photo, &grey8}) {
      SCOPED_TRACE(std::string(opts) + (bm == &photo ? " colour" : " grey"));
      writeFile(src, ppmOf(*bm));
      ASSERT_EQ(run(std::string("cjpeg ") + opts + " -outfile " + jpg + " " + src), 0);
      ASSERT_EQ(run("djpeg -dct int -outfile " + out + " " + jpg), 0);
      LinearBitmap ours;
      ASSERT_EQ(loadError(readFile(jpg), ours), "(no error)");
      const bool greyFile = bm == &grey8 || std::string(opts) == "-grayscale";
      EXPECT_EQ(ours.pixelFormat(), greyFile ? pf8bit : pf24bit);
      EXPECT_TRUE(!greyFile || ours.isGrayScale());
      const Bytes mine = ppmOf(ours);
      const Bytes theirs = readFile(out);
      EXPECT_EQ(tail(mine, mine.size() - 15), tail(theirs, mine.size() - 15));
      if (!greyFile) {
        EXPECT_GE(psnr(tail(ppmOf(*bm), 83 * 45 * 3), tail(mine, 83 * 45 * 3)), 30);
      }
    }
}

TEST(Jpeg, OursReadByDjpegAndQt) {
  LinearBitmap chart;
  photoLike(chart, 120, 70);
  LinearBitmap variants[3];
  variants[0].assign(chart);
  variants[1].assign(chart);
  variants[1].changePixelFormat(pf32bit);
  variants[2].assign(chart);
  variants[2].changePixelFormat(pf8bit);
  for (auto& v : variants) {
    const Bytes file = save(jpegLoader(), v, "JPG");
    LinearBitmap want(v);
    want.changePixelFormat(pf24bit);
    const Bytes ref = tail(ppmOf(want), 120 * 70 * 3);
    const std::string jpg = tempPath("o.jpg"), out = tempPath("o.ppm");
    writeFile(jpg, file);
    ASSERT_EQ(run("djpeg -outfile " + out + " " + jpg), 0);
    EXPECT_GE(psnr(ref, tail(readFile(out), ref.size())), 30);
    QImage q;
    ASSERT_TRUE(q.loadFromData(file.data(), static_cast<int>(file.size()), "JPG"));
    q = q.convertToFormat(QImage::Format_RGB888);
    Bytes qt;
    for (int y = 0; y < 70; ++y) qt.insert(qt.end(), q.constScanLine(y), q.constScanLine(y) + 360);
    EXPECT_GE(psnr(ref, qt), 30);
  }
  // Grey pictures (also pf16bit, of its high bytes) become grey-scale files.
  LinearBitmap g16;
  g16.newImage(16, 8, pf16bit);
  for (int i = 0; i < 128; ++i) {
    g16.map()[2 * i] = 0x55;
    g16.map()[2 * i + 1] = static_cast<std::uint8_t>(i * 2);
  }
  LinearBitmap back;
  load(jpegLoader(), save(jpegLoader(), g16, "JPG"), back, "JPG");
  EXPECT_EQ(back.pixelFormat(), pf8bit);
  EXPECT_NEAR(back.scanLine(4)[3], (4 * 16 + 3) * 2, 6);
  LinearBitmap grey24;
  grey24.newImage(8, 8, pf24bit);
  grey24.clearColor(0x808080);
  load(jpegLoader(), save(jpegLoader(), grey24, "JPG"), back, "JPG");
  EXPECT_EQ(back.pixelFormat(), pf8bit);
}

TEST(Jpeg, QualityTargetSizeAndScale) {
  LinearBitmap photo;
  photoLike(photo, 160, 96);
  JpegSaveOptions o;
  JpegSaveResult r;
  const Bytes byDefault = saveJpeg(photo, o, &r);
  EXPECT_EQ(r.quality, 0);
  EXPECT_EQ(save(jpegLoader(), photo, "JPG"), byDefault);  // the registry's call
  o.quality = kDefaultJpegQuality;
  EXPECT_EQ(saveJpeg(photo, o), byDefault);
  o.quality = 20;
  const std::size_t small = saveJpeg(photo, o).size();
  EXPECT_LT(small, byDefault.size());

  // A target between two qualities: the best quality that fits.
  o.quality = 0;
  o.targetSize = static_cast<int>((small + byDefault.size()) / 2);
  const Bytes fitted = saveJpeg(photo, o, &r);
  EXPECT_EQ(r.quality, kDefaultJpegQuality);
  EXPECT_LE(fitted.size(), static_cast<std::size_t>(o.targetSize));
  EXPECT_GT(fitted.size(), small);
  // A target below quality 1: the quality-1 file all the same.
  o.targetSize = 10;
  JpegSaveOptions q1;
  q1.quality = 1;
  EXPECT_EQ(saveJpeg(photo, o), saveJpeg(photo, q1));

  LinearBitmap back;
  JpegLoadOptions s;
  s.minWidth = 20;
  s.minHeight = 1;
  const JpegLoadResult read = loadWith(jpegLoader(), byDefault, back, s);
  EXPECT_EQ(read.fullWidth, 160);
  EXPECT_EQ(read.fullHeight, 96);
  EXPECT_EQ(back.width(), 20);
  EXPECT_EQ(back.height(), 12);
  s.minWidth = 41;
  loadWith(jpegLoader(), byDefault, back, s);
  EXPECT_EQ(back.width(), 80);
}

TEST(Jpeg, DamagedInputAndStreamFaults) {
  LinearBitmap bm;
  EXPECT_NE(loadError({'G', 'I', 'F', '8'}, bm).find("Not a JPEG file"), std::string::npos);
  EXPECT_NE(loadError({}, bm), "(no error)");
  LinearBitmap photo;
  photoLike(photo, 40, 30);
  const Bytes whole = save(jpegLoader(), photo, "JPG");
  for (std::size_t n = 0; n < whole.size(); n += 7) {
    const std::string e = loadError(Bytes(whole.begin(), whole.begin() + n), bm);
    (void)e;  // libjpeg's own texts, or a picture cut short: no crash either way
  }
  Bytes flipped = whole;
  for (std::size_t i = 200; i < flipped.size(); i += 13) flipped[i] ^= 0x5A;
  (void)loadError(flipped, bm);
  FailingStream failing;
  EXPECT_EQ(errorOf([&] { jpegLoader().saveToStream(failing, "JPG", photo); }), "Error writing to stream - disk full");
}
