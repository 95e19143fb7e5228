#pragma once
// Shared helpers of the format tests: bytes in and out of our loaders, temporary files,
// command-line oracles, and libpng as the independent PNG coder.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imagefile/errors.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/loaders.h"
#include "imagefile/streams.h"
#include "support/error_text.h"

namespace oracle {

using Bytes = std::vector<std::uint8_t>;

using testsupport::errorOf;

// Little-endian fields appended to hand-built files (written here, apart from the library's
// own helpers, so that a fault there cannot hide in both sides).
inline void putLE16(Bytes& b, std::uint32_t v) {
  b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}
inline void putLE32(Bytes& b, std::uint32_t v) {
  putLE16(b, v);
  putLE16(b, v >> 16);
}

inline void load(imagefile::BitmapLoader& loader, const Bytes& data, imagefile::LinearBitmap& bm,
                 const std::string& ext) {
  imagefile::SpanStream s(data.data(), data.size());
  bm.dispose();
  loader.loadFromStream(s, ext, bm);
}

inline Bytes save(imagefile::BitmapLoader& loader, imagefile::LinearBitmap& bm, const std::string& ext) {
  imagefile::MemStream m;
  loader.saveToStream(m, ext, bm);
  return m.bytes();
}

// A loader's own load with the options of one call; what it found beside the pixels.
template <typename Loader, typename Options>
auto loadWith(const Loader& loader, const Bytes& data, imagefile::LinearBitmap& bm, const Options& options) {
  imagefile::SpanStream s(data.data(), data.size());
  bm.dispose();
  return loader.load(s, bm, options);
}

// One folder per test process, removed when the process ends.
inline std::string tempDir() {
  struct Folder {
    std::string path;
    Folder() {
      char tmpl[] = "/tmp/kolvex_formats_XXXXXX";
      const char* d = mkdtemp(tmpl);
      if (d) path = d;
    }
    ~Folder() {
      std::error_code ignored;
      if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
  };
  static Folder folder;
  return folder.path;
}

inline std::string tempPath(const std::string& name) { return tempDir() + "/" + name; }

inline void writeFile(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// Runs a shell command; its exit status (0 = success).
inline int run(const std::string& command) {
  const int rc = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
  return rc == -1 ? -1 : WEXITSTATUS(rc);
}

inline Bytes randomBytes(std::size_t n, unsigned seed, int maxValue = 255) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(0, maxValue);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(d(rng));
  return b;
}

// A chart-like picture: white background, a grid, a few coloured curves and text-ish blocks.
inline void chartLike(imagefile::LinearBitmap& bm, int w, int h) {
  bm.newImage(w, h, imagefile::pf24bit);
  bm.clearColor(0xFFFFFF);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = bm.scanLine(y);
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = row + 3 * x;
      if (x % 80 == 40 || y % 60 == 30) p[0] = p[1] = p[2] = 200;
      if (x == 50 || y == h - 50) p[0] = p[1] = p[2] = 0;
    }
  }
  const std::uint32_t colors[4] = {0x0000FF, 0x00A000, 0xFF0000, 0x00A0FF};
  for (int c = 0; c < 4; ++c)
    for (int x = 50; x < w - 10; ++x) {
      const double t = x / 97.0 + c;
      const int y = static_cast<int>(h / 2 + (h / 3) * std::sin(t) * (0.4 + 0.15 * c));
      for (int dy = 0; dy < 2; ++dy) {
        if (y + dy < 0 || y + dy >= h) continue;
        std::uint8_t* p = bm.scanLine(y + dy) + 3 * x;
        p[0] = static_cast<std::uint8_t>(colors[c] >> 16);
        p[1] = static_cast<std::uint8_t>(colors[c] >> 8);
        p[2] = static_cast<std::uint8_t>(colors[c]);
      }
    }
}

// A photo-like picture: smooth gradients with noise.
inline void photoLike(imagefile::LinearBitmap& bm, int w, int h) {
  bm.newImage(w, h, imagefile::pf24bit);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = bm.scanLine(y);
    for (int x = 0; x < w; ++x) {
      const double v = 128 + 60 * std::sin(x / 90.0) * std::cos(y / 70.0);
      row[3 * x] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v + y / 10) + noise(rng), 0, 255));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + noise(rng), 0, 255));
      row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(255 - v + x / 20) + noise(rng), 0, 255));
    }
  }
}

// ---- libpng ---------------------------------------------------------------------------------

struct PngSpec {
  int width = 1;
  int height = 1;
  int depth = 8;
  int colorType = 0;
  bool interlace = false;
  int level = 6;       // zlib level
  int filters = -1;    // -1: libpng's default
  Bytes palette;       // R, G, B
  Bytes trns;
};

inline void pngWriteFn(png_structp p, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
  out->insert(out->end(), data, data + n);
}
inline void pngFlushFn(png_structp) {}

// rows: packed PNG samples as libpng takes them (big-endian 16-bit samples).
inline Bytes libpngWrite(const PngSpec& s, const std::vector<Bytes>& rows) {
  Bytes out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_write_struct(&p, &info);
    return {};
  }
  png_set_write_fn(p, &out, pngWriteFn, pngFlushFn);
  png_set_compression_level(p, s.level);
  if (s.filters >= 0) png_set_filter(p, 0, s.filters);
  png_set_IHDR(p, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height), s.depth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(p, info, reinterpret_cast<png_const_colorp>(s.palette.data()),
                                       static_cast<int>(s.palette.size() / 3));
  if (!s.trns.empty()) png_set_tRNS(p, info, s.trns.data(), static_cast<int>(s.trns.size()), nullptr);
  std::vector<png_bytep> ptrs;
  for (const auto& r : rows) ptrs.push_back(const_cast<png_bytep>(r.data()));
  png_set_rows(p, info, ptrs.data());
  png_write_png(p, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&p, &info);
  return out;
}

struct PngImage {
  int width = 0, height = 0, depth = 0, colorType = 0;
  std::vector<Bytes> rows;            // raw samples
  Bytes palette;                      // R, G, B
  Bytes alpha;                        // a palette image's tRNS entries, as far as libpng keeps them
  int transparentGrey = -1;           // a grey image's tRNS level
  int transparentRgb[3] = {-1, -1, -1};  // an RGB image's tRNS colour
  long gamma = 0;                     // gAMA (times 100000); 0: none
  std::vector<std::string> warnings;  // libpng's
  bool ok = false;
};

struct ReadState {
  const Bytes* data;
  std::size_t pos;
};

inline void pngReadFn(png_structp p, png_bytep out, png_size_t n) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(p));
  if (st->pos + n > st->data->size()) png_error(p, "short");
  std::memcpy(out, st->data->data() + st->pos, n);
  st->pos += n;
}

inline PngImage libpngRead(const Bytes& data) {
  PngImage img;
  ReadState st{&data, 0};
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, &img, nullptr, [](png_structp q, png_const_charp m) {
    static_cast<PngImage*>(png_get_error_ptr(q))->warnings.emplace_back(m);
  });
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_read_struct(&p, &info, nullptr);
    img.ok = false;
    return img;
  }
  png_set_read_fn(p, &st, pngReadFn);
  png_read_info(p, info);
  img.width = static_cast<int>(png_get_image_width(p, info));
  img.height = static_cast<int>(png_get_image_height(p, info));
  img.depth = png_get_bit_depth(p, info);
  img.colorType = png_get_color_type(p, info);
  png_colorp pal;
  int n = 0;
  if (png_get_PLTE(p, info, &pal, &n))
    for (int i = 0; i < n; ++i) img.palette.insert(img.palette.end(), {pal[i].red, pal[i].green, pal[i].blue});
  png_bytep alpha = nullptr;
  png_color_16p transparent = nullptr;
  if (png_get_tRNS(p, info, &alpha, &n, &transparent)) {
    if (img.colorType == PNG_COLOR_TYPE_PALETTE && alpha) img.alpha.assign(alpha, alpha + n);
    if (img.colorType == PNG_COLOR_TYPE_GRAY && transparent) img.transparentGrey = transparent->gray;
    if (img.colorType == PNG_COLOR_TYPE_RGB && transparent) {
      img.transparentRgb[0] = transparent->red;
      img.transparentRgb[1] = transparent->green;
      img.transparentRgb[2] = transparent->blue;
    }
  }
  png_fixed_point gamma = 0;
  if (png_get_gAMA_fixed(p, info, &gamma)) img.gamma = gamma;
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  const std::size_t rb = png_get_rowbytes(p, info);
  img.rows.assign(static_cast<std::size_t>(img.height), Bytes(rb));
  std::vector<png_bytep> ptrs;
  for (auto& r : img.rows) ptrs.push_back(r.data());
  png_read_image(p, ptrs.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  img.ok = true;
  return img;
}

}  // namespace oracle
