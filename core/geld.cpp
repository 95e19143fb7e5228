#include "core/geld.h"

#include <charconv>
#include <cmath>

#include "core/zahltext.h"

namespace kolvex {

double GeldTextZuZahl(std::string_view text) {
  std::string rein;
  rein.reserve(text.size());
  bool punktGesehen = false;
  for (char c : text) {
    if (c == '.') continue;  // thousands separator
    if (c == ',') {
      if (punktGesehen) continue;
      punktGesehen = true;
      rein += '.';
    } else if ((c >= '0' && c <= '9') || c == '-') {
      rein += c;
    }
  }
  long double wert = 0;
  if (!TextZuZahlStreng(rein, wert) || wert == KeineZahl) return 0.0;
  return static_cast<double>(wert);
}

namespace {

// Adds one unit in the last place of a string of decimal digits; may grow it by a digit.
void EinsDazu(std::string& ziffern) {
  for (size_t i = ziffern.size(); i-- > 0;) {
    if (ziffern[i] != '9') {
      ++ziffern[i];
      return;
    }
    ziffern[i] = '0';
  }
  ziffern.insert(ziffern.begin(), '1');
}

std::string Gruppiert(const std::string& ganz) {
  std::string r;
  r.reserve(ganz.size() + ganz.size() / 3);
  const size_t n = ganz.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r += '.';
    r += ganz[i];
  }
  return r;
}

}  // namespace

std::string ZahlZuGeldText(long double x, int nachkomma) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  if (nachkomma < 0) nachkomma = 0;
  if (nachkomma > 18) nachkomma = 18;
  const bool negativ = std::signbit(x);
  const long double betrag = std::fabs(x);

  // 18 significant digits and the decimal exponent of the first one.
  std::string ziffern = "0";
  int exponent = 0;
  if (betrag != 0) {
    char puffer[64];
    const auto res = std::to_chars(puffer, puffer + sizeof puffer, betrag,
                                   std::chars_format::scientific, 17);
    const std::string_view t(puffer, static_cast<size_t>(res.ptr - puffer));
    const size_t e = t.find('e');
    ziffern.clear();
    for (size_t i = 0; i < e; ++i)
      if (t[i] != '.') ziffern += t[i];
    exponent = std::stoi(std::string(t.substr(e + 1)));
  }

  // Split into integer and fraction digits.
  std::string ganz, bruch;
  const int vorKomma = exponent + 1;
  if (betrag == 0) {
    ganz = "0";
  } else if (vorKomma <= 0) {
    ganz = "0";
    bruch.assign(static_cast<size_t>(-vorKomma), '0');
    bruch += ziffern;
  } else if (vorKomma >= static_cast<int>(ziffern.size())) {
    ganz = ziffern;
    ganz.append(static_cast<size_t>(vorKomma) - ziffern.size(), '0');
  } else {
    ganz = ziffern.substr(0, static_cast<size_t>(vorKomma));
    bruch = ziffern.substr(static_cast<size_t>(vorKomma));
  }

  // The decimal text rounded to the decimals, halves away from zero.
  const size_t nk = static_cast<size_t>(nachkomma);
  const bool aufrunden = bruch.size() > nk && bruch[nk] >= '5';
  if (bruch.size() > nk) bruch.resize(nk);
  bruch.append(nk - bruch.size(), '0');
  if (aufrunden) {
    std::string alle = ganz + bruch;
    EinsDazu(alle);
    ganz = alle.substr(0, alle.size() - nk);
    bruch = alle.substr(alle.size() - nk);
  }

  const bool null = ganz.find_first_not_of('0') == std::string::npos &&
                    bruch.find_first_not_of('0') == std::string::npos;
  std::string r;
  if (negativ && !null) r += '-';
  r += Gruppiert(ganz);
  if (nk > 0) {
    r += ',';
    r += bruch;
  }
  return r;
}

}  // namespace kolvex
