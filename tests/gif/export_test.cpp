// The data graph's GIF export: the file's bytes and blocks, what giflib reads back from it,
// and that a failed save leaves an existing file as it was.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/platte_voll.h"
#include "gif/extensions.h"
#include "gif/gif_file.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/gif_bitmap.h"
#include "gif/qt/gif_export.h"
#include "imagefile/errors.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray a = f.readAll();
  return Bytes(a.begin(), a.end());
}

void writeBytes(const QString& path, const QByteArray& b) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(b);
}

// giflib's view of a one-frame file: the frame's pixels as colours.
struct Decoded {
  int frames = 0, left = -1, top = -1, width = 0, height = 0, localColors = 0, extensionBlocks = 0;
  std::vector<QRgb> rgb;
  std::vector<QRgb> table;
};

int readInput(GifFileType* gif, GifByteType* buf, int n) {
  auto* in = static_cast<std::pair<const Bytes*, size_t>*>(gif->UserData);
  const size_t k = std::min(static_cast<size_t>(n), in->first->size() - in->second);
  std::memcpy(buf, in->first->data() + in->second, k);
  in->second += k;
  return static_cast<int>(k);
}

Decoded decodeWithGiflib(const Bytes& bytes) {
  Decoded d;
  std::pair<const Bytes*, size_t> in{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&in, readInput, &error);
  if (!gif) return d;
  if (DGifSlurp(gif) == GIF_OK) {
    d.frames = gif->ImageCount;
    if (d.frames > 0) {
      const SavedImage& s = gif->SavedImages[0];
      d.left = s.ImageDesc.Left;
      d.top = s.ImageDesc.Top;
      d.width = s.ImageDesc.Width;
      d.height = s.ImageDesc.Height;
      d.extensionBlocks = s.ExtensionBlockCount;
      const ColorMapObject* map = s.ImageDesc.ColorMap;
      d.localColors = map ? map->ColorCount : 0;
      for (int i = 0; map && i < map->ColorCount; ++i)
        d.table.push_back(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
      for (int i = 0; i < d.width * d.height; ++i) d.rgb.push_back(d.table.at(s.RasterBits[i]));
    }
  }
  DGifCloseFile(gif, &error);
  return d;
}

// A capture of few colours, as the data graph shows it: white ground, axes, curves.
QImage capture(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.fillRect(0, h / 2, w, 1, QColor(0, 0, 0));
  p.fillRect(5, 3, 9, 7, QColor(255, 0, 0));
  p.fillRect(w - 12, h - 9, 8, 6, QColor(0x12, 0x34, 0x56));
  p.fillRect(0, 0, 3, h, QColor(128, 128, 128));
  return img;
}

// Hidden files too: a left-over temporary file may be one.
QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

TEST(GifExport, FileIsPlain87aWithOneLocallyColouredFrame) {
  const QImage img = capture(61, 37);
  QTemporaryDir dir;
  const QString name = dir.path() + "/bild.gif";
  gif::saveSingleFrameGif(img, name);
  const Bytes b = readBytes(name);
  ASSERT_GT(b.size(), 13u + 10u + 768u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
  EXPECT_EQ(b[6] | (b[7] << 8), 61);
  EXPECT_EQ(b[8] | (b[9] << 8), 37);
  EXPECT_EQ(b[10] & 0x80, 0) << "no global colour table";
  // The image descriptor follows the screen descriptor at once: no extension at all.
  ASSERT_EQ(b[13], 0x2C);
  EXPECT_EQ(Bytes(b.begin() + 14, b.begin() + 22), (Bytes{0, 0, 0, 0, 61, 0, 37, 0}));
  EXPECT_EQ(b[22], 0x87) << "local table of 256 entries, not interlaced";
  EXPECT_EQ(b.back(), 0x3B);

  const Decoded d = decodeWithGiflib(b);
  ASSERT_EQ(d.frames, 1);
  EXPECT_EQ(d.left, 0);
  EXPECT_EQ(d.top, 0);
  EXPECT_EQ(d.localColors, 256);
  EXPECT_EQ(d.extensionBlocks, 0);
  ASSERT_EQ(d.rgb.size(), 61u * 37u);
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 61; ++x)
      ASSERT_EQ(d.rgb[static_cast<size_t>(y * 61 + x)] | 0xFF000000u, img.pixel(x, y)) << x << "," << y;
  EXPECT_EQ(entries(dir.path()), QStringList{"bild.gif"}) << "no temporary file left";
}

TEST(GifExport, PhotoTableKeepsTheSystemColours) {
  QImage img(128, 96, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 2, y * 2 + 40, (x * y) & 0xFF));
  const Decoded d = decodeWithGiflib(gif::singleFrameGifBytes(img));
  ASSERT_EQ(d.localColors, 256);
  for (gif::ColorValue c : gif::systemColors())
    EXPECT_NE(std::find(d.table.begin(), d.table.end(), gif::toQRgb(c)), d.table.end()) << std::hex << c;
}

TEST(GifExport, FrameCarriesLoopAndControlExtensionsUntilTheCleanup) {
  QImage img = capture(20, 10);
  img.setPixel(0, 9, qRgb(0x12, 0x34, 0x56));
  gif::GifFile file;
  ASSERT_EQ(gif::addExportFrame(file, img, gif::rdOctreeSystem), 0);
  const gif::GifSubImage& f = file.images().image(0);
  ASSERT_EQ(f.extensions().count(), 2);
  auto* loop = dynamic_cast<gif::GifAppExtNSLoop*>(&f.extensions().at(0));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->loops(), 0);
  const gif::GifGraphicControlExtension* g = f.graphicControlExtension();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->delay(), 100);
  EXPECT_FALSE(g->transparent());
  EXPECT_EQ(g->disposal(), 0);
  EXPECT_EQ(g->transparentColorIndex(), f.pixel(0, 9));
  EXPECT_EQ(f.activeColorMap().color(f.pixel(0, 9)), gif::makeColor(0x12, 0x34, 0x56));
  // A second frame gets no looping extension of its own.
  ASSERT_EQ(gif::addExportFrame(file, img, gif::rdOctreeSystem), 1);
  EXPECT_EQ(file.images().image(1).extensions().count(), 1);
}

TEST(GifExport, FailedSaveKeepsTheExistingFileAndSaysWhy) {
  QTemporaryDir dir;
  const QString name = dir.path() + "/alt.gif";
  writeBytes(name, "old picture");
  // Nothing to write: no frame survives, so the file model refuses to save.
  EXPECT_THROW(gif::saveSingleFrameGif(QImage(), name), gif::GifException);
  EXPECT_EQ(readBytes(name), Bytes({'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
  EXPECT_EQ(entries(dir.path()), QStringList{"alt.gif"});

  // A picture too wide for the file's 16-bit sides fails while its frame is made: the old
  // file stays, no temporary file is left.
  try {
    gif::saveSingleFrameGif(QImage(70000, 1, QImage::Format_RGB32), name);
    FAIL() << "a side beyond 65535 was written";
  } catch (const gif::GifException& e) {
    EXPECT_STREQ(e.what(), "Invalid image dimensions");
  }
  EXPECT_EQ(readBytes(name).size(), 11u);
  EXPECT_EQ(entries(dir.path()), QStringList{"alt.gif"});

  const QString missing = dir.path() + "/fehlt/bild.gif";
  try {
    gif::saveSingleFrameGif(capture(8, 8), missing);
    FAIL() << "saved into a missing folder";
  } catch (const imagefile::InOutError& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Error opening \"" + missing.toStdString() + "\" - ", 0), 0u) << text;
    EXPECT_GT(text.size(), missing.size() + 20) << "the system's reason follows";
  }
}

TEST(GifExport, DiskFullInTheMiddleNamesTheSystemsReason) {
  QTemporaryDir dir;
  const QString name = dir.path() + "/alt.gif";
  writeBytes(name, "old picture");
  QImage rauschen(300, 200, QImage::Format_RGB32);
  uint32_t z = 12345;
  for (int y = 0; y < rauschen.height(); ++y)
    for (int x = 0; x < rauschen.width(); ++x) rauschen.setPixel(x, y, (z = z * 1103515245u + 12345u) >> 8);
  // A file size limit stops the write part of the way, as a disk that fills up does.
  std::string text;
  {
    const PlatteVoll voll(4096);
    ASSERT_TRUE(voll.ok());
    try {
      gif::saveSingleFrameGif(rauschen, name);
    } catch (const imagefile::InOutError& e) {
      text = e.what();
    }
  }
  EXPECT_EQ(text, "Error closing \"" + name.toStdString() + "\" - " + std::strerror(EFBIG));
  EXPECT_EQ(readBytes(name).size(), 11u);
  EXPECT_EQ(entries(dir.path()), QStringList{"alt.gif"});
}

TEST(GifExport, ReplacingAFileKeepsItsPermissions) {
  QTemporaryDir dir;
  const QString name = dir.path() + "/bild.GIF";
  writeBytes(name, "old");
  QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                  QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup);
  const QFileDevice::Permissions before = QFile::permissions(name);
  gif::saveSingleFrameGif(capture(9, 9), name);
  const Bytes written = readBytes(name);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 6), "GIF87a");
  EXPECT_EQ(QFile::permissions(name), before);
  EXPECT_EQ(entries(dir.path()), QStringList{"bild.GIF"});

  const QString fresh = dir.path() + "/neu.gif";
  gif::saveSingleFrameGif(capture(9, 9), fresh);
  EXPECT_TRUE(QFile::permissions(fresh) & QFileDevice::ReadOther) << "not the temporary file's owner-only mode";
}
