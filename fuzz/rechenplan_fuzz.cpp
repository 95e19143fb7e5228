// libFuzzer target: the replayed plans against the rewriting (tests/core/kurven_differenz.h),
// both ways they are used: the function graph's prepared points against the same points
// rewritten from the formula every time, and the main window's calculations with the plan
// against the same calculations rewritten. The input chooses a formula from the grammar
// there (or is the formula itself), the angle mode and the values of x; any difference in an
// outcome, a value's bits, a text, the status, a message, the caret or a label aborts.
//
//   build/…/fuzz/kolvex_fuzz_rechenplan -max_len=256 -timeout=10 corpus/ fuzz/seeds/rechenplan
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/core/kurven_differenz.h"

using namespace kolvex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static test::FakeFenster* fenster = [] {
    auto* f = new test::FakeFenster;
    test::WerteSetzen(*f);
    return f;
  }();
  if (size < 2 || size > 400) return 0;
  fenster->rad = (data[0] & 1) != 0;
  const bool roh = (data[0] & 6) == 6;
  test::Zufall z(data + 1, size - 1);
  std::string formel;
  if (roh) {
    // The bytes up to the first NUL are the formula, the rest chooses the values.
    size_t n = 1;
    while (n < size && data[n] != 0) ++n;
    formel.assign(reinterpret_cast<const char*>(data) + 1, n - 1);
    z = test::Zufall(data + n, size - n);
  } else {
    formel = test::ZufallsFormel(z);
  }
  std::vector<long double> xs;
  for (int k = 0; k < 8; ++k) xs.push_back(test::ZufallsX(z));
  test::Vergleich v;
  test::KurveVergleichen(*fenster, formel, xs, v);
  xs.resize(4);
  test::RechnungVergleichen(*fenster, formel, xs, v);
  if (!v.fehler.empty()) {
    std::fprintf(stderr, "%s\n", v.fehler.c_str());
    std::abort();
  }
  return 0;
}
