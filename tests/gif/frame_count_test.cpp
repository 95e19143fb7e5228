// Files of many frames: the work of loading, saving and optimising grows in proportion to the
// frames, and the results on random animations (bytes, warnings, errors, progress) are the
// ones recorded before that work was made linear.
#include <gtest/gtest.h>

#include <cstdio>

#include "gif/optimize.h"
#include "gif_test_util.h"

using namespace giftest;
using gif::ColorValue;
using gif::GifSubImage;

namespace {

unsigned pick(std::mt19937& rng, int n) { return rng() % static_cast<unsigned>(n); }

// `repeats` times the same run of `frames` frames on a screen of up to 6 x 6 pixels: mostly 1 x 1
// frames; with `varied`, also larger ones at any place, local tables of any size beside a global
// table of up to 256 colours, control extensions of every disposal with and without transparency
// (indices shared between frames, and indices beyond the table), comments, plain text, looping
// and unknown application extensions, interlaced frames and a last frame of extensions only.
// Colours come from eight, so tables of different frames hold equal colours.
Bytes animation(unsigned seed, int frames, int repeats, bool varied) {
  static const ColorValue kColors[8] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0x00FFFF, 0xFF00FF};
  gif::GifFile file;
  std::mt19937 rng(seed);
  auto table = [&](int n) {
    std::vector<ColorValue> t(static_cast<size_t>(n));
    for (auto& c : t) c = kColors[pick(rng, 8)];
    return t;
  };
  file.compression = varied && pick(rng, 4) == 0;
  const int screen = varied ? 1 + static_cast<int>(pick(rng, 6)) : 1;
  const int globalColors = !varied ? 256 : pick(rng, 3) == 0 ? 0 : 1 + static_cast<int>(pick(rng, pick(rng, 4) == 0 ? 256 : 6));
  file.globalColorMap().importColors(table(globalColors));
  for (int r = 0; r < repeats; ++r) {
    std::mt19937 run(seed + 1);
    rng = run;
    Bytes last{0};
    for (int i = 0; i < frames; ++i) {
      const bool large = varied && pick(rng, 3) == 0;
      const int w = large ? 1 + static_cast<int>(pick(rng, 5)) : 1, h = large ? 1 + static_cast<int>(pick(rng, 5)) : 1;
      const int left = varied ? static_cast<int>(pick(rng, static_cast<unsigned>(screen))) : 0;
      const int top = varied ? static_cast<int>(pick(rng, static_cast<unsigned>(screen))) : 0;
      const bool local = globalColors == 0 || (varied && pick(rng, 4) == 0);
      const std::vector<ColorValue> own = local ? table(1 + static_cast<int>(pick(rng, pick(rng, 5) == 0 ? 256 : 5))) : std::vector<ColorValue>{};
      const int colors = local ? static_cast<int>(own.size()) : globalColors;
      Bytes pixels(static_cast<size_t>(w * h));
      for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = pick(rng, 3) == 0 && k < last.size() && last[k] < colors ? last[k] : static_cast<uint8_t>(pick(rng, static_cast<unsigned>(colors)));
      last = pixels;
      GifSubImage& f = frame(file, left, top, w, h, pixels, own);
      f.setInterlaced(varied && pick(rng, 6) == 0);
      if (pick(rng, 2) == 0) {
        const int transparent = pick(rng, 3) == 0 ? static_cast<int>(pick(rng, static_cast<unsigned>(colors + 1))) : -1;
        control(f, 5 * static_cast<int>(pick(rng, 3)), static_cast<int>(pick(rng, 4)), transparent);
      }
      if (!varied) continue;
      if (pick(rng, 8) == 0) comment(f, std::string(pick(rng, 300), 'k'));
      if (pick(rng, 10) == 0) loop(f, static_cast<int>(pick(rng, 3)));
      if (pick(rng, 15) == 0) {
        auto app = std::make_unique<gif::GifUnknownAppExtension>(&f);
        app->setIdentifier("KOLVEXT1.0\x01");
        app->blocks().push_back("abc");
        f.extensions().add(std::move(app));
      }
      if (pick(rng, 15) == 0) {
        auto text = std::make_unique<gif::GifTextExtension>(&f);
        text->text().push_back("Text");
        f.extensions().add(std::move(text));
      }
    }
  }
  if (varied && pick(rng, 5) == 0) comment(addFrame(file), "Ende");
  return save(file);
}

// FNV-1a over everything a caller of the codec can see.
struct Transcript {
  uint64_t hash = 14695981039346656037ull;
  void add(const void* p, size_t n) {
    for (size_t i = 0; i < n; ++i) hash = (hash ^ static_cast<const uint8_t*>(p)[i]) * 1099511628211ull;
  }
  void add(const std::string& s) { add(s.c_str(), s.size() + 1); }
  void add(const Bytes& b) {
    add(std::to_string(b.size()));
    add(b.data(), b.size());
  }
  void attach(gif::GifFile& file) {
    file.onWarning = [this](int severity, const std::string& m) { add("warning " + std::to_string(severity) + " " + m); };
    file.onProgress = [this](gif::ProgressStage stage, int percent, const std::string& text) {
      add("progress " + std::to_string(static_cast<int>(stage)) + " " + std::to_string(percent) + " " + text);
    };
  }
  // What giftool info shows, and the transparency of each frame.
  void describe(const gif::GifFile& file) {
    add(file.header().signatureVersion() + " " + std::to_string(file.width()) + " " + std::to_string(file.height()) + " " +
        std::to_string(file.globalColorMap().count()) + " " + std::to_string(file.header().backgroundIndex()));
    for (int k = 0; k < file.images().count(); ++k) {
      const GifSubImage& f = file.images().image(k);
      add(std::to_string(f.left()) + " " + std::to_string(f.top()) + " " + std::to_string(f.width()) + " " +
          std::to_string(f.height()) + " " + std::to_string(f.interlaced()) + " " + std::to_string(f.colorMap().count()) +
          " " + std::to_string(f.transparent()) + " " + std::to_string(f.transparentColorIndex()) + " " +
          std::to_string(f.extensions().count()));
      add(f.data());
    }
  }
};

// The tasks each file goes through: 0 load and save; then optimisation with these options.
const int kOptions[] = {-1, gif::optCropFrames, gif::optMergeFrames, gif::optCleanup, gif::optSortColorTables,
                        gif::optReduceColors, 0x0F, 0x1F};

// Loads `bytes`, describes the file, optimises it for task `task` and saves it again.
void runTask(Transcript& t, const Bytes& bytes, int task, int64_t pixelLimit, bool refuseReduction) {
  gif::GifFile file;
  t.attach(file);
  file.maxTotalPixels = pixelLimit;
  const std::string error = errorOf([&] {
    gif::MemoryReader reader(bytes.data(), bytes.size());
    file.loadFromStream(reader);
    t.describe(file);
    if (kOptions[task] >= 0) {
      gif::optimizeFile(file, kOptions[task], refuseReduction ? 9 : 0, 0, 8);
      t.describe(file);
    }
    t.add(save(file));
  });
  t.add(error);
}

struct Counted {
  uint64_t load = 0, save = 0, optimize = 0;
};

// Frames handed out or moved by the frame list while one file is loaded, saved and optimised.
Counted frameSteps(const Bytes& bytes) {
  Counted c;
  gif::GifFile file;
  gif::MemoryReader reader(bytes.data(), bytes.size());
  gif::frameListSteps = 0;
  file.loadFromStream(reader);
  c.load = gif::frameListSteps;
  gif::frameListSteps = 0;
  (void)save(file);
  c.save = gif::frameListSteps;
  gif::frameListSteps = 0;
  gif::optimizeFile(file, 0x0F, 0, 0, 8);
  c.optimize = gif::frameListSteps;
  return c;
}

}  // namespace

// Twice the frames, twice the work: a walk over all frames for each frame would make it four
// times. The same run of frames is repeated, so the doubled file is the shorter one twice.
TEST(GifFrameCount, WorkGrowsInProportionToTheFrames) {
  struct Shape {
    const char* name;
    unsigned seed;
    bool varied;
  };
  for (const Shape& shape : {Shape{"1 x 1 frames on a full global table", 1, false}, Shape{"varied animation", 7, true},
                             Shape{"varied animation", 8, true}, Shape{"varied animation", 9, true}}) {
    SCOPED_TRACE(shape.name + std::string(" ") + std::to_string(shape.seed));
    const int n = 1500;
    const Counted once = frameSteps(animation(shape.seed, n, 1, shape.varied));
    const Counted twice = frameSteps(animation(shape.seed, n, 2, shape.varied));
    EXPECT_LE(twice.load, 2 * once.load + 8);
    EXPECT_LE(twice.save, 2 * once.save + 8);
    EXPECT_LE(twice.optimize, 2 * once.optimize + 8 * 6);
    EXPECT_LE(once.load + once.save + once.optimize, 20u * n) << "a few steps per frame";
  }
}

// Random animations and damaged copies of them go through every task; the digest of each
// task's transcript is the one today's codec was recorded with. A change here is a change
// that users see: a byte written, a warning, an error or a progress report.
TEST(GifFrameCount, ResultsOnRandomAnimationsStayAsRecorded) {
  const uint64_t recorded[std::size(kOptions)] = {0x15e5416396ab15ab, 0x74910efee4c0d43e, 0x8b94d3d84250cdf0,
                                                  0x5b1e79d9e979f573, 0x211f6b749653b00a, 0xc7686e771aa7071a,
                                                  0xd7a4ae11008c3aba, 0x62885fcae3782e28};
  Transcript transcripts[std::size(kOptions)];
  std::mt19937 rng(2024);
  for (int round = 0; round < 400; ++round) {
    const unsigned seed = rng();
    Bytes bytes = animation(seed, 1 + static_cast<int>(pick(rng, round % 10 == 0 ? 200 : 30)), 1 + static_cast<int>(pick(rng, 2)), true);
    // Some damaged after the header: warnings and errors on the way.
    if (pick(rng, 4) == 0)
      for (unsigned k = 1 + pick(rng, 3); k > 0; --k) bytes[13 + pick(rng, static_cast<int>(bytes.size() - 13))] = static_cast<uint8_t>(rng());
    // Some weighed against a small pixel limit: refused part of the way through.
    const int64_t limit = pick(rng, 5) == 0 ? static_cast<int64_t>(pick(rng, 40)) : int64_t{1} << 29;
    const bool refuseReduction = pick(rng, 2) == 0;
    for (size_t task = 0; task < std::size(kOptions); ++task) {
      transcripts[task].add(bytes);
      runTask(transcripts[task], bytes, static_cast<int>(task), limit, refuseReduction);
    }
  }
  for (size_t task = 0; task < std::size(kOptions); ++task) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%016llx", static_cast<unsigned long long>(transcripts[task].hash));
    EXPECT_EQ(transcripts[task].hash, recorded[task]) << "task " << task << " now gives " << hex;
  }
}
