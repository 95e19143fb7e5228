// giftool as a user runs it: its output formats, files and exit codes.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "gif_test_util.h"

using namespace giftest;

namespace {

struct ToolRun {
  int code;
  QString out;
  QString err;
};

ToolRun giftool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(KOLVEX_GIFTOOL), args);
  p.waitForFinished(60000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void writeBytes(const QString& path, const Bytes& b) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<qint64>(b.size()));
}

Bytes readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray a = f.readAll();
  return Bytes(a.begin(), a.end());
}

}  // namespace

TEST(Giftool, EncodeInfoDecodeAndResave) {
  QTemporaryDir dir;
  const QString d = dir.path();
  writeBytes(d + "/t.rgb", {255, 0, 0, 0, 255, 0, 0, 0, 255});
  const Bytes px = {0, 1, 2, 2, 1, 0};
  writeBytes(d + "/p.idx", px);
  ToolRun r = giftool({"encode", d + "/a.gif", "3", "2", d + "/t.rgb", d + "/p.idx", "--interlace", "--rle"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  r = giftool({"info", d + "/a.gif"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.toStdString(),
            "version 87a\nscreen 3 2\nglobal 0\nbackground 0\n"
            "frame 0 left 0 top 0 width 3 height 2 interlace 1 local 4\n");

  // With extensions: control, loop, comment lines, application.
  Bytes file = readBytes(d + "/a.gif");
  const Bytes ext = {'!', 0xF9, 4, 0x09, 50, 0, 3, 0, '!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.',
                     '0', 3, 1, 2, 0, 0, '!', 0xFE, 3, 'o', 'n', 'e', 3, 't', 'w', 'o', 0, '!', 0xFF, 11, 'A', 'B',
                     'C', 'D', 'E', 'F', 'G', 'H', '1', '2', '3', 0};
  file.insert(file.begin() + 13, ext.begin(), ext.end());
  writeBytes(d + "/b.gif", file);
  r = giftool({"info", d + "/b.gif"});
  EXPECT_EQ(r.out.toStdString(),
            "version 87a\nscreen 3 2\nglobal 0\nbackground 0\n"
            "frame 0 left 0 top 0 width 3 height 2 interlace 1 local 4\n"
            "  gce delay 50 disposal 2 transparent 1 index 3 userinput 0\n"
            "  loop 2\n  comment one\n  comment two\n  app ABCDEFGH123\n");

  ASSERT_EQ(giftool({"decode", d + "/b.gif", d}).code, 0);
  EXPECT_EQ(readBytes(d + "/frame0.idx"), px);
  const Bytes rgba = readBytes(d + "/frame0.rgba");
  ASSERT_EQ(rgba.size(), 24u);
  EXPECT_EQ(Bytes(rgba.begin(), rgba.begin() + 8), (Bytes{255, 0, 0, 255, 0, 255, 0, 255}));

  ASSERT_EQ(giftool({"resave", d + "/b.gif", d + "/c.gif"}).code, 0);
  const Bytes again = readBytes(d + "/c.gif");
  EXPECT_EQ(std::string(again.begin(), again.begin() + 6), "GIF89a");
  EXPECT_EQ(Bytes(again.begin() + 6, again.end()), Bytes(file.begin() + 6, file.end()));
}

TEST(Giftool, ReduceMakesAFrameFromAPpm) {
  QTemporaryDir dir;
  const QString d = dir.path();
  Bytes ppm = {'P', '6', '\n', '2', ' ', '1', '\n', '2', '5', '5', '\n', 10, 20, 30, 200, 100, 0};
  writeBytes(d + "/in.ppm", ppm);
  ASSERT_EQ(giftool({"reduce", d + "/in.ppm", d + "/r.gif", "--method", "7", "--bits", "1"}).code, 0);
  auto l = load(readBytes(d + "/r.gif"));
  const gif::GifSubImage& f = l->file->images().image(0);
  EXPECT_EQ(f.activeColorMap().color(f.pixel(0, 0)), gif::makeColor(10, 20, 30));
  EXPECT_EQ(f.activeColorMap().color(f.pixel(1, 0)), gif::makeColor(200, 100, 0));
  const ToolRun bad = giftool({"reduce", d + "/in.ppm", d + "/r.gif", "--dither", "9"});
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.err.toStdString(), "ERROR: Invalid dither mode\n");
}

TEST(Giftool, WarningsThenTheErrorOnStderrAndExitOne) {
  QTemporaryDir dir;
  const QString d = dir.path();
  Bytes file = encode(GifPlan{});
  file.insert(file.end() - 1, 'X');
  writeBytes(d + "/x.gif", file);
  const ToolRun r = giftool({"info", d + "/x.gif"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_EQ(r.err.toStdString(), "WARNING: Unknown GIF block type\nERROR: Invalid Image trailer\n");
  EXPECT_EQ(giftool({"info"}).code, 1);
  EXPECT_EQ(giftool({"info", d + "/missing.gif"}).code, 1);
  writeBytes(d + "/empty.gif", {});
  EXPECT_EQ(giftool({"info", d + "/empty.gif"}).err.toStdString(), "ERROR: Invalid GIF signature\n");
}

TEST(Giftool, ExportWritesThePlainPictureAndOptimizeTakesOptionBits) {
  QTemporaryDir dir;
  const QString d = dir.path();
  // 4 x 2 picture of three colours.
  QByteArray ppm("P6\n4 2\n255\n");
  const char px[] = {'\xFF', '\xFF', '\xFF', 0, 0, 0, '\xFF', 0, 0, '\xFF', '\xFF', '\xFF',
                     0,      0,      0,      0, 0, 0, '\xFF', 0, 0, '\xFF', '\xFF', '\xFF'};
  ppm.append(px, sizeof px);
  QFile f(d + "/in.ppm");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(ppm);
  f.close();
  ToolRun r = giftool({"export", d + "/in.ppm", d + "/out.gif"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  r = giftool({"info", d + "/out.gif"});
  EXPECT_EQ(r.out.toStdString(),
            "version 87a\nscreen 4 2\nglobal 0\nbackground 0\n"
            "frame 0 left 0 top 0 width 4 height 2 interlace 0 local 256\n");

  // A comment is removed by the clean-up (4) and kept by sorting alone (8).
  Bytes file = readBytes(d + "/out.gif");
  const Bytes comment = {'!', 0xFE, 2, 'h', 'i', 0};
  file.insert(file.begin() + 13, comment.begin(), comment.end());
  writeBytes(d + "/c.gif", file);
  ASSERT_EQ(giftool({"optimize", d + "/c.gif", d + "/sorted.gif", "8"}).code, 0);
  EXPECT_NE(giftool({"info", d + "/sorted.gif"}).out.indexOf("comment hi"), -1);
  ASSERT_EQ(giftool({"optimize", d + "/c.gif", d + "/clean.gif", "4"}).code, 0);
  EXPECT_EQ(giftool({"info", d + "/clean.gif"}).out.indexOf("comment"), -1);
  r = giftool({"optimize", d + "/c.gif", d + "/x.gif", "16x"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.startsWith("ERROR: usage:")) << r.err.toStdString();
}
