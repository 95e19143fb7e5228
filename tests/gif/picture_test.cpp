// The GIF picture as the picture container sees it: settings, frames added and assigned,
// size, palette, loading and saving, the clipboard and the registration.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "gif/optimize.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/gif_image.h"
#include "gif_test_util.h"
#include "imagefile/qt/graphic.h"

using namespace giftest;
using gif::GifImage;

namespace {

QImage solid(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return img;
}

QByteArray bytesOf(GifImage& g) {
  QBuffer b;
  b.open(QIODevice::WriteOnly);
  g.saveToStream(b);
  return b.data();
}

}  // namespace

TEST(GifPicture, DefaultsOfANewPicture) {
  GifImage g;
  EXPECT_EQ(g.drawOptions, 0x060F);
  EXPECT_EQ(g.colorReduction, 6);
  EXPECT_EQ(g.reductionBits, 8);
  EXPECT_EQ(g.ditherMode, 0);
  EXPECT_EQ(g.compression, 0);
  EXPECT_EQ(g.threadPriority, 3);
  EXPECT_EQ(g.animationSpeed, 100);
  EXPECT_EQ(g.forceFrame, -1);
  EXPECT_FALSE(g.drawBackgroundColor.has_value());
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.width(), 0);
  EXPECT_EQ(g.version(), 0);
  EXPECT_TRUE(g.toImage().isNull());
  EXPECT_TRUE(g.equals(g));
  GifImage other;
  EXPECT_FALSE(g.equals(other));
  // Nothing to write: the version comes from the frames.
  try {
    bytesOf(g);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
}

TEST(GifPicture, AddTakesImagesPicturesAndFramesAndRefusesTheRest) {
  GifImage g;
  int changes = 0;
  g.setOnChange([&](imagefile::Graphic&) { ++changes; });
  EXPECT_EQ(g.add(solid(6, 4, Qt::red)), 0);
  EXPECT_EQ(g.width(), 6);
  EXPECT_EQ(g.height(), 4);
  EXPECT_GT(changes, 0);

  GifImage source;
  source.add(solid(3, 3, Qt::blue));
  EXPECT_EQ(g.add(static_cast<const imagefile::Graphic&>(source)), 1);
  EXPECT_EQ(g.file().images().image(1).width(), 3);

  gif::GifFile foreign;
  gif::GifSubImage& f = addFrame(foreign);
  f.colorMap().importColors({gif::makeColor(1, 2, 3), gif::makeColor(4, 5, 6)});
  f.setBounds(0, 0, 2, 1);
  f.mutableData() = {1, 0};
  auto moved = std::make_unique<gif::GifSubImage>(&foreign);
  moved->assign(f);
  EXPECT_EQ(g.add(std::move(moved)), 2);
  EXPECT_EQ(g.file().images().image(2).picture(), &g.file());
  EXPECT_EQ(g.file().images().image(2).data(), (Bytes{1, 0}));

  try {
    g.add(QStringList{"eins"});
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Object type not supported for operation");
  }
  EXPECT_EQ(g.file().images().count(), 3);
  EXPECT_EQ(g.version(), 1);
}

TEST(GifPicture, AssignCopiesTheSettingsItShouldAndKeepsOwnHandlers) {
  GifImage source;
  source.add(solid(4, 4, Qt::green));
  source.add(solid(2, 2, Qt::red));
  source.drawOptions = 0x0003;
  source.colorReduction = 7;
  source.ditherMode = 2;
  source.forceFrame = 1;
  source.threadPriority = 5;
  source.drawBackgroundColor = QColor(Qt::yellow);
  source.reductionBits = 4;
  source.compression = 1;
  source.animationSpeed = 50;
  std::vector<std::pair<gif::ProgressStage, int>> seenBySource;
  source.onProgress = [&](GifImage&, gif::ProgressStage s, int p, const std::string& t) {
    if (t == "Copying...") seenBySource.emplace_back(s, p);
  };

  GifImage dest;
  int ownReports = 0;
  dest.onProgress = [&](GifImage&, gif::ProgressStage, int, const std::string&) { ++ownReports; };
  dest.assign(source);
  EXPECT_EQ(dest.file().images().count(), 2);
  EXPECT_EQ(dest.width(), 4);
  EXPECT_EQ(dest.drawOptions, 0x0003);
  EXPECT_EQ(dest.colorReduction, 7);
  EXPECT_EQ(dest.ditherMode, 2);
  EXPECT_EQ(dest.forceFrame, 1);
  EXPECT_EQ(dest.threadPriority, 5);
  EXPECT_EQ(dest.drawBackgroundColor, QColor(Qt::yellow));
  EXPECT_EQ(dest.reductionBits, 8) << "not copied";
  EXPECT_EQ(dest.compression, 0) << "not copied";
  EXPECT_EQ(dest.animationSpeed, 100) << "not copied";
  EXPECT_EQ(seenBySource, (std::vector<std::pair<gif::ProgressStage, int>>{
                              {gif::ProgressStage::Starting, 0},
                              {gif::ProgressStage::Running, 50},
                              {gif::ProgressStage::Running, 100},
                              {gif::ProgressStage::Ending, 100}}));
  ASSERT_TRUE(dest.onProgress) << "the destination's own handler stays";
  const int before = ownReports;
  bytesOf(dest);
  EXPECT_GT(ownReports, before);

  // From another picture of the container, and to an image: white where the frame is not.
  dest.assign(static_cast<const imagefile::Graphic&>(source));
  EXPECT_EQ(dest.file().images().count(), 2);
  GifImage fromImage;
  fromImage.assign(solid(5, 5, Qt::blue));
  EXPECT_EQ(fromImage.file().images().count(), 1);
  fromImage.assign(nullptr);
  EXPECT_TRUE(fromImage.empty());

  GifImage offset;
  offset.add(solid(2, 2, Qt::black));
  offset.file().images().image(0).setBoundsValue(1, 3);
  offset.file().images().image(0).setBoundsValue(2, 1);
  const QImage look = offset.toImage();
  ASSERT_EQ(look.size(), QSize(5, 3));
  EXPECT_EQ(look.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(look.pixel(3, 1), qRgb(0, 0, 0));
  EXPECT_EQ(look.pixel(4, 2), qRgb(0, 0, 0));
}

TEST(GifPicture, SizeSettersRefuseToCutFrames) {
  GifImage g;
  g.add(solid(4, 3, Qt::red));
  int changes = 0;
  g.setOnChange([&](imagefile::Graphic&) { ++changes; });
  try {
    g.setWidth(3);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Image width too small for contained frames");
  }
  EXPECT_EQ(g.width(), 4);
  try {
    g.setHeight(2);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Image height too small for contained frames");
  }
  EXPECT_EQ(changes, 0);
  g.setWidth(10);
  g.setHeight(7);
  EXPECT_EQ(g.width(), 10);
  EXPECT_EQ(g.height(), 7);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(g.toImage().size(), QSize(10, 7));
  g.setWidth(10);
  EXPECT_EQ(changes, 2) << "an unchanged value notifies nobody";
}

TEST(GifPicture, PaletteFollowsTheDitherSettingAndTheGlobalTable) {
  GifImage g;
  g.file().globalColorMap().importColors({gif::makeColor(9, 8, 7), gif::makeColor(1, 1, 1)});
  g.drawOptions = gif::drawDither;  // dithered on any display
  EXPECT_EQ(g.palette().size(), 216);
  GifImage h;
  h.drawOptions = 0;
  h.file().globalColorMap().importColors({gif::makeColor(9, 8, 7), gif::makeColor(1, 1, 1)});
  EXPECT_EQ(h.palette(), (QVector<QRgb>{qRgb(9, 8, 7), qRgb(1, 1, 1)}));
  h.setPalette({qRgb(0, 0, 0)});
  EXPECT_EQ(h.palette(), QVector<QRgb>{qRgb(0, 0, 0)});
  h.clear();
  EXPECT_TRUE(h.palette().isEmpty());
}

TEST(GifPicture, LoadingFaultsLeaveTheDeviceWhereThePictureBegan) {
  GifPlan s;
  s.width = 2;
  s.height = 1;
  s.pixels = {0, 1};
  Bytes file = encode(s);
  // Two bytes of something else before the picture: the position to return to.
  QByteArray data("xx");
  data.append(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size() - 1));  // no trailer
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  buffer.seek(2);
  GifImage g;
  try {
    g.loadFromStream(buffer);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Invalid Image trailer");
  }
  EXPECT_EQ(buffer.pos(), 2);

  // A stray byte between frames ends the list with a warning, then the trailer fails.
  Bytes stray = file;
  stray.insert(stray.end() - 1, 0x42);
  QByteArray d2(reinterpret_cast<const char*>(stray.data()), static_cast<qsizetype>(stray.size()));
  QBuffer b2(&d2);
  b2.open(QIODevice::ReadOnly);
  std::vector<std::string> warnings;
  g.onWarning = [&](GifImage&, int, const std::string& m) { warnings.push_back(m); };
  EXPECT_THROW(g.loadFromStream(b2), gif::GifException);
  EXPECT_EQ(warnings, std::vector<std::string>{"Unknown GIF block type"});

  QByteArray good(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
  QBuffer b3(&good);
  b3.open(QIODevice::ReadOnly);
  g.loadFromStream(b3);
  EXPECT_EQ(g.width(), 2);
  EXPECT_EQ(bytesOf(g), good);
}

TEST(GifPicture, AScreenItsFramesDoNotCoverIsRefusedBeforeItsBuffersAreMade) {
  auto loadBytes = [](GifImage& g, const Bytes& file) {
    QByteArray data(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const std::string error = errorOf([&] { g.loadFromStream(buffer); });
    EXPECT_EQ(buffer.pos(), error == "(no error)" ? buffer.size() : 0);
    return error;
  };
  const Bytes one = onePixelData();
  // One pixel on a 16000 x 16000 screen would be composed into a gigabyte.
  GifImage g;
  EXPECT_EQ(loadBytes(g, screenFile(16000, 16000, {{1, 1, one}})), "Image dimensions too large");
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(g.width(), 0);
  // Up to 4096 x 4096 a screen needs no frame to back it; beyond, its frames cover it.
  EXPECT_EQ(loadBytes(g, screenFile(4096, 4096, {{1, 1, one}})), "(no error)");
  EXPECT_EQ(loadBytes(g, screenFile(4091, 4104, {{4091, 4104, longestStrings(2058)}})), "(no error)");
  EXPECT_EQ(g.height(), 4104);
  EXPECT_EQ(loadBytes(g, screenFile(4091, 4104, {{4091, 2052, longestStrings(6)}})), "Image dimensions too large");
}

TEST(GifPicture, ClipboardCarriesTheGifAndTheFirstFrame) {
  GifImage g;
  EXPECT_EQ(g.toMimeData(), nullptr);
  g.add(solid(3, 2, Qt::red));
  std::unique_ptr<QMimeData> data = g.toMimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasFormat("image/gif"));
  EXPECT_TRUE(data->data("image/gif").startsWith("GIF87a"));
  ASSERT_TRUE(data->hasImage());
  EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).pixel(2, 1), qRgb(255, 0, 0));

  GifImage back;
  back.loadFromMimeData(*data);
  EXPECT_EQ(bytesOf(back), bytesOf(g));

  QMimeData imageOnly;
  imageOnly.setImageData(solid(4, 4, Qt::blue));
  back.loadFromMimeData(imageOnly);
  EXPECT_EQ(back.width(), 4);

  QMimeData text;
  text.setText("kein Bild");
  try {
    back.loadFromMimeData(text);
    FAIL();
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Format der Zwischenablage wird nicht unterstützt");
  }

  g.copyToClipboard();
  GifImage pasted;
  pasted.pasteFromClipboard();
  EXPECT_EQ(pasted.width(), 3);
}

TEST(GifPicture, RegisteredWithThePictureContainer) {
  gif::registerFormats();
  gif::registerFormats();
  EXPECT_EQ(imagefile::fileFormatDescription("gif"), "GIF Image");
  EXPECT_EQ(imagefile::registeredFileFormats().count("GIF"), 1);
  QTemporaryDir dir;
  const QString name = dir.path() + "/a.Gif";
  {
    GifImage g;
    g.add(solid(7, 5, Qt::green));
    g.saveToFile(name);
  }
  std::unique_ptr<imagefile::Graphic> loaded = imagefile::createGraphicFor(name);
  ASSERT_NE(dynamic_cast<GifImage*>(loaded.get()), nullptr);
  loaded->loadFromFile(name);
  EXPECT_EQ(loaded->width(), 7);
  EXPECT_EQ(loaded->toImage().pixel(6, 4), qRgb(0, 255, 0));
}

TEST(GifPicture, OptimiseStopsPaintersAndKeepsTheHandlersInformed) {
  GifImage g;
  g.colorReduction = gif::rdOctreeSystem;
  g.add(solid(5, 5, Qt::white));
  auto loop = std::make_unique<gif::GifAppExtNSLoop>(&g.file().images().image(0));
  g.file().images().image(0).extensions().add(std::move(loop));
  std::vector<int> ends;
  g.onProgress = [&](GifImage&, gif::ProgressStage s, int p, const std::string& t) {
    if (s == gif::ProgressStage::Ending && t == "Optimizing...") ends.push_back(p);
  };
  g.optimize(gif::optCleanup, 0, 0, 8);
  EXPECT_EQ(g.file().images().image(0).extensions().count(), 0);
  EXPECT_EQ(bytesOf(g).left(6), "GIF87a");
  EXPECT_THROW(g.optimize(gif::optReduceColors, 9, 0, 8), gif::GifException);
  EXPECT_EQ(ends, (std::vector<int>{100, 0}));
}
