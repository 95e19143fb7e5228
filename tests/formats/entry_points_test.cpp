// The formats behind the library's entry points: registration order, a widget capture saved
// under every extension and reopened by the viewer's container, and the icon selection window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <zlib.h>

#include "imagefile/hips_loader.h"
#include "imagefile/ico_loader.h"
#include "imagefile/jpeg_loader.h"
#include "imagefile/metafile.h"
#include "imagefile/pcx_loader.h"
#include "imagefile/png_loader.h"
#include "imagefile/bmp_loader.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/icon_selection_form.h"
#include "imagefile/qt/image_io.h"
#include "imagefile/qt/panels.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

// A small window with a chart-like drawing, as the export captures it.
QImage capture(int w, int h) {
  QLabel label;
  LinearBitmap chart;
  chartLike(chart, w, h);
  QImage img(chart.map(), w, h, static_cast<int>(chart.bytesPerLine()), QImage::Format_BGR888);
  label.setPixmap(QPixmap::fromImage(img.copy()));
  label.resize(w, h);
  return label.grab().toImage();
}

double psnr(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 0;
  double se = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      se += std::pow(qRed(p) - qRed(q), 2) + std::pow(qGreen(p) - qGreen(q), 2) + std::pow(qBlue(p) - qBlue(q), 2);
    }
  if (se == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * 3 * a.width() * a.height() / se);
}

// A PNG file of ours with its header changed (bytes from offset 8 of the header chunk's
// data on) and the chunk's CRC made right again.
Bytes withPngHeader(Bytes png, std::size_t at, const Bytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), png.begin() + 16 + static_cast<std::ptrdiff_t>(at));
  const std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, &png[12], 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return png;
}

}  // namespace

TEST(Registration, BrokenPngHeadersAreRefusedOnBothRoads) {
  registerFormats();
  QTemporaryDir dir;
  const QString good = dir.filePath("gut.png");
  saveImageFile(capture(40, 30), good);
  const Bytes png = readFile(good.toStdString());
  struct Case {
    const char* name;
    Bytes file;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"compression.png", withPngHeader(png, 10, {1}), "Unsupported PNG data"},
      // The picture's data of a few hundred bytes under a header of 26000 x 26000.
      {"riesig.png", withPngHeader(png, 0, {0, 0, 0x65, 0x90, 0, 0, 0x65, 0x90}), "Invalid PNG data"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString name = dir.filePath(c.name);
    writeFile(name.toStdString(), c.file);
    EXPECT_EQ(errorOf([&] { (void)loadImageFile(name); }), c.error);
    EXPECT_EQ(errorOf([&] { (void)loadPictureFile(name); }), c.error);
  }
  EXPECT_EQ(errorOf([&] { (void)loadPictureFile(good); }), "(no error)");
}

TEST(Registration, LoadersAndPictureClassesInTheirOrder) {
  registerFormats();
  const auto& loaders = registeredLoaders();
  ASSERT_GE(loaders.size(), 8u);
  EXPECT_EQ(loaders[1], &icoLoader());
  EXPECT_EQ(loaders[2], &jpegLoader());
  EXPECT_EQ(loaders[3], &pngLoader());
  EXPECT_EQ(loaders[4], &hipsLoader());
  EXPECT_EQ(loaders[5], &bmpLoader());
  EXPECT_EQ(loaders[6], &pcxLoader());
  EXPECT_EQ(loaders[7], &wmfLoader());
  const QStringList formats = registeredFileFormats();
  const QStringList expected = {"ICO", "WMF", "EMF", "JPG", "JPEG", "CUR", "BMP", "PCX", "PNG", "MNG", "HIP", "HIPS"};
  ASSERT_GE(formats.size(), expected.size());
  EXPECT_EQ(formats.mid(0, static_cast<int>(expected.size())), expected);
  EXPECT_EQ(fileFormatDescription("cur"), "Windows cursors");
  EXPECT_EQ(fileFormatDescription(".hips"), "HIPS image");
  EXPECT_EQ(getSaver("JPEG").getSaveFilter(), "Joint Picture Expert Group (*.jpg)|*.jpg");
  EXPECT_FALSE(hipsLoader().canSave("HIP"));
}

TEST(Registration, CaptureSavedUnderEveryExtensionReopens) {
  registerFormats();
  // Icons and cursors: the first image and the usual colour, as the selection offers them.
  IconSelectionForm::runHook() = [](IconSelectionForm&) { return static_cast<int>(QDialog::Accepted); };
  QTemporaryDir dir;
  const QImage small = capture(120, 80);
  for (const char* ext : {"bmp", "png", "mng", "pcx", "jpg", "jpeg", "emf", "wmf", "ico", "cur"}) {
    SCOPED_TRACE(ext);
    const QString name = dir.filePath(QString("bild.") + ext);
    ASSERT_EQ(errorOf([&] { saveImageFile(small, name); }), "(no error)");
    QImage viewer;
    ASSERT_EQ(errorOf([&] { viewer = loadPictureFile(name); }), "(no error)");
    QImage loaded;
    ASSERT_EQ(errorOf([&] { loaded = loadImageFile(name); }), "(no error)");
    ASSERT_EQ(viewer.size(), small.size());
    ASSERT_EQ(loaded.size(), small.size());
    const bool lossy = std::string(ext).rfind("jp", 0) == 0;
    if (lossy) {
      // Thin coloured lines lose some colour to the halved chroma resolution.
      EXPECT_GE(psnr(viewer, small), 25);
    } else {
      EXPECT_EQ(psnr(viewer.convertToFormat(QImage::Format_RGB32), small.convertToFormat(QImage::Format_RGB32)), 99);
      EXPECT_EQ(psnr(loaded.convertToFormat(QImage::Format_RGB32), small.convertToFormat(QImage::Format_RGB32)), 99);
    }
  }
  IconSelectionForm::runHook() = nullptr;
  // Converted from one format to the next, pixels kept.
  const QString a = dir.filePath("a.png"), b = dir.filePath("b.pcx"), c = dir.filePath("c.bmp");
  saveImageFile(small, a);
  convertImageFile(a, b);
  convertImageFile(b, c);
  EXPECT_EQ(psnr(loadImageFile(c).convertToFormat(QImage::Format_RGB32), small.convertToFormat(QImage::Format_RGB32)), 99);
  // HIPS is read only.
  EXPECT_EQ(errorOf([&] { saveImageFile(small, dir.filePath("x.hips")); }), "Unsupported file format: HIPS");
}

TEST(IconSelection, PicksImageAndColourOrCancels) {
  registerFormats();
  // Two images: 16 x 16 at 4 bits, 32 x 32 at 24 bits, both with a transparent corner.
  IconList list;
  list.kind = IconList::kIcon;
  for (int k = 0; k < 2; ++k) {
    IconImage& im = list.addImage(16 * (k + 1), 16 * (k + 1), k == 0 ? 4 : 24);
    for (std::size_t i = 0; i < im.xorBits.size(); ++i) im.xorBits[i] = static_cast<std::uint8_t>(i * 37);
    for (int i = 0; i < im.colorCount(); ++i) {
      im.palette[4 * static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 16);
      im.palette[4 * static_cast<std::size_t>(i) + 2] = 200;
    }
    im.andMask[0] = 0xF0;
  }
  MemStream m;
  list.saveToStream(m);
  QTemporaryDir dir;
  const QString name = dir.filePath("zwei.ico");
  writeFile(name.toStdString(), m.bytes());

  int shown = 0;
  IconSelectionForm::colorHook() = [](const QColor&) { return QColor(0x12, 0x34, 0x56); };
  IconSelectionForm::runHook() = [&](IconSelectionForm& f) {
    ++shown;
    EXPECT_EQ(f.windowTitle(), "Select icon to import from file");
    EXPECT_EQ(f.SelectBox->count(), 2);
    EXPECT_EQ(f.SelectBox->item(0)->text(), "Icon 16 x 16 4 bit");
    EXPECT_EQ(f.SelectBox->item(1)->text(), "Icon 32 x 32 24 bit");
    // The first time the usual colour, then the one the user chose last.
    EXPECT_EQ(f.ColorLabel->text(), shown == 1 ? "$ff00ff" : "$563412");
    EXPECT_GE(f.PreviewPanel->width(), 193);
    EXPECT_GE(f.PreviewPanel->height(), 73);
    f.SelectBox->setCurrentRow(1);
    QTest::mouseClick(f.ColorPanel, Qt::LeftButton);
    EXPECT_EQ(f.ColorLabel->text(), "$563412");
    f.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.grab().save(QString::fromStdString(tempPath("icon_selection.png")));
    QTest::mouseClick(f.OkButton, Qt::LeftButton);
    return f.result();
  };
  const QImage img = loadImageFile(name);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(img.width(), 32);
  EXPECT_EQ(img.pixel(0, 31), qRgb(0x12, 0x34, 0x56));  // transparent corner in the chosen colour
  EXPECT_NE(img.pixel(0, 0), qRgb(0x12, 0x34, 0x56));
  LinearBitmap direct;
  EXPECT_EQ(loadWith(icoLoader(), readFile(name.toStdString()), direct, IcoLoadOptions{}).transparentColor, 0x563412u);
  EXPECT_EQ(shown, 2);

  IconSelectionForm::runHook() = [](IconSelectionForm& f) {
    QTest::mouseClick(f.CancelButton, Qt::LeftButton);
    return f.result();
  };
  EXPECT_THROW(loadImageFile(name), SilentAbort);
  IconSelectionForm::runHook() = nullptr;
  IconSelectionForm::colorHook() = nullptr;

  // The viewer's icon class shows the first image, transparent where the mask says.
  const QImage viewer = loadPictureFile(name);
  EXPECT_EQ(viewer.width(), 16);
  EXPECT_EQ(qAlpha(viewer.pixel(0, 15)), 0);
  EXPECT_EQ(qAlpha(viewer.pixel(5, 15)), 255);
}
