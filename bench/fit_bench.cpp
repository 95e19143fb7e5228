// One least-squares fit of 1,000,000 points with the largest built-in model (polynomial of
// degree 3, Sqrt(x), e^(-x)), normal equations, solver and the 1000 samples: well under a
// second. The floor is a loop that only evaluates the six basis functions at every point,
// which no fit can undercut; "ratio" is the fit's time over the floor's, measured in the
// same run.
//
// The data graph with every window created as at start-up (offscreen):
//  - BM_Neuanpassung20x100000: the model changes, and the redraw refits 20 curves of
//    100,000 points and draws the chart (goal: under 2 s). Reference: the same 20 fits made
//    by the core alone, without the window.
//  - BM_Neuzeichnen20x1000: the redraw of 20 curves of 1,000 points whose fits are cached,
//    chart drawn (goal: under 16 ms, no fit). Reference: drawing the same chart alone.
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <string>
#include <vector>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "core/approxim.h"
#include "datagraph/approxim.h"
#include "datagraph/grafik_approx.h"
#include "platform/application.h"
#include "platform/chart_view.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/text_convert.h"
#include "bench/programm_bench.h"

namespace {

using namespace kolvex;

constexpr size_t kPunkte = 1'000'000;
const std::string kModell = "y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*Sqrt(x) + a6*e^(-x)";

struct Daten {
  std::vector<long double> x, y;
  Daten() {
    x.resize(kPunkte);
    y.resize(kPunkte);
    for (size_t i = 0; i < kPunkte; ++i) {
      const long double xi = 0.5L + 9.5L * static_cast<long double>(i) / kPunkte;
      x[i] = xi;
      // The model plus a small deterministic ripple, so the fit has something to average.
      y[i] = 1 - 2 * xi + 0.5L * xi * xi - 0.01L * xi * xi * xi + 3 * std::sqrt(xi) + 4 * std::exp(-xi) +
             0.01L * std::sin(37 * xi);
    }
  }
};

const Daten& Punkte() {
  static const Daten d;
  return d;
}

// The six basis values at every point, summed so that nothing is optimised away.
long double Boden(const Daten& d) {
  long double summe = 0;
  for (size_t i = 0; i < kPunkte; ++i) {
    const long double x = d.x[i];
    summe += 1 + x + x * x + x * x * x + std::sqrt(x) + std::exp(-x);
  }
  return summe;
}

double Sekunden(auto&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Boden(benchmark::State& state) {
  const Daten& d = Punkte();
  for (auto _ : state) benchmark::DoNotOptimize(Boden(d));
}
BENCHMARK(BM_Boden)->Unit(benchmark::kMillisecond);

void BM_Fit1M(benchmark::State& state) {
  const Daten& d = Punkte();
  double fitZeit = 1e9, bodenZeit = 1e9;
  for (auto _ : state) {
    bool gemeldet = false;
    double t = 0;
    FitErgebnis e;
    t = Sekunden([&] { e = KurveBerechnen(kModell, d.x.data(), d.y.data(), kPunkte, nullptr, gemeldet); });
    fitZeit = std::min(fitZeit, t);
    if (!e.ok) state.SkipWithError("fit failed");
    benchmark::DoNotOptimize(e.koeff.data());
    // The reference right beside it, outside the timed part.
    state.PauseTiming();
    long double s = 0;
    bodenZeit = std::min(bodenZeit, Sekunden([&] { s = Boden(d); }));
    benchmark::DoNotOptimize(s);
    state.ResumeTiming();
  }
  state.counters["fit_ms"] = fitZeit * 1e3;
  state.counters["floor_ms"] = bodenZeit * 1e3;
  state.counters["ratio"] = fitZeit / bodenZeit;
}
BENCHMARK(BM_Fit1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---- The data graph ----------------------------------------------------------------------

// n points per curve for curves 1..20, all shown, fitting on.
void KurvenAnlegen(int n) {
  TfrGrafikApprox* g = frGrafikApprox;
  g->AlleKurvenLoeschen();
  g->OpenDialog1.FileName = QStringLiteral("messung.csv");
  for (int k = 0; k < 20; ++k) {
    std::vector<double> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const double x = 0.5 + 9.5 * i / n;
      xs[static_cast<size_t>(i)] = x;
      ys[static_cast<size_t>(i)] = (k + 1) * std::sin(x) + 0.1 * x * x + std::sqrt(x);
    }
    ChartSeries* s = g->Serien[static_cast<size_t>(k)];
    s->setPoints(std::move(xs), std::move(ys));
    s->setColor(QColor::fromHsv(k * 17, 220, 200));
    g->ListBox1->addItem(QStringLiteral("messung   X : Y%1").arg(k + 1));
    g->lbFarben->addItem(QStringLiteral("%1").arg(k * 0x0A0B0C, 8, 16, QLatin1Char('0')));
    s->setActive(true);
  }
  g->tbInterpolation->setChecked(true);
  g->Chart1->setAutomatic(ChartAxis::Bottom, true);
  g->Chart1->setAutomatic(ChartAxis::Left, true);
}

void BM_Neuanpassung20x100000(benchmark::State& state) {
  KurvenAnlegen(100000);
  TfrGrafikApprox* g = frGrafikApprox;
  std::vector<std::vector<long double>> xs(20), ys(20);
  for (size_t k = 0; k < 20; ++k) {
    for (double v : g->Serien[k]->xValues()) xs[k].push_back(v);
    for (double v : g->Serien[k]->yValues()) ys[k].push_back(v);
  }
  int modell = 5;
  double fensterZeit = 1e9, kernZeit = 1e9;
  long long fits = 0;
  for (auto _ : state) {
    modell = modell == 5 ? 6 : 5;  // the two largest built-in models in turn
    const long long vorher = TfrApproxim::FitZaehler;
    fensterZeit = std::min(fensterZeit, Sekunden([&] {
      frApproxim->AuswahlSetzen(modell);
      g->ApproximationZeichnen();
      g->Chart1->replotNow();
    }));
    fits = TfrApproxim::FitZaehler - vorher;
    state.PauseTiming();
    const std::string text = toCore(frApproxim->ModellText());
    kernZeit = std::min(kernZeit, Sekunden([&] {
      for (size_t k = 0; k < 20; ++k) {
        bool gemeldet = false;
        FitErgebnis e = KurveBerechnen(text, xs[k].data(), ys[k].data(), xs[k].size(), nullptr, gemeldet);
        benchmark::DoNotOptimize(e.koeff.data());
      }
    }));
    state.ResumeTiming();
  }
  if (fits != 20) state.SkipWithError("not every curve was refitted");
  if (g->Chart1->overlayLines().size() != 20) state.SkipWithError("not every fitted curve is drawn");
  state.counters["fits"] = static_cast<double>(fits);
  state.counters["window_ms"] = fensterZeit * 1e3;
  state.counters["core_fits_ms"] = kernZeit * 1e3;
  state.counters["ratio"] = fensterZeit / kernZeit;
}
BENCHMARK(BM_Neuanpassung20x100000)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_Neuzeichnen20x1000(benchmark::State& state) {
  KurvenAnlegen(1000);
  TfrGrafikApprox* g = frGrafikApprox;
  frApproxim->AuswahlSetzen(6);
  g->ApproximationZeichnen();  // fits once
  g->Chart1->replotNow();
  const long long vorher = TfrApproxim::FitZaehler;
  double zeit = 1e9, referenz = 1e9;
  for (auto _ : state) {
    zeit = std::min(zeit, Sekunden([&] {
      g->ApproximationZeichnen();
      g->Chart1->replotNow();
    }));
    // The reference: drawing the same chart alone, without the redraw pass before it.
    state.PauseTiming();
    referenz = std::min(referenz, Sekunden([&] { g->Chart1->replotNow(); }));
    state.ResumeTiming();
  }
  g->ApproximationZeichnen();
  const long long fits = TfrApproxim::FitZaehler - vorher;
  if (fits != 0) state.SkipWithError("a redraw fitted");
  if (g->Chart1->overlayLines().size() != 20) state.SkipWithError("not every fitted curve is drawn");
  state.counters["fits"] = static_cast<double>(fits);
  state.counters["redraw_ms"] = zeit * 1e3;
  state.counters["chart_only_ms"] = referenz * 1e3;
  state.counters["ratio"] = zeit / referenz;
}
BENCHMARK(BM_Neuzeichnen20x1000)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  return ProgrammBenchmarks(argc, argv, [](const QString&) {
    frGrafikApprox->resize(1100, 750);
    frGrafikApprox->show();
  });
}
