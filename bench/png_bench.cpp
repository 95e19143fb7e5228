// Our PNG writer and reader against libpng in the same run, on pictures made here: a
// 1280 x 800 chart-like image (24-bit and 8-bit) and a 1920 x 1080 photo-like one. Sizes are
// reported as counters, also relative to libpng at level 6 ("vs_libpng6"). Then the export of
// a 1280 x 800 capture to every format and the viewer's load of each file.
#include <benchmark/benchmark.h>
#include <png.h>

#include <QDir>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "imagefile/linear_bitmap.h"
#include "imagefile/png_loader.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/image_io.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using imagefile::LinearBitmap;

void chartLike(LinearBitmap& bm, int w, int h) {
  bm.newImage(w, h, imagefile::pf24bit);
  bm.clearColor(0xFFFFFF);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = bm.scanLine(y) + 3 * x;
      if (x % 80 == 40 || y % 60 == 30) p[0] = p[1] = p[2] = 200;
      if (x == 50 || y == h - 50) p[0] = p[1] = p[2] = 0;
    }
  const std::uint32_t colors[4] = {0x0000FF, 0x00A000, 0xFF0000, 0x00A0FF};
  for (int c = 0; c < 4; ++c)
    for (int x = 50; x < w - 10; ++x) {
      const int y = static_cast<int>(h / 2 + (h / 3) * std::sin(x / 97.0 + c) * (0.4 + 0.15 * c));
      for (int dy = 0; dy < 2; ++dy) {
        if (y + dy < 0 || y + dy >= h) continue;
        std::uint8_t* p = bm.scanLine(y + dy) + 3 * x;
        p[0] = static_cast<std::uint8_t>(colors[c] >> 16);
        p[1] = static_cast<std::uint8_t>(colors[c] >> 8);
        p[2] = static_cast<std::uint8_t>(colors[c]);
      }
    }
}

void photoLike(LinearBitmap& bm, int w, int h) {
  bm.newImage(w, h, imagefile::pf24bit);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = bm.scanLine(y) + 3 * x;
      const double v = 128 + 60 * std::sin(x / 90.0) * std::cos(y / 70.0);
      p[0] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v + y / 10) + noise(rng), 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + noise(rng), 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(255 - v + x / 20) + noise(rng), 0, 255));
    }
}

const LinearBitmap& picture(int kind) {
  static std::map<int, LinearBitmap> cache;
  auto it = cache.find(kind);
  if (it != cache.end()) return it->second;
  LinearBitmap& bm = cache[kind];
  if (kind == 2) {
    photoLike(bm, 1920, 1080);
  } else {
    chartLike(bm, 1280, 800);
    if (kind == 1) bm.changePixelFormat(imagefile::pf8bit);
  }
  return bm;
}

const char* kindName(int kind) { return kind == 0 ? "chart24" : kind == 1 ? "chart8" : "photo"; }

// ---- libpng ---------------------------------------------------------------------------------

void writeFn(png_structp p, png_bytep d, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
  out->insert(out->end(), d, d + n);
}
void flushFn(png_structp) {}

Bytes libpngEncode(const LinearBitmap& bm, int level, bool interlace = false) {
  Bytes out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_write_struct(&p, &info);
    return {};
  }
  png_set_write_fn(p, &out, writeFn, flushFn);
  png_set_compression_level(p, level);
  const bool pal = bm.pixelFormat() == imagefile::pf8bit;
  png_set_IHDR(p, info, static_cast<png_uint_32>(bm.width()), static_cast<png_uint_32>(bm.height()), 8,
               pal ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  if (pal) {
    for (int i = 0; i < 256; ++i) {
      palette[i].blue = bm.palette()[3 * i];
      palette[i].green = bm.palette()[3 * i + 1];
      palette[i].red = bm.palette()[3 * i + 2];
    }
    png_set_PLTE(p, info, palette, 256);
  }
  png_write_info(p, info);
  if (!pal) png_set_bgr(p);
  const int passes = png_set_interlace_handling(p);
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < bm.height(); ++y) png_write_row(p, bm.scanLine(y));
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  return out;
}

struct ReadState {
  const Bytes* data;
  std::size_t pos;
};
void readFn(png_structp p, png_bytep out, png_size_t n) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(p));
  if (st->pos + n > st->data->size()) png_error(p, "short");
  std::memcpy(out, st->data->data() + st->pos, n);
  st->pos += n;
}

// Decodes into a buffer made beforehand, as our reader decodes into its bitmap.
bool libpngDecode(const Bytes& file, Bytes& pixels) {
  ReadState st{&file, 0};
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_read_struct(&p, &info, nullptr);
    return false;
  }
  png_set_read_fn(p, &st, readFn);
  png_read_info(p, info);
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  const std::size_t rb = png_get_rowbytes(p, info);
  const png_uint_32 h = png_get_image_height(p, info);
  if (pixels.size() < rb * h) pixels.resize(rb * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + rb * y;
  png_read_image(p, rows.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  return true;
}

Bytes ourEncode(const LinearBitmap& bm, int mode) {
  imagefile::PngSaveOptions options;
  options.filterMode = static_cast<imagefile::PngFilterMode>(mode);
  imagefile::MemStream m;
  imagefile::pngLoader().save(m, "PNG", bm, options);
  return m.bytes();
}

// ---- encoding ------------------------------------------------------------------------------

void BM_EncodeOurs(benchmark::State& state) {
  const LinearBitmap& bm = picture(static_cast<int>(state.range(0)));
  const int mode = static_cast<int>(state.range(1));
  std::size_t size = 0;
  for (auto _ : state) {
    const Bytes f = ourEncode(bm, mode);
    size = f.size();
    benchmark::DoNotOptimize(f.data());
  }
  const double reference = static_cast<double>(libpngEncode(bm, 6).size());
  state.counters["bytes"] = static_cast<double>(size);
  state.counters["vs_libpng6"] = size / reference;
  state.SetLabel(std::string(kindName(static_cast<int>(state.range(0)))) + (mode == -3 ? " mode -3" : " default"));
}

void BM_EncodeLibpng(benchmark::State& state) {
  const LinearBitmap& bm = picture(static_cast<int>(state.range(0)));
  const int level = static_cast<int>(state.range(1));
  std::size_t size = 0;
  for (auto _ : state) {
    const Bytes f = libpngEncode(bm, level);
    size = f.size();
    benchmark::DoNotOptimize(f.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
  state.counters["vs_libpng6"] = size / static_cast<double>(libpngEncode(bm, 6).size());
  state.SetLabel(std::string(kindName(static_cast<int>(state.range(0)))) + " level " + std::to_string(level));
}

BENCHMARK(BM_EncodeOurs)->ArgsProduct({{0, 1, 2}, {-1, -3}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLibpng)->ArgsProduct({{0, 1, 2}, {6, 9}})->Unit(benchmark::kMillisecond);

// ---- decoding ------------------------------------------------------------------------------

// Source: 0 libpng plain, 1 libpng interlaced, 2 ours.
const Bytes& decodeInput(int kind, int source) {
  static std::map<std::pair<int, int>, Bytes> cache;
  auto key = std::make_pair(kind, source);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  const LinearBitmap& bm = picture(kind);
  return cache[key] = source == 2 ? ourEncode(bm, -1) : libpngEncode(bm, 6, source == 1);
}

const char* sourceName(int s) { return s == 0 ? "libpng file" : s == 1 ? "libpng interlaced" : "our file"; }

void BM_DecodeOurs(benchmark::State& state) {
  const Bytes& f = decodeInput(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  imagefile::PNGLoader loader;
  LinearBitmap bm;
  for (auto _ : state) {
    imagefile::SpanStream s(f.data(), f.size());
    loader.loadFromStream(s, "PNG", bm);
    benchmark::DoNotOptimize(bm.map());
  }
  state.SetLabel(std::string(kindName(static_cast<int>(state.range(0)))) + ", " + sourceName(static_cast<int>(state.range(1))));
}

void BM_DecodeLibpng(benchmark::State& state) {
  const Bytes& f = decodeInput(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  Bytes pixels;
  for (auto _ : state) {
    if (!libpngDecode(f, pixels)) state.SkipWithError("libpng failed");
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetLabel(std::string(kindName(static_cast<int>(state.range(0)))) + ", " + sourceName(static_cast<int>(state.range(1))));
}

BENCHMARK(BM_DecodeOurs)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLibpng)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

// ---- export and viewer ---------------------------------------------------------------------

const char* const kExtensions[] = {"bmp", "png", "mng", "pcx", "jpg", "jpeg", "emf", "wmf"};

QString exportName(int i) { return QDir::tempPath() + "/kolvex_png_bench." + kExtensions[i]; }

const QImage& capture() {
  static QImage img = [] {
    const LinearBitmap& bm = picture(0);
    return imagefile::bitmapToImage(bm).convertToFormat(QImage::Format_RGB32);
  }();
  return img;
}

void BM_Export(benchmark::State& state) {
  imagefile::registerFormats();
  const int i = static_cast<int>(state.range(0));
  for (auto _ : state) imagefile::saveImageFile(capture(), exportName(i));
  state.SetLabel(std::string("1280x800 to .") + kExtensions[i]);
}

void BM_ViewerLoad(benchmark::State& state) {
  imagefile::registerFormats();
  const int i = static_cast<int>(state.range(0));
  imagefile::saveImageFile(capture(), exportName(i));
  for (auto _ : state) {
    const QImage img = imagefile::loadPictureFile(exportName(i));
    benchmark::DoNotOptimize(img.constBits());
  }
  state.SetLabel(std::string("1280x800 .") + kExtensions[i]);
}

BENCHMARK(BM_Export)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerLoad)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

}  // namespace
