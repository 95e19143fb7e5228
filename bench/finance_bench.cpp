// Savings and loan calculators: every search on the defaults (the target of the savings
// searches is the end capital the defaults show), and a 30-year monthly schedule from the
// button to the 360 rows in the grid. The reference is one plain simulation pass of each
// engine, measured in the same run.
#include <QDir>
#include <QLineEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "platform/radio_group.h"
#include "engines/finance/spar_rechnung.h"
#include "finance/tilg_rechner.h"
#include "engines/finance/tilg_rechnung.h"
#include "platform/application.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"

#include "bench/programm_bench.h"

namespace {

using namespace finanz;

// ---- References ------------------------------------------------------------------------------
void BM_Referenz_SparDurchlauf(benchmark::State& state) {
  const SparEingaben e;
  SparWerte w;
  w.A = 10000;
  w.R = 150;
  w.r = 0.03L;
  w.N = 7;
  for (auto _ : state) benchmark::DoNotOptimize(SparDurchlauf(e, w, Endkapital));
}
BENCHMARK(BM_Referenz_SparDurchlauf)->Unit(benchmark::kMicrosecond);

// One schedule pass of the defaults (16 rows), without a grid.
void BM_Referenz_TilgPlan(benchmark::State& state) {
  const TilgEingaben e;
  for (auto _ : state) benchmark::DoNotOptimize(TilgungBerechnen(e, Restschuld));
}
BENCHMARK(BM_Referenz_TilgPlan)->Unit(benchmark::kMicrosecond);

// ---- Savings searches --------------------------------------------------------------------------
void BM_SparSuche(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  SparEingaben e;
  e.endkapital = SparBerechnen(e, Endkapital).endkapital;
  long durchlaeufe = 0;
  for (auto _ : state) {
    const SparErgebnis r = SparBerechnen(e, k);
    durchlaeufe = r.durchlaeufe;
    if (r.abgebrochen) state.SkipWithError("the search did not meet its target");
  }
  state.counters["Durchlaeufe"] = static_cast<double>(durchlaeufe);
}
// Without the dynamic switch (the default) the dynamic search cannot meet any target; it has
// its own case below.
BENCHMARK(BM_SparSuche)
    ->ArgName("gesucht")
    ->Arg(Anfangskapital)
    ->Arg(Sparrate)
    ->Arg(Zinssatz)
    ->Arg(Ansparzeit)
    ->Arg(Endkapital)
    ->Unit(benchmark::kMicrosecond);

// The dynamic search needs the switch on; its target is the plan with 2,5 % a year.
void BM_SparSucheDynamik(benchmark::State& state) {
  SparEingaben e;
  e.dynamikAn = true;
  e.dynamik = "2,50";
  e.endkapital = SparBerechnen(e, Endkapital).endkapital;
  long durchlaeufe = 0;
  for (auto _ : state) {
    const SparErgebnis r = SparBerechnen(e, Dynamik);
    durchlaeufe = r.durchlaeufe;
    if (r.abgebrochen) state.SkipWithError("the search did not meet its target");
  }
  state.counters["Durchlaeufe"] = static_cast<double>(durchlaeufe);
}
BENCHMARK(BM_SparSucheDynamik)->Unit(benchmark::kMicrosecond);

// ---- Loan searches (engine; each includes the schedule of the value found) ---------------------
void BM_TilgSuche(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const TilgEingaben e;
  long durchlaeufe = 0;
  for (auto _ : state) {
    const TilgErgebnis r = TilgungBerechnen(e, k);
    durchlaeufe = r.durchlaeufe;
    if (r.abgebrochen || !r.zeilenGesetzt) state.SkipWithError("no schedule");
  }
  state.counters["Durchlaeufe"] = static_cast<double>(durchlaeufe);
}
BENCHMARK(BM_TilgSuche)
    ->ArgName("gesucht")
    ->DenseRange(Darlehensbetrag, Restschuld)
    ->Unit(benchmark::kMicrosecond);

// ---- Through the window: the defaults' searches and a 30-year monthly schedule ----------------
void FensterVorgaben() {
  frTilgRechner->Voreinstellungen();
  frTilgRechner->FormActivate();
}

void BM_TilgFensterSuche(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    FensterVorgaben();
    frTilgRechner->rg1->setItemIndex(k);
    frTilgRechner->rg1Click();
    if (k == Tilgungsdauer) frTilgRechner->edTilgungsdauer->setText(QStringLiteral("7"));
    state.ResumeTiming();
    frTilgRechner->sbBerechnenClick();
  }
  if (frTilgRechner->sg1->RowCount() < 2) state.SkipWithError("no schedule");
}
BENCHMARK(BM_TilgFensterSuche)
    ->ArgName("gesucht")
    ->DenseRange(Darlehensbetrag, Restschuld)
    ->Unit(benchmark::kMillisecond);

void BM_Tilgungsplan30JahreMonatlich(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    FensterVorgaben();
    frTilgRechner->rg1->setItemIndex(Restschuld);
    frTilgRechner->rg1Click();
    frTilgRechner->edDarlehensbetrag->setText(QStringLiteral("200.000,00"));
    frTilgRechner->edZinssatz->setText(QStringLiteral("4,00"));
    frTilgRechner->cbZinseZahlen->setChecked(true);
    frTilgRechner->cbZinszahlungsintervall->setCurrentIndex(0);
    frTilgRechner->cbTilgungsintervall->setCurrentIndex(0);
    frTilgRechner->edTilgungsrate->setText(QStringLiteral("500,00"));
    frTilgRechner->edTilgungsdauer->setText(QStringLiteral("30"));
    state.ResumeTiming();
    frTilgRechner->sbBerechnenClick();
  }
  if (frTilgRechner->sg1->RowCount() != 361) state.SkipWithError("not 360 schedule rows");
}
BENCHMARK(BM_Tilgungsplan30JahreMonatlich)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString&) { frTilgRechner->show(); });
}
