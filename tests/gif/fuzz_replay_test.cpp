// Inputs the fuzzer found and mutations of valid files: a load ends in a GifException or
// with warnings, never in a crash, a sanitizer report or a hang.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "gif_test_util.h"

using namespace giftest;

namespace {
void survive(const Bytes& bytes) {
  gif::GifFile file;
  file.onWarning = [](int, const std::string&) {};
  gif::MemoryReader r(bytes.data(), bytes.size());
  try {
    file.loadFromStream(r);
    gif::MemoryStream out;
    file.saveToStream(out);
  } catch (const gif::GifException&) {
  }
}
}  // namespace

TEST(GifFuzzReplay, FindingsLoadWithoutHarm) {
  const QDir dir(QStringLiteral(KOLVEX_GIF_FINDINGS));
  const QStringList names = dir.entryList(QDir::Files);
  EXPECT_FALSE(names.isEmpty());
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    survive(Bytes(data.begin(), data.end()));
  }
}

TEST(GifFuzzReplay, MutatedValidFilesLoadWithoutHarm) {
  GifPlan s;
  s.width = 23;
  s.height = 11;
  s.colors = greyColors(16);
  s.pixels = runs(23 * 11, 16, 3, 9);
  s.interlace = true;
  Bytes base = encode(s);
  base.insert(base.begin() + 13, {'!', 0xF9, 4, 1, 5, 0, 3, 0, '!', 0xFE, 2, 'h', 'i', 0});
  std::mt19937 rng(42);
  for (int i = 0; i < 3000; ++i) {
    Bytes m = base;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % m.size();
      switch (rng() % 4) {
        case 0: m[at] = static_cast<uint8_t>(rng()); break;
        case 1: m[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: m.resize(at + 1); break;
        default: m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
      }
    }
    survive(m);
  }
  for (size_t n = 0; n <= base.size(); ++n) survive(Bytes(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(n)));
}
