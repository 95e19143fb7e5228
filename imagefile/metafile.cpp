#include "imagefile/metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "imagefile/bmp_loader.h"
#include "imagefile/byte_order.h"
#include "imagefile/color_utils.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

[[noreturn]] void invalid() { throw Error(text::kInvalidMetafile); }

constexpr std::uint32_t kSrcCopy = 0x00CC0020;

// EMF record types used here.
enum : std::uint32_t {
  EMR_HEADER = 1,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_EOF = 14,
  EMR_SETMAPMODE = 17,
  EMR_SETSTRETCHBLTMODE = 21,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_BITBLT = 76,
  EMR_STRETCHBLT = 77,
  EMR_SETDIBITSTODEVICE = 80,
  EMR_STRETCHDIBITS = 81,
};

// WMF record functions used here.
enum : std::uint16_t {
  META_EOF = 0x0000,
  META_SAVEDC = 0x001E,
  META_SETMAPMODE = 0x0103,
  META_SETSTRETCHBLTMODE = 0x0107,
  META_RESTOREDC = 0x0127,
  META_SETWINDOWORG = 0x020B,
  META_SETWINDOWEXT = 0x020C,
  META_SETVIEWPORTORG = 0x020D,
  META_SETVIEWPORTEXT = 0x020E,
  META_DIBBITBLT = 0x0940,
  META_DIBSTRETCHBLT = 0x0B41,
  META_SETDIBTODEV = 0x0D33,
  META_STRETCHDIB = 0x0F43,
};

// The bitmap as a packed DIB (40-byte header, palette, bottom-up rows).
std::vector<std::uint8_t> packedDib(const LinearBitmap& src, std::size_t& headerBytes) {
  LinearBitmap converted;
  const LinearBitmap* bm = &src;
  if (src.pixelFormat() == pf32bit || src.pixelFormat() == pf16bit) {
    converted.assign(src);
    converted.changePixelFormat(src.pixelFormat() == pf32bit ? pf24bit : pf8bit);
    bm = &converted;
  }
  if (bm->pixelFormat() != pf8bit && bm->pixelFormat() != pf24bit) throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const int bits = bm->pixelFormat() == pf8bit ? 8 : 24;
  const int w = bm->width(), h = bm->height();
  const std::int64_t stride = (static_cast<std::int64_t>(w) * bits + 31) / 32 * 4;
  std::vector<std::uint8_t> d;
  d.reserve(static_cast<std::size_t>(40 + 1024 + stride * h));
  appendLE32(d, 40);
  appendLE32(d, static_cast<std::uint32_t>(w));
  appendLE32(d, static_cast<std::uint32_t>(h));
  appendLE16(d, 1);
  appendLE16(d, static_cast<std::uint32_t>(bits));
  appendLE32(d, 0);
  appendLE32(d, static_cast<std::uint32_t>(stride * h));
  appendLE32(d, 0);
  appendLE32(d, 0);
  appendLE32(d, bits == 8 ? 256 : 0);
  appendLE32(d, 0);
  if (bits == 8)
    for (int i = 0; i < 256; ++i) d.insert(d.end(), {bm->palette()[3 * i], bm->palette()[3 * i + 1], bm->palette()[3 * i + 2], 0});
  headerBytes = d.size();
  for (int y = h - 1; y >= 0; --y) {
    const std::uint8_t* s = bm->scanLine(y);
    d.insert(d.end(), s, s + static_cast<std::ptrdiff_t>(w) * bm->pixelSize());
    d.resize(d.size() + static_cast<std::size_t>(stride - static_cast<std::int64_t>(w) * bm->pixelSize()), 0);
  }
  return d;
}

// A DIB (header, colours, bits) decoded through the bitmap reader; false when it is not one.
bool decodeDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits, std::size_t bitsSize,
               LinearBitmap& out, bool& bottomUp) {
  if (infoSize < 12) return false;
  std::vector<std::uint8_t> file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  file.insert(file.end(), info, info + infoSize);
  const std::uint32_t headerSize = le32(info);
  if (headerSize >= 40 && infoSize >= 12) {
    bottomUp = sle32(info + 8) > 0;
  } else {
    bottomUp = true;
  }
  putLE32(&file[10], static_cast<std::uint32_t>(file.size()));
  file.insert(file.end(), bits, bits + bitsSize);
  SpanStream s(file.data(), file.size());
  try {
    return readBMPFile(s, out) == 0;
  } catch (const InOutError&) {
    return false;  // bits cut short: the draw is skipped
  }
}

struct Placement {
  int mapMode = 1;
  double wox = 0, woy = 0, wex = 1, wey = 1;
  double vox = 0, voy = 0, vex = 1, vey = 1;
  bool windowSet = false;
};

// Draws src's rectangle (sx, sy, sw, sh; rows counted from the top of the decoded bitmap)
// into the output rectangle from (x0, y0) to (x1, y1), nearest pixel.
void stretch(LinearBitmap& out, const LinearBitmap& src, double sx, double sy, double sw, double sh, double x0,
             double y0, double x1, double y1) {
  if (!src.present() || sw == 0 || sh == 0 || x0 == x1 || y0 == y1) return;
  // Coordinates of a damaged file may lie far outside any int: clipped as doubles first.
  auto clipped = [](double v, int hi) {
    if (!(v > 0)) return 0;  // also NaN
    return v >= hi ? hi : static_cast<int>(v);
  };
  auto index = [](double v, int size) {
    return (v >= 0 && v < size) ? static_cast<int>(v) : -1;
  };
  const int ox0 = clipped(std::ceil(std::min(x0, x1) - 0.5), out.width());
  const int ox1 = clipped(std::ceil(std::max(x0, x1) - 0.5), out.width());
  const int oy0 = clipped(std::ceil(std::min(y0, y1) - 0.5), out.height());
  const int oy1 = clipped(std::ceil(std::max(y0, y1) - 0.5), out.height());
  if (ox0 >= ox1 || oy0 >= oy1) return;
  std::vector<int> cols(static_cast<std::size_t>(ox1 - ox0));
  for (int x = ox0; x < ox1; ++x) {
    const double u = (x + 0.5 - x0) / (x1 - x0);
    cols[static_cast<std::size_t>(x - ox0)] = index(std::floor(sx + u * sw), src.width());
  }
  const std::uint8_t* pal = src.palette();
  for (int y = oy0; y < oy1; ++y) {
    const double v = (y + 0.5 - y0) / (y1 - y0);
    const int row = index(std::floor(sy + v * sh), src.height());
    if (row < 0) continue;
    const std::uint8_t* s = src.scanLine(row);
    std::uint8_t* o = out.scanLine(y);
    for (int x = ox0; x < ox1; ++x) {
      const int c = cols[static_cast<std::size_t>(x - ox0)];
      if (c < 0) continue;
      const std::uint8_t* p = pal ? pal + 3 * s[c] : s + 3 * c;
      std::memcpy(o + 3 * x, p, 3);
    }
  }
}

// A source rectangle given with y from the bottom of a bottom-up DIB, as drawing calls do.
double sourceTop(const LinearBitmap& dib, bool bottomUp, double ySrc, double cySrc) {
  return bottomUp ? dib.height() - ySrc - cySrc : ySrc;
}

}  // namespace

void Metafile::load(std::vector<std::uint8_t> d) {
  data_.clear();
  width_ = height_ = 0;
  bitmapBytes_ = 0;
  if (d.size() >= 88 && le32(d.data()) == EMR_HEADER && le32(&d[40]) == 0x464D4520) {
    enhanced_ = true;
    const std::int32_t fl = sle32(&d[24]), ft = sle32(&d[28]), fr = sle32(&d[32]), fb = sle32(&d[36]);
    const std::int32_t devW = sle32(&d[72]), mmW = sle32(&d[80]);
    if (devW > 0 && mmW > 0) devicePerMm_ = static_cast<double>(devW) / mmW;
    // The frame (hundredths of a millimetre) gives the size; at 96 dots per inch.
    const double w = (static_cast<double>(fr) - fl) * 96 / 2540;
    const double h = (static_cast<double>(fb) - ft) * 96 / 2540;
    if (!(w >= 0.5 && h >= 0.5) || w > 1e6 || h > 1e6) invalid();
    width_ = static_cast<int>(std::lround(w));
    height_ = static_cast<int>(std::lround(h));
    boxLeft_ = fl / 100.0 * devicePerMm_;
    boxTop_ = ft / 100.0 * devicePerMm_;
    boxWidth_ = (static_cast<double>(fr) - fl) / 100.0 * devicePerMm_;
    boxHeight_ = (static_cast<double>(fb) - ft) / 100.0 * devicePerMm_;
    data_ = std::move(d);
    bitmapBytes_ = measureBitmaps();
    return;
  }
  enhanced_ = false;
  std::size_t at = 0;
  wmfPlaceable_ = false;
  double inch = 96;
  if (d.size() >= 22 && le32(d.data()) == 0x9AC6CDD7) {
    wmfPlaceable_ = true;
    const double l = sle16(&d[6]), t = sle16(&d[8]), r = sle16(&d[10]), b = sle16(&d[12]);
    inch = le16(&d[14]) ? le16(&d[14]) : 96;
    boxLeft_ = std::min(l, r);
    boxTop_ = std::min(t, b);
    boxWidth_ = std::abs(r - l);
    boxHeight_ = std::abs(b - t);
    at = 22;
  }
  if (d.size() < at + 18) invalid();
  const std::uint16_t type = le16(&d[at]), headerWords = le16(&d[at + 2]);
  if ((type != 1 && type != 2) || headerWords != 9) invalid();
  wmfStart_ = at + 18;
  if (!wmfPlaceable_) {
    // Without the placeable header the first window extent is the box.
    bool found = false;
    double ox = 0, oy = 0;
    for (std::size_t p = wmfStart_; p + 6 <= d.size();) {
      const std::uint32_t words = le32(&d[p]);
      const std::uint16_t fn = le16(&d[p + 4]);
      if (words < 3 || words > (d.size() - p) / 2 || fn == META_EOF) break;
      if (fn == META_SETWINDOWORG && words >= 5) {
        oy = sle16(&d[p + 6]);
        ox = sle16(&d[p + 8]);
      }
      if (fn == META_SETWINDOWEXT && words >= 5) {
        boxHeight_ = std::abs(sle16(&d[p + 6]));
        boxWidth_ = std::abs(sle16(&d[p + 8]));
        found = true;
        break;
      }
      p += static_cast<std::size_t>(words) * 2;
    }
    if (!found) invalid();
    boxLeft_ = ox;
    boxTop_ = oy;
  }
  const double w = boxWidth_ * 96 / inch, h = boxHeight_ * 96 / inch;
  if (!(w >= 0.5 && h >= 0.5)) invalid();
  width_ = static_cast<int>(std::lround(w));
  height_ = static_cast<int>(std::lround(h));
  data_ = std::move(d);
  bitmapBytes_ = measureBitmaps();
}

// The record walks of renderEmf and renderWmf, looking only at the record types.
std::size_t Metafile::measureBitmaps() const {
  const std::vector<std::uint8_t>& d = data_;
  std::size_t bytes = 0;
  if (enhanced_) {
    for (std::size_t p = 0; p + 8 <= d.size();) {
      const std::uint32_t type = le32(&d[p]);
      const std::uint32_t size = le32(&d[p + 4]);
      if (size < 8 || size > d.size() - p || type == EMR_EOF) break;
      // Block transfers without a source bitmap are fills.
      if (type == EMR_STRETCHDIBITS || type == EMR_SETDIBITSTODEVICE ||
          ((type == EMR_BITBLT || type == EMR_STRETCHBLT) && size >= 100 && le32(&d[p + 88]) != 0))
        bytes += size;
      p += size;
    }
    return bytes;
  }
  for (std::size_t p = wmfStart_; p + 6 <= d.size();) {
    const std::uint32_t words = le32(&d[p]);
    const std::uint16_t fn = le16(&d[p + 4]);
    if (words < 3 || words > (d.size() - p) / 2 || fn == META_EOF) break;
    // The bitmap's place in the record as the player takes it; shorter records are fills.
    const std::size_t dibAt = fn == META_STRETCHDIB      ? 28
                              : fn == META_DIBSTRETCHBLT ? 26
                              : fn == META_DIBBITBLT     ? 22
                              : fn == META_SETDIBTODEV   ? 24
                                                         : 0;
    if (dibAt && dibAt + 12 <= static_cast<std::size_t>(words) * 2) bytes += static_cast<std::size_t>(words) * 2;
    p += static_cast<std::size_t>(words) * 2;
  }
  return bytes;
}

void Metafile::render(LinearBitmap& out, int width, int height) const {
  out.newImage(width, height, pf24bit);
  out.clearColor(0xFFFFFF);
  if (data_.empty()) return;
  if (enhanced_) {
    renderEmf(out);
  } else {
    renderWmf(out);
  }
}

Metafile::Size Metafile::canvasSize() const {
  // A drawing of A4 paper in tenths of a millimetre without a placeable header is 21000 x
  // 29700 pixels at 96 units per inch, and a file of a few bytes may declare a box of metres:
  // their white alone would cost gigabytes. Only bitmaps of that size need such a canvas.
  const std::int64_t pixels = std::int64_t{width_} * height_;
  if (pixels <= kFreeCanvasPixels || pixels / kPixelsPerBitmapByte <= static_cast<std::int64_t>(bitmapBytes_))
    return {width_, height_};
  const double scale = std::sqrt(static_cast<double>(kFreeCanvasPixels) / static_cast<double>(pixels));
  const int h = std::max(1, static_cast<int>(height_ * scale));
  const int w = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(width_ * scale), 1, kFreeCanvasPixels / h));
  return {w, h};
}

void Metafile::renderAtNaturalSize(LinearBitmap& out) const {
  const Size size = canvasSize();
  render(out, size.width, size.height);
}

void Metafile::renderEmf(LinearBitmap& out) const {
  const std::vector<std::uint8_t>& d = data_;
  Placement pl;
  std::vector<Placement> saved;
  const double sx = out.width() / boxWidth_, sy = out.height() / boxHeight_;
  auto toDevice = [&](double x, double y, double& ox, double& oy) {
    double dx, dy;
    switch (pl.mapMode) {
      case 7:
      case 8:
        dx = (x - pl.wox) * (pl.wex ? pl.vex / pl.wex : 1) + pl.vox;
        dy = (y - pl.woy) * (pl.wey ? pl.vey / pl.wey : 1) + pl.voy;
        break;
      case 2:
      case 3:
      case 4:
      case 5:
      case 6: {
        static const double kMm[7] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
        const double f = kMm[pl.mapMode] * devicePerMm_;
        dx = (x - pl.wox) * f + pl.vox;
        dy = -(y - pl.woy) * f + pl.voy;
        break;
      }
      default:
        dx = x - pl.wox + pl.vox;
        dy = y - pl.woy + pl.voy;
    }
    ox = (dx - boxLeft_) * sx;
    oy = (dy - boxTop_) * sy;
  };
  LinearBitmap dib;
  for (std::size_t p = 0; p + 8 <= d.size();) {
    const std::uint32_t type = le32(&d[p]);
    const std::uint32_t size = le32(&d[p + 4]);
    if (size < 8 || size > d.size() - p) break;
    const std::uint8_t* r = &d[p];
    switch (type) {
      case EMR_SETWINDOWEXTEX:
        if (size >= 16) pl.wex = sle32(r + 8), pl.wey = sle32(r + 12);
        break;
      case EMR_SETWINDOWORGEX:
        if (size >= 16) pl.wox = sle32(r + 8), pl.woy = sle32(r + 12);
        break;
      case EMR_SETVIEWPORTEXTEX:
        if (size >= 16) pl.vex = sle32(r + 8), pl.vey = sle32(r + 12);
        break;
      case EMR_SETVIEWPORTORGEX:
        if (size >= 16) pl.vox = sle32(r + 8), pl.voy = sle32(r + 12);
        break;
      case EMR_SETMAPMODE:
        if (size >= 12) pl.mapMode = sle32(r + 8);
        break;
      case EMR_SAVEDC:
        if (saved.size() < 1024) saved.push_back(pl);
        break;
      case EMR_RESTOREDC:
        if (size >= 12) {
          const std::int32_t n = sle32(r + 8);
          // Negative: relative to the newest saved state.
          const std::int64_t keep = n < 0 ? static_cast<std::int64_t>(saved.size()) + n : n - 1;
          if (keep >= 0 && keep < static_cast<std::int64_t>(saved.size())) {
            pl = saved[static_cast<std::size_t>(keep)];
            saved.resize(static_cast<std::size_t>(keep));
          }
        }
        break;
      case EMR_STRETCHDIBITS:
      case EMR_SETDIBITSTODEVICE:
      case EMR_BITBLT:
      case EMR_STRETCHBLT: {
        // Field offsets of the four raster records: destination, source, and the DIB.
        std::int32_t xd, yd, cxd, cyd, xs, ys, cxs, cys;
        std::uint32_t offBmi, cbBmi, offBits, cbBits;
        if (type == EMR_STRETCHDIBITS) {
          if (size < 80) break;
          xd = sle32(r + 24), yd = sle32(r + 28), xs = sle32(r + 32), ys = sle32(r + 36);
          cxs = sle32(r + 40), cys = sle32(r + 44);
          offBmi = le32(r + 48), cbBmi = le32(r + 52), offBits = le32(r + 56), cbBits = le32(r + 60);
          cxd = sle32(r + 72), cyd = sle32(r + 76);
        } else if (type == EMR_SETDIBITSTODEVICE) {
          if (size < 76) break;
          xd = sle32(r + 24), yd = sle32(r + 28), xs = sle32(r + 32), ys = sle32(r + 36);
          cxs = sle32(r + 40), cys = sle32(r + 44);
          offBmi = le32(r + 48), cbBmi = le32(r + 52), offBits = le32(r + 56), cbBits = le32(r + 60);
          cxd = cxs, cyd = cys;
        } else {
          const std::size_t base = type == EMR_BITBLT ? 100 : 108;
          if (size < base) break;
          xd = sle32(r + 24), yd = sle32(r + 28), cxd = sle32(r + 32), cyd = sle32(r + 36);
          xs = sle32(r + 44), ys = sle32(r + 48);
          offBmi = le32(r + 84), cbBmi = le32(r + 88), offBits = le32(r + 92), cbBits = le32(r + 96);
          cxs = type == EMR_STRETCHBLT ? sle32(r + 100) : cxd;
          cys = type == EMR_STRETCHBLT ? sle32(r + 104) : cyd;
        }
        if (cbBmi == 0 || offBmi > size || cbBmi > size - offBmi || offBits > size || cbBits > size - offBits) break;
        bool bottomUp = true;
        if (!decodeDib(r + offBmi, cbBmi, r + offBits, cbBits, dib, bottomUp)) break;
        double x0, y0, x1, y1;
        toDevice(xd, yd, x0, y0);
        toDevice(static_cast<double>(xd) + cxd, static_cast<double>(yd) + cyd, x1, y1);
        stretch(out, dib, xs, sourceTop(dib, bottomUp, ys, cys), cxs, cys, x0, y0, x1, y1);
        break;
      }
      default: break;
    }
    if (type == EMR_EOF) break;
    p += size;
  }
}

void Metafile::renderWmf(LinearBitmap& out) const {
  const std::vector<std::uint8_t>& d = data_;
  Placement pl;
  pl.wox = boxLeft_;
  pl.woy = boxTop_;
  pl.wex = boxWidth_;
  pl.wey = boxHeight_;
  std::vector<Placement> saved;
  // The file's window is stretched over the picture; with a placeable header its box is.
  auto toOut = [&](double x, double y, double& ox, double& oy) {
    const double wx = wmfPlaceable_ ? boxLeft_ : pl.wox, wy = wmfPlaceable_ ? boxTop_ : pl.woy;
    const double ww = wmfPlaceable_ ? boxWidth_ : pl.wex, wh = wmfPlaceable_ ? boxHeight_ : pl.wey;
    ox = (x - wx) * out.width() / (ww ? ww : 1);
    oy = (y - wy) * out.height() / (wh ? wh : 1);
  };
  LinearBitmap dib;
  for (std::size_t p = wmfStart_; p + 6 <= d.size();) {
    const std::uint32_t words = le32(&d[p]);
    const std::uint16_t fn = le16(&d[p + 4]);
    if (words < 3 || words > (d.size() - p) / 2) break;
    const std::size_t size = static_cast<std::size_t>(words) * 2;
    const std::uint8_t* r = &d[p];
    if (fn == META_EOF) break;
    switch (fn) {
      case META_SETWINDOWORG:
        if (size >= 10) pl.woy = sle16(r + 6), pl.wox = sle16(r + 8);
        break;
      case META_SETWINDOWEXT:
        if (size >= 10) pl.wey = sle16(r + 6), pl.wex = sle16(r + 8);
        break;
      case META_SETVIEWPORTORG:
        if (size >= 10) pl.voy = sle16(r + 6), pl.vox = sle16(r + 8);
        break;
      case META_SETVIEWPORTEXT:
        if (size >= 10) pl.vey = sle16(r + 6), pl.vex = sle16(r + 8);
        break;
      case META_SETMAPMODE:
        if (size >= 8) pl.mapMode = le16(r + 6);
        break;
      case META_SAVEDC:
        if (saved.size() < 1024) saved.push_back(pl);
        break;
      case META_RESTOREDC:
        if (size >= 8) {
          const std::int16_t n = sle16(r + 6);
          const std::int64_t keep = n < 0 ? static_cast<std::int64_t>(saved.size()) + n : n - 1;
          if (keep >= 0 && keep < static_cast<std::int64_t>(saved.size())) {
            pl = saved[static_cast<std::size_t>(keep)];
            saved.resize(static_cast<std::size_t>(keep));
          }
        }
        break;
      case META_STRETCHDIB:
      case META_DIBSTRETCHBLT:
      case META_DIBBITBLT:
      case META_SETDIBTODEV: {
        // Parameters are stored last to first after the function word.
        double xd, yd, cxd, cyd, xs, ys, cxs, cys;
        std::size_t dibAt;
        if (fn == META_STRETCHDIB) {
          if (size < 28) break;
          cys = sle16(r + 12), cxs = sle16(r + 14), ys = sle16(r + 16), xs = sle16(r + 18);
          cyd = sle16(r + 20), cxd = sle16(r + 22), yd = sle16(r + 24), xd = sle16(r + 26);
          dibAt = 28;
        } else if (fn == META_DIBSTRETCHBLT) {
          if (size < 26) break;
          cys = sle16(r + 10), cxs = sle16(r + 12), ys = sle16(r + 14), xs = sle16(r + 16);
          cyd = sle16(r + 18), cxd = sle16(r + 20), yd = sle16(r + 22), xd = sle16(r + 24);
          dibAt = 26;
        } else if (fn == META_DIBBITBLT) {
          if (size < 22) break;
          ys = sle16(r + 10), xs = sle16(r + 12);
          cyd = sle16(r + 14), cxd = sle16(r + 16), yd = sle16(r + 18), xd = sle16(r + 20);
          cxs = cxd, cys = cyd;
          dibAt = 22;
        } else {
          if (size < 24) break;
          // colour use, scan count, first scan, y src, x src, height, width, y dest, x dest
          ys = sle16(r + 12), xs = sle16(r + 14);
          cyd = sle16(r + 16), cxd = sle16(r + 18), yd = sle16(r + 20), xd = sle16(r + 22);
          cxs = cxd, cys = cyd;
          dibAt = 24;
        }
        if (dibAt + 12 > size) break;
        // The packed DIB: its header tells where the bits begin.
        const std::uint8_t* info = r + dibAt;
        const std::size_t left = size - dibAt;
        const std::uint32_t hs = le32(info);
        std::size_t colours = 0;
        if (hs == 12) {
          const int bits = le16(info + 10);
          colours = bits <= 8 ? (std::size_t{3} << bits) : 0;
        } else if (hs >= 40 && left >= 40) {
          const int bits = le16(info + 14);
          const std::uint32_t used = le32(info + 32);
          const std::uint32_t comp = le32(info + 16);
          colours = bits <= 8 ? 4 * static_cast<std::size_t>(used ? std::min<std::uint32_t>(used, 256) : 1u << bits) : 0;
          if (hs == 40 && (comp == 3 || comp == 6)) colours += comp == 6 ? 16 : 12;
        } else {
          break;
        }
        const std::size_t infoSize = hs + colours;
        if (infoSize > left) break;
        bool bottomUp = true;
        if (!decodeDib(info, infoSize, info + infoSize, left - infoSize, dib, bottomUp)) break;
        double x0, y0, x1, y1;
        toOut(xd, yd, x0, y0);
        toOut(xd + cxd, yd + cyd, x1, y1);
        stretch(out, dib, xs, sourceTop(dib, bottomUp, ys, cys), cxs, cys, x0, y0, x1, y1);
        break;
      }
      default: break;
    }
    p += size;
  }
}

std::vector<std::uint8_t> Metafile::writeEmf(const LinearBitmap& bitmap) {
  std::size_t bmiBytes = 0;
  const std::vector<std::uint8_t> dib = packedDib(bitmap, bmiBytes);
  const int w = bitmap.width(), h = bitmap.height();
  // Reference device: 96 dots per inch.
  const std::int32_t devW = 1920, devH = 1080;
  const std::int32_t mmW = 508, mmH = 286;
  std::vector<std::uint8_t> b;
  appendLE32(b, EMR_HEADER);
  appendLE32(b, 108);
  for (std::int32_t v : {0, 0, w - 1, h - 1}) appendLE32(b, static_cast<std::uint32_t>(v));
  for (long long v : {0LL, 0LL, std::llround(w * 2540.0 / 96), std::llround(h * 2540.0 / 96)})
    appendLE32(b, static_cast<std::uint32_t>(v));
  appendLE32(b, 0x464D4520);
  appendLE32(b, 0x10000);
  appendLE32(b, 0);  // bytes, set at the end
  appendLE32(b, 4);  // records
  appendLE16(b, 1);  // handles
  appendLE16(b, 0);
  appendLE32(b, 0);  // description
  appendLE32(b, 0);
  appendLE32(b, 0);  // palette entries
  for (std::int32_t v : {devW, devH, mmW, mmH}) appendLE32(b, static_cast<std::uint32_t>(v));
  appendLE32(b, 0);  // pixel format
  appendLE32(b, 0);
  appendLE32(b, 0);  // OpenGL
  appendLE32(b, static_cast<std::uint32_t>(mmW * 1000));
  appendLE32(b, static_cast<std::uint32_t>(mmH * 1000));

  appendLE32(b, EMR_SETSTRETCHBLTMODE);
  appendLE32(b, 12);
  appendLE32(b, 3);  // colour on colour: no smoothing

  appendLE32(b, EMR_STRETCHDIBITS);
  appendLE32(b, static_cast<std::uint32_t>(80 + dib.size()));
  for (std::int32_t v : {0, 0, w - 1, h - 1}) appendLE32(b, static_cast<std::uint32_t>(v));
  for (std::int32_t v : {0, 0, 0, 0, w, h}) appendLE32(b, static_cast<std::uint32_t>(v));
  appendLE32(b, 80);
  appendLE32(b, static_cast<std::uint32_t>(bmiBytes));
  appendLE32(b, static_cast<std::uint32_t>(80 + bmiBytes));
  appendLE32(b, static_cast<std::uint32_t>(dib.size() - bmiBytes));
  appendLE32(b, 0);  // DIB_RGB_COLORS
  appendLE32(b, kSrcCopy);
  appendLE32(b, static_cast<std::uint32_t>(w));
  appendLE32(b, static_cast<std::uint32_t>(h));
  b.insert(b.end(), dib.begin(), dib.end());

  appendLE32(b, EMR_EOF);
  appendLE32(b, 20);
  appendLE32(b, 0);
  appendLE32(b, 16);
  appendLE32(b, 20);
  putLE32(&b[48], static_cast<std::uint32_t>(b.size()));
  return b;
}

std::vector<std::uint8_t> Metafile::writeWmf(const LinearBitmap& bitmap) {
  const int w = bitmap.width(), h = bitmap.height();
  if (w > 32767 || h > 32767) throw LinearBitmapError(text::kInvalidBitmapSize);
  std::size_t bmiBytes = 0;
  const std::vector<std::uint8_t> dib = packedDib(bitmap, bmiBytes);
  std::vector<std::uint8_t> b;
  appendLE32(b, 0x9AC6CDD7);
  appendLE16(b, 0);
  for (int v : {0, 0, w, h}) appendLE16(b, static_cast<std::uint32_t>(v));
  appendLE16(b, 96);
  appendLE32(b, 0);
  std::uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum = static_cast<std::uint16_t>(sum ^ le16(&b[2 * static_cast<std::size_t>(i)]));
  appendLE16(b, sum);

  const std::size_t head = b.size();
  appendLE16(b, 1);       // in memory
  appendLE16(b, 9);       // header words
  appendLE16(b, 0x0300);  // version
  appendLE32(b, 0);       // size in words, set at the end
  appendLE16(b, 0);       // objects
  appendLE32(b, 0);       // largest record, set at the end
  appendLE16(b, 0);
  std::uint32_t largest = 0;
  auto record = [&](std::uint16_t fn, std::initializer_list<int> params) {
    const std::uint32_t words = 3 + static_cast<std::uint32_t>(params.size());
    largest = std::max(largest, words);
    appendLE32(b, words);
    appendLE16(b, fn);
    for (int v : params) appendLE16(b, static_cast<std::uint32_t>(v));
  };
  record(META_SETWINDOWORG, {0, 0});
  record(META_SETWINDOWEXT, {h, w});
  record(META_SETSTRETCHBLTMODE, {3});
  const std::size_t dibWords = (dib.size() + 1) / 2;
  const std::uint64_t words = 3 + 2 + 1 + 8 + dibWords;
  if (words > 0xFFFFFFFFu) throw LinearBitmapError(text::kInvalidBitmapSize);
  largest = std::max(largest, static_cast<std::uint32_t>(words));
  appendLE32(b, static_cast<std::uint32_t>(words));
  appendLE16(b, META_STRETCHDIB);
  appendLE32(b, kSrcCopy);
  appendLE16(b, 0);  // DIB_RGB_COLORS
  for (int v : {h, w, 0, 0, h, w, 0, 0}) appendLE16(b, static_cast<std::uint32_t>(v));
  b.insert(b.end(), dib.begin(), dib.end());
  if (dib.size() & 1) b.push_back(0);
  record(META_EOF, {});
  putLE32(&b[head + 6], static_cast<std::uint32_t>((b.size() - head) / 2));
  putLE32(&b[head + 12], largest);
  return b;
}

void reduceToPalette(LinearBitmap& bitmap) {
  if (bitmap.pixelFormat() != pf24bit || countColors(bitmap) > 256) return;
  LinearBitmap out;
  out.newImage(bitmap.width(), bitmap.height(), pf8bit);
  // One pass: a colour's index is its place among the colours in order of first appearance.
  // A run of one colour (most of a chart) is looked up once; a colour met before is found
  // without allocating.
  std::unordered_map<std::uint32_t, std::uint8_t> index;
  std::vector<std::uint32_t> colours;
  const std::uint8_t* m = bitmap.map();
  std::uint8_t* o = out.map();
  const std::int64_t n = bitmap.size() / 3;
  std::uint32_t last = 0;
  std::uint8_t lastIndex = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::uint32_t c = m[3 * i] | (m[3 * i + 1] << 8) | (m[3 * i + 2] << 16);
    if (i == 0 || c != last) {
      const auto [at, isNew] = index.try_emplace(c, static_cast<std::uint8_t>(colours.size()));
      if (isNew) colours.push_back(c);
      last = c;
      lastIndex = at->second;
    }
    o[i] = lastIndex;
  }
  std::uint8_t* pal = out.palette();
  std::memset(pal, 0, 768);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    pal[3 * i] = static_cast<std::uint8_t>(colours[i]);
    pal[3 * i + 1] = static_cast<std::uint8_t>(colours[i] >> 8);
    pal[3 * i + 2] = static_cast<std::uint8_t>(colours[i] >> 16);
  }
  bitmap.takeOver(out);
}

bool WMFLoader::canLoad(const std::string& ext) { return ext == "WMF" || ext == "EMF"; }
bool WMFLoader::canSave(const std::string& ext) { return canLoad(ext); }
std::string WMFLoader::getLoadFilter() { return "Windows metafile (*.wmf,*.emf)|*.wmf;*.emf"; }
std::string WMFLoader::getSaveFilter() {
  return "Windows metafile (*.wmf)|*.wmf|Windows enhanced metafile (*.emf)|*.emf";
}

void WMFLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  Metafile mf;
  mf.load(readWholeStream(stream));
  mf.renderAtNaturalSize(bitmap);
  reduceToPalette(bitmap);
}

void WMFLoader::saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  if (!bitmap.present()) throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const std::vector<std::uint8_t> b =
      !ext.empty() && (ext[0] == 'E' || ext[0] == 'e') ? Metafile::writeEmf(bitmap) : Metafile::writeWmf(bitmap);
  stream.write(b.data(), b.size());
}

WMFLoader& wmfLoader() {
  static WMFLoader loader;
  return loader;
}

}  // namespace imagefile
