#pragma once
// Reducing a true-colour image to at most 256 colours: a palette chosen or built by the
// reduction method, a colour lookup, and optional error diffusion.
#include <QImage>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/stream.h"

namespace gif {

enum ReductionMethod {
  rdNone = 0,
  rdSystem20 = 1,
  rdHalftone = 2,
  rdGrey4 = 3,
  rdBlackWhite = 4,
  rdGrey256 = 5,
  rdWeb216 = 6,
  rdOctree = 7,
  rdOctreeSystem = 8,
  rdPalette = 9,
};

enum DitherMode {
  dtNearest = 0,
  dtFloydSteinberg = 1,
  dtStucki = 2,
  dtSierra = 3,
  dtJaJuNi = 4,
  dtSteveArche = 5,
  dtBurkes = 6,
};

struct ReductionSettings {
  int method = rdWeb216;
  int dither = dtNearest;
  int bits = 8;
  std::vector<ColorValue> palette;  // for rdPalette
};

// The 20 colours the system keeps in every palette: 10 at the start, 10 at the end.
const std::vector<ColorValue>& systemColors();
std::vector<ColorValue> halftonePalette();
std::vector<ColorValue> grey4Palette();
std::vector<ColorValue> grey256Palette();
std::vector<ColorValue> blackWhitePalette();

class ColorLookup {
 public:
  virtual ~ColorLookup() = default;
  virtual int colors() const = 0;
  // Index of the palette entry standing for (r, g, b) and that entry's colour.
  virtual uint8_t lookup(int r, int g, int b, int& ro, int& go, int& bo) = 0;
};

// Nearest entry by squared RGB distance, lowest index on a tie, remembered per colour.
class SlowColorLookup final : public ColorLookup {
 public:
  explicit SlowColorLookup(const std::vector<ColorValue>& palette);
  int colors() const override { return static_cast<int>(pal_.size()); }
  uint8_t lookup(int r, int g, int b, int& ro, int& go, int& bo) override;

 private:
  uint8_t search(int r, int g, int b) const;
  std::vector<ColorValue> pal_;
  std::vector<int> pr_, pg_, pb_;
  static constexpr int kCacheBits = 16;
  std::vector<uint32_t> cacheKey_;
  std::vector<uint8_t> cacheValue_;
};

class NetscapeColorLookup final : public ColorLookup {
 public:
  int colors() const override { return 216; }
  uint8_t lookup(int r, int g, int b, int& ro, int& go, int& bo) override;
};

class GrayScaleLookup final : public ColorLookup {
 public:
  int colors() const override { return 256; }
  uint8_t lookup(int r, int g, int b, int& ro, int& go, int& bo) override;
};

class MonochromeLookup final : public ColorLookup {
 public:
  int colors() const override { return 2; }
  uint8_t lookup(int r, int g, int b, int& ro, int& go, int& bo) override;
};

// Plain mapping; the error-diffusing ditherers derive from it. Rows run serpentine: left to
// right, then right to left.
class DitherEngine {
 public:
  DitherEngine(int width, ColorLookup* lookup) : width_(width), lookup_(lookup) {}
  virtual ~DitherEngine() = default;
  virtual uint8_t dither(int r, int g, int b, int& ro, int& go, int& bo);
  virtual void nextLine();
  int column() const { return column_; }
  int direction() const { return direction_; }

 protected:
  int width_;
  ColorLookup* lookup_;
  int direction_ = 1;
  int column_ = 0;
};

// Weights by row (0 = this row) and offset in the direction of travel (-3..+3).
struct DitherKernel {
  int divisor;
  int rows;
  std::array<std::array<int, 7>, 4> weights;
};

class ErrorDiffusionDitherer : public DitherEngine {
 public:
  ErrorDiffusionDitherer(int width, ColorLookup* lookup, const DitherKernel& kernel);
  uint8_t dither(int r, int g, int b, int& ro, int& go, int& bo) override;
  void nextLine() override;

 private:
  static constexpr int kReach = 3;
  int32_t* errorAt(int channel, int row, int column) {
    return &errors_[static_cast<size_t>(((channel * 4 + rowIndex(row)) * (width_ + 2 * kReach)) + column + kReach)];
  }
  int rowIndex(int row) const { return (firstRow_ + row) % 4; }
  DitherKernel kernel_;
  std::vector<int32_t> errors_;
  int firstRow_ = 0;
};

const DitherKernel& ditherKernel(int mode);  // modes 1..6
std::unique_ptr<DitherEngine> makeDitherer(int mode, int width, ColorLookup* lookup);

// Octree palette from an image's own colours.
class ColorQuantizer {
 public:
  ColorQuantizer(int maxColors, int colorBits = 8);
  void addColor(int r, int g, int b);
  int leaves() const { return leaves_; }
  // Leaf colours depth-first, children 0 to 7.
  std::vector<ColorValue> colors() const;

 private:
  struct Node {
    bool leaf = false;
    uint64_t count = 0, r = 0, g = 0, b = 0;
    int next = -1;
    std::array<int, 8> child;
  };
  int newNode(int level);
  void reduce();
  void collect(int node, std::vector<ColorValue>& out) const;
  std::vector<Node> nodes_;
  std::vector<int> free_;
  std::array<int, 9> reducible_;
  int leaves_ = 0;
  int maxColors_;
  int colorBits_;
};

// Octree palette of `colors` entries (256 with the system colours around 236 from the image).
std::vector<ColorValue> octreePalette(const QImage& rgb32, int colors, bool withSystemColors);

struct Reduction {
  std::vector<ColorValue> palette;  // the palette the method chose or built
  std::vector<uint8_t> indices;     // width * height, rows top-down
  int width = 0;
  int height = 0;
};

// Throws "Invalid reduction method" / "Invalid dither mode"; method 0 has no palette.
Reduction reduce(const QImage& image, const ReductionSettings& settings);
// A new image: Indexed8 (256-entry table) for methods 1-9, an RGB32 copy for method 0.
// The caller's image is never converted. A lookup without colours gives a null image.
QImage reduceColors(const QImage& image, int method, int dither, const std::vector<ColorValue>& palette = {},
                    int bits = 8);

}  // namespace gif
