// Logging one calculation to a large results log (50 MB). appendTextLineUnlessLast reads a
// log once to learn its encoding and last line, and again only after someone else changed
// it; every further line costs about what a bare append does. The reference, measured in the
// same loop so that the machine's load falls on both alike: the bare append of the same
// bytes (open, write, close), the least any log can cost. "x_blankes_Anhaengen" is the ratio.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "platform/text_file.h"

namespace {

constexpr qint64 kLogGroesse = 50LL * 1024 * 1024;

struct Log {
  QTemporaryDir ordner;
  QString pfad;
  Log() : pfad(QDir(ordner.path()).filePath(QStringLiteral("result.txt"))) {
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly)) return;
    const QByteArray zeile("sin(30)+2*(4-1)^2 = 18,5\n");
    QByteArray block;
    while (block.size() < (1 << 20)) block += zeile;
    while (f.size() < kLogGroesse) f.write(block);
  }
};

bool BlankesAnhaengen(const QString& pfad, const QByteArray& zeile) {
  QFile f(pfad);
  const bool ok = f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(zeile) == zeile.size();
  f.close();
  return ok;
}

double Sekunden(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// One more line per calculation, the log as the program left it (the usual case).
void BM_ProtokollZeileAnhaengen(benchmark::State& state) {
  const Log log;
  const QString bare = log.pfad + QStringLiteral(".bare");
  QFile::copy(log.pfad, bare);
  bool angehaengt = false;
  appendTextLineUnlessLast(log.pfad, QStringLiteral("0*π = 0"), &angehaengt);  // the one reading
  int n = 0;
  double unsere = 0, blanke = 0;
  for (auto _ : state) {
    const QString zeile = QStringLiteral("%1*π = 6,2832").arg(++n);
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = appendTextLineUnlessLast(log.pfad, zeile, &angehaengt);
    const auto t1 = std::chrono::steady_clock::now();
    const bool okBlank = BlankesAnhaengen(bare, (zeile + QLatin1Char('\n')).toUtf8());
    const auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(okBlank);
    unsere += Sekunden(t1 - t0);
    blanke += Sekunden(t2 - t1);
    state.SetIterationTime(Sekunden(t1 - t0));
  }
  state.counters["x_blankes_Anhaengen"] = blanke > 0 ? unsere / blanke : 0;
  state.counters["blank_us"] = state.iterations() ? blanke / static_cast<double>(state.iterations()) * 1e6 : 0;
}
BENCHMARK(BM_ProtokollZeileAnhaengen)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The log changed behind the program's back before every line (another program appended
// to it): each line reads the whole log again.
void BM_ProtokollNachFremderAenderung(benchmark::State& state) {
  const Log log;
  bool angehaengt = false;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    BlankesAnhaengen(log.pfad, QByteArrayLiteral("fremd\n"));
    state.ResumeTiming();
    benchmark::DoNotOptimize(appendTextLineUnlessLast(log.pfad, QStringLiteral("%1*π = 6,2832").arg(++n), &angehaengt));
  }
}
BENCHMARK(BM_ProtokollNachFremderAenderung)->Unit(benchmark::kMillisecond);

}  // namespace
