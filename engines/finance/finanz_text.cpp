#include "engines/finance/finanz_text.h"

#include <cmath>
#include <limits>

#include "core/geld.h"
#include "core/zahltext.h"

namespace finanz {

long double FeldTextZuZahl(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c == '.') continue;
    s += c == ',' ? '.' : c;
  }
  long double v = 0;
  if (!kolvex::TextZuZahlStreng(s, v)) return 0;
  return v;
}

int32_t FeldTextZuGanzzahl(std::string_view text) {
  long double v = std::nearbyint(FeldTextZuZahl(text));
  if (!(v < static_cast<long double>(std::numeric_limits<int32_t>::max())))
    return std::numeric_limits<int32_t>::max();
  if (!(v > static_cast<long double>(std::numeric_limits<int32_t>::min())))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

std::string Geld(long double x) { return kolvex::ZahlZuGeldText(x, 2); }
std::string GanzGeld(long double x) { return kolvex::ZahlZuGeldText(x, 0); }

Periode PeriodeAus(std::string_view text) {
  if (text == "monatlich") return Periode::Monatlich;
  if (text == "vierteljährlich") return Periode::Vierteljaehrlich;
  if (text == "halbjährlich") return Periode::Halbjaehrlich;
  if (text == "jährlich") return Periode::Jaehrlich;
  return Periode::Keine;
}

int IntervallMonate(std::string_view text) {
  if (text == "monatlich") return 1;
  if (text == "vierteljährlich") return 3;
  if (text == "halbjährlich") return 6;
  return 12;
}

Jahresaufteilung JahreAufteilen(int n, std::string_view einheit) {
  Jahresaufteilung a;
  if (einheit == "Jahre") {
    a.jahre = n > 0 ? n : 0;
    a.letzteMonate = 12;
  } else if (n <= 12) {
    a.jahre = 1;
    a.letzteMonate = n;
  } else {
    a.jahre = n / 12 + 1;
    a.letzteMonate = n % 12;
  }
  return a;
}

}  // namespace finanz
