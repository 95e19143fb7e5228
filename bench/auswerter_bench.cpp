// Evaluations per second of whole calculations: the driver's syntax check, substitution,
// LOG/LN pre-check and the rewriting cycles, with ESC polled wherever the program polls it.
// A typical formula should stay well under 10 µs, so that 20 curves of 1000 points plot in
// under a fifth of a second.
// g++ 12 misreads std::string's inlined replace at -O2 as an overlapping copy (its bug
// 105329); nothing here copies between overlapping ranges.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "core/auswerter.h"
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

// What the calculation driver does with a formula, without its window.
bool Berechnen(const std::string& eingabe, std::string& ergebnis) {
  FehlerCode = 0;
  const std::string f = OhneLeerzeichen(eingabe);
  const std::string geprueft = KlammernEinfuegen(f);
  if (FehlendesOperatorPos(geprueft) != 0 || FormelPruefen(geprueft) != 0 || LeereKlammerPos(geprueft) != 0)
    return false;
  char buchstabe = ' ';
  std::string w = KonstantenEinsetzen(f, buchstabe);
  if (buchstabe != ' ') return false;
  if (w != f) w = VorzeichenZusammenfassen(std::move(w));
  w = KlammernEinfuegen(std::move(w));
  FehlerFlag = false;
  FunktionenPruefen(w, false);
  if (FehlerFlag) return false;
  const AuswertungsEnde ende = AuswertungLaufen(w);
  if (ende != AuswertungsEnde::Fertig || FehlerCode != 0 || !IstZahl(w)) return false;
  ergebnis = std::move(w);
  return true;
}

void Formel(benchmark::State& state, const char* formel, const char* erwartet) {
  BenchFenster fenster;
  KernFensterSetzen(&fenster);
  std::string ergebnis;
  if (!Berechnen(formel, ergebnis) || ergebnis != erwartet) {
    state.SkipWithError("unexpected result");
    KernFensterSetzen(nullptr);
    return;
  }
  for (auto _ : state) {
    Berechnen(formel, ergebnis);
    benchmark::DoNotOptimize(ergebnis);
  }
  state.counters["evals/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  KernFensterSetzen(nullptr);
}

BENCHMARK_CAPTURE(Formel, PlainSum, "1+2+3+4+5", "15");
BENCHMARK_CAPTURE(Formel, WorkedExample, "2+3*(4-1)^2", "29");
BENCHMARK_CAPTURE(Formel, TwoFunctions, "SIN(30)+COS(60)", "1");
BENCHMARK_CAPTURE(Formel, FiveGroupsFourFunctions, "SIN(((((1+2)*3-4)/5+1)*15))+COS(60)*LOG(100)-LN(1)",
                  "1,5");
BENCHMARK_CAPTURE(Formel, ThreeVariables, "a*(x)^2+b*x+c", "4,25");

}  // namespace
