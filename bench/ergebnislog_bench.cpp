// Logging one calculation to a large results log (50 MB): appendTextLineUnlessLast reads
// the file once in pieces (encoding and last line) and appends the line in one write. The
// references in the same run: the bare append of the same bytes (the least any log can
// cost) and rewriting the whole file with the line added (what the log once did).
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include "platform/text_file.h"

namespace {

constexpr qint64 kLogGroesse = 50LL * 1024 * 1024;

struct Log {
  QTemporaryDir ordner;
  QString pfad;
  qint64 groesse = 0;
  Log() : pfad(QDir(ordner.path()).filePath(QStringLiteral("result.txt"))) {
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly)) return;
    const QByteArray zeile("sin(30)+2*(4-1)^2 = 18,5\n");
    QByteArray block;
    while (block.size() < (1 << 20)) block += zeile;
    while (f.size() < kLogGroesse) f.write(block);
    groesse = f.size();
  }
  // Back to its size before the iteration, so every iteration appends to the same log.
  void Zuruecksetzen() const { QFile(pfad).resize(groesse); }
};

void BM_ProtokollZeileAnhaengen(benchmark::State& state) {
  const Log log;
  int n = 0;
  for (auto _ : state) {
    bool angehaengt = false;
    const bool ok =
        appendTextLineUnlessLast(log.pfad, QStringLiteral("%1*π = 6,2832").arg(++n), &angehaengt);
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    log.Zuruecksetzen();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * log.groesse);
}
BENCHMARK(BM_ProtokollZeileAnhaengen)->Unit(benchmark::kMillisecond);

void BM_ReferenzNurAnhaengen(benchmark::State& state) {
  const Log log;
  int n = 0;
  for (auto _ : state) {
    QFile f(log.pfad);
    const bool ok = f.open(QIODevice::WriteOnly | QIODevice::Append) &&
                    f.write(QStringLiteral("%1*π = 6,2832\n").arg(++n).toUtf8()) > 0;
    f.close();
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    log.Zuruecksetzen();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReferenzNurAnhaengen)->Unit(benchmark::kMillisecond);

void BM_ReferenzGanzNeuSchreiben(benchmark::State& state) {
  const Log log;
  int n = 0;
  for (auto _ : state) {
    QFile alt(log.pfad);
    QByteArray inhalt;
    if (alt.open(QIODevice::ReadOnly)) inhalt = alt.readAll();
    alt.close();
    inhalt += QStringLiteral("%1*π = 6,2832\n").arg(++n).toUtf8();
    QSaveFile neu(log.pfad);
    const bool ok = neu.open(QIODevice::WriteOnly) && neu.write(inhalt) == inhalt.size() && neu.commit();
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    log.Zuruecksetzen();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReferenzGanzNeuSchreiben)->Unit(benchmark::kMillisecond);

}  // namespace
