// Evaluations per second of whole calculations through the core's entry (kolvex::Berechnen):
// the driver's syntax check, substitution, LOG/LN pre-check and the evaluation, with ESC
// polled wherever the program polls it. vs_Boden: the time against the same formula
// compiled (measured in the same run); the last line adds up the whole set.
// g++ 12 misreads std::string's inlined replace at -O2 as an overlapping copy (its bug
// 105329); nothing here copies between overlapping ranges.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <utility>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/auswerter.h"
#include "core/berechnung.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/zahltext.h"

namespace {

using namespace kolvex;

// The values table of the program, and an ESC poll that costs what the real one costs
// between two event pumps: a look at the clock.
class BenchFenster : public KernFenster {
 public:
  BenchFenster() {
    for (int z = 1; z <= 52; ++z)
      namen[z] = std::string(1, z <= 26 ? static_cast<char>('a' + z - 1) : static_cast<char>('A' + z - 27));
    Setzen(1, "3");     // a
    Setzen(2, "-2");    // b
    Setzen(3, "0,5");   // c
    Setzen(24, "1,5");  // x
  }
  void Setzen(int zeile, const char* wert) { werte[zeile] = wert; }
  int WerteZeilenAnzahl() override { return 53; }
  std::string WerteZelle(int spalte, int zeile) override {
    return spalte == 0 ? namen[zeile] : spalte == 1 ? werte[zeile] : std::string();
  }
  bool EscGedrueckt() override {
    const auto jetzt = std::chrono::steady_clock::now();
    if (jetzt - letztePumpe > std::chrono::milliseconds(30)) letztePumpe = jetzt;
    return false;
  }
  std::string namen[53];
  std::string werte[53];
  std::chrono::steady_clock::time_point letztePumpe;
};

// What the calculation driver does with a formula, without its window: the core's entry.
bool Berechnen(const std::string& eingabe, std::string& ergebnis) {
  Berechnung b = kolvex::Berechnen(eingabe, false);
  if (b.ausgang != Ausgang::Zahl) return false;
  ergebnis = std::move(b.Text);
  return true;
}

// The floor: the same formula compiled, with its numbers read from memory the compiler
// cannot see through (the values of a, b, c, x and the literals), in extended precision and
// degrees as the calculator computes them.
struct Eingaben {
  long double z[8] = {1, 2, 3, 4, 5, 15, 60, 100};
  long double a = 3, b = -2, c = 0.5L, x = 1.5L;
};
constexpr long double Grad = 3.14159265358979323846264338327950288L / 180;

using Uebersetzt = long double (*)(const Eingaben&);

long double PlainSumC(const Eingaben& e) { return e.z[0] + e.z[1] + e.z[2] + e.z[3] + e.z[4]; }
long double WorkedExampleC(const Eingaben& e) {
  const long double g = e.z[3] - e.z[0];
  return e.z[1] + e.z[2] * (g * g);
}
long double TwoFunctionsC(const Eingaben& e) {
  return std::sin(e.z[1] * e.z[5] * Grad) + std::cos(e.z[6] * Grad);
}
long double FiveGroupsFourFunctionsC(const Eingaben& e) {
  const long double innen = (((e.z[0] + e.z[1]) * e.z[2] - e.z[3]) / e.z[4] + e.z[0]) * e.z[5];
  return std::sin(innen * Grad) + std::cos(e.z[6] * Grad) * std::log10(e.z[7]) - std::log(e.z[0]);
}
long double ThreeVariablesC(const Eingaben& e) { return e.a * (e.x * e.x) + e.b * e.x + e.c; }

// Nanoseconds per call of the compiled formula, measured here, in the same run.
double BodenNs(Uebersetzt f) {
  Eingaben e;
  benchmark::DoNotOptimize(&e);
  long double summe = 0;
  constexpr int N = 2000000;
  const auto anfang = std::chrono::steady_clock::now();
  for (int i = 0; i < N; ++i) {
    benchmark::DoNotOptimize(e);
    summe += f(e);
  }
  benchmark::DoNotOptimize(summe);
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - anfang).count() / N;
}

// Per formula the last run's time and floor, for the ratios of the whole set (printed at
// the end; the library runs each case more than once while it settles its iterations).
std::map<std::string, std::pair<double, double>> Zeiten;

void Formel(benchmark::State& state, const char* formel, const char* erwartet, Uebersetzt boden) {
  BenchFenster fenster;
  KernFensterSetzen(&fenster);
  std::string ergebnis;
  if (!Berechnen(formel, ergebnis) || ergebnis != erwartet) {
    state.SkipWithError("unexpected result");
    KernFensterSetzen(nullptr);
    return;
  }
  const double bodenNs = BodenNs(boden);
  const auto anfang = std::chrono::steady_clock::now();
  for (auto _ : state) {
    Berechnen(formel, ergebnis);
    benchmark::DoNotOptimize(ergebnis);
  }
  const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - anfang).count() /
                    static_cast<double>(state.iterations());
  Zeiten[formel] = {ns, bodenNs};
  state.counters["evals/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["Boden_ns"] = bodenNs;
  state.counters["vs_Boden"] = ns / bodenNs;
  KernFensterSetzen(nullptr);
}

BENCHMARK_CAPTURE(Formel, PlainSum, "1+2+3+4+5", "15", PlainSumC);
BENCHMARK_CAPTURE(Formel, WorkedExample, "2+3*(4-1)^2", "29", WorkedExampleC);
BENCHMARK_CAPTURE(Formel, TwoFunctions, "SIN(30)+COS(60)", "1", TwoFunctionsC);
BENCHMARK_CAPTURE(Formel, FiveGroupsFourFunctions, "SIN(((((1+2)*3-4)/5+1)*15))+COS(60)*LOG(100)-LN(1)",
                  "1,5", FiveGroupsFourFunctionsC);
BENCHMARK_CAPTURE(Formel, ThreeVariables, "a*(x)^2+b*x+c", "4,25", ThreeVariablesC);

}  // namespace

// The whole set: every formula's time added up against every floor added up.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  double summe = 0, summeBoden = 0, logSumme = 0;
  for (const auto& [formel, z] : Zeiten) {
    summe += z.first;
    summeBoden += z.second;
    logSumme += std::log(z.first / z.second);
  }
  if (!Zeiten.empty())
    std::printf("All %zu formulas: %.0f ns against %.0f ns compiled: %.1fx (geometric mean of the ratios %.1fx)\n",
                Zeiten.size(), summe, summeBoden, summe / summeBoden,
                std::exp(logSumme / static_cast<double>(Zeiten.size())));
  benchmark::Shutdown();
  return 0;
}
