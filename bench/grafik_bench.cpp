// Function graph: from FormelZeichnen to the drawn chart, with every window of the program
// created as at start-up (in an empty temporary working folder) and the graph window shown
// (offscreen platform).
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "graph/grafik.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"

#include "bench/programm_bench.h"

namespace {

// sin(x)*x^2+2*x in the program's formula syntax (a variable as the base of "^" stands in
// parentheses unless it opens the formula).
const QString kFormel = QStringLiteral("SIN(x)*(x)^2+2*x");

void BereichSetzen(const char* ab, const char* bis, const char* anzahl) {
  frGrafik->edAb->setText(QString::fromLatin1(ab));
  frGrafik->edBis->setText(QString::fromLatin1(bis));
  frGrafik->edAnzahl->setText(QString::fromLatin1(anzahl));
}

QStringList ZwanzigFormeln() {
  QStringList formeln;
  for (int k = 0; k < 20; ++k) formeln << (k == 0 ? kFormel : kFormel + QStringLiteral("+%1").arg(k));
  return formeln;
}

// 20 curves of 1000 points, from the first FormelZeichnen to the drawn chart.
void ZwanzigKurvenZeichnen(const QStringList& formeln) {
  BereichSetzen("-10", "10", "1000");
  frGrafik->tbPlus->setChecked(true);
  frGrafik->AllesLoeschen();
  for (const QString& f : formeln) frGrafik->FormelZeichnen(f);
  frGrafik->Chart1->replotNow();
}

void BM_Kurven20x1000(benchmark::State& state) {
  const QStringList formeln = ZwanzigFormeln();
  for (auto _ : state) ZwanzigKurvenZeichnen(formeln);
  if (frGrafik->lbh->count() != 20 || frGrafik->Series20->count() != 1000)
    state.SkipWithError("the curves were not drawn completely");
  state.counters["Punkte/s"] = benchmark::Counter(
      20000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Kurven20x1000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Drawing alone: the chart with those 20 curves, replotted.
void BM_Zeichnen20x1000(benchmark::State& state) {
  ZwanzigKurvenZeichnen(ZwanzigFormeln());
  for (auto _ : state) frGrafik->Chart1->replotNow();
}
BENCHMARK(BM_Zeichnen20x1000)->Unit(benchmark::kMillisecond);

void BM_Kurve100000(benchmark::State& state) {
  BereichSetzen("-10", "10", "100000");
  frGrafik->tbPlus->setChecked(false);
  for (auto _ : state) {
    frGrafik->AllesLoeschen();
    frGrafik->FormelZeichnen(kFormel);
    frGrafik->Chart1->replotNow();
  }
  if (frGrafik->Series1->count() != 100000) state.SkipWithError("the curve was not drawn completely");
}
BENCHMARK(BM_Kurve100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString&) {
    frGrafik->resize(900, 650);
    frGrafik->show();
  });
}
