// libFuzzer target: model texts as a hand-edited "approx.txx" may hold them, fitted to
// points taken from the rest of the input, and coefficient texts typed into the builder.
// Nothing may crash or trip a sanitizer; a fit that reports success has finite
// coefficients and finite valid samples; every coefficient text reads back.
//
//   build/…/fuzz/kolvex_fuzz_approxim -max_len=512 -timeout=5 corpus/
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/approxim.h"
#include "core/matrix.h"

namespace {

using namespace kolvex;

void Pruefen(bool bedingung) {
  if (!bedingung) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Up to the first newline: the model text; then 16-byte (x, y) pairs of doubles.
  const char* text = reinterpret_cast<const char*>(data);
  const size_t zeilenEnde = std::string_view(text, size).find('\n');
  const std::string modell(text, zeilenEnde == std::string_view::npos ? size : zeilenEnde);
  std::vector<long double> x, y;
  if (zeilenEnde != std::string_view::npos) {
    for (size_t p = zeilenEnde + 1; p + 16 <= size && x.size() < 64; p += 16) {
      double px = 0, py = 0;
      std::memcpy(&px, data + p, 8);
      std::memcpy(&py, data + p + 8, 8);
      x.push_back(px);
      y.push_back(py);
    }
  }

  bool gemeldet = false;
  const FitErgebnis e = KurveBerechnen(modell, x.data(), y.data(), x.size(), nullptr, gemeldet);
  Pruefen(e.meldung.empty() || gemeldet);
  Pruefen(static_cast<int>(e.koeff.size()) <= MaxTerme);
  if (e.ok) {
    for (double k : e.koeff) Pruefen(std::isfinite(k));
    for (int i = 0; i < KurvenPunkteAnzahl; ++i)
      if (e.gueltig[static_cast<size_t>(i)]) Pruefen(std::isfinite(e.kurveY[static_cast<size_t>(i)]));
  }
  for (double k : e.koeff) {
    for (bool abrunden : {false, true}) {
      double zurueck = 0;
      Pruefen(KoeffizientLesen(KoeffizientText(k, abrunden), zurueck));
    }
  }

  // The whole input as a typed coefficient.
  double wert = 0;
  if (KoeffizientLesen(std::string_view(text, size), wert)) Pruefen(std::isfinite(wert));
  return 0;
}
