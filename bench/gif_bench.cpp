// GIF codec against giflib, measured in the same run on the same indices: encoding and
// decoding throughput and file size, colour reduction time, memory of a large decode, and
// the time per frame of files of many tiny frames.
//   kolvex_bench_gif --benchmark_filter=Encode
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <map>
#include <random>

#include "../tests/gif/giflib_oracle.h"
#include "gif/gif_file.h"
#include "gif/optimize.h"
#include "gif/qt/color_reduction.h"
#include "gif/qt/gif_export.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Indexed {
  int width = 0, height = 0;
  std::vector<gif::ColorValue> colors;
  Bytes pixels;
  bool interlace = false;
};

Bytes colorBytes(const std::vector<gif::ColorValue>& colors) {
  Bytes b;
  for (auto c : colors) {
    b.push_back(gif::colorRed(c));
    b.push_back(gif::colorGreen(c));
    b.push_back(gif::colorBlue(c));
  }
  return b;
}

QImage chartImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setPen(QColor(200, 200, 200));
  for (int x = 60; x < w; x += 50) p.drawLine(x, 20, x, h - 40);
  for (int y = 20; y < h - 40; y += 40) p.drawLine(60, y, w - 10, y);
  p.setPen(QPen(Qt::black, 2));
  p.drawRect(60, 20, w - 70, h - 60);
  const QColor curves[] = {Qt::red, Qt::blue, QColor(0, 128, 0), QColor(128, 0, 128)};
  for (int c = 0; c < 4; ++c) {
    p.setPen(QPen(curves[c], 2));
    QPointF last(60, h / 2);
    for (int x = 60; x < w - 10; x += 3) {
      const QPointF next(x, h / 2 + (h / 3.0) * std::sin(x / (40.0 + 17 * c)) * std::cos(x / 300.0 + c));
      p.drawLine(last, next);
      last = next;
    }
  }
  // Tick labels as small blocks (text would need a GUI application).
  for (int i = 0; i < 20; ++i) p.fillRect(10, 25 + i * 30, 30 + (i % 3) * 5, 8, Qt::black);
  return img;
}

QImage photoImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  std::mt19937 rng(7);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int n = static_cast<int>(rng() % 9) - 4;
      const int r = std::clamp(static_cast<int>(128 + 100 * std::sin(x / 170.0) * std::cos(y / 90.0)) + n, 0, 255);
      const int g = std::clamp(static_cast<int>(x * 255 / w * 0.7 + y * 255 / h * 0.3) + n, 0, 255);
      const int b = std::clamp(static_cast<int>(200 - 150 * std::sin((x + y) / 260.0)) + n, 0, 255);
      row[x] = qRgb(r, g, b);
    }
  }
  return img;
}

Indexed fromImage(const QImage& img) {
  gif::ReductionSettings s;
  s.method = gif::rdOctreeSystem;
  const gif::Reduction r = gif::reduce(img, s);
  return {r.width, r.height, r.palette, r.indices, false};
}

const Indexed& chart() {
  static const Indexed v = fromImage(chartImage(1000, 700));
  return v;
}
const Indexed& noise() {
  static const Indexed v = [] {
    Indexed n{1024, 768, {}, {}, false};
    for (int i = 0; i < 256; ++i) n.colors.push_back(static_cast<gif::ColorValue>(i * 0x010203));
    std::mt19937 rng(3);
    n.pixels.resize(1024 * 768);
    for (auto& p : n.pixels) p = static_cast<uint8_t>(rng());
    return n;
  }();
  return v;
}
const Indexed& photo() {
  static const Indexed v = fromImage(photoImage(1920, 1080));
  return v;
}
const Indexed& interlacedChart() {
  static const Indexed v = [] {
    Indexed c = chart();
    c.interlace = true;
    return c;
  }();
  return v;
}

Bytes ours(const Indexed& in, int compression = 0) {
  gif::GifFile file;
  file.compression = compression;
  auto frame = std::make_unique<gif::GifSubImage>(&file);
  gif::GifSubImage& f = *frame;
  file.add(std::move(frame));
  file.globalColorMap().importColors(in.colors);
  f.setBounds(0, 0, in.width, in.height);
  f.setInterlaced(in.interlace);
  f.mutableData() = in.pixels;
  gif::MemoryStream out;
  file.saveToStream(out);
  return out.takeBytes();
}

Bytes theirs(const Indexed& in) { return oracle::encode(in.width, in.height, colorBytes(in.colors), in.pixels, in.interlace); }

const Indexed* inputs[] = {&chart(), &noise(), &photo(), &interlacedChart()};
const char* names[] = {"chart_1000x700", "noise_1024x768", "photo_1920x1080", "chart_interlaced"};

void BM_EncodeOurs(benchmark::State& state) {
  const Indexed& in = *inputs[state.range(0)];
  state.SetLabel(names[state.range(0)]);
  size_t size = 0;
  for (auto _ : state) size = ours(in).size();
  state.counters["bytes"] = static_cast<double>(size);
  state.counters["rle_bytes"] = static_cast<double>(ours(in, 1).size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.pixels.size()));
}

void BM_EncodeGiflib(benchmark::State& state) {
  const Indexed& in = *inputs[state.range(0)];
  state.SetLabel(names[state.range(0)]);
  size_t size = 0;
  for (auto _ : state) size = theirs(in).size();
  state.counters["bytes"] = static_cast<double>(size);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.pixels.size()));
}

const Bytes& animation() {
  static const Bytes v = [] {
    gif::GifFile file;
    file.globalColorMap().importColors(chart().colors);
    for (int i = 0; i < 50; ++i) {
      auto frame = std::make_unique<gif::GifSubImage>(&file);
      gif::GifSubImage& f = *frame;
      file.add(std::move(frame));
      f.setBounds(0, 0, 200, 150);
      Bytes px(200 * 150);
      for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) px[static_cast<size_t>(y * 200 + x)] = chart().pixels[static_cast<size_t>((y + i * 5) * 1000 + x + i * 10)];
      f.mutableData() = px;
      auto gce = std::make_unique<gif::GifGraphicControlExtension>(&f);
      gce->setDelay(10);
      f.extensions().add(std::move(gce));
    }
    gif::MemoryStream out;
    file.saveToStream(out);
    return out.takeBytes();
  }();
  return v;
}

const Bytes& decodeInput(int i) {
  static const Bytes files[] = {theirs(chart()), theirs(noise()), theirs(photo()), theirs(interlacedChart()), animation()};
  return files[i];
}
const char* decodeNames[] = {"chart_1000x700", "noise_1024x768", "photo_1920x1080", "chart_interlaced", "animation_50"};

void BM_DecodeOurs(benchmark::State& state) {
  const Bytes& file = decodeInput(static_cast<int>(state.range(0)));
  state.SetLabel(decodeNames[state.range(0)]);
  int64_t pixels = 0;
  for (auto _ : state) {
    gif::GifFile g;
    gif::MemoryReader r(file.data(), file.size());
    g.loadFromStream(r);
    pixels = 0;
    for (int i = 0; i < g.images().count(); ++i) pixels += static_cast<int64_t>(g.images().image(i).data().size());
    benchmark::DoNotOptimize(pixels);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * pixels);
}

void BM_DecodeGiflib(benchmark::State& state) {
  const Bytes& file = decodeInput(static_cast<int>(state.range(0)));
  state.SetLabel(decodeNames[state.range(0)]);
  int64_t pixels = 0;
  for (auto _ : state) {
    auto p = oracle::decode(file);
    pixels = 0;
    for (const auto& f : p->frames) pixels += static_cast<int64_t>(f.pixels.size());
    benchmark::DoNotOptimize(pixels);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * pixels);
}

void BM_Reduce(benchmark::State& state) {
  const bool big = state.range(0) == 1;
  const QImage img = big ? photoImage(1920, 1080) : chartImage(1000, 700);
  gif::ReductionSettings s;
  s.method = gif::rdOctreeSystem;
  s.dither = static_cast<int>(state.range(1));
  state.SetLabel(std::string(big ? "photo_1920x1080" : "chart_1000x700") + (s.dither ? " floyd_steinberg" : " plain"));
  for (auto _ : state) benchmark::DoNotOptimize(gif::reduce(img, s));
}

// Heap bytes in use now (mmapped blocks included).
double heapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd);
}

// What a large decode keeps allocated while the picture lives.
void BM_DecodeMemory4096(benchmark::State& state) {
  Indexed big{4096, 4096, chart().colors, Bytes(size_t{4096} * 4096), false};
  for (size_t i = 0; i < big.pixels.size(); ++i) big.pixels[i] = static_cast<uint8_t>((i / 4096 / 64 + i % 4096 / 64) % 200);
  const Bytes file = ours(big);
  big.pixels.clear();
  big.pixels.shrink_to_fit();
  double grown = 0;
  for (auto _ : state) {
    const double before = heapInUse();
    gif::GifFile g;
    gif::MemoryReader r(file.data(), file.size());
    g.loadFromStream(r);
    benchmark::DoNotOptimize(g.images().image(0).data().data());
    grown = heapInUse() - before;
  }
  state.counters["bytes_per_pixel"] = grown / (4096.0 * 4096.0);
}

// The data graph's GIF export of a 1020 x 760 capture (the chart of 1000 x 700 with its
// margins): octree reduction with the system colours, frame, clean-up, file bytes. The
// reference does the same reduction and lets giflib write the file.
void BM_ExportOurs(benchmark::State& state) {
  static const QImage capture = chartImage(1020, 760);
  size_t size = 0;
  for (auto _ : state) size = gif::singleFrameGifBytes(capture).size();
  state.counters["bytes"] = static_cast<double>(size);
}

void BM_ExportReductionPlusGiflib(benchmark::State& state) {
  static const QImage capture = chartImage(1020, 760);
  size_t size = 0;
  for (auto _ : state) size = theirs(fromImage(capture)).size();
  state.counters["bytes"] = static_cast<double>(size);
}

// Long animations of 1 x 1 frames, 17 bytes a frame as in a file of 100 000 frames of 1.7 MB:
// a 256-colour global table and frames of one pixel each. The animated kind has 4 colours,
// half of its frames repeating the pixel before, control extensions on most frames (every
// disposal, some transparent) and a comment on every tenth, which gives the optimisation
// something to merge, crop and clean.
Bytes tinyFrames(int n, bool animated) {
  std::mt19937 rng(static_cast<unsigned>(n));
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, static_cast<uint8_t>(animated ? 0xF1 : 0xF7), 0, 0};
  const int colors = animated ? 4 : 256;
  for (int i = 0; i < colors; ++i)
    b.insert(b.end(), {static_cast<uint8_t>(i * 85), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i)});
  uint32_t last = 0;
  for (int k = 0; k < n; ++k) {
    const uint32_t p = animated && rng() % 2 ? last : rng() % static_cast<uint32_t>(colors);
    last = p;
    if (animated && rng() % 10 < 7) {
      const uint8_t disposal = static_cast<uint8_t>(rng() % 4), transparent = rng() % 10 < 3;
      b.insert(b.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(disposal << 2 | transparent), 5, 0,
                         static_cast<uint8_t>(rng() % 4), 0});
    }
    if (animated && k % 10 == 0) b.insert(b.end(), {0x21, 0xFE, 3, 'a', 'b', 'c', 0});
    b.insert(b.end(), {',', 0, 0, 0, 0, 1, 0, 1, 0, 0});
    // Clear code, the pixel, end code: three 9-bit codes, or three 3-bit ones for 4 colours.
    const uint32_t codes = animated ? (4u | p << 3 | 5u << 6) : (256u | p << 9 | 257u << 18);
    const int bytes = animated ? 2 : 4;
    b.insert(b.end(), {static_cast<uint8_t>(animated ? 2 : 8), static_cast<uint8_t>(bytes)});
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(codes >> (8 * i)));
    b.push_back(0);
  }
  b.push_back(';');
  return b;
}

const Bytes& tinyFrameFile(int n, bool animated) {
  static std::map<std::pair<int, bool>, Bytes> files;
  auto [at, isNew] = files.try_emplace({n, animated});
  if (isNew) at->second = tinyFrames(n, animated);
  return at->second;
}

// giflib reading the same file, in seconds: the best of a few runs, measured beside ours.
double giflibReadSeconds(const Bytes& file) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    auto p = oracle::decode(file);
    benchmark::DoNotOptimize(p);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

enum class FrameTask { Load, Resave, Optimize };

// Time per frame, flat from 10 000 to 100 000 frames, and its ratio to giflib's read.
void manyFrames(benchmark::State& state, FrameTask task) {
  const int n = static_cast<int>(state.range(0));
  const Bytes& file = tinyFrameFile(n, task == FrameTask::Optimize);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    gif::GifFile g;
    gif::MemoryReader r(file.data(), file.size());
    g.loadFromStream(r);
    if (task == FrameTask::Optimize) gif::optimizeFile(g, 0x0F, 0, 0, 8);
    if (task != FrameTask::Load) {
      gif::MemoryStream out;
      g.saveToStream(out);
      benchmark::DoNotOptimize(out.bytes().data());
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  state.counters["per_frame"] =
      benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["vs_giflib_read"] = seconds / static_cast<double>(state.iterations()) / giflibReadSeconds(file);
}

void BM_ManyFramesLoad(benchmark::State& state) { manyFrames(state, FrameTask::Load); }
void BM_ManyFramesResave(benchmark::State& state) { manyFrames(state, FrameTask::Resave); }
void BM_ManyFramesOptimize(benchmark::State& state) { manyFrames(state, FrameTask::Optimize); }

}  // namespace

BENCHMARK(BM_ExportOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportReductionPlusGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeMemory4096)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOurs)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGiflib)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOurs)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflib)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reduce)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyFramesLoad)->Arg(10000)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyFramesResave)->Arg(10000)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyFramesOptimize)->Arg(10000)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
