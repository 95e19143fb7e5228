#include "core/zahltext.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale.h>
#include <stdlib.h>
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

// The shortcuts below compute with long double and rely on it being the x87 extended type
// (64-bit significand) with the x87 unit rounding to nearest at full precision, the Linux
// default. Should anything switch the unit to double precision or a directed rounding mode,
// the library's converters take over; they follow whatever mode is set.
constexpr bool ErweitertesFormat =
    std::numeric_limits<long double>::radix == 2 && std::numeric_limits<long double>::digits == 64;

bool X87Standard() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short steuerwort = 0;
  __asm__ volatile("fnstcw %0" : "=m"(steuerwort));
  // Precision control 11 (64 bits), rounding control 00 (to nearest).
  return (steuerwort & 0x0F00) == 0x0300;
#else
  return false;
#endif
}

// 10^27 = 5^27 * 2^27 with 5^27 < 2^64: every power of ten up to it is an exact long double.
constexpr int ExaktePotenzMax = 27;

constexpr std::array<long double, ExaktePotenzMax + 1> ZehnerPotenzen = [] {
  std::array<long double, ExaktePotenzMax + 1> p{};
  long double x = 1;
  for (long double& e : p) {
    e = x;
    x *= 10;
  }
  return p;
}();

// 10^0 .. 10^19, all below 2^64.
constexpr std::array<uint64_t, 20> GanzePotenzen = [] {
  std::array<uint64_t, 20> p{};
  uint64_t x = 1;
  for (uint64_t& e : p) {
    e = x;
    x *= 10;
  }
  return p;
}();

// Text to value without the library (Clinger's fast path): up to 19 significant digits are
// an exact long double, so is 10^k for k <= 27, and one correctly rounded multiplication or
// division of two exact values is the correctly rounded value of the text, as the library
// would give it. False when the digits or the exponent do not allow that.
bool SchnellLesenGeprueft(uint64_t ziffern, long long exponent, long double& r);

bool SchnellLesen(uint64_t ziffern, long long exponent, long double& r) {
  if (!ErweitertesFormat || !X87Standard()) return false;
  return SchnellLesenGeprueft(ziffern, exponent, r);
}

// SchnellLesen once the unit's mode has been checked.
bool SchnellLesenGeprueft(uint64_t ziffern, long long exponent, long double& r) {
  if (exponent >= 0) {
    if (exponent > ExaktePotenzMax) {
      // Short digits leave room for part of the exponent ("1E40" is 10^13 * 10^27).
      const long long rest = exponent - ExaktePotenzMax;
      if (rest >= static_cast<long long>(GanzePotenzen.size())) return false;
      if (ziffern > UINT64_MAX / GanzePotenzen[static_cast<size_t>(rest)]) return false;
      ziffern *= GanzePotenzen[static_cast<size_t>(rest)];
      exponent = ExaktePotenzMax;
    }
    r = static_cast<long double>(ziffern) * ZehnerPotenzen[static_cast<size_t>(exponent)];
  } else {
    if (exponent < -ExaktePotenzMax) return false;
    r = static_cast<long double>(ziffern) / ZehnerPotenzen[static_cast<size_t>(-exponent)];
  }
  return true;
}

// The 15 significant digits of a finite nonzero |v| as an integer in [10^14, 10^15), with the
// decimal exponent of the first digit, rounded as "%.14Le" rounds them (the exponent counts
// after rounding: 999999999999999.5 gives 10^14 and 15). False when the shortcut cannot
// vouch for the rounding.
//
// q = |v| * 10^(14-e) comes from a single correctly rounded operation on exact values, so
// it is off from the true quotient by at most half an ulp: below 2^50 that is 2^-15, about
// 3e-5 of a unit in the last digit. Rounding is therefore decided by the computed q unless
// its fraction lies within Rand (three times that error) of one half (exact halves
// included, which go to the library and its tie rule). The exponent follows the computed q into [10^14, 10^15); as
// both bounds are exact and rounding is monotonic, the computed q leaves that range only
// when the true one does or lands on a bound itself, and there the true digits round to
// a power of ten as well: both sides give 1 followed by zeros, with the same exponent.
constexpr long double Rand = 1e-4L;

[[gnu::always_inline]] inline bool SchnellZiffernGeprueft(long double betrag, uint64_t& ziffern, int& exponent);

bool SchnellZiffern(long double betrag, uint64_t& ziffern, int& exponent) {
  if (!ErweitertesFormat || !X87Standard()) return false;
  return SchnellZiffernGeprueft(betrag, ziffern, exponent);
}

// SchnellZiffern once the unit's mode has been checked. Inlined where it is used, so that
// the value stays in a register: read back from memory right after it was stored, in
// another width, it waits for the store.
[[gnu::always_inline]] inline bool SchnellZiffernGeprueft(long double betrag, uint64_t& ziffern, int& exponent) {
  // ilogb without the library call, from the value as a double (rounding may carry it to
  // the next power of two, which the search below corrects like any other guess one off);
  // values too small or large for a double's normal range end up far out of range.
  const double grob = static_cast<double>(betrag);
  uint64_t grobBits;
  std::memcpy(&grobBits, &grob, sizeof grobBits);
  const int binaer = static_cast<int>((grobBits >> 52) & 0x7FF) - 1023;
  if (binaer < -60 || binaer > 150) return false;
  // floor(binaer * log10(2)): the decimal exponent or one below it.
  int e = (binaer * 78913) >> 18;
  for (int versuch = 0; versuch < 4; ++versuch) {
    const int k = 14 - e;
    if (k > ExaktePotenzMax || k < -ExaktePotenzMax) return false;
    const long double q = k >= 0 ? betrag * ZehnerPotenzen[static_cast<size_t>(k)]
                                 : betrag / ZehnerPotenzen[static_cast<size_t>(-k)];
    if (q >= 1e15L) {
      ++e;
      continue;
    }
    if (q < 1e14L) {
      --e;
      continue;
    }
    // Adding 2^63 rounds q to an integer (the unit rounds to nearest, checked above): no
    // float-to-integer conversion, which on the x87 means switching the control word back
    // and forth. The integer, below 10^15, is exact as a double, whose conversion is the
    // SSE unit's.
    constexpr long double Hub = 0x1p63L;
    const long double ganz = (q + Hub) - Hub;
    const long double rest = q - ganz;  // exact, within [-0.5, 0.5]
    if (0.5L - std::fabs(rest) < Rand) return false;
    ziffern = static_cast<uint64_t>(static_cast<double>(ganz));
    exponent = e;
    if (ziffern == GanzePotenzen[15]) {
      ziffern = GanzePotenzen[14];
      ++exponent;
    }
    return true;
  }
  return false;
}

// Writes the digits with the comma placed for decimal exponent x: the fixed form of the
// general format, and for any x the expansion ExponentAufloesen makes of the E form.
char* KommaSetzen(char* p, const char* z, int anzahl, int x) {
  if (x < 0) {
    *p++ = '0';
    *p++ = ',';
    for (int i = 1; i < -x; ++i) *p++ = '0';
    for (int i = 0; i < anzahl; ++i) *p++ = z[i];
    return p;
  }
  for (int i = 0; i <= x; ++i) *p++ = i < anzahl ? z[i] : '0';
  if (anzahl > x + 1) {
    *p++ = ',';
    for (int i = x + 1; i < anzahl; ++i) *p++ = z[i];
  }
  return p;
}

// The text of a finite nonzero v as FloatText gives it (aufgeloest: as ExponentAufloesen
// of that). Returns the length written to the buffer, 0 when the shortcut does not apply.
size_t SchnellText(long double v, bool aufgeloest, char (&puffer)[PufferGroesse]) {
  uint64_t n = 0;
  int x = 0;
  if (!SchnellZiffern(std::fabs(v), n, x)) return 0;
  char z[15];
  for (int i = 14; i >= 0; --i) {
    z[i] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  int anzahl = 15;
  while (anzahl > 1 && z[anzahl - 1] == '0') --anzahl;

  // x lies in -13..42, so at most sign, 43 digits and a comma.
  char* p = puffer;
  if (v < 0) *p++ = '-';
  if (aufgeloest || (x >= -4 && x < 15)) {
    p = KommaSetzen(p, z, anzahl, x);
  } else {
    *p++ = z[0];
    if (anzahl > 1) {
      *p++ = ',';
      for (int i = 1; i < anzahl; ++i) *p++ = z[i];
    }
    *p++ = 'E';
    p = std::to_chars(p, puffer + PufferGroesse, x).ptr;
  }
  return static_cast<size_t>(p - puffer);
}

// FloatText with any E notation expanded.
std::string Aufgeloest(long double x) {
  if (std::isfinite(x) && x != 0) {
    char puffer[PufferGroesse];
    if (const size_t laenge = SchnellText(x, true, puffer)) return std::string(puffer, laenge);
  }
  return ExponentAufloesen(intern::FloatTextReferenz(x));
}

bool IstPunkt(char c) { return c == '.' || c == ','; }

// The value of a number text (point, "e" exponent) below the smallest normal long double:
// the subnormal it rounds to, or 0 below half the smallest one. from_chars says "out of
// range" there without a value, so the C library's converter reads it, in the "C" locale
// of its own (never the process's), rounding correctly as from_chars does.
long double UnterNormal(const std::string& norm) {
  static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (cLocale == static_cast<locale_t>(nullptr)) return 0;
  return ::strtold_l(norm.c_str(), nullptr, cLocale);
}

}  // namespace

std::string FloatText(long double v) {
  if (std::isfinite(v) && v != 0) {
    char puffer[PufferGroesse];
    if (const size_t laenge = SchnellText(v, false, puffer)) return std::string(puffer, laenge);
  }
  return intern::FloatTextReferenz(v);
}

std::string intern::FloatTextReferenz(long double v) {
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
  if (!TrennPunkt) return std::string(text);
  const int komma = Pos(',', text);
  // The position right behind the integer part: the comma, or one past the end.
  const int ende = komma > 0 ? komma : static_cast<int>(text.size()) + 1;
  std::string s;
  s.reserve(text.size() + text.size() / 3);
  // A grouping character goes in front of the positions 3, 6, 9 ... left of that, down to 2.
  for (int i = 1; i <= static_cast<int>(text.size()); ++i) {
    if (i >= 2 && i <= ende - 3 && (ende - i) % 3 == 0) s += TrennZeichen;
    s += text[static_cast<size_t>(i - 1)];
  }
  if (s.size() >= 2 && s[0] == '-' && s[1] == TrennZeichen) s.erase(1, 1);
  return s;
}

std::string ZahlZuText(int n, long double x) {
  if (n <= 0 || !std::isfinite(x)) return Aufgeloest(x);

  const long double ganz = std::trunc(x);
  long double f = std::fabs(x - ganz);
  for (int i = 0; i <= n; ++i) f *= 10;
  f /= 10;
  f = std::trunc(std::nearbyint(f));
  for (int i = 0; i < n; ++i) f /= 10;
  long double y = std::fabs(ganz) + f;
  if (x < 0) y = -y;
  return TausenderTrennen(Aufgeloest(y));
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

namespace {

bool ZahlLesen(std::string_view text, long double& value, bool abkuerzen) {
  // Blanks count for nothing anywhere; the usual text without any is read in place.
  std::string ohneBlanks;
  if (text.find(' ') != std::string_view::npos) {
    ohneBlanks = KommaZuPunkt(text);
    text = ohneBlanks;
  }
  const std::string_view s = text;
  const size_t n = s.size();
  size_t i = 0;
  bool negativ = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negativ = s[i] == '-';
    ++i;
  }
  const size_t mantisseAnfang = i;

  // The significant digits as an integer for the shortcut; zeros behind the last nonzero
  // digit wait in offeneNullen, so that "1000" or "2,50" stay short.
  uint64_t kurz = 0;
  int kurzStellen = 0;
  long long offeneNullen = 0;
  bool zuLang = false;
  const auto Aufnehmen = [&](char c) {
    if (zuLang) return;
    if (kurzStellen + offeneNullen + 1 > 19) {
      zuLang = true;
      return;
    }
    kurz = kurz * GanzePotenzen[static_cast<size_t>(offeneNullen + 1)] + static_cast<uint64_t>(c - '0');
    kurzStellen += static_cast<int>(offeneNullen + 1);
    offeneNullen = 0;
  };

  bool signifikant = false;
  size_t ziffern = 0;
  long long ganzStellen = 0;
  while (i < n && IstZiffer(s[i])) {
    if (s[i] != '0') {
      signifikant = true;
      Aufnehmen(s[i]);
    } else if (signifikant) {
      ++offeneNullen;
    }
    if (signifikant) ++ganzStellen;
    ++ziffern;
    ++i;
  }
  const long long ganzNullen = offeneNullen;  // zeros closing the integer part
  long long fuehrendeNullen = 0;
  long long letzteNachkomma = 0;  // place behind the comma of the last nonzero digit
  if (i < n && IstPunkt(s[i])) {
    ++i;
    long long stelle = 0;
    while (i < n && IstZiffer(s[i])) {
      ++stelle;
      if (s[i] != '0') {
        signifikant = true;
        Aufnehmen(s[i]);
        letzteNachkomma = stelle;
      } else if (signifikant) {
        ++offeneNullen;
      } else {
        ++fuehrendeNullen;
      }
      ++ziffern;
      ++i;
    }
  }
  if (ziffern == 0) return false;
  const size_t mantisseEnde = i;

  long long exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    if (!GanzzahlLesen(s.substr(i + 1), exponent)) return false;
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

  if (abkuerzen && !zuLang) {
    // value = kurz * 10^(k); |exponent| is saturated far below any overflow here.
    const long long k = (letzteNachkomma > 0 ? -letzteNachkomma : ganzNullen) + exponent;
    long double r = 0;
    if (SchnellLesen(kurz, k, r)) {
      value = negativ ? -r : r;
      return true;
    }
  }

  // from_chars takes no "+" and no comma; the mantissa and a normalised exponent go in.
  std::string norm;
  norm.reserve(mantisseEnde - mantisseAnfang + 24);
  if (negativ) norm += '-';
  for (size_t j = mantisseAnfang; j < mantisseEnde; ++j) norm += IstPunkt(s[j]) ? '.' : s[j];
  if (exponent != 0) {
    norm += 'e';
    norm += std::to_string(exponent);
  }

  long double v = 0;
  const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    if (fuehrend > 0) return false;  // beyond the largest extended value
    // Below the smallest normal value: from_chars keeps a subnormal result to itself.
    value = UnterNormal(norm);
    return true;
  }
  if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return false;
  value = v;
  return true;
}

}  // namespace

bool TextZuZahlStreng(std::string_view text, long double& value) { return ZahlLesen(text, value, true); }

bool TextZuZahlDeutsch(std::string_view text, long double& value) {
  size_t anfang = 0;
  size_t ende = text.size();
  while (anfang < ende && text[anfang] == ' ') ++anfang;
  while (ende > anfang && text[ende - 1] == ' ') --ende;
  const std::string_view s = text.substr(anfang, ende - anfang);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t ziffern = 0;
  bool komma = false;
  for (; i < s.size(); ++i) {
    if (IstZiffer(s[i])) {
      ++ziffern;
    } else if (s[i] == ',' && !komma) {
      komma = true;
    } else {
      break;
    }
  }
  if (ziffern == 0) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const size_t exponentAnfang = i;
    while (i < s.size() && IstZiffer(s[i])) ++i;
    if (i == exponentAnfang) return false;
  }
  if (i != s.size()) return false;
  // What is left is a number in the lenient reader's form too, without a blank in it.
  return ZahlLesen(s, value, true);
}

long double Gerundet15(long double v) { return Runden15()(v); }

Runden15::Runden15() : schnell_(ErweitertesFormat && X87Standard()) {}

long double Runden15::operator()(long double v) const {
  if (v == 0) return 0;  // "0", negative zero too
  if (schnell_ && std::isfinite(v)) {
    // The text's 15 digits as an integer and their exponent; read back as the reader reads
    // the same decimal number (both round it correctly).
    uint64_t ziffern = 0;
    int exponent = 0;
    long double r = 0;
    if (SchnellZiffernGeprueft(std::fabs(v), ziffern, exponent) && SchnellLesenGeprueft(ziffern, exponent - 14, r))
      return v < 0 ? -r : r;
  }
  long double r = std::numeric_limits<long double>::quiet_NaN();
  TextZuZahlStreng(ZahlZuText(0, v), r);
  return r;
}

bool intern::TextZuZahlStrengReferenz(std::string_view text, long double& value) {
  return ZahlLesen(text, value, false);
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
