// The bitmap, the loader registry and the colour helpers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "imagefile/color_utils.h"
#include "imagefile/errors.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "support/error_text.h"

using namespace imagefile;

namespace {

using testsupport::errorOf;

void setPixel24(LinearBitmap& bm, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::uint8_t* p = bm.scanLine(y) + 3 * x;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

// A loader for ".TST" files holding width, height and grey bytes; it reads through streams
// only, so its file pair goes through the base class's defaults.
class TestLoader : public BitmapLoader {
 public:
  std::string getLoadFilter() override { return "Test pictures (*.tst)|*.tst;*.tsx"; }
  std::string getSaveFilter() override { return "Test pictures (*.tst)|*.tst"; }
  void loadFromStream(BaseStream& s, const std::string&, LinearBitmap& bm) override {
    std::uint8_t wh[2];
    s.read(wh, 2);
    bm.newImage(wh[0], wh[1], pf8bit);
    std::memcpy(bm.palette(), grayPalette(), 768);
    s.read(bm.map(), static_cast<std::size_t>(bm.size()));
  }
  void saveToStream(BaseStream& s, const std::string&, LinearBitmap& bm) override {
    const std::uint8_t wh[2] = {static_cast<std::uint8_t>(bm.width()), static_cast<std::uint8_t>(bm.height())};
    s.write(wh, 2);
    s.write(bm.map(), static_cast<std::size_t>(bm.size()));
  }
};

// A source of zeros of any length, without holding them.
class Zeros : public BaseStream {
 public:
  explicit Zeros(std::int64_t n) : left_(n) { canRead_ = true; }
  std::size_t write(const void*, std::size_t) override { return 0; }

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool) override {
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left_, static_cast<std::int64_t>(count)));
    std::memset(buffer, 0, n);
    left_ -= static_cast<std::int64_t>(n);
    return n;
  }
  std::int64_t availableImpl() override { return left_; }

 private:
  std::int64_t left_;
};

TestLoader& testLoader() {
  static TestLoader loader;
  static bool registered = false;
  if (!registered) {
    registerLoader(&loader);
    registered = true;
  }
  return loader;
}

}  // namespace

TEST(LinearBitmap, SizesAndFormats) {
  LinearBitmap bm;
  EXPECT_FALSE(bm.present());
  EXPECT_EQ(bm.pixelFormat(), pfNone);
  EXPECT_EQ(errorOf([&] { bm.newImage(10, 10, static_cast<PixelFormat>(4)); }), "Unsupported pixel format");
  EXPECT_EQ(errorOf([&] { bm.newImage(0, 10, pf24bit); }), "Invalid bitmap size");
  bm.newImage(5, 3, pf24bit);
  EXPECT_EQ(bm.bytesPerLine(), 15);
  EXPECT_EQ(bm.size(), 45);
  EXPECT_EQ(bm.palette(), nullptr);
  bm.map()[7] = 99;
  bm.newImage(5, 3, pf24bit);  // same: pixels stay
  EXPECT_EQ(bm.map()[7], 99);
  // A pf8bit image keeps its palette through a new size.
  bm.newImage(4, 4, pf8bit);
  bm.palette()[30] = 77;
  bm.newImage(8, 2, pf8bit);
  EXPECT_EQ(bm.palette()[30], 77);
}

TEST(LinearBitmap, HugeSizesAreRefusedBeforeAllocating) {
  LinearBitmap bm;
  // 50000 x 50000 x 3 wraps a 32-bit product; 46341^2 just passes 2^31.
  EXPECT_EQ(errorOf([&] { bm.newImage(50000, 50000, pf24bit); }), "Invalid bitmap size");
  EXPECT_EQ(errorOf([&] { bm.newImage(46341, 46341, pf8bit); }), "Invalid bitmap size");
  EXPECT_EQ(errorOf([&] { bm.newImage(2147483647, 2, pf32bit); }), "Invalid bitmap size");
  EXPECT_FALSE(bm.present());
}

TEST(LinearBitmap, ClearColorWritesEachFormatsLayout) {
  LinearBitmap bm;
  const std::uint32_t color = 0x00402010;  // R 0x10, G 0x20, B 0x40
  bm.newImage(2, 1, pf32bit);
  std::memset(bm.map(), 0xEE, 8);
  bm.clearColor(color);
  const std::uint8_t px32[] = {0x40, 0x20, 0x10, 0x00, 0x40, 0x20, 0x10, 0x00};
  EXPECT_EQ(std::memcmp(bm.map(), px32, 8), 0);
  bm.newImage(2, 1, pf24bit);
  bm.clearColor(color);
  EXPECT_EQ(bm.map()[3], 0x40);
  EXPECT_EQ(bm.map()[5], 0x10);
  bm.newImage(2, 1, pf8bit);
  bm.clearColor(color);
  EXPECT_EQ(bm.map()[1], grayOf(0x10, 0x20, 0x40));
}

TEST(LinearBitmap, ResizeCanvasClipsOnEverySide) {
  LinearBitmap bm;
  bm.resizeCanvas(3, 2, 0x00808080, 0, 0);  // empty: grey 8-bit canvas
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_TRUE(bm.isGrayScale());
  EXPECT_EQ(bm.map()[5], 0x80);

  bm.newImage(4, 3, pf24bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) setPixel24(bm, x, y, static_cast<std::uint8_t>(10 * y + x), 0, 0);
  LinearBitmap cut(bm);
  cut.resizeCanvas(3, 3, 0x000000FF, -2, -1);  // old (2,1) lands at (0,0)
  EXPECT_EQ(cut.scanLine(0)[2], 12);
  EXPECT_EQ(cut.scanLine(1)[2 + 3], 23);
  EXPECT_EQ(cut.scanLine(0)[2 + 6], 0xFF);  // beyond the old image: background red
  EXPECT_EQ(cut.scanLine(2)[2], 0xFF);
  LinearBitmap moved(bm);
  moved.resizeCanvas(6, 5, 0, 3, 4);  // only old row 0, columns 0..2 remain visible
  EXPECT_EQ(moved.scanLine(4)[3 * 3 + 2], 0);
  EXPECT_EQ(moved.scanLine(4)[3 * 5 + 2], 2);
  LinearBitmap gone(bm);
  gone.resizeCanvas(3, 3, 0x00FFFFFF, 10, -10);  // nothing of the old image
  EXPECT_EQ(gone.scanLine(1)[4], 0xFF);
  gone.resizeCanvas(0, 3, 0, 0, 0);
  EXPECT_FALSE(gone.present());
}

TEST(LinearBitmap, PixelFormatConversions) {
  LinearBitmap bm;
  bm.newImage(2, 1, pf24bit);
  setPixel24(bm, 0, 0, 0xFF, 0x80, 0x40);
  setPixel24(bm, 1, 0, 0, 0, 0);
  LinearBitmap cube(bm);
  cube.changePixelFormat(pf8bit);
  EXPECT_EQ(cube.map()[0], 0xF1);
  EXPECT_EQ(cube.palette()[3 * 0xFF + 2], 255);  // R
  EXPECT_EQ(cube.palette()[3 * 0x49 + 1], 73);   // G level 2: round(2 * 255 / 7)
  LinearBitmap wide(bm);
  wide.changePixelFormat(pf32bit);
  EXPECT_EQ(wide.map()[3], 0);
  EXPECT_EQ(wide.map()[2], 0xFF);
  wide.changePixelFormat(pf24bit);
  EXPECT_EQ(std::memcmp(wide.map(), bm.map(), 6), 0);
  EXPECT_EQ(errorOf([&] { wide.changePixelFormat(pf16bit); }), "Unsupported pixel format");

  LinearBitmap grey16;
  grey16.newImage(2, 1, pf16bit);
  const std::uint8_t samples[] = {0x34, 0x12, 0xFF, 0xAB};
  std::memcpy(grey16.map(), samples, 4);
  LinearBitmap g8(grey16);
  g8.changePixelFormat(pf8bit);
  EXPECT_EQ(g8.map()[0], 0x12);
  EXPECT_EQ(g8.map()[1], 0xAB);
  EXPECT_TRUE(g8.isGrayScale());
  convertToGray(grey16);  // takes the high bytes
  EXPECT_EQ(grey16.pixelFormat(), pf8bit);
  EXPECT_EQ(grey16.map()[1], 0xAB);
}

TEST(ColorUtils, GreyCountsAndHelpers) {
  LinearBitmap bm;
  bm.newImage(2, 1, pf24bit);
  setPixel24(bm, 0, 0, 255, 255, 255);
  setPixel24(bm, 1, 0, 0, 0, 1);
  LinearBitmap one(bm);
  setPixel24(one, 1, 0, 255, 255, 255);
  EXPECT_EQ(countColors(one), 1);
  EXPECT_EQ(countColors(bm), 2);
  convertToGray(bm);
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_EQ(bm.map()[0], 255);
  EXPECT_EQ(bm.map()[1], 0);
  LinearBitmap idx;
  idx.newImage(3, 1, pf8bit);
  idx.map()[0] = 0;
  idx.map()[1] = 5;
  idx.map()[2] = 5;
  EXPECT_EQ(countColors(idx), 2);
  EXPECT_EQ(ensureRange(5, 10, 0), 10);
  EXPECT_EQ(dwordAlign(5), 8);
  EXPECT_EQ(align8(9), 16);
  const std::uint8_t buf[] = {1, 2, 3, 2};
  EXPECT_EQ(findByte(buf, 2, 2, 4), 3);
  EXPECT_EQ(findByte(buf, 2, 2, 2), -1);
  EXPECT_EQ(swapColorRB(0x00112233), 0x00332211u);
}

TEST(ColorUtils, YCbCrMatrixUndoesTheForwardOne) {
  LinearBitmap bm;
  bm.newImage(1, 1, pf24bit);
  // RGB (200, 100, 50) in YCbCr, computed with the forward matrix and rounded.
  const double y = 0.299 * 200 + 0.587 * 100 + 0.114 * 50;
  const double cb = -0.16875 * 200 - 0.33126 * 100 + 0.5 * 50 + 127.5;
  const double cr = 0.5 * 200 - 0.41869 * 100 - 0.08131 * 50 + 127.5;
  setPixel24(bm, 0, 0, static_cast<std::uint8_t>(std::lround(y)), static_cast<std::uint8_t>(std::lround(cb)),
             static_cast<std::uint8_t>(std::lround(cr)));
  transformColors(bm, yCbCrToRgbMatrix());
  EXPECT_NEAR(bm.map()[2], 200, 2);
  EXPECT_NEAR(bm.map()[1], 100, 2);
  EXPECT_NEAR(bm.map()[0], 50, 2);
}

TEST(DynamicList, SavesCountAndRecordsAndReadsAnEmptyStream) {
  DynamicList list(3);
  list.setCount(2);
  std::memcpy(list.data(), "abcdef", 6);
  MemStream m;
  list.saveToStream(m);
  m.setPosition(0);
  DynamicList back(3);
  back.loadFromStream(m);
  ASSERT_EQ(back.count(), 2);
  EXPECT_EQ(std::memcmp(back.data(), "abcdef", 6), 0);
  MemStream empty;
  back.loadFromStream(empty);
  EXPECT_EQ(back.count(), 0);
  // A count the stream cannot hold is refused instead of allocating it.
  MemStream lying;
  const std::uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x7F, 'x'};
  lying.write(huge, 5);
  lying.setPosition(0);
  EXPECT_THROW(back.loadFromStream(lying), InOutError);
}

TEST(Registry, ExtensionsAndLookups) {
  testLoader();
  EXPECT_EQ(fileExtension("x.JPE"), "JPE");
  EXPECT_EQ(fileExtension("bild.png"), "PNG");
  EXPECT_EQ(fileExtension("/home/a.b/bild"), "");
  EXPECT_EQ(fileExtension("C:\\a.b\\bild"), "");
  EXPECT_EQ(fileExtension("archiv.tar.gz"), "GZ");
  EXPECT_EQ(&getLoader("tsx"), &testLoader());
  EXPECT_EQ(&getSaver("tst"), &testLoader());
  EXPECT_EQ(errorOf([] { getSaver("tsx"); }), "Unsupported file format: TSX");
  EXPECT_EQ(errorOf([] { getLoader(""); }), "Unsupported file format: ");
  LinearBitmap bm;
  EXPECT_EQ(errorOf([&] { bm.saveToFile("/tmp/a.b/ohne"); }), "Unsupported file format: ");
  EXPECT_EQ(errorOf([&] { bm.loadFromFile("x.JPE"); }), "Unsupported file format: JPE");
}

TEST(Registry, PluginLoaderWithAnEmptyTableAcceptsNothing) {
  ImageDllLoader dll;
  EXPECT_EQ(dll.getLoadFilter(), "");
  EXPECT_FALSE(dll.canLoad("BMP"));
  EXPECT_FALSE(dll.canSave("PNG"));
  EXPECT_EQ(errorOf([] { checkPluginResult(7, ""); }), "Process failed: 7");
  EXPECT_EQ(errorOf([] { checkPluginResult(3, "x"); }), "Error in bitmap data");
  EXPECT_EQ(errorOf([] { checkPluginResult(9, "Error writing image file: %s"); }),
            "Error writing image file: 9");
  EXPECT_NO_THROW(checkPluginResult(0, ""));
}

TEST(Registry, StreamDefaultsGoThroughTemporaryFilesAndCleanUp) {
  testLoader();
  LinearBitmap bm;
  bm.newImage(3, 2, pf8bit);
  for (int i = 0; i < 6; ++i) bm.map()[i] = static_cast<std::uint8_t>(i * 40);
  const std::string dir = std::filesystem::temp_directory_path() / ("kolvex_reg_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ::setenv("TMPDIR", dir.c_str(), 1);
  const std::string file = dir + "/bild.TST";
  bm.saveToFile(file);
  LinearBitmap back;
  back.loadFromFile(file);
  EXPECT_EQ(back.width(), 3);
  EXPECT_EQ(std::memcmp(back.map(), bm.map(), 6), 0);
  // Stream pair of a loader that implements only streams: straight; file pair: default.
  MemStream m;
  bm.saveToStream(m, "tst");
  m.setPosition(0);
  back.loadFromStream(m, "TST");
  EXPECT_EQ(back.map()[5], 200);
  // The base class's stream defaults (a loader with only the file pair).
  struct FileOnly : BitmapLoader {
    TestLoader inner;
    void loadFromFile(const std::string& f, const std::string& e, LinearBitmap& b) override {
      StreamChain in = readBufferedFileStream(f, false);
      inner.loadFromStream(*in, e, b);
    }
    void saveToFile(const std::string& f, const std::string& e, LinearBitmap& b) override {
      StreamChain out = readBufferedFileStream(f, true);
      inner.saveToStream(*out, e, b);
      finishChain(*out);
    }
  } fileOnly;
  MemStream m2;
  fileOnly.saveToStream(m2, "TST", bm);
  EXPECT_EQ(m2.getSize(), 8);
  m2.setPosition(0);
  LinearBitmap viaTemp;
  fileOnly.loadFromStream(m2, "TST", viaTemp);
  EXPECT_EQ(viaTemp.map()[4], 160);
  // More than 100 MB is refused rather than loaded cut short.
  Zeros tooMuch(kMaxTemporaryCopy + 1);
  EXPECT_EQ(errorOf([&] { fileOnly.loadFromStream(tooMuch, "TST", viaTemp); }),
            "File too large for a temporary copy");
  EXPECT_TRUE(std::filesystem::is_empty(dir) || std::filesystem::exists(file));
  std::filesystem::remove(file);
  EXPECT_TRUE(std::filesystem::is_empty(dir));  // no temporary file left behind
  std::filesystem::remove_all(dir);
  ::unsetenv("TMPDIR");
}
