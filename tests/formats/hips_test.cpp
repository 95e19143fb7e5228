// HIPS files of both header layouts built by hand, and the text stream's line ends.
#include <gtest/gtest.h>

#include <cmath>

#include "imagefile/hips_loader.h"
#include "imagefile/text_stream.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

std::vector<std::string> lines(const std::string& text, int bufSize) {
  SpanStream s(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  TextStream t(bufSize, &s, 0);
  std::vector<std::string> out;
  std::string l;
  for (;;) {
    try {
      t.readLine(l);
    } catch (const InOutError& e) {
      EXPECT_EQ(std::string(e.what()), "Error reading from stream - Read less than expected");
      break;
    }
    out.push_back(l);
  }
  return out;
}

// A newer-layout header (rows equal to the original rows), then the samples.
Bytes newer(int rows, int cols, int format, int planes, const Bytes& samples, const std::string& nl = "\n",
            int binary = 0) {
  std::string h = "HIPS" + nl + "orig" + nl + "seq name" + nl + "1" + nl + "date" + nl + std::to_string(rows) + nl +
                  std::to_string(cols) + nl + std::to_string(rows) + nl + std::to_string(cols) + nl + "0" + nl + "0" +
                  nl + std::to_string(format) + nl + std::to_string(planes) + nl + std::to_string(4 + nl.size()) + nl + "hist" + nl + "0" + nl +
                  "2" + nl + "p1" + nl + "p2" + nl + std::to_string(binary) + nl + std::string(static_cast<std::size_t>(binary), '\x7F');
  Bytes b(h.begin(), h.end());
  b.insert(b.end(), samples.begin(), samples.end());
  return b;
}

void putReal(Bytes& b, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  b.insert(b.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                     static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

std::string loadError(const Bytes& f, LinearBitmap& bm) {
  return errorOf([&] { load(hipsLoader(), f, bm, "HIP"); });
}

}  // namespace

TEST(TextStreamLines, EveryLineEndAndSplitPairs) {
  const std::vector<std::string> ab = {"a", "b"};
  for (int buf : {-1, 1, 2, 3}) {
    EXPECT_EQ(lines("a\r\nb\r\n", buf), ab) << buf;
    EXPECT_EQ(lines("a\nb\n", buf), ab) << buf;
    EXPECT_EQ(lines("a\rb\r", buf), ab) << buf;
    EXPECT_EQ(lines("a\r\nb", buf), ab) << buf;
  }
  EXPECT_EQ(lines("x\n\ny\n", -1), (std::vector<std::string>{"x", "", "y"}));
  SpanStream s(reinterpret_cast<const std::uint8_t*>("q"), 1);
  TextStream noBuffer(0, &s, 0);
  std::string l;
  EXPECT_EQ(errorOf([&] { noBuffer.readLine(l); }), "Cannot read from stream");
  MemStream m;
  {
    TextStream w(0, &m, -1);
    w.writeLine("one");
    w.write(std::string("two"));
    EXPECT_EQ(w.lineCount, 1);
  }
  const Bytes written = m.bytes();
  EXPECT_EQ(std::string(written.begin(), written.end()), "one\r\ntwo");
}

TEST(Hips, NewerLayoutEveryPixelFormat) {
  LinearBitmap bm;
  // Grey bytes, CR LF header, with a binary parameter area to skip.
  ASSERT_EQ(loadError(newer(2, 3, 0, 1, {1, 2, 3, 4, 5, 6}, "\r\n", 5), bm), "(no error)");
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_TRUE(bm.isGrayScale());
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 6), (Bytes{1, 2, 3, 4, 5, 6}));
  // RGB bytes.
  ASSERT_EQ(loadError(newer(1, 2, 35, 1, {10, 20, 30, 40, 50, 60}), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 6), (Bytes{30, 20, 10, 60, 50, 40}));
  // Format 37: 0, R, G, B per pixel.
  ASSERT_EQ(loadError(newer(1, 2, 37, 1, {0, 10, 20, 30, 0, 40, 50, 60}), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 6), (Bytes{30, 20, 10, 60, 50, 40}));
  // Reals, big-endian, rounded (halves to even) and clamped: one plane grey, three planes
  // R, G, B.
  Bytes reals;
  for (float f : {-3.0f, 0.5f, 1.5f, 254.6f, 300.0f, 77.2f}) putReal(reals, f);
  ASSERT_EQ(loadError(newer(2, 3, 3, 1, reals), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 6), (Bytes{0, 0, 2, 255, 255, 77}));
  Bytes planes;
  for (int p = 0; p < 3; ++p)
    for (int i = 0; i < 2; ++i) putReal(planes, static_cast<float>(10 * p + i));
  ASSERT_EQ(loadError(newer(1, 2, 3, 3, planes), bm), "(no error)");
  EXPECT_EQ(bm.pixelFormat(), pf24bit);
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 6), (Bytes{20, 10, 0, 21, 11, 1}));
  EXPECT_EQ(loadError(newer(1, 2, 1, 1, {1, 2}), bm), "Unsupported bitmap format");
  EXPECT_EQ(loadError(newer(2, 2000000000, 3, 1, {}), bm), "Invalid bitmap size");  // before any buffer
  EXPECT_EQ(loadError(newer(70000, 70000, 0, 1, {}), bm), "Invalid bitmap size");
  EXPECT_EQ(loadError(newer(2, 3, 0, 1, {1, 2, 3}), bm), "Read less than expected");
  EXPECT_EQ(loadError(Bytes{'H', 'I', '\n'}, bm), "Error reading from stream - Read less than expected");
}

TEST(Hips, OlderLayoutAndPlaneQuestion) {
  LinearBitmap bm;
  const std::string head = "orig\nseq\n3\ndate\n2\n2\n8\na\nb\nc\nd\n";
  Bytes f(head.begin(), head.end());
  for (int i = 0; i < 12; ++i) f.push_back(static_cast<std::uint8_t>(i));
  // Without a progress handler nobody is asked: the first plane.
  int asked = 0;
  hipsLoader().question = [&](const std::string& caption, const std::string& prompt, std::string& value) {
    ++asked;
    EXPECT_EQ(caption, "Select plane");
    EXPECT_EQ(prompt, "Select plane to load (1-3)");
    EXPECT_EQ(value, "1");
    value.assign(1, '2');  // (assigning a literal trips g++ 12's -Wrestrict at -O3)
    return true;
  };
  ASSERT_EQ(loadError(f, bm), "(no error)");
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(bm.map()[0], 0);
  progressHandler() = [](int) {};
  ASSERT_EQ(loadError(f, bm), "(no error)");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 4), (Bytes{4, 5, 6, 7}));
  hipsLoader().question = [](const std::string&, const std::string&, std::string&) { return false; };
  EXPECT_THROW(load(hipsLoader(), f, bm, "HIP"), SilentAbort);
  // One plane: no question.
  Bytes single = newer(2, 2, 0, 1, {1, 2, 3, 4});
  ASSERT_EQ(loadError(single, bm), "(no error)");
  progressHandler() = nullptr;
  hipsLoader().question = nullptr;
  f[head.find("8\n")] = '4';
  EXPECT_EQ(loadError(f, bm), "Unsupported bitmap format");
  const std::string noNumber = "a\nb\n1\ndate\nx\n2\n";
  EXPECT_EQ(loadError(Bytes(noNumber.begin(), noNumber.end()), bm), "'x' is not a valid integer value");
}

TEST(Hips, RealSamplesRoundHalvesToTheEvenNeighbour) {
  Bytes reals;
  for (float f : {-1.0f, 0.5f, 1.5f, 2.5f, 3.5f, 254.5f, 255.5f, 300.0f}) putReal(reals, f);
  LinearBitmap bm;
  ASSERT_EQ(loadError(newer(1, 8, 3, 1, reals), bm), "(no error)");
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 8), (Bytes{0, 0, 2, 2, 4, 254, 255, 255}));
}

TEST(Hips, SamplesTheFileCannotHoldAreRefusedBeforeTheBitmap) {
  LinearBitmap bm;
  for (int format : {0, 35, 37, 3}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(loadError(newer(26000, 26000, format, 1, Bytes(10, 1)), bm), "Read less than expected");
    EXPECT_FALSE(bm.present());
  }
  // Three planes of reals need all three; the older layout's grey bytes likewise.
  EXPECT_EQ(loadError(newer(1, 2, 3, 3, Bytes(2 * 4 * 3 - 1, 0)), bm), "Read less than expected");
  EXPECT_EQ(loadError(newer(1, 2, 3, 3, Bytes(2 * 4 * 3, 0)), bm), "(no error)");
  const std::string old = "orig\nseq\n1\ndate\n30000\n30000\n8\na\nb\nc\nd\n";
  EXPECT_EQ(loadError(Bytes(old.begin(), old.end()), bm), "Read less than expected");
  EXPECT_FALSE(bm.present());
}
