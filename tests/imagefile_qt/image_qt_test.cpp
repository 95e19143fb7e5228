// The picture library's Qt side: the QImage mapping, the picture container, the device
// adapters, the bitmap picture class and the file entry points.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <cstring>
#include <random>

#include "imagefile/errors.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/brevan_streams.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/image_io.h"
#include "imagefile/qt/linear_graphic.h"
#include "platform/message_dialog.h"
#include "support/error_text.h"

using namespace imagefile;

namespace {

using testsupport::errorOf;

// A "BMP" loader for the tests: width, height and B, G, R bytes.
class RawLoader : public BitmapLoader {
 public:
  bool canLoad(const std::string& ext) override { return ext == "BMP" || ext == "RAW"; }
  bool canSave(const std::string& ext) override { return canLoad(ext); }
  void loadFromStream(BaseStream& s, const std::string&, LinearBitmap& bm) override {
    std::uint8_t wh[2];
    s.read(wh, 2);
    bm.newImage(wh[0], wh[1], pf24bit);
    s.read(bm.map(), static_cast<std::size_t>(bm.size()));
  }
  void saveToStream(BaseStream& s, const std::string&, LinearBitmap& bm) override {
    bm.changePixelFormat(pf24bit);
    const std::uint8_t wh[2] = {static_cast<std::uint8_t>(bm.width()), static_cast<std::uint8_t>(bm.height())};
    s.write(wh, 2);
    s.write(bm.map(), static_cast<std::size_t>(bm.size()));
  }
};

void useRawLoader() {
  static RawLoader loader;
  static bool done = false;
  if (!done) {
    registerFormats();
    registerLoader(&loader);
    done = true;
  }
}

class FakeGraphic : public Graphic {
 public:
  explicit FakeGraphic(QColor c) : color_(c) {}
  void loadFromStream(QIODevice& d) override {
    const QByteArray all = d.readAll();
    size_ = static_cast<int>(all.size());
    changed();
  }
  void saveToStream(QIODevice& d) override { d.write("fake"); }
  int width() const override { return size_; }
  int height() const override { return 1; }
  bool empty() const override { return size_ == 0; }
  void draw(QPainter& p, const QRect& r) override { p.fillRect(r, color_); }
  QImage toImage() const override {
    QImage img(size_, 1, QImage::Format_RGB32);
    img.fill(color_);
    return img;
  }

 private:
  QColor color_;
  int size_ = 0;
};

}  // namespace

TEST(QImageMapping, BitmapToImageForEachFormat) {
  LinearBitmap bm;
  bm.newImage(2, 1, pf8bit);
  std::memset(bm.palette(), 0, 768);
  bm.palette()[3 * 7 + 2] = 200;  // entry 7 red
  bm.map()[0] = 7;
  QImage img = bitmapToImage(bm);
  EXPECT_EQ(img.format(), QImage::Format_Indexed8);
  EXPECT_EQ(img.colorCount(), 256);
  EXPECT_EQ(img.pixel(0, 0), qRgb(200, 0, 0));

  bm.newImage(1, 1, pf16bit);
  bm.map()[0] = 0x34;
  bm.map()[1] = 0x9A;
  img = bitmapToImage(bm);
  EXPECT_EQ(img.format(), QImage::Format_Indexed8);
  EXPECT_EQ(img.pixel(0, 0), qRgb(0x9A, 0x9A, 0x9A));
  img = bitmapToImage(bm, GrayMapping::Grayscale16);
  EXPECT_EQ(img.format(), QImage::Format_Grayscale16);
  EXPECT_EQ(reinterpret_cast<const quint16*>(img.constScanLine(0))[0], 0x9A34);

  bm.newImage(3, 2, pf24bit);
  bm.clearColor(0x00102030);  // R 0x30, G 0x20, B 0x10
  img = bitmapToImage(bm);
  EXPECT_EQ(img.format(), QImage::Format_BGR888);
  EXPECT_EQ(img.pixel(2, 1), qRgb(0x30, 0x20, 0x10));
  bm.changePixelFormat(pf32bit);
  img = bitmapToImage(bm);
  EXPECT_EQ(img.format(), QImage::Format_RGB32);
  EXPECT_EQ(img.pixel(1, 1), qRgb(0x30, 0x20, 0x10));
  EXPECT_TRUE(bitmapToImage(LinearBitmap()).isNull());
}

TEST(QImageMapping, ImageToBitmapKeepsIndexedAndMakesTheRest24Bit) {
  QImage indexed(2, 2, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 2, 3), qRgb(250, 128, 0)});
  indexed.fill(1);
  LinearBitmap bm;
  imageToBitmap(indexed, bm);
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_EQ(bm.map()[3], 1);
  EXPECT_EQ(bm.palette()[3], 0);      // B of entry 1
  EXPECT_EQ(bm.palette()[5], 250);    // R of entry 1
  EXPECT_EQ(bm.palette()[3 * 2], 0);  // missing entries black
  for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888,
                           QImage::Format_BGR888, QImage::Format_Grayscale16, QImage::Format_Grayscale8}) {
    QImage img(3, 2, f);
    img.fill(Qt::white);
    imageToBitmap(img, bm);
    EXPECT_EQ(bm.pixelFormat(), pf24bit) << f;
    EXPECT_EQ(bm.map()[bm.size() - 1], 255) << f;
  }
  imageToBitmap(QImage(), bm);
  EXPECT_FALSE(bm.present());
}

TEST(QImageMapping, ThirtyTwoBitPicturesGiveWhatQtsOwnConversionGives) {
  // Opaque ones are copied straight; one translucent pixel (in the last row, after all the
  // others were copied) sends the whole picture through Qt's conversion.
  std::mt19937 zufall(3);
  for (const bool durchscheinend : {false, true})
    for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
      QImage img(37, 5, f);
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(zufall() % 256, zufall() % 256, zufall() % 256));
      if (durchscheinend) img.setPixelColor(36, 4, QColor(200, 100, 50, 77));
      LinearBitmap bm;
      imageToBitmap(img, bm);
      const QImage qt = img.convertToFormat(QImage::Format_BGR888);
      ASSERT_EQ(bm.pixelFormat(), pf24bit);
      for (int y = 0; y < img.height(); ++y)
        EXPECT_EQ(std::memcmp(bm.scanLine(y), qt.constScanLine(y), 3 * 37), 0) << f << " row " << y << " " << durchscheinend;
    }
}

TEST(QImageMapping, AWidgetCaptureBecomes24Bit) {
  QLabel label;
  label.setAutoFillBackground(true);
  QPalette pal = label.palette();
  pal.setColor(QPalette::Window, QColor(10, 200, 30));
  label.setPalette(pal);
  label.resize(40, 20);
  label.show();
  QCoreApplication::processEvents();
  const QImage shot = label.grab().toImage();
  LinearBitmap bm;
  imageToBitmap(shot, bm);
  EXPECT_EQ(bm.pixelFormat(), pf24bit);
  EXPECT_EQ(bm.width(), shot.width());
  const std::uint8_t* p = bm.scanLine(bm.height() / 2) + 3 * (bm.width() / 2);
  EXPECT_EQ(p[0], 30);
  EXPECT_EQ(p[1], 200);
  EXPECT_EQ(p[2], 10);
  // And painting it back gives the same colour.
  QImage canvas(10, 10, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter painter(&canvas);
  paintBitmap(bm, painter, QRect(0, 0, 10, 10), true);
  painter.end();
  EXPECT_EQ(canvas.pixel(5, 5), qRgb(10, 200, 30));
}

TEST(PictureContainer, LookupByExtensionLaterRegistrationWins) {
  registerFileFormat(QStringLiteral("fk1"), QStringLiteral("Fake"),
                     [] { return std::make_unique<FakeGraphic>(Qt::red); });
  EXPECT_TRUE(isFileFormatRegistered(QStringLiteral(".FK1")));
  EXPECT_EQ(fileFormatDescription(QStringLiteral("Fk1")), QStringLiteral("Fake"));
  EXPECT_TRUE(createGraphicFor(QStringLiteral("/a/b.fk1"))->empty());
  registerFileFormat(QStringLiteral(".FK1"), QStringLiteral("Newer"),
                     [] { return std::make_unique<FakeGraphic>(Qt::blue); });
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("bild.Fk1"));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("12345");
  f.close();
  const QImage img = loadPictureFile(file);
  EXPECT_EQ(img.width(), 5);
  EXPECT_EQ(img.pixel(0, 0), QColor(Qt::blue).rgb());
  unregisterFileFormat(QStringLiteral("fk1"));
  EXPECT_EQ(loadPictureFile(file).pixel(0, 0), QColor(Qt::red).rgb());
  unregisterFileFormat(QStringLiteral("fk1"));
  EXPECT_FALSE(isFileFormatRegistered(QStringLiteral("fk1")));
  EXPECT_EQ(errorOf([&] { loadPictureFile(file); }), "Unsupported file format: FK1");
  EXPECT_EQ(errorOf([] { loadPictureFile(QStringLiteral("x.JPE")); }), "Unsupported file format: JPE");
  EXPECT_EQ(errorOf([] { loadPictureFile(QStringLiteral("/tmp/ordner.png/bild")); }), "Unsupported file format: ");
  EXPECT_EQ(fileExtension(QStringLiteral("C:\\a.b\\c")), QString());
}

TEST(PictureContainer, ChangeHandlerHearsLoads) {
  FakeGraphic g(Qt::green);
  int calls = 0;
  g.setOnChange([&](Graphic& which) {
    EXPECT_EQ(&which, &g);
    ++calls;
  });
  QBuffer buf;
  buf.setData("abc");
  buf.open(QIODevice::ReadOnly);
  g.loadFromStream(buf);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(g.width(), 3);
}

TEST(FileEntryPoints, UnknownExtensionsAreReportedNotGuessed) {
  registerFormats();
  registerFormats();  // a second call registers nothing twice
  QTemporaryDir dir;
  QImage img(4, 4, QImage::Format_RGB32);
  img.fill(Qt::white);
  EXPECT_EQ(errorOf([&] { saveImageFile(img, dir.filePath(QStringLiteral("bild.xyz"))); }),
            "Unsupported file format: XYZ");
  EXPECT_EQ(errorOf([&] { loadImageFile(dir.filePath(QStringLiteral("bild.tga"))); }),
            "Unsupported file format: TGA");
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bild.xyz"))));
}

TEST(FileEntryPoints, SaveLoadAndConvertThroughTheRegistry) {
  useRawLoader();
  QTemporaryDir dir;
  QImage img(3, 2, QImage::Format_ARGB32);
  img.fill(QColor(1, 2, 3));
  const QString a = dir.filePath(QStringLiteral("a.raw"));
  saveImageFile(img, a);
  const QImage back = loadImageFile(a);
  EXPECT_EQ(back.format(), QImage::Format_BGR888);
  EXPECT_EQ(back.pixel(2, 1), qRgb(1, 2, 3));
  const QString b = dir.filePath(QStringLiteral("b.RAW"));
  convertImageFile(a, b);
  QFile fa(a), fb(b);
  ASSERT_TRUE(fa.open(QIODevice::ReadOnly));
  ASSERT_TRUE(fb.open(QIODevice::ReadOnly));
  EXPECT_EQ(fa.readAll(), fb.readAll());
}

TEST(LinearGraphic, StreamsGoThroughTheBmpLoader) {
  registerFormats();
  // A 2 x 1 bitmap file, 24 bits: B, G, R = 10 20 30 and 40 50 60, row padded to 8 bytes.
  QByteArray file(54, '\0');
  file[0] = 'B';
  file[1] = 'M';
  file[10] = 54;
  file[14] = 40;
  file[18] = 2;
  file[22] = 1;
  file[26] = 1;
  file[28] = 24;
  file.append("\x10\x20\x30\x40\x50\x60\0\0", 8);
  QBuffer buf;
  buf.setData(file);
  buf.open(QIODevice::ReadOnly);
  LinearGraphic g;
  int changes = 0;
  g.setOnChange([&](Graphic&) { ++changes; });
  g.loadFromStream(buf);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(g.width(), 2);
  EXPECT_FALSE(g.empty());
  EXPECT_EQ(g.toImage().pixel(1, 0), qRgb(0x60, 0x50, 0x40));
  QImage canvas(4, 2, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter p(&canvas);
  g.draw(p, QRect(0, 0, 4, 2));
  p.end();
  EXPECT_EQ(canvas.pixel(3, 1), qRgb(0x60, 0x50, 0x40));
  g.setWidth(5);
  EXPECT_EQ(g.width(), 5);
  EXPECT_EQ(g.toImage().pixel(4, 0), qRgb(0, 0, 0));
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  g.saveToStream(out);
  EXPECT_EQ(out.data().size(), 54 + 16);  // 5 pixels of 3 bytes, padded to 16
  LinearGraphic copy;
  g.assignTo(copy);
  EXPECT_EQ(copy.width(), 5);
}

TEST(Adapters, LibraryStreamAsDevice) {
  MemStream m;
  m.write("hello", 5);
  m.setPosition(0);
  {
    BrevanStream dev(m);
    EXPECT_FALSE(m.strict());
    char buf[10];
    EXPECT_EQ(dev.read(buf, 10), 5);
    EXPECT_EQ(errorOf([&] { dev.seek(0); }), "Seeking not supported");
  }
  SeekableBrevanStream dev(m);
  EXPECT_EQ(dev.seekFrom(0, 2), 5);
  EXPECT_EQ(dev.seekFrom(-2, 1), 3);
  EXPECT_EQ(errorOf([&] { dev.seekFrom(0, 3); }), "Unknown seek origin");
  dev.setSize(2);  // old position 3 lay behind: it stays at the new end
  EXPECT_EQ(m.getSize(), 2);
  EXPECT_EQ(m.getPosition(), 2);
  dev.seekFrom(1, 0);
  dev.setSize(2);
  EXPECT_EQ(m.getPosition(), 1);
}

TEST(Adapters, DeviceAsLibraryStream) {
  QBuffer buf;
  buf.open(QIODevice::ReadWrite);
  BrevanFilterStream s(buf);
  s.write("abcdef", 6);
  EXPECT_EQ(s.getSize(), 6);
  s.setPosition(2);
  char two[2];
  ASSERT_EQ(s.read(two, 2), 2u);
  EXPECT_EQ(std::string(two, 2), "cd");
  EXPECT_EQ(s.available(), 2);
  s.truncate();
  EXPECT_EQ(buf.data(), QByteArray("abcd"));
  char more[5];
  EXPECT_EQ(errorOf([&] { s.read(more, 5); }), "Read less than expected");
}

TEST(Application, ASilentAbortShowsNothing) {
  MessageRecorder rec;
  struct Thrower : QObject {
    bool silent = true;
    bool event(QEvent* e) override {
      if (e->type() != QEvent::User) return QObject::event(e);
      if (silent) throw SilentAbort();
      throw InOutError("Read less than expected");
    }
  } t;
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(&t, &e);
  EXPECT_TRUE(rec.messages().empty());
  t.silent = false;
  QCoreApplication::sendEvent(&t, &e);
  ASSERT_EQ(rec.messages().size(), 1u);
  EXPECT_EQ(rec.messages()[0].text, QStringLiteral("Read less than expected"));
}

TEST(LinearGraphic, ClipboardBothWays) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  LinearGraphic g;
  g.bitmap().newImage(3, 2, pf8bit);
  std::memcpy(g.bitmap().palette(), grayPalette(), 768);
  g.bitmap().palette()[3 * 7 + 2] = 200;  // entry 7: red 200, green and blue 7
  g.bitmap().clear(7);
  g.saveToClipboardFormat(*clipboard);
  EXPECT_EQ(clipboard->image().size(), QSize(3, 2));
  EXPECT_EQ(clipboard->image().pixel(2, 1), qRgb(200, 7, 7));

  LinearGraphic back;
  int changes = 0;
  back.setOnChange([&](Graphic&) { ++changes; });
  back.loadFromClipboardFormat(*clipboard);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(back.width(), 3);
  EXPECT_EQ(back.toImage().pixel(0, 0), qRgb(200, 7, 7));
  // Text on the clipboard is no picture: refused, the picture kept.
  clipboard->setText(QStringLiteral("kein Bild"));
  EXPECT_EQ(errorOf([&] { back.loadFromClipboardFormat(*clipboard); }), "Unsupported clipboard format");
  EXPECT_EQ(back.width(), 3);
  EXPECT_EQ(changes, 1);
}

TEST(LinearGraphic, SmoothPaintingFiltersWhereDrawingRepeats) {
  LinearGraphic g;
  g.bitmap().newImage(2, 1, pf24bit);
  g.bitmap().clear(0);
  std::memset(g.bitmap().scanLine(0) + 3, 255, 3);  // black, white
  auto painted = [&](bool smooth, bool viaDraw) {
    QImage canvas(40, 4, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    QPainter p(&canvas);
    if (viaDraw)
      g.draw(p, canvas.rect());
    else
      g.paintToCanvas(p, canvas.rect(), smooth);
    EXPECT_FALSE(p.testRenderHint(QPainter::SmoothPixmapTransform));  // the painter's hint is restored
    return canvas;
  };
  const QImage hard = painted(false, false);
  const QImage soft = painted(true, false);
  EXPECT_EQ(painted(false, true), hard);
  int greys = 0;
  for (int x = 0; x < 40; ++x) {
    EXPECT_TRUE(hard.pixel(x, 2) == qRgb(0, 0, 0) || hard.pixel(x, 2) == qRgb(255, 255, 255)) << x;
    const int v = qRed(soft.pixel(x, 2));
    EXPECT_EQ(qGreen(soft.pixel(x, 2)), v) << x;
    if (v > 0 && v < 255) ++greys;
  }
  EXPECT_GE(greys, 10);
  EXPECT_EQ(soft.pixel(0, 2), qRgb(0, 0, 0));
  EXPECT_EQ(soft.pixel(39, 2), qRgb(255, 255, 255));
}
