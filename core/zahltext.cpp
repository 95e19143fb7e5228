#include "core/zahltext.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "core/globals.h"
#include "core/text.h"

namespace kolvex {

namespace {

// Digits of a long double in %g style never exceed this (sign, 15 digits, point, "e-4951").
constexpr int PufferGroesse = 64;

// Drops the "+" and the leading zeros of an exponent text ("+05" -> "5", "-05" -> "-5").
std::string ExponentKurz(std::string_view e) {
  std::string r;
  size_t i = 0;
  if (i < e.size() && (e[i] == '+' || e[i] == '-')) {
    if (e[i] == '-') r += '-';
    ++i;
  }
  while (i + 1 < e.size() && e[i] == '0') ++i;
  r.append(e.substr(i));
  return r;
}

// Reads an optionally signed decimal integer that makes up the whole text. Saturates far
// beyond any exponent a long double can carry, so absurd exponents cannot overflow.
bool GanzzahlLesen(std::string_view s, long long& k) {
  size_t i = 0;
  bool negativ = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negativ = s[i] == '-';
    ++i;
  }
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (!IstZiffer(s[i])) return false;
    if (v < 1000000000LL) v = v * 10 + (s[i] - '0');
  }
  k = negativ ? -v : v;
  return true;
}

}  // namespace

std::string FloatText(long double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";  // also negative zero

  char puffer[PufferGroesse];
  const auto res = std::to_chars(puffer, puffer + sizeof puffer, v, std::chars_format::general, 15);
  const std::string_view roh(puffer, static_cast<size_t>(res.ptr - puffer));

  const size_t e = roh.find('e');
  std::string mantisse(roh.substr(0, e));
  for (char& c : mantisse)
    if (c == '.') c = ',';
  if (e == std::string_view::npos) return mantisse;
  return mantisse + "E" + ExponentKurz(roh.substr(e + 1));
}

std::string ExponentAufloesen(std::string_view text) {
  size_t e = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i)
    if (UpCase(text[i]) == 'E') {
      e = i;
      break;
    }
  if (e == std::string_view::npos) return std::string(text);

  const std::string_view mantisse = text.substr(0, e);
  long long k = 0;
  if (!GanzzahlLesen(text.substr(e + 1), k)) return std::string(text);
  // No long double needs more places than this; a longer expansion is not a number anyway.
  if (k > 6000 || k < -6000) return std::string(text);

  std::string vorzeichen;
  size_t i = 0;
  if (i < mantisse.size() && (mantisse[i] == '-' || mantisse[i] == '+')) {
    if (mantisse[i] == '-') vorzeichen = "-";
    ++i;
  }
  std::string ziffern;
  long long kommaStelle = -1;  // digits in front of the comma
  for (; i < mantisse.size(); ++i) {
    const char c = mantisse[i];
    if (IstZiffer(c)) {
      ziffern += c;
    } else if (c == ',' && kommaStelle < 0) {
      kommaStelle = static_cast<long long>(ziffern.size());
    } else {
      return std::string(text);
    }
  }
  if (ziffern.empty()) return std::string(text);
  if (kommaStelle < 0) kommaStelle = static_cast<long long>(ziffern.size());

  // Moving the comma works for any mantissa, not only a normalised one with a single
  // digit in front of the comma ("12E-1" is 1,2 and "1,5E0" is 1,5).
  const long long neu = kommaStelle + k;
  const long long anzahl = static_cast<long long>(ziffern.size());
  std::string r;
  if (neu <= 0) {
    r = "0," + std::string(static_cast<size_t>(-neu), '0') + ziffern;
  } else if (neu >= anzahl) {
    r = ziffern + std::string(static_cast<size_t>(neu - anzahl), '0');
  } else {
    r = ziffern.substr(0, static_cast<size_t>(neu)) + "," + ziffern.substr(static_cast<size_t>(neu));
  }
  // Leading zeros of the integer part ("0,5E1" gives 5, not 05).
  size_t null = 0;
  while (null + 1 < r.size() && r[null] == '0' && r[null + 1] != ',') ++null;
  r.erase(0, null);
  return vorzeichen + r;
}

std::string TausenderTrennen(std::string_view text) {
  std::string s(text);
  if (!TrennPunkt) return s;
  const int komma = Pos(',', s);
  // The position right behind the integer part: the comma, or one past the end.
  const int ende = komma > 0 ? komma : Length(s) + 1;
  for (int i = ende - 3; i >= 2; i -= 3) Insert(std::string(1, TrennZeichen), s, i);
  if (At(s, 1) == '-' && At(s, 2) == TrennZeichen) Delete(s, 2, 1);
  return s;
}

std::string ZahlZuText(int n, long double x) {
  if (n <= 0 || !std::isfinite(x)) return ExponentAufloesen(FloatText(x));

  const long double ganz = std::trunc(x);
  long double f = std::fabs(x - ganz);
  for (int i = 0; i <= n; ++i) f *= 10;
  f /= 10;
  f = std::trunc(std::nearbyint(f));
  for (int i = 0; i < n; ++i) f /= 10;
  long double y = std::fabs(ganz) + f;
  if (x < 0) y = -y;
  return TausenderTrennen(ExponentAufloesen(FloatText(y)));
}

std::string KommaZuPunkt(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (char c : text) {
    if (c == ' ') continue;
    r += c == ',' ? '.' : c;
  }
  return r;
}

std::string PunktZuKomma(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (char c : text) {
    if (c == ' ') continue;
    r += c == '.' ? ',' : c;
  }
  return r;
}

int KommaPosition(std::string_view text) { return Pos(',', text); }

bool TextZuZahlStreng(std::string_view text, long double& value) {
  const std::string s = KommaZuPunkt(text);
  const size_t n = s.size();
  size_t i = 0;
  bool negativ = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negativ = s[i] == '-';
    ++i;
  }
  const size_t mantisseAnfang = i;

  bool signifikant = false;
  size_t ziffern = 0;
  long long ganzStellen = 0;
  while (i < n && IstZiffer(s[i])) {
    if (s[i] != '0') signifikant = true;
    if (signifikant) ++ganzStellen;
    ++ziffern;
    ++i;
  }
  long long fuehrendeNullen = 0;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && IstZiffer(s[i])) {
      if (!signifikant) {
        if (s[i] != '0') signifikant = true;
        else ++fuehrendeNullen;
      }
      ++ziffern;
      ++i;
    }
  }
  if (ziffern == 0) return false;
  const size_t mantisseEnde = i;

  long long exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    if (!GanzzahlLesen(std::string_view(s).substr(i + 1), exponent)) return false;
    i = n;
  }
  if (i != n) return false;

  if (!signifikant) {
    value = 0;
    return true;
  }
  // Decimal exponent of the first significant digit, for telling overflow from underflow.
  const long long fuehrend = (ganzStellen > 0 ? ganzStellen - 1 : -(fuehrendeNullen + 1)) + exponent;
  // Far outside the range there is nothing to convert (and no reason to hand the
  // converter an exponent it would have to saturate itself).
  if (fuehrend > 5000) return false;
  if (fuehrend < -5000) {
    value = 0;
    return true;
  }

  // from_chars takes no "+"; the mantissa and a normalised exponent go in.
  std::string norm;
  if (negativ) norm += '-';
  norm.append(s, mantisseAnfang, mantisseEnde - mantisseAnfang);
  if (exponent != 0) norm += "e" + std::to_string(exponent);

  long double v = 0;
  const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    if (fuehrend > 0) return false;  // beyond the largest extended value
    value = 0;                       // below the smallest: as good as zero
    return true;
  }
  if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return false;
  value = v;
  return true;
}

bool IstZahl(std::string_view text) {
  long double v = 0;
  return TextZuZahlStreng(text, v) && v != KeineZahl;
}

long double TextZuZahl(std::string_view text) {
  long double v = 0;
  return TextZuZahlStreng(text, v) ? v : 0.0L;
}

int32_t TextZuGanzzahl(std::string_view text) {
  long double v = 0;
  if (!TextZuZahlStreng(text, v)) return 0;
  v = std::nearbyint(v);
  if (v >= static_cast<long double>(INT32_MAX)) return INT32_MAX;
  if (v <= static_cast<long double>(INT32_MIN)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

namespace {

// Steps k by one towards the next multiple of 10 (excluding k itself) and returns k / 100.
// Values too large for whole-number steps in a double are returned unchanged; the loop
// would never end there.
double ZehntelSchritt(double v, double richtung) {
  if (!std::isfinite(v) || std::fabs(v) * 100 >= 9.0e15) return v;
  double k = std::nearbyint(v * 100) + richtung;
  while (std::fmod(k, 10.0) != 0) k += richtung;
  return k / 100 + 0.0;  // no negative zero
}

}  // namespace

double AufZehntelRunden(double v) { return ZehntelSchritt(v, 1); }
double AbZehntelRunden(double v) { return ZehntelSchritt(v, -1); }

}  // namespace kolvex
