// libFuzzer target: arbitrary bytes as a data graph settings file, split into lines as the
// program's text reader splits them (LF, CR LF or a lone CR). Nothing may crash or trip a
// sanitizer, and what the reader reports must hang together: the count of values taken,
// the fault line, the clamped positions.
//
//   build/…/fuzz/kolvex_fuzz_grafikeinstellung -max_len=2048 corpus/
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/grafikeinstellung.h"

namespace {

void Pruefen(bool bedingung) {
  if (!bedingung) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  std::vector<std::string> zeilen;
  std::string zeile;
  for (size_t i = 0; i < groesse; ++i) {
    const char c = static_cast<char>(daten[i]);
    if (c == '\n' || c == '\r') {
      zeilen.push_back(zeile);
      zeile.clear();
      if (c == '\r' && i + 1 < groesse && daten[i + 1] == '\n') ++i;
    } else {
      zeile.push_back(c);
    }
  }
  if (!zeile.empty()) zeilen.push_back(zeile);

  using D = kolvex::GrafikEinstellungDaten;
  const D d = kolvex::GrafikEinstellungLesen(zeilen);
  Pruefen(d.gelesen >= 0 && d.gelesen <= D::kAlle);
  Pruefen(d.punktGroesse >= 0 && d.punktGroesse <= 15);
  Pruefen(d.increment >= 1 && d.increment <= 10);
  if (d.fehlerZeile == 0) {
    Pruefen(d.gelesen == D::kAlle);
    Pruefen(zeilen.size() >= 91);
    Pruefen(d.diagrammPfad.has_value() == (zeilen.size() >= 93));
  } else {
    Pruefen(d.gelesen < D::kAlle);
    Pruefen(!d.diagrammPfad.has_value());
    // The fault is at the line after the last value taken (after the six empty lines).
    Pruefen(d.fehlerZeile == (d.gelesen == 0 && d.fehlt && zeilen.size() < 6 ? static_cast<int>(zeilen.size()) + 1
                                                                            : 6 + d.gelesen + 1));
    Pruefen(d.fehlt == (static_cast<size_t>(d.fehlerZeile) > zeilen.size()));
  }
  return 0;
}
