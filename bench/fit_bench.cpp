// One least-squares fit of 1,000,000 points with the largest built-in model (polynomial of
// degree 3, Sqrt(x), e^(-x)), normal equations, solver and the 1000 samples: well under a
// second. The floor is a loop that only evaluates the six basis functions at every point,
// which no fit can undercut; "ratio" is the fit's time over the floor's, measured in the
// same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "core/approxim.h"

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

}  // namespace
