// libFuzzer target: money text as the calculators read it from their fields and files, and the
// money format of what it reads. Nothing may crash or trip a sanitizer; a value read back from
// its own money text may differ only by the rounding to the cent.
//
//   build/…/fuzz/kolvex_fuzz_geld -max_len=64 corpus/
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/geld.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const double v = kolvex::GeldTextZuZahl(text);
  const std::string geld = kolvex::ZahlZuGeldText(v);
  if (std::isfinite(v) && std::fabs(v) < 1e12) {
    const double zurueck = kolvex::GeldTextZuZahl(geld);
    if (std::fabs(zurueck - v) > 0.0050001 + std::fabs(v) * 1e-15) {
      std::fprintf(stderr, "%s -> %.17g -> %s -> %.17g\n", text.c_str(), v, geld.c_str(), zurueck);
      std::abort();
    }
  }
  for (int nachkomma : {0, 5, 18}) (void)kolvex::ZahlZuGeldText(v, nachkomma);
  return 0;
}
