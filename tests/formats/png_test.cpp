// PNG and MNG: files from libpng and hand-built chunks read by us, our files read by libpng,
// Qt and the PNG checkers, and the reader's answers to broken files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <algorithm>

#include "imagefile/png_loader.h"
#include "imagefile/qt/format_graphics.h"
#include "imagefile/qt/image_io.h"
#include "oracle.h"

using namespace imagefile;
using namespace oracle;

namespace {

struct Chunk {
  std::string type;
  Bytes data;
  bool badCrc = false;
};

void put32(Bytes& b, std::uint32_t v) {
  b.insert(b.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                     static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

Bytes buildPng(const std::vector<Chunk>& chunks, bool mng = false) {
  Bytes b = mng ? Bytes{0x8A, 'M', 'N', 'G', 13, 10, 26, 10} : Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  for (const auto& c : chunks) {
    put32(b, static_cast<std::uint32_t>(c.data.size()));
    Bytes td(c.type.begin(), c.type.end());
    td.insert(td.end(), c.data.begin(), c.data.end());
    b.insert(b.end(), td.begin(), td.end());
    std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0, td.data(), static_cast<uInt>(td.size())));
    put32(b, c.badCrc ? crc ^ 1 : crc);
  }
  return b;
}

Bytes ihdr(std::uint32_t w, std::uint32_t h, int depth, int ct, int interlace = 0) {
  Bytes d;
  put32(d, w);
  put32(d, h);
  d.insert(d.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(ct), 0, 0,
                     static_cast<std::uint8_t>(interlace)});
  return d;
}

Bytes zlibPack(const Bytes& raw, int level = 6) {
  uLongf n = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(n);
  compress2(out.data(), &n, raw.data(), static_cast<uLong>(raw.size()), level);
  out.resize(n);
  return out;
}

Bytes zlibUnpack(const Bytes& packed, std::size_t size) {
  Bytes out(size);
  uLongf n = size;
  uncompress(out.data(), &n, packed.data(), static_cast<uLong>(packed.size()));
  out.resize(n);
  return out;
}

// A 4 x 2 palette image with rows filtered by None.
std::vector<Chunk> smallPalette() {
  Bytes raw = {0, 0, 1, 2, 3, 0, 3, 2, 1, 0};
  return {{"IHDR", ihdr(4, 2, 8, 3)},
          {"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}},
          {"IDAT", zlibPack(raw)},
          {"IEND", {}}};
}

// The chunks of a file, in order (their CRCs unchecked).
std::vector<Chunk> chunksOf(const Bytes& file) {
  std::vector<Chunk> chunks;
  for (std::size_t p = 8; p + 12 <= file.size();) {
    const std::size_t len = (std::size_t{file[p]} << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
    if (p + 12 + len > file.size()) break;
    chunks.push_back({std::string(&file[p + 4], &file[p + 8]), Bytes(&file[p + 8], &file[p + 8 + len])});
    p += 12 + len;
  }
  return chunks;
}

std::vector<std::string> chunkTypes(const Bytes& file) {
  std::vector<std::string> types;
  for (const Chunk& c : chunksOf(file)) types.push_back(c.type);
  return types;
}

// The filter bytes and filtered rows of a file we wrote (one IDAT chunk).
Bytes filteredRows(const Bytes& file, std::size_t rowBytes, int height) {
  for (const Chunk& c : chunksOf(file))
    if (c.type == "IDAT") return zlibUnpack(c.data, (rowBytes + 1) * static_cast<std::size_t>(height));
  return {};
}

PngLoadResult loadPng(const Bytes& file, LinearBitmap& bm, const PngLoadOptions& options = {}) {
  return loadWith(pngLoader(), file, bm, options);
}

Bytes savePng(const LinearBitmap& bm, const PngSaveOptions& options = {}, const std::string& ext = "PNG") {
  MemStream m;
  pngLoader().save(m, ext, bm, options);
  return m.bytes();
}

std::string loadError(const Bytes& file) {
  LinearBitmap bm;
  return errorOf([&] { load(pngLoader(), file, bm, "PNG"); });
}

// The bitmap bytes the reader must make of a PNG pixel.
Bytes expectedPixel(const PngSpec& s, const std::vector<Bytes>& rows, int x, int y) {
  const Bytes& r = rows[static_cast<std::size_t>(y)];
  const int d = s.depth;
  auto sample = [&](int i) -> int {  // sample i of the row, high byte for 16 bits
    if (d < 8) {
      const int bit = i * d;
      return (r[static_cast<std::size_t>(bit >> 3)] >> (8 - d - (bit & 7))) & ((1 << d) - 1);
    }
    return r[static_cast<std::size_t>(i * d / 8)];
  };
  const int n = s.colorType == 2 ? 3 : s.colorType == 6 ? 4 : s.colorType == 4 ? 2 : 1;
  if ((s.colorType == 0 || s.colorType == 4) && d == 16) {
    const std::size_t at = static_cast<std::size_t>(x * n * 2);
    return {r[at + 1], r[at]};
  }
  if (s.colorType == 2 || s.colorType == 6)
    return {static_cast<std::uint8_t>(sample(x * n + 2)), static_cast<std::uint8_t>(sample(x * n + 1)),
            static_cast<std::uint8_t>(sample(x * n))};
  return {static_cast<std::uint8_t>(sample(x * n))};
}

Bytes pixelOf(const LinearBitmap& bm, int x, int y) {
  const std::uint8_t* p = bm.scanLine(y) + static_cast<std::ptrdiff_t>(x) * bm.pixelSize();
  return Bytes(p, p + bm.pixelSize());
}

}  // namespace

TEST(PngRead, EveryColourTypeDepthAndSizeFromLibpng) {
  const std::vector<std::pair<int, int>> kinds = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16},
                                                  {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8},
                                                  {6, 16}};
  const std::vector<std::pair<int, int>> sizes = {{1, 1}, {3, 5}, {33, 17}, {8, 1}, {1, 9}};
  unsigned seed = 1;
  for (auto [ct, depth] : kinds)
    for (auto [w, h] : sizes)
      for (bool interlace : {false, true}) {
        PngSpec s;
        s.width = w;
        s.height = h;
        s.depth = depth;
        s.colorType = ct;
        s.interlace = interlace;
        const int n = ct == 2 ? 3 : ct == 6 ? 4 : ct == 4 ? 2 : 1;
        const std::size_t rb = (static_cast<std::size_t>(w) * n * depth + 7) / 8;
        std::vector<Bytes> rows;
        for (int y = 0; y < h; ++y) rows.push_back(randomBytes(rb, seed++));
        if (ct == 3) s.palette = randomBytes(3u << depth, seed++);
        const Bytes file = libpngWrite(s, rows);
        ASSERT_FALSE(file.empty());
        LinearBitmap bm;
        SCOPED_TRACE("type " + std::to_string(ct) + " depth " + std::to_string(depth) + " " + std::to_string(w) +
                     "x" + std::to_string(h) + (interlace ? " interlaced" : ""));
        PngLoadResult read;
        ASSERT_EQ(errorOf([&] { read = loadPng(file, bm); }), "(no error)");
        ASSERT_EQ(bm.width(), w);
        ASSERT_EQ(bm.height(), h);
        EXPECT_EQ(read.bitDepth, depth);
        bool same = true;
        for (int y = 0; y < h && same; ++y)
          for (int x = 0; x < w && same; ++x) same = pixelOf(bm, x, y) == expectedPixel(s, rows, x, y);
        EXPECT_TRUE(same);
        if (ct == 3) {
          for (int i = 0; i < (1 << depth); ++i)
            EXPECT_EQ(Bytes(bm.palette() + 3 * i, bm.palette() + 3 * i + 3),
                      (Bytes{s.palette[3 * i + 2], s.palette[3 * i + 1], s.palette[3 * i]}));
        }
        if (ct == 0 && depth < 8) {
          EXPECT_EQ(bm.palette()[3 * ((1 << depth) - 1)], 255);
        }
      }
}

TEST(PngRead, ImageDataSplitAnywhereLoads) {
  PngSpec s;
  s.width = 33;
  s.height = 17;
  s.colorType = 2;
  std::vector<Bytes> rows;
  for (int y = 0; y < 17; ++y) rows.push_back(randomBytes(99, 100 + y));
  const Bytes file = libpngWrite(s, rows);
  LinearBitmap want;
  load(pngLoader(), file, want, "PNG");
  // Take the image data out of libpng's file and cut it anew.
  Bytes data;
  for (std::size_t p = 8; p + 8 <= file.size();) {
    const std::uint32_t len = (file[p] << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
    if (std::memcmp(&file[p + 4], "IDAT", 4) == 0) data.insert(data.end(), &file[p + 8], &file[p + 8 + len]);
    p += 12 + len;
  }
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, data.size() - 1,
                            data.size() - 4, data.size() - 3, std::size_t{0}}) {
    std::vector<Chunk> chunks = {{"IHDR", ihdr(33, 17, 8, 2)}};
    if (piece == 0) {
      // Pieces of every size in turn, with an empty chunk among them and after the end.
      std::size_t at = 0, len = 0;
      while (at < data.size()) {
        const std::size_t n = std::min(len, data.size() - at);
        chunks.push_back({"IDAT", Bytes(data.begin() + at, data.begin() + at + n)});
        at += n;
        len = (len + 1) % 11;
      }
      chunks.push_back({"IDAT", {}});
    } else {
      for (std::size_t at = 0; at < data.size(); at += piece)
        chunks.push_back({"IDAT", Bytes(data.begin() + at, data.begin() + std::min(data.size(), at + piece))});
    }
    chunks.push_back({"IEND", {}});
    LinearBitmap bm;
    SCOPED_TRACE(piece);
    ASSERT_EQ(errorOf([&] { load(pngLoader(), buildPng(chunks), bm, "PNG"); }), "(no error)");
    EXPECT_EQ(std::memcmp(bm.map(), want.map(), static_cast<std::size_t>(want.size())), 0);
  }
}

TEST(PngRead, ChunkChecksAndTransparency) {
  auto chunks = smallPalette();
  LinearBitmap bm;
  load(pngLoader(), buildPng(chunks), bm, "PNG");
  EXPECT_EQ(bm.pixelFormat(), pf8bit);
  EXPECT_EQ(bm.scanLine(1)[0], 3);
  EXPECT_EQ(bm.palette()[3 * 3], 9);
  EXPECT_EQ(bm.palette()[3 * 4], 0);  // entries past PLTE are black

  auto bad = chunks;
  bad[1].badCrc = true;
  EXPECT_EQ(loadError(buildPng(bad)), "CRC error");
  auto text = chunks;
  text.insert(text.begin() + 1, Chunk{"tEXt", {'a', 0, 'b'}, true});
  EXPECT_EQ(loadError(buildPng(text)), "(no error)");
  auto lastIdat = chunks;
  lastIdat[2].badCrc = true;
  EXPECT_EQ(loadError(buildPng(lastIdat)), "CRC error");

  auto trns = chunks;
  trns.insert(trns.begin() + 2, Chunk{"tRNS", {255, 255, 0, 255}});
  EXPECT_EQ(loadPng(buildPng(trns), bm).transparentValue, 2);
  EXPECT_EQ(loadPng(buildPng(chunks), bm).transparentValue, -1);

  // More than 256 entries: the surplus is skipped, yet covered by the CRC.
  Bytes bigPlte(300 * 3, 7), bigTrns(300, 255);
  bigTrns[299] = 0;
  auto big = chunks;
  big[1].data = bigPlte;
  big.insert(big.begin() + 2, Chunk{"tRNS", bigTrns});
  EXPECT_EQ(loadError(buildPng(big)), "(no error)");
  EXPECT_EQ(loadPng(buildPng(big), bm).transparentValue, -1);
  big[1].badCrc = true;
  EXPECT_EQ(loadError(buildPng(big)), "CRC error");

  // Grey with a tRNS too short for its level: ignored.
  Bytes grey = {0, 10, 20};
  std::vector<Chunk> g = {{"IHDR", ihdr(2, 1, 8, 0)}, {"tRNS", {1}}, {"IDAT", zlibPack(grey)}, {"IEND", {}}};
  EXPECT_EQ(loadError(buildPng(g)), "(no error)");
  EXPECT_EQ(loadPng(buildPng(g), bm).transparentValue, -1);
  g[1].data = {0x01, 0x02};
  EXPECT_EQ(loadPng(buildPng(g), bm).transparentValue, 0x102);
  EXPECT_TRUE(bm.isGrayScale());
}

TEST(PngRead, BrokenFilesRaiseTheirTexts) {
  const auto base = smallPalette();
  EXPECT_EQ(loadError({1, 2, 3}), "Invalid PNG header");
  Bytes notPng = buildPng(base);
  notPng[1] = 'Q';
  EXPECT_EQ(loadError(notPng), "Invalid PNG header");

  auto withHeader = [&](Bytes h) {
    auto c = base;
    c[0].data = std::move(h);
    return loadError(buildPng(c));
  };
  EXPECT_EQ(withHeader(ihdr(4, 2, 16, 3)), "Invalid PNG data");
  EXPECT_EQ(withHeader(ihdr(4, 2, 4, 2)), "Invalid PNG data");
  EXPECT_EQ(withHeader(ihdr(4, 2, 3, 0)), "Invalid PNG data");
  EXPECT_EQ(withHeader(ihdr(4, 2, 8, 5)), "Unsupported PNG data");
  EXPECT_EQ(withHeader(ihdr(4, 2, 8, 1)), "Unsupported PNG data");
  EXPECT_EQ(withHeader(ihdr(4, 2, 8, 7)), "Unsupported PNG data");
  EXPECT_EQ(withHeader(ihdr(0, 2, 8, 3)), "Invalid PNG data");
  EXPECT_EQ(withHeader(ihdr(0x72230000, 0x60600000, 16, 6)), "Invalid bitmap size");  // no overflow
  EXPECT_EQ(withHeader(ihdr(4, 2, 8, 3, 2)), "Invalid PNG data");
  Bytes shortHeader = ihdr(4, 2, 8, 3);
  shortHeader.pop_back();
  EXPECT_EQ(withHeader(shortHeader), "Invalid PNG data");

  auto c = base;
  c.insert(c.begin() + 1, Chunk{"ABCD", {}});
  EXPECT_EQ(loadError(buildPng(c)), "Unsupported PNG data");
  EXPECT_EQ(loadError(buildPng({{"IEND", {}}})), "Unsupported PNG data");
  EXPECT_EQ(loadError(buildPng({base[2], base[0], base[3]})), "Invalid PNG data");  // IDAT first

  // A chunk length of 2^31 or more.
  Bytes huge = buildPng(base);
  huge[8 + 25] = 0x80;  // the PLTE length's high byte
  EXPECT_EQ(loadError(huge), "Invalid PNG data");

  auto filter5 = base;
  filter5[2].data = zlibPack({5, 0, 1, 2, 3, 0, 3, 2, 1, 0});
  EXPECT_EQ(loadError(buildPng(filter5)), "Invalid PNG data");
  auto badZlib = base;
  badZlib[2].data[0] = 0x79;
  EXPECT_EQ(loadError(buildPng(badZlib)), "Invalid PNG data");
  auto adler = base;
  adler[2].data.back() ^= 0x40;
  EXPECT_EQ(loadError(buildPng(adler)), "Adler32 error");
  auto shortData = base;
  shortData[2].data = zlibPack({0, 0, 1, 2, 3});
  const std::string e = loadError(buildPng(shortData));
  EXPECT_TRUE(e == "Invalid PNG data" || e == "Read less than expected") << e;

  // Cut anywhere: a text of ours, never a crash; before the image data never a success.
  const Bytes whole = buildPng(base);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const std::string err = loadError(Bytes(whole.begin(), whole.begin() + n));
    if (n < whole.size() - 12) {
      EXPECT_NE(err, "(no error)") << n;
    }
  }
}

TEST(PngWrite, EveryFormatAndFilterModeReadsBackInLibpngAndQt) {
  std::vector<LinearBitmap> bitmaps(5);
  chartLike(bitmaps[0], 37, 23);
  bitmaps[1].newImage(29, 11, pf8bit);  // palette
  const Bytes idx = randomBytes(29 * 11, 5, 40);
  std::memcpy(bitmaps[1].map(), idx.data(), idx.size());
  const Bytes pal = randomBytes(768, 6);
  std::memcpy(bitmaps[1].palette(), pal.data(), 768);
  bitmaps[2].newImage(17, 9, pf8bit);  // grey
  std::memcpy(bitmaps[2].palette(), grayPalette(), 768);
  const Bytes g = randomBytes(17 * 9, 7);
  std::memcpy(bitmaps[2].map(), g.data(), g.size());
  bitmaps[3].newImage(13, 7, pf16bit);
  const Bytes g16 = randomBytes(13 * 7 * 2, 8);
  std::memcpy(bitmaps[3].map(), g16.data(), g16.size());
  bitmaps[4].newImage(1, 1, pf24bit);
  bitmaps[4].clearColor(0x123456);
  for (std::size_t k = 0; k < bitmaps.size(); ++k)
    for (int mode = -3; mode <= 4; ++mode) {
      SCOPED_TRACE("bitmap " + std::to_string(k) + " mode " + std::to_string(mode));
      LinearBitmap& bm = bitmaps[k];
      PngSaveOptions options;
      options.filterMode = static_cast<PngFilterMode>(mode);
      const Bytes file = savePng(bm, options);
      const PngImage img = libpngRead(file);
      ASSERT_TRUE(img.ok);
      ASSERT_EQ(img.width, bm.width());
      const std::string path = tempPath("mode.png");
      writeFile(path, file);
      EXPECT_EQ(run("pngcheck -q " + path), 0);
      EXPECT_EQ(run("pngfix " + path), 0);
      QImage q;
      ASSERT_TRUE(q.loadFromData(file.data(), static_cast<int>(file.size()), "PNG"));
      bool same = true;
      for (int y = 0; y < bm.height() && same; ++y)
        for (int x = 0; x < bm.width() && same; ++x) {
          const std::uint8_t* p = bm.scanLine(y) + x * bm.pixelSize();
          const Bytes& r = img.rows[static_cast<std::size_t>(y)];
          const QRgb c = q.pixel(x, y);
          switch (bm.pixelFormat()) {
            case pf24bit:
              same = r[3 * x] == p[2] && r[3 * x + 1] == p[1] && r[3 * x + 2] == p[0] && qRed(c) == p[2] &&
                     qGreen(c) == p[1] && qBlue(c) == p[0];
              break;
            case pf16bit:
              same = r[2 * x] == p[1] && r[2 * x + 1] == p[0] && std::abs(qGray(c) - p[1]) <= 1;
              break;
            default:
              same = r[x] == p[0] && qRed(c) == bm.palette()[3 * p[0] + 2] && qBlue(c) == bm.palette()[3 * p[0]];
          }
        }
      EXPECT_TRUE(same);
      EXPECT_EQ(img.colorType, k == 2 ? 0 : k == 1 ? 3 : img.colorType);
    }
}

TEST(PngWrite, EachRowTakesTheFilterWithTheLeastSumOfSignedBytesTheFirstOnTies) {
  // Rows whose length leaves a remainder beyond every 16 bytes, pixels of 1, 2 and 3
  // bytes, rows that tie (all filters give zeros on a blank image), smooth and noisy ones.
  std::vector<LinearBitmap> bitmaps(7);
  photoLike(bitmaps[0], 301, 20);
  chartLike(bitmaps[1], 37, 70);
  bitmaps[2].newImage(23, 6, pf16bit);
  const Bytes g16 = randomBytes(23 * 6 * 2, 11);
  std::memcpy(bitmaps[2].map(), g16.data(), g16.size());
  bitmaps[3].newImage(45, 8, pf8bit);
  std::memcpy(bitmaps[3].palette(), grayPalette(), 768);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 45; ++x) bitmaps[3].scanLine(y)[x] = static_cast<std::uint8_t>(y < 2 ? 0 : y < 4 ? 128 + x : (x * y * 37) % 256);
  bitmaps[4].newImage(19, 3, pf24bit);
  bitmaps[4].clearColor(0x808080);
  // Many short rows of few values (one piece of 16 bytes and a bit): the filters' sums lie
  // close together, so every error of one of them shows in some choice.
  bitmaps[5].newImage(6, 400, pf24bit);
  const Bytes eng = randomBytes(6 * 400 * 3, 12, 5);
  for (std::size_t i = 0; i < eng.size(); ++i) bitmaps[5].map()[i] = static_cast<std::uint8_t>(100 + eng[i]);
  bitmaps[6].newImage(17, 400, pf8bit);
  std::memcpy(bitmaps[6].palette(), grayPalette(), 768);
  const std::uint8_t werte[] = {0, 1, 2, 127, 128, 129, 254, 255};
  const Bytes wahl = randomBytes(17 * 400, 13, 7);
  for (std::size_t i = 0; i < wahl.size(); ++i) bitmaps[6].map()[i] = werte[wahl[i]];
  int gewaehlt[5] = {};
  for (LinearBitmap& bm : bitmaps) {
    const int bpp = bm.pixelSize();
    const std::size_t rowBytes = static_cast<std::size_t>(bm.width()) * static_cast<std::size_t>(bpp);
    const Bytes file = savePng(bm);
    const PngImage img = libpngRead(file);
    ASSERT_TRUE(img.ok);
    const Bytes rows = filteredRows(file, rowBytes, bm.height());
    ASSERT_EQ(rows.size(), (rowBytes + 1) * static_cast<std::size_t>(bm.height()));
    const Bytes null(rowBytes, 0);
    for (int y = 0; y < bm.height(); ++y) {
      const Bytes& raw = img.rows[static_cast<std::size_t>(y)];
      const Bytes& prev = y > 0 ? img.rows[static_cast<std::size_t>(y) - 1] : null;
      long long best = 0;
      int chosen = -1;
      for (int f = 0; f < 5; ++f) {
        long long sum = 0;
        for (std::size_t i = 0; i < rowBytes; ++i) {
          const int a = i >= static_cast<std::size_t>(bpp) ? raw[i - bpp] : 0;
          const int b = prev[i];
          const int c = i >= static_cast<std::size_t>(bpp) ? prev[i - bpp] : 0;
          const int p = a + b - c;
          const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          const int vorhersage[5] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
          sum += std::abs(static_cast<std::int8_t>(static_cast<std::uint8_t>(raw[i] - vorhersage[f])));
        }
        if (chosen < 0 || sum < best) {
          best = sum;
          chosen = f;
        }
      }
      const std::uint8_t* zeile = &rows[static_cast<std::size_t>(y) * (rowBytes + 1)];
      ASSERT_EQ(zeile[0], chosen) << "row " << y << " of a " << bm.width() << " x " << bm.height() << " picture";
      ++gewaehlt[chosen];
    }
  }
  // The pictures make every filter win somewhere.
  for (int f = 0; f < 5; ++f) EXPECT_GT(gewaehlt[f], 0) << "filter " << f;
}

TEST(PngWrite, CheckersAcceptOurFiles) {
  LinearBitmap bm;
  chartLike(bm, 64, 40);
  const std::string a = tempPath("checked.png");
  writeFile(a, save(pngLoader(), bm, "PNG"));
  EXPECT_EQ(run("pngcheck -q " + a), 0);
  EXPECT_EQ(run("pngfix " + a), 0);
  bm.changePixelFormat(pf8bit);
  PngSaveOptions options;
  options.transparentValue = 3;
  options.gamma = 0.45455;
  const Bytes file = savePng(bm, options);
  writeFile(a, file);
  EXPECT_EQ(run("pngcheck -q " + a), 0);
  EXPECT_EQ(run("pngfix " + a), 0);
  LinearBitmap back;
  const PngLoadResult read = loadPng(file, back);
  EXPECT_EQ(read.transparentValue, 3);
  EXPECT_NEAR(read.gamma, 0.45455, 1e-9);
}

TEST(PngWrite, PaletteDepthFiltersAndMng) {
  // The palette stops after its last colour unless a pixel uses a later (black) entry.
  LinearBitmap bm;
  bm.newImage(4, 3, pf8bit);
  std::memset(bm.palette(), 0, 768);
  bm.palette()[3 * 2 + 1] = 200;
  bm.clear(1);
  PngImage img = libpngRead(save(pngLoader(), bm, "PNG"));
  EXPECT_EQ(img.palette.size(), 9u);
  bm.scanLine(2)[3] = 7;
  img = libpngRead(save(pngLoader(), bm, "PNG"));
  ASSERT_TRUE(img.ok);
  EXPECT_EQ(img.palette.size(), 24u);
  EXPECT_EQ(img.rows[2][3], 7);

  // A depth read before is kept only when every index fits.
  PngSaveOptions twoBits;
  twoBits.bitDepth = 2;
  img = libpngRead(savePng(bm, twoBits));
  EXPECT_EQ(img.depth, 8);
  bm.scanLine(2)[3] = 3;
  img = libpngRead(savePng(bm, twoBits));
  EXPECT_EQ(img.depth, 2);
  EXPECT_EQ((img.rows[2][0] & 3), 3);  // fourth pixel in the low bits

  // Filter mode 2: the filter byte of every row is 2.
  LinearBitmap chart;
  chartLike(chart, 20, 6);
  PngSaveOptions up;
  up.filterMode = PngFilterMode::Up;
  const Bytes rows = filteredRows(savePng(chart, up), 60, 6);
  ASSERT_EQ(rows.size(), 6u * 61);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(rows[static_cast<std::size_t>(y) * 61], 2);

  // MNG: its signature, MHDR first, differenced samples under filter method 64, MEND last.
  const Bytes mng = save(pngLoader(), chart, "MNG");
  EXPECT_EQ(mng[0], 0x8A);
  EXPECT_EQ(std::memcmp(&mng[12], "MHDR", 4), 0);
  EXPECT_EQ(std::memcmp(&mng[mng.size() - 8], "MEND", 4), 0);
  const std::size_t ih = 8 + 12 + 28;
  EXPECT_EQ(std::memcmp(&mng[ih + 4], "IHDR", 4), 0);
  EXPECT_EQ(mng[ih + 8 + 11], 64);
  LinearBitmap back;
  load(pngLoader(), mng, back, "MNG");
  EXPECT_EQ(std::memcmp(back.map(), chart.map(), static_cast<std::size_t>(chart.size())), 0);
  // The same differenced data in a PNG is refused.
  Bytes asPng = mng;
  asPng[0] = 0x89;
  asPng[1] = 'P';
  EXPECT_EQ(loadError(asPng), "Invalid PNG data");
}

TEST(PngWrite, NoisyPhotoNoLargerThanLibpngsFile) {
  LinearBitmap photo;
  photoLike(photo, 400, 300);
  const Bytes ours = save(pngLoader(), photo, "PNG");
  PngSpec s;
  s.width = 400;
  s.height = 300;
  s.colorType = 2;
  std::vector<Bytes> rows;
  for (int y = 0; y < 300; ++y) {
    Bytes r;
    for (int x = 0; x < 400; ++x) {
      const std::uint8_t* p = photo.scanLine(y) + 3 * x;
      r.insert(r.end(), {p[2], p[1], p[0]});
    }
    rows.push_back(r);
  }
  const Bytes theirs = libpngWrite(s, rows);
  EXPECT_LE(ours.size(), theirs.size() * 108 / 100) << ours.size() << " vs " << theirs.size();
}

TEST(PngWrite, LossyToleranceStaysNearAndShrinks) {
  LinearBitmap photo;
  photoLike(photo, 120, 80);
  const std::size_t lossless = save(pngLoader(), photo, "PNG").size();
  PngSaveOptions lossyOptions;
  lossyOptions.lossyTolerance = 8;
  const Bytes lossy = savePng(photo, lossyOptions);
  EXPECT_LT(lossy.size(), lossless);
  LinearBitmap back;
  load(pngLoader(), lossy, back, "PNG");
  int worst = 0;
  for (std::int64_t i = 0; i < photo.size(); ++i) worst = std::max(worst, std::abs(back.map()[i] - photo.map()[i]));
  EXPECT_LE(worst, 8);
}

TEST(PngRead, AlphaOptionKeepsAlphaAndTables) {
  PngLoadOptions withAlpha;
  withAlpha.alpha = true;
  // RGBA from libpng: the alpha bytes go to the alpha bitmap.
  PngSpec s;
  s.width = 3;
  s.height = 2;
  s.colorType = 6;
  const std::vector<Bytes> rows = {{1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30}, {0, 0, 0, 40, 0, 0, 0, 50, 0, 0, 0, 60}};
  LinearBitmap bm;
  PngLoadResult read = loadPng(libpngWrite(s, rows), bm, withAlpha);
  ASSERT_TRUE(read.alphaBitmap && read.alphaBitmap->present());
  EXPECT_EQ(Bytes(read.alphaBitmap->map(), read.alphaBitmap->map() + 6), (Bytes{10, 20, 30, 40, 50, 60}));
  EXPECT_EQ(Bytes(bm.map(), bm.map() + 3), (Bytes{3, 2, 1}));
  // A damaged file whose second header chunk makes a palette picture of another size: no
  // alpha bitmap is left over from the first.
  const auto first = chunksOf(libpngWrite(s, rows));
  auto twice = smallPalette();
  twice.insert(twice.begin(), first.front());
  read = loadPng(buildPng(twice), bm, withAlpha);
  EXPECT_EQ(bm.width(), 4);
  EXPECT_FALSE(read.alphaBitmap);
  // A palette image's tRNS as a 256-entry table, the rest opaque.
  auto c = smallPalette();
  c.insert(c.begin() + 2, Chunk{"tRNS", {0, 128}});
  read = loadPng(buildPng(c), bm, withAlpha);
  ASSERT_EQ(read.alphaTable.size(), 256u);
  EXPECT_EQ(read.alphaTable[0], 0);
  EXPECT_EQ(read.alphaTable[1], 128);
  EXPECT_EQ(read.alphaTable[2], 255);
  EXPECT_EQ(read.transparentValue, -1);
  // The PLTE of a colour image is kept apart and written back.
  PngSpec rgb;
  rgb.width = 2;
  rgb.colorType = 2;
  rgb.palette = {9, 8, 7};
  read = loadPng(libpngWrite(rgb, {{1, 2, 3, 4, 5, 6}}), bm, withAlpha);
  ASSERT_EQ(read.separatePalette.size(), 768u);
  EXPECT_EQ(read.separatePalette[2], 9);
  const PngImage back = libpngRead(savePng(bm, PngSaveOptions::keeping(read)));
  EXPECT_EQ(back.palette, (Bytes{9, 8, 7}));
}

namespace {

// A palette image of 4 x 2 pixels, all of index 0 but one of index 1.
Bytes paletteFile(int depth, const Bytes& plte, const Bytes& trns) {
  const int perRow = (4 * depth + 7) / 8;
  Bytes raw;
  for (int y = 0; y < 2; ++y) {
    raw.push_back(0);
    for (int i = 0; i < perRow; ++i) raw.push_back(y == 1 && i == 0 ? static_cast<std::uint8_t>(1 << (8 - depth)) : 0);
  }
  return buildPng({{"IHDR", ihdr(4, 2, depth, 3)}, {"PLTE", plte}, {"tRNS", trns}, {"IDAT", zlibPack(raw)}, {"IEND", {}}});
}

}  // namespace

TEST(PngWrite, TransparencyNeverOutrunsThePalette) {
  Bytes many(256, 255);
  many[200] = 0;  // the first transparent entry, far beyond the two colours
  struct Case {
    int depth;
    Bytes plte, trns;
    int transparent;
  };
  const std::vector<Case> cases = {{8, {255, 0, 0, 0, 0, 255}, many, 200},
                                   {1, {255, 0, 0, 0, 0, 255}, many, 200},  // 201 entries need 8 bits
                                   {8, {0, 0, 0}, {255, 0}, 1},
                                   {2, {0, 0, 0}, {255, 0}, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("depth " + std::to_string(c.depth) + ", transparent " + std::to_string(c.transparent));
    const Bytes original = paletteFile(c.depth, c.plte, c.trns);
    // The original's tRNS is longer than its PLTE (libpng warns about it); ours never is.
    LinearBitmap bm;
    const PngLoadResult read = loadPng(original, bm);
    ASSERT_EQ(read.transparentValue, c.transparent);
    const Bytes written = savePng(bm, PngSaveOptions::keeping(read));
    const PngImage back = libpngRead(written);
    ASSERT_TRUE(back.ok);
    EXPECT_TRUE(back.warnings.empty()) << back.warnings.front();
    ASSERT_EQ(back.alpha.size(), static_cast<std::size_t>(c.transparent + 1));
    EXPECT_EQ(back.alpha.back(), 0);
    EXPECT_EQ(back.alpha.front(), 255);
    const int paletteEntries = static_cast<int>(back.palette.size() / 3);
    EXPECT_GE(paletteEntries, c.transparent + 1);
    EXPECT_LE(paletteEntries, 1 << back.depth);
    // The colours and the pixels come back as they were.
    EXPECT_EQ(Bytes(back.palette.begin(), back.palette.begin() + static_cast<std::ptrdiff_t>(c.plte.size())), c.plte);
    LinearBitmap again;
    EXPECT_EQ(loadPng(written, again).transparentValue, c.transparent);
    EXPECT_EQ(std::memcmp(again.map(), bm.map(), static_cast<std::size_t>(bm.size())), 0);
  }
}

TEST(PngRead, HeaderPromisingMoreThanTheDataCanHoldIsRefusedBeforeTheBitmap) {
  // 69 bytes that declare 26000 x 26000 RGB: no bitmap is made for them.
  const Bytes tiny = buildPng({{"IHDR", ihdr(26000, 26000, 8, 2)}, {"IDAT", zlibPack({0, 1, 2, 3})}, {"IEND", {}}});
  ASSERT_EQ(tiny.size(), 69u);
  LinearBitmap bm;
  EXPECT_EQ(errorOf([&] { load(pngLoader(), tiny, bm, "PNG"); }), "Invalid PNG data");
  EXPECT_FALSE(bm.present());
  // Sizes no bitmap can take keep their own error.
  const Bytes absurd = buildPng({{"IHDR", ihdr(0x7FFFFFF0, 0x7FFFFFF0, 8, 2)}, {"IEND", {}}});
  EXPECT_EQ(errorOf([&] { load(pngLoader(), absurd, bm, "PNG"); }), "Invalid bitmap size");

  // The limit is Deflate's largest ratio: zlib's best packing of a plain picture, about
  // 1000 : 1 for rows and interlaced passes alike, still loads.
  for (bool interlace : {false, true}) {
    SCOPED_TRACE(interlace ? "interlaced" : "plain");
    PngSpec s;
    s.width = 3000;
    s.height = 3000;
    s.colorType = 0;
    s.level = 9;
    s.interlace = interlace;
    s.filters = PNG_FILTER_NONE;
    const Bytes flat = libpngWrite(s, std::vector<Bytes>(3000, Bytes(3000, 0)));
    ASSERT_FALSE(flat.empty());
    EXPECT_LT(flat.size() * 900, 3000u * 3000u);
    EXPECT_EQ(errorOf([&] { load(pngLoader(), flat, bm, "PNG"); }), "(no error)");
    EXPECT_EQ(bm.width(), 3000);
    // Cut short by half its data, it is refused before the bitmap.
    const Bytes cut(flat.begin(), flat.begin() + static_cast<std::ptrdiff_t>(flat.size() / 2));
    LinearBitmap none;
    EXPECT_EQ(errorOf([&] { load(pngLoader(), cut, none, "PNG"); }), "Invalid PNG data");
    EXPECT_FALSE(none.present());
  }
}

TEST(PngRead, ProgressAfterEveryRowAlsoWhenInterlaced) {
  for (bool interlace : {false, true}) {
    SCOPED_TRACE(interlace ? "interlaced" : "plain");
    PngSpec s;
    s.width = 9;
    s.height = 10;
    s.colorType = 2;
    s.interlace = interlace;
    const Bytes file = libpngWrite(s, std::vector<Bytes>(10, randomBytes(27, 5)));
    std::vector<int> seen;
    progressHandler() = [&](int percent) { seen.push_back(percent); };
    LinearBitmap bm;
    const std::string error = errorOf([&] { load(pngLoader(), file, bm, "PNG"); });
    progressHandler() = nullptr;
    ASSERT_EQ(error, "(no error)");
    // Adam7 passes of a 9 x 10 image: 2 + 2 + 1 + 3 + 2 + 5 + 5 rows.
    ASSERT_EQ(seen.size(), interlace ? 20u : 10u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(seen.front(), interlace ? 5 : 10);
  }
}

TEST(PngLoaderCalls, AnotherPictureSavedAfterALoadGetsNothingOfIt) {
  // A palette picture with a transparent entry and a gamma, read through the registry's call.
  auto c = smallPalette();
  c.insert(c.begin() + 2, Chunk{"tRNS", {255, 255, 0}});
  c.insert(c.begin() + 1, Chunk{"gAMA", {0, 0, 0xB1, 0x8F}});
  LinearBitmap read;
  load(pngLoader(), buildPng(c), read, "PNG");
  // An unrelated chart saved next: no colour of it may turn transparent, no gamma is claimed.
  LinearBitmap chart;
  chartLike(chart, 12, 8);
  EXPECT_EQ(chunkTypes(save(pngLoader(), chart, "PNG")), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  chart.changePixelFormat(pf8bit);
  EXPECT_EQ(chunkTypes(save(pngLoader(), chart, "PNG")), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
}

TEST(PngLoaderCalls, ALoadInsideALoadKeepsEachOnesFindings) {
  // The progress handler, called after each row, reads another picture meanwhile.
  auto c = smallPalette();
  c.insert(c.begin() + 2, Chunk{"tRNS", {255, 255, 0}});
  const Bytes outer = buildPng(c);
  const Bytes inner = buildPng(smallPalette());
  int calls = 0;
  PngLoadResult innerRead;
  progressHandler() = [&](int) {
    if (calls++ > 0) return;
    LinearBitmap other;
    innerRead = loadPng(inner, other);
  };
  LinearBitmap bm;
  PngLoadResult outerRead;
  const std::string error = errorOf([&] { outerRead = loadPng(outer, bm); });
  progressHandler() = nullptr;
  ASSERT_EQ(error, "(no error)");
  EXPECT_GT(calls, 1);
  EXPECT_EQ(innerRead.transparentValue, -1);
  EXPECT_EQ(outerRead.transparentValue, 2);
  EXPECT_EQ(bm.scanLine(1)[0], 3);
}

// ---- what a load found, written back by a save of the same picture ----------------------------

namespace {

// A 40 x 30 grey picture of noisy levels at the depth, as libpng writes it.
Bytes noisyGrey(int depth) {
  PngSpec s;
  s.width = 40;
  s.height = 30;
  s.depth = depth;
  std::vector<Bytes> rows;
  for (int y = 0; y < s.height; ++y) rows.push_back(randomBytes(static_cast<std::size_t>((40 * depth + 7) / 8), 70 + y));
  return libpngWrite(s, rows);
}

// An 8-bit grey picture with gAMA 45455 and the transparent level 0x0080.
Bytes greyWithGammaAndTransparency() {
  Bytes raw;
  for (int y = 0; y < 4; ++y) {
    raw.push_back(0);
    for (int x = 0; x < 5; ++x) raw.push_back(static_cast<std::uint8_t>(40 * x + y));
  }
  return buildPng({{"IHDR", ihdr(5, 4, 8, 0)},
                   {"gAMA", {0, 0, 0xB1, 0x8F}},
                   {"tRNS", {0x00, 0x80}},
                   {"IDAT", zlibPack(raw)},
                   {"IEND", {}}});
}

Bytes paletteWithTransparency() {
  auto c = smallPalette();
  c.insert(c.begin() + 2, Chunk{"tRNS", {0xFF, 0xFF, 0x00, 0xFF}});
  return buildPng(c);
}

// The picture's file loaded into a LinearBitmap and saved by it under another name: the
// bytes written.
Bytes loadedAndSaved(const Bytes& file) {
  registerFormats();
  const std::string from = tempPath("kept-from.png"), to = tempPath("kept-to.png");
  writeFile(from, file);
  LinearBitmap bm;
  bm.loadFromFile(from);
  bm.saveToFile(to);
  return readFile(to);
}

}  // namespace

TEST(PngLoadThenSave, WritesBackGammaTransparencyAndDepth) {
  // A palette picture whose tRNS makes entry 2 transparent: written back as the writer puts
  // a transparent index, 255 before it and 0 for it.
  PngImage back = libpngRead(loadedAndSaved(paletteWithTransparency()));
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.colorType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_EQ(back.alpha, (Bytes{0xFF, 0xFF, 0x00}));
  EXPECT_EQ(back.gamma, 0);

  // A grey picture keeps its gamma and its transparent level.
  back = libpngRead(loadedAndSaved(greyWithGammaAndTransparency()));
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.colorType, PNG_COLOR_TYPE_GRAY);
  EXPECT_EQ(back.depth, 8);
  EXPECT_EQ(back.gamma, 45455);
  EXPECT_EQ(back.transparentGrey, 0x80);

  // Pictures of 1 and 2 bits come back at their depth (as palette pictures of that depth),
  // with their pixels, no larger than their 8-bit form would be; converting between files
  // goes the same way.
  for (int depth : {1, 2}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    const Bytes original = noisyGrey(depth);
    const Bytes saved = loadedAndSaved(original);
    back = libpngRead(saved);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.depth, depth);
    EXPECT_TRUE(back.warnings.empty());
    LinearBitmap before, after;
    loadPng(original, before);
    loadPng(saved, after);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::memcmp(after.map(), before.map(), static_cast<std::size_t>(before.size())), 0);
    EXPECT_LT(saved.size(), savePng(after).size());
    const std::string converted = tempPath("converted.png");
    writeFile(tempPath("original.png"), original);
    convertImageFile(QString::fromStdString(tempPath("original.png")), QString::fromStdString(converted));
    EXPECT_EQ(libpngRead(readFile(converted)).depth, depth);
  }
}

TEST(PngLoadThenSave, TheInformationStaysWithThePictureItCameWith) {
  registerFormats();
  const std::string from = tempPath("with-info.png"), to = tempPath("other.png");
  writeFile(from, greyWithGammaAndTransparency());
  LinearBitmap bm;
  bm.loadFromFile(from);
  EXPECT_EQ(bm.info(), (PictureInfo{0.45455, 0x80, 8}));
  // A copy is the same picture.
  LinearBitmap copy(bm);
  copy.saveToFile(to);
  EXPECT_EQ(libpngRead(readFile(to)).gamma, 45455);
  // A new picture in the same bitmap, another picture assigned to it, or its pixels
  // converted: nothing of the file is written with them.
  auto savedChunks = [&](LinearBitmap& picture) {
    picture.saveToFile(to);
    return chunkTypes(readFile(to));
  };
  const std::vector<std::string> plain = {"IHDR", "IDAT", "IEND"};
  LinearBitmap again(bm);
  again.newImage(again.width(), again.height(), again.pixelFormat());  // same size: pixels kept
  EXPECT_EQ(savedChunks(again), plain);
  LinearBitmap chart;
  chartLike(chart, 12, 8);
  LinearBitmap assigned(bm);
  assigned.assign(chart);
  EXPECT_EQ(savedChunks(assigned), plain);
  LinearBitmap converted(bm);
  converted.changePixelFormat(pf24bit);
  EXPECT_EQ(savedChunks(converted), plain);
  LinearBitmap reloaded(bm);
  writeFile(from, noisyGrey(8));
  reloaded.loadFromFile(from);
  EXPECT_EQ(savedChunks(reloaded), plain);
  // The picture class of the viewer loads and saves the same way.
  writeFile(from, noisyGrey(2));
  PNGGraphic graphic;
  graphic.loadFromFile(QString::fromStdString(from));
  graphic.saveToFile(QString::fromStdString(to));
  EXPECT_EQ(libpngRead(readFile(to)).depth, 2);
}
