// Our Deflate, inflate and checksums against zlib in the same run, on corpora made here:
// PNG-filtered rows of a chart-like and of a photo-like image, program text, random bytes
// zeros and the rows of a large noisy picture. Sizes are reported as a counter relative to
// zlib at level 6 ("vs_z6"); speeds as our speed relative to zlib's ("speed_vs_z6",
// "speed_vs_zlib"), both timed in turn inside each iteration, so a load on the machine
// weighs on both alike.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <vector>

#include "imagefile/byte_order.h"
#include "imagefile/checksums.h"
#include "imagefile/deflate.h"
#include "imagefile/linear_bitmap.h"
#include "imagefile/png_loader.h"
#include "tests/imagefile/block_streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// One PNG row filter per row, chosen by the smallest sum of absolute signed bytes (as the
// PNG writer's default does); the filter byte leads each row.
Bytes pngFilterRows(const Bytes& pixels, int width, int height, int bpp) {
  const std::size_t row = static_cast<std::size_t>(width) * bpp;
  Bytes out;
  out.reserve((row + 1) * height);
  Bytes prev(row, 0), cand(row);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* cur = pixels.data() + row * y;
    Bytes best;
    long bestScore = -1;
    int bestFilter = 0;
    for (int f = 0; f < 5; ++f) {
      long score = 0;
      for (std::size_t i = 0; i < row; ++i) {
        const int a = i >= static_cast<std::size_t>(bpp) ? cur[i - bpp] : 0;
        const int b = prev[i];
        const int c = i >= static_cast<std::size_t>(bpp) ? prev[i - bpp] : 0;
        int pred = 0;
        switch (f) {
          case 1: pred = a; break;
          case 2: pred = b; break;
          case 3: pred = (a + b) / 2; break;
          case 4: {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            break;
          }
          default: break;
        }
        cand[i] = static_cast<std::uint8_t>(cur[i] - pred);
        score += std::abs(static_cast<int>(static_cast<std::int8_t>(cand[i])));
      }
      if (bestScore < 0 || score < bestScore) {
        bestScore = score;
        best = cand;
        bestFilter = f;
      }
    }
    out.push_back(static_cast<std::uint8_t>(bestFilter));
    out.insert(out.end(), best.begin(), best.end());
    std::memcpy(prev.data(), cur, row);
  }
  return out;
}

// White plot area, grey grid, black axes with tick labels as blocks, five coloured curves.
Bytes chartImage() {
  const int w = 1280, h = 800;
  Bytes px(static_cast<std::size_t>(w) * h * 3, 255);
  auto set = [&](int x, int y, int r, int g, int b) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
    p[0] = static_cast<std::uint8_t>(r);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(b);
  };
  for (int x = 60; x < w; x += 80)
    for (int y = 20; y < h - 40; ++y) set(x, y, 192, 192, 192);
  for (int y = 20; y < h - 40; y += 60)
    for (int x = 60; x < w; ++x) set(x, y, 192, 192, 192);
  for (int y = 20; y < h - 40; ++y) set(60, y, 0, 0, 0);
  for (int x = 60; x < w; ++x) set(x, h - 40, 0, 0, 0);
  for (int x = 60; x < w; x += 80)
    for (int dy = 0; dy < 8; ++dy)
      for (int dx = -10; dx < 10; dx += 2) set(x + dx, h - 30 + dy, 0, 0, 0);
  const int colours[5][3] = {{255, 0, 0}, {0, 128, 0}, {0, 0, 255}, {255, 128, 0}, {128, 0, 128}};
  for (int c = 0; c < 5; ++c)
    for (int x = 61; x < w; ++x) {
      const double t = (x - 60) / 1220.0;
      const int y = static_cast<int>(400 + 300 * std::sin(6.28 * t * (c + 1) + c) * std::exp(-t * c * 0.5));
      for (int d = 0; d < 2; ++d) set(x, y + d, colours[c][0], colours[c][1], colours[c][2]);
    }
  return pngFilterRows(px, w, h, 3);
}

// Smooth colour fields with sensor-like noise.
Bytes photoImage() {
  const int w = 1920, h = 1080;
  Bytes px(static_cast<std::size_t>(w) * h * 3);
  std::mt19937 rng(42);
  std::normal_distribution<double> noise(0, 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
      const double u = x / 1920.0, v = y / 1080.0;
      const double base[3] = {120 + 80 * std::sin(3 * u + 2 * v), 100 + 90 * std::cos(4 * v - u),
                              90 + 70 * std::sin(5 * u * v + 1)};
      for (int k = 0; k < 3; ++k)
        p[k] = static_cast<std::uint8_t>(std::clamp(base[k] + noise(rng), 0.0, 255.0));
    }
  return pngFilterRows(px, w, h, 3);
}

// A large picture of three gradients under strong noise, as a scanned or high-ISO photo
// gives: the filters leave near-random bytes with few repeats.
Bytes noisyImage() {
  const int w = 3000, h = 2000;
  Bytes px(static_cast<std::size_t>(w) * h * 3);
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0, 12);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
      const double base[3] = {40 + 180.0 * x / w, 40 + 180.0 * y / h, 200 - 160.0 * (x + y) / (w + h)};
      for (int k = 0; k < 3; ++k)
        p[k] = static_cast<std::uint8_t>(std::clamp(base[k] + noise(rng), 0.0, 255.0));
    }
  return pngFilterRows(px, w, h, 3);
}

Bytes sourceText() {
  Bytes out;
  for (const char* dir : {"core", "calculator", "platform", "graph", "imagefile", "datagraph", "units", "finance", "tests"}) {
    const std::filesystem::path d = std::filesystem::path(KOLVEX_SOURCE_DIR) / dir;
    if (!std::filesystem::exists(d)) continue;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(d))
      if (e.is_regular_file() && (e.path().extension() == ".cpp" || e.path().extension() == ".h"))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
      std::ifstream in(f, std::ios::binary);
      out.insert(out.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (out.size() >= 600 * 1024) {
        out.resize(600 * 1024);
        return out;
      }
    }
  }
  return out;
}

Bytes randomBytes(std::size_t n) {
  std::mt19937 rng(7);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

const Bytes& corpus(int i) {
  static std::map<int, Bytes> cache;
  auto it = cache.find(i);
  if (it != cache.end()) return it->second;
  Bytes b;
  switch (i) {
    case 0: b = chartImage(); break;
    case 1: b = photoImage(); break;
    case 2: b = sourceText(); break;
    case 3: b = randomBytes(1 << 20); break;
    case 4: b = Bytes(16 << 20, 0); break;
    default: b = noisyImage(); break;
  }
  return cache.emplace(i, std::move(b)).first->second;
}

constexpr int kCorpora = 6;

const char* corpusName(int i) {
  static const char* names[] = {"chart_rows", "photo_rows", "text", "random", "zeros", "noisy_rows"};
  return names[i];
}

Bytes zlibDeflate(const Bytes& in, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, in.size()));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::size_t zlib6Size(int c) {
  static std::map<int, std::size_t> sizes;
  auto it = sizes.find(c);
  if (it != sizes.end()) return it->second;
  return sizes[c] = zlibDeflate(corpus(c), 6).size();
}

double secondsOf(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Our compressor in a mode; every iteration also times zlib -6 on the same input.
void Ours(benchmark::State& state) {
  const int c = static_cast<int>(state.range(0));
  const auto mode = static_cast<imagefile::DeflateMode>(state.range(1));
  const Bytes& in = corpus(c);
  std::size_t size = 0;
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t = secondsOf([&] {
      Bytes out = imagefile::deflateBytes(in, mode);
      size = out.size();
      benchmark::DoNotOptimize(out.data());
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += secondsOf([&] { benchmark::DoNotOptimize(zlibDeflate(in, 6).data()); });
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["vs_z6"] = static_cast<double>(size) / static_cast<double>(zlib6Size(c));
  state.counters["speed_vs_z6"] = theirs / ours;
  state.SetLabel(std::string(corpusName(c)) + " mode " + std::to_string(mode));
}

void Zlib(benchmark::State& state) {
  const int c = static_cast<int>(state.range(0));
  const int level = static_cast<int>(state.range(1));
  const Bytes& in = corpus(c);
  std::size_t size = 0;
  for (auto _ : state) {
    Bytes out = zlibDeflate(in, level);
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["vs_z6"] = static_cast<double>(size) / static_cast<double>(zlib6Size(c));
  state.SetLabel(std::string(corpusName(c)) + " zlib -" + std::to_string(level));
}

void CompressArgs(benchmark::internal::Benchmark* b, bool zlib) {
  for (int c = 0; c < kCorpora; ++c)
    for (int m : zlib ? std::vector<int>{1, 6, 9} : std::vector<int>{0, 1, 2}) b->Args({c, m});
  b->Unit(benchmark::kMillisecond);
  if (!zlib) b->UseManualTime();
}

// Inflate of the same (zlib -6) data by both decoders into a buffer made beforehand;
// bytes are the decompressed size. InflateBytes adds what the one-call form costs.
void zlibInflateInto(const Bytes& packed, Bytes& out) {
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  inflate(&z, Z_FINISH);
  inflateEnd(&z);
}

// Every iteration also times zlib's inflate of the same data.
void InflateOurs(benchmark::State& state) {
  const int c = static_cast<int>(state.range(0));
  const Bytes packed = zlibDeflate(corpus(c), 6);
  Bytes out(corpus(c).size());
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t = secondsOf([&] {
      imagefile::SpanStream in(packed.data(), packed.size());
      imagefile::DeflateStream d(&in, imagefile::DeflateDirection::Decompress);
      benchmark::DoNotOptimize(d.readSome(out.data(), out.size()));
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += secondsOf([&] {
      zlibInflateInto(packed, out);
      benchmark::DoNotOptimize(out.data());
    });
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus(c).size()));
  state.counters["speed_vs_zlib"] = theirs / ours;
  state.SetLabel(corpusName(c));
}

void InflateBytes(benchmark::State& state) {
  const int c = static_cast<int>(state.range(0));
  const Bytes packed = zlibDeflate(corpus(c), 6);
  for (auto _ : state) {
    Bytes out = imagefile::inflateBytes(packed);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus(c).size()));
  state.SetLabel(corpusName(c));
}

void InflateZlib(benchmark::State& state) {
  const int c = static_cast<int>(state.range(0));
  const Bytes packed = zlibDeflate(corpus(c), 6);
  Bytes out(corpus(c).size());
  for (auto _ : state) {
    zlibInflateInto(packed, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus(c).size()));
  state.SetLabel(corpusName(c));
}

void InflateArgs(benchmark::internal::Benchmark* b) {
  for (int c = 0; c < kCorpora; ++c) b->Arg(c);
  b->Unit(benchmark::kMillisecond);
}

void Crc32Ours(benchmark::State& state) {
  const Bytes& in = corpus(3);
  for (auto _ : state) benchmark::DoNotOptimize(imagefile::crc32Bytes(in));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
void Crc32Zlib(benchmark::State& state) {
  const Bytes& in = corpus(3);
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0, in.data(), static_cast<uInt>(in.size())));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
void Adler32Ours(benchmark::State& state) {
  const Bytes& in = corpus(3);
  for (auto _ : state) benchmark::DoNotOptimize(imagefile::adler32Bytes(in));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
void Adler32Zlib(benchmark::State& state) {
  const Bytes& in = corpus(3);
  for (auto _ : state) benchmark::DoNotOptimize(adler32(1, in.data(), static_cast<uInt>(in.size())));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// Fixed cost of a stream: 1 KB of text compressed from scratch each time (zlib -6 timed
// in turn, a hundred streams at a time).
void SmallOurs(benchmark::State& state) {
  const Bytes in(corpus(2).begin(), corpus(2).begin() + 1024);
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t = secondsOf([&] {
      for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(imagefile::deflateBytes(in).data());
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += secondsOf([&] {
      for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(zlibDeflate(in, 6).data());
    });
  }
  state.SetItemsProcessed(state.iterations() * 100);
  state.counters["speed_vs_z6"] = theirs / ours;
  state.SetLabel("time per 100 streams");
}
void SmallZlib(benchmark::State& state) {
  const Bytes in(corpus(2).begin(), corpus(2).begin() + 1024);
  for (auto _ : state) {
    Bytes out = zlibDeflate(in, 6);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// ---- streams of many small blocks ------------------------------------------------------------

// The rows of a noisy 499 x 500 grey picture, each behind its filter byte 0: 250 000 bytes.
Bytes noisyGreyRows() {
  std::mt19937 rng(11);
  std::normal_distribution<double> noise(0, 6);
  Bytes rows;
  for (int y = 0; y < 500; ++y) {
    rows.push_back(0);
    for (int x = 0; x < 499; ++x)
      rows.push_back(static_cast<std::uint8_t>(std::clamp(90 + 0.2 * x + 0.1 * y + noise(rng), 0.0, 255.0)));
  }
  return rows;
}

// 0: every byte of the grey rows in a fixed block of its own (250 000 blocks); 1: the same
// bytes in 100 000 stored blocks of 1 to 4 bytes.
const Bytes& blockStream(int kind) {
  static const Bytes fixed = block_streams::fixedBlockPerByte(noisyGreyRows());
  static const Bytes stored = [] {
    const Bytes rows = noisyGreyRows();
    return block_streams::storedBlocks(Bytes(rows.begin(), rows.begin() + 250000), 4);
  }();
  return kind == 0 ? fixed : stored;
}

// Raw Deflate data inflated by our stream and by zlib in turn; speed_vs_zlib as above.
void BlocksOurs(benchmark::State& state) {
  const Bytes& packed = blockStream(static_cast<int>(state.range(0)));
  Bytes out(300000);
  std::size_t produced = 0;
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t = secondsOf([&] {
      imagefile::SpanStream in(packed.data(), packed.size());
      imagefile::DeflateStream d(&in, imagefile::DeflateDirection::Decompress);
      produced = d.readSome(out.data(), out.size());
      benchmark::DoNotOptimize(out.data());
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += secondsOf([&] {
      zlibInflateInto(packed, out);
      benchmark::DoNotOptimize(out.data());
    });
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * produced));
  state.counters["speed_vs_zlib"] = theirs / ours;
  state.counters["packed_bytes"] = static_cast<double>(packed.size());
  state.SetLabel(state.range(0) == 0 ? "fixed block per byte" : "100000 stored blocks");
}

// A chunk of the PNG: length, type, data, CRC over type and data.
void appendChunk(Bytes& file, const char* type, const Bytes& data) {
  std::uint8_t head[8];
  imagefile::putBE32(head, static_cast<std::uint32_t>(data.size()));
  std::memcpy(head + 4, type, 4);
  file.insert(file.end(), head, head + 8);
  file.insert(file.end(), data.begin(), data.end());
  Bytes typed(head + 4, head + 8);
  typed.insert(typed.end(), data.begin(), data.end());
  std::uint8_t crc[4];
  imagefile::putBE32(crc, imagefile::crc32Bytes(typed));
  file.insert(file.end(), crc, crc + 4);
}

// The zlib stream of the block stream of the kind: header, the blocks, Adler-32 of the rows.
Bytes blocksZlib(int kind) {
  const Bytes rows = noisyGreyRows();
  Bytes out = {0x78, 0x01};
  const Bytes& raw = blockStream(kind);
  out.insert(out.end(), raw.begin(), raw.end());
  std::uint8_t adler[4];
  imagefile::putBE32(adler, imagefile::adler32Bytes(rows));
  out.insert(out.end(), adler, adler + 4);
  return out;
}

// A valid 499 x 500 8-bit grey PNG whose image data is the zlib stream.
Bytes greyPng(const Bytes& z) {
  Bytes f = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  Bytes ihdr(13, 0);
  imagefile::putBE32(ihdr.data(), 499);
  imagefile::putBE32(ihdr.data() + 4, 500);
  ihdr[8] = 8;
  appendChunk(f, "IHDR", ihdr);
  appendChunk(f, "IDAT", z);
  appendChunk(f, "IEND", {});
  return f;
}

// The PNG of the block stream of the kind (0: a fixed block per byte, 577 KB; 1: stored
// blocks) loaded by our reader; zlib inflates the same image data (with its zlib header and
// trailer) in each iteration as the reference.
void BlocksPngOurs(benchmark::State& state) {
  const Bytes z = blocksZlib(static_cast<int>(state.range(0)));
  const Bytes file = greyPng(z);
  Bytes out(300000);
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t = secondsOf([&] {
      imagefile::SpanStream in(file.data(), file.size());
      imagefile::LinearBitmap bm;
      imagefile::pngLoader().load(in, bm);
      benchmark::DoNotOptimize(bm.map());
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += secondsOf([&] {
      uLongf n = out.size();
      uncompress(out.data(), &n, z.data(), static_cast<uLong>(z.size()));
      benchmark::DoNotOptimize(out.data());
    });
  }
  state.counters["speed_vs_zlib"] = theirs / ours;
  state.counters["file_bytes"] = static_cast<double>(file.size());
  state.SetLabel(state.range(0) == 0 ? "fixed block per byte" : "100000 stored blocks");
}

}  // namespace

BENCHMARK(Ours)->Apply([](benchmark::internal::Benchmark* b) { CompressArgs(b, false); });
BENCHMARK(Zlib)->Apply([](benchmark::internal::Benchmark* b) { CompressArgs(b, true); });
BENCHMARK(InflateOurs)->Apply(InflateArgs)->UseManualTime();
BENCHMARK(InflateZlib)->Apply(InflateArgs);
BENCHMARK(InflateBytes)->Apply(InflateArgs);
BENCHMARK(Crc32Ours);
BENCHMARK(Crc32Zlib);
BENCHMARK(Adler32Ours);
BENCHMARK(Adler32Zlib);
BENCHMARK(SmallOurs)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(SmallZlib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BlocksOurs)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BlocksPngOurs)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseManualTime();
