#include "gif/qt/color_reduction.h"

#include <algorithm>

#include "gif/errors.h"
#include "gif/qt/gif_bitmap.h"

namespace gif {

const std::vector<ColorValue>& systemColors() {
  static const std::vector<ColorValue> colors = {
      makeColor(0, 0, 0),       makeColor(128, 0, 0),     makeColor(0, 128, 0),     makeColor(128, 128, 0),
      makeColor(0, 0, 128),     makeColor(128, 0, 128),   makeColor(0, 128, 128),   makeColor(192, 192, 192),
      makeColor(192, 220, 192), makeColor(166, 202, 240), makeColor(255, 251, 240), makeColor(160, 160, 164),
      makeColor(128, 128, 128), makeColor(255, 0, 0),     makeColor(0, 255, 0),     makeColor(255, 255, 0),
      makeColor(0, 0, 255),     makeColor(255, 0, 255),   makeColor(0, 255, 255),   makeColor(255, 255, 255)};
  return colors;
}

std::vector<ColorValue> halftonePalette() {
  const auto& sys = systemColors();
  std::vector<ColorValue> p(sys.begin(), sys.begin() + 10);
  for (ColorValue c : webPalette()) p.push_back(c);
  // Greys between the web palette's six levels.
  for (int i = 1; i <= 20; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / 21);
    p.push_back(makeColor(v, v, v));
  }
  p.insert(p.end(), sys.begin() + 10, sys.end());
  return p;
}

std::vector<ColorValue> grey4Palette() {
  return {makeColor(0, 0, 0), makeColor(0x80, 0x80, 0x80), makeColor(0xC0, 0xC0, 0xC0), makeColor(0xFF, 0xFF, 0xFF)};
}

std::vector<ColorValue> grey256Palette() {
  std::vector<ColorValue> p;
  for (int i = 0; i < 256; ++i) p.push_back(makeColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
  return p;
}

std::vector<ColorValue> blackWhitePalette() { return {makeColor(0, 0, 0), makeColor(255, 255, 255)}; }

// --- lookups ----------------------------------------------------------------------------------

SlowColorLookup::SlowColorLookup(const std::vector<ColorValue>& palette)
    : pal_(palette.begin(), palette.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(palette.size(), 256))),
      cacheKey_(size_t{1} << kCacheBits, 0),
      cacheValue_(size_t{1} << kCacheBits, 0) {
  for (ColorValue c : pal_) {
    pr_.push_back(colorRed(c));
    pg_.push_back(colorGreen(c));
    pb_.push_back(colorBlue(c));
  }
}

uint8_t SlowColorLookup::search(int r, int g, int b) const {
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  const int n = static_cast<int>(pal_.size());
  for (int i = 0; i < n; ++i) {
    const int dr = r - pr_[static_cast<size_t>(i)], dg = g - pg_[static_cast<size_t>(i)], db = b - pb_[static_cast<size_t>(i)];
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

uint8_t SlowColorLookup::lookup(int r, int g, int b, int& ro, int& go, int& bo) {
  const uint32_t rgb = static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
  const uint32_t key = rgb | 0x1000000u;
  const size_t slot = ((rgb * 2654435761u) >> (32 - kCacheBits)) & ((1u << kCacheBits) - 1);
  uint8_t index;
  if (cacheKey_[slot] == key) {
    index = cacheValue_[slot];
  } else {
    index = search(r, g, b);
    cacheKey_[slot] = key;
    cacheValue_[slot] = index;
  }
  ro = pr_[index];
  go = pg_[index];
  bo = pb_[index];
  return index;
}

uint8_t NetscapeColorLookup::lookup(int r, int g, int b, int& ro, int& go, int& bo) {
  const int lr = (r + 3) / 51, lg = (g + 3) / 51, lb = (b + 3) / 51;
  ro = lr * 51;
  go = lg * 51;
  bo = lb * 51;
  return static_cast<uint8_t>(36 * lr + 6 * lg + lb);
}

uint8_t GrayScaleLookup::lookup(int r, int g, int b, int& ro, int& go, int& bo) {
  const int grey = (77 * r + 150 * g + 29 * b) >> 8;
  ro = go = bo = grey;
  return static_cast<uint8_t>(grey);
}

uint8_t MonochromeLookup::lookup(int r, int g, int b, int& ro, int& go, int& bo) {
  if (77 * r + 150 * g + 29 * b < 32513) {
    ro = go = bo = 0;
    return 0;
  }
  ro = go = bo = 255;
  return 1;
}

// --- ditherers --------------------------------------------------------------------------------

uint8_t DitherEngine::dither(int r, int g, int b, int& ro, int& go, int& bo) {
  const uint8_t i = lookup_->lookup(r, g, b, ro, go, bo);
  column_ += direction_;
  return i;
}

void DitherEngine::nextLine() {
  direction_ = -direction_;
  column_ = direction_ > 0 ? 0 : width_ - 1;
}

const DitherKernel& ditherKernel(int mode) {
  //                                  -3  -2  -1   0  +1  +2  +3
  static const DitherKernel kernels[6] = {
      {16, 2, {{{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}, {}, {}}}},
      {42, 3, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}, {}}}},
      {32, 3, {{{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}, {}}}},
      {48, 3, {{{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}, {}}}},
      {200, 4, {{{0, 0, 0, 0, 0, 32, 0}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}}}},
      {32, 2, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {}, {}}}},
  };
  return kernels[std::clamp(mode, 1, 6) - 1];
}

ErrorDiffusionDitherer::ErrorDiffusionDitherer(int width, ColorLookup* lookup, const DitherKernel& kernel)
    : DitherEngine(width, lookup), kernel_(kernel), errors_(static_cast<size_t>(3 * 4 * (width + 2 * kReach)), 0) {}

uint8_t ErrorDiffusionDitherer::dither(int r, int g, int b, int& ro, int& go, int& bo) {
  const int col = column_;
  const int d = kernel_.divisor;
  int in[3] = {r, g, b};
  for (int ch = 0; ch < 3; ++ch) in[ch] = std::clamp(in[ch] + (*errorAt(ch, 0, col) + d / 2) / d, 0, 255);
  const uint8_t index = lookup_->lookup(in[0], in[1], in[2], ro, go, bo);
  const int out[3] = {ro, go, bo};
  for (int ch = 0; ch < 3; ++ch) {
    const int e = in[ch] - out[ch];
    if (e == 0) continue;
    for (int row = 0; row < kernel_.rows; ++row) {
      int32_t* base = errorAt(ch, row, col);
      const auto& w = kernel_.weights[static_cast<size_t>(row)];
      for (int off = -kReach; off <= kReach; ++off) {
        const int weight = w[static_cast<size_t>(off + kReach)];
        if (weight) base[off * direction_] += e * weight;
      }
    }
  }
  column_ += direction_;
  return index;
}

void ErrorDiffusionDitherer::nextLine() {
  // The finished row is cleared and becomes the last one.
  for (int ch = 0; ch < 3; ++ch) std::fill_n(errorAt(ch, 0, -kReach), width_ + 2 * kReach, 0);
  firstRow_ = (firstRow_ + 1) % 4;
  DitherEngine::nextLine();
}

std::unique_ptr<DitherEngine> makeDitherer(int mode, int width, ColorLookup* lookup) {
  if (mode == dtNearest) return std::make_unique<DitherEngine>(width, lookup);
  return std::make_unique<ErrorDiffusionDitherer>(width, lookup, ditherKernel(mode));
}

// --- octree -----------------------------------------------------------------------------------

ColorQuantizer::ColorQuantizer(int maxColors, int colorBits) : maxColors_(std::max(maxColors, 1)), colorBits_(colorBits) {
  reducible_.fill(-1);
  nodes_.reserve(4096);
  newNode(0);
}

int ColorQuantizer::newNode(int level) {
  int i;
  if (!free_.empty()) {
    i = free_.back();
    free_.pop_back();
    nodes_[static_cast<size_t>(i)] = Node{};
  } else {
    i = static_cast<int>(nodes_.size());
    nodes_.push_back(Node{});
  }
  Node& n = nodes_[static_cast<size_t>(i)];
  n.child.fill(-1);
  if (level >= colorBits_) {
    n.leaf = true;
    ++leaves_;
  } else {
    n.next = reducible_[static_cast<size_t>(level)];
    reducible_[static_cast<size_t>(level)] = i;
  }
  return i;
}

void ColorQuantizer::addColor(int r, int g, int b) {
  int node = 0;
  for (int level = 0; !nodes_[static_cast<size_t>(node)].leaf; ++level) {
    const int shift = 7 - level;
    const int idx = (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
    int c = nodes_[static_cast<size_t>(node)].child[static_cast<size_t>(idx)];
    if (c < 0) {
      c = newNode(level + 1);
      nodes_[static_cast<size_t>(node)].child[static_cast<size_t>(idx)] = c;
    }
    node = c;
  }
  Node& leaf = nodes_[static_cast<size_t>(node)];
  ++leaf.count;
  leaf.r += static_cast<uint64_t>(r);
  leaf.g += static_cast<uint64_t>(g);
  leaf.b += static_cast<uint64_t>(b);
  while (leaves_ > maxColors_) reduce();
}

void ColorQuantizer::reduce() {
  int level = colorBits_ - 1;
  while (level > 0 && reducible_[static_cast<size_t>(level)] < 0) --level;
  const int i = reducible_[static_cast<size_t>(level)];
  if (i < 0) {
    leaves_ = std::min(leaves_, maxColors_);  // nothing left to merge
    return;
  }
  Node& n = nodes_[static_cast<size_t>(i)];
  reducible_[static_cast<size_t>(level)] = n.next;
  int children = 0;
  for (int& c : n.child) {
    if (c < 0) continue;
    const Node& child = nodes_[static_cast<size_t>(c)];
    n.count += child.count;
    n.r += child.r;
    n.g += child.g;
    n.b += child.b;
    free_.push_back(c);
    c = -1;
    ++children;
  }
  n.leaf = true;
  leaves_ -= children - 1;
}

void ColorQuantizer::collect(int node, std::vector<ColorValue>& out) const {
  const Node& n = nodes_[static_cast<size_t>(node)];
  if (n.leaf) {
    if (n.count == 0)
      out.push_back(0);
    else
      out.push_back(makeColor(static_cast<uint8_t>(n.r / n.count), static_cast<uint8_t>(n.g / n.count),
                              static_cast<uint8_t>(n.b / n.count)));
    return;
  }
  for (int c : n.child)
    if (c >= 0) collect(c, out);
}

std::vector<ColorValue> ColorQuantizer::colors() const {
  std::vector<ColorValue> out;
  collect(0, out);
  return out;
}

std::vector<ColorValue> octreePalette(const QImage& rgb32, int colors, bool withSystemColors) {
  ColorQuantizer q(withSystemColors ? 236 : colors, 8);
  for (int y = 0; y < rgb32.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
    for (int x = 0; x < rgb32.width(); ++x) q.addColor(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
  }
  const std::vector<ColorValue> found = q.colors();
  if (!withSystemColors) {
    std::vector<ColorValue> p(static_cast<size_t>(colors), 0);
    std::copy_n(found.begin(), std::min(found.size(), p.size()), p.begin());
    return p;
  }
  const auto& sys = systemColors();
  std::vector<ColorValue> p(256, 0);
  std::copy(sys.begin(), sys.begin() + 10, p.begin());
  std::copy_n(found.begin(), std::min<size_t>(found.size(), 236), p.begin() + 10);
  std::copy(sys.begin() + 10, sys.end(), p.begin() + 246);
  return p;
}

// --- reduction --------------------------------------------------------------------------------

namespace {
Reduction reduceImage(const QImage& image, const ReductionSettings& settings) {
  if (settings.method < rdNone || settings.method > rdPalette) raiseError("Invalid reduction method");
  if (settings.dither < dtNearest || settings.dither > dtBurkes) raiseError("Invalid dither mode");
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) raiseError("Invalid image dimensions");
  Reduction result;
  result.width = image.width();
  result.height = image.height();
  if (settings.method == rdNone) return result;

  // Our own copy: the caller's image keeps its format.
  const QImage src = image.convertToFormat(QImage::Format_RGB32);
  if (src.isNull()) throw GifOutOfMemory("Failed to allocate memory for GIF DIB");
  std::unique_ptr<ColorLookup> lookup;
  switch (settings.method) {
    case rdSystem20: result.palette = systemColors(); break;
    case rdHalftone: result.palette = halftonePalette(); break;
    case rdGrey4: result.palette = grey4Palette(); break;
    case rdBlackWhite: result.palette = blackWhitePalette(); lookup = std::make_unique<MonochromeLookup>(); break;
    case rdGrey256: result.palette = grey256Palette(); lookup = std::make_unique<GrayScaleLookup>(); break;
    case rdWeb216: result.palette = webPalette(); lookup = std::make_unique<NetscapeColorLookup>(); break;
    case rdOctree: result.palette = octreePalette(src, 1 << std::clamp(settings.bits, 0, 8), false); break;
    case rdOctreeSystem: result.palette = octreePalette(src, 256, true); break;
    case rdPalette:
      result.palette.assign(settings.palette.begin(),
                            settings.palette.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(settings.palette.size(), 256)));
      break;
    default: break;
  }
  if (!lookup) lookup = std::make_unique<SlowColorLookup>(result.palette);
  if (lookup->colors() == 0) {
    result.palette.clear();
    return result;
  }
  std::unique_ptr<DitherEngine> ditherer = makeDitherer(settings.dither, src.width(), lookup.get());
  result.indices.assign(static_cast<size_t>(src.width()) * static_cast<size_t>(src.height()), 0);
  int ro, go, bo;
  for (int y = 0; y < src.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* out = &result.indices[static_cast<size_t>(y) * static_cast<size_t>(src.width())];
    for (int x = ditherer->column(); x >= 0 && x < src.width(); x = ditherer->column())
      out[x] = ditherer->dither(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), ro, go, bo);
    ditherer->nextLine();
  }
  return result;
}

}  // namespace

Reduction reduce(const QImage& image, const ReductionSettings& settings) {
  return guardMemory([&] { return reduceImage(image, settings); });
}

QImage reduceColors(const QImage& image, int method, int dither, const std::vector<ColorValue>& palette, int bits) {
  ReductionSettings settings;
  settings.method = method;
  settings.dither = dither;
  settings.bits = bits;
  settings.palette = palette;
  const Reduction r = reduce(image, settings);
  if (method == rdNone) {
    QImage copy = image.convertToFormat(QImage::Format_RGB32);
    copy.detach();
    return copy;
  }
  if (r.palette.empty()) return QImage();
  QImage out = makeImage(r.width, r.height, 8, r.palette);
  for (int y = 0; y < r.height; ++y)
    std::copy_n(&r.indices[static_cast<size_t>(y) * static_cast<size_t>(r.width)], r.width, imageRow(out, y));
  return out;
}

}  // namespace gif
