#include "core/tabelle.h"

#include <cstring>

#include "core/zahltext.h"

namespace kolvex {

namespace {

constexpr double kZehnerPotenz[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The general float text prints 15 significant digits, no trailing zeros, no "+" and no
// leading zeros, in fixed form from 1e-4 up to below 1e15. A text of exactly that shape
// names a decimal of at most 15 digits, which survives the trip through a double (15 is
// the double's guaranteed decimal precision), so the text is that double's general text.
// The mantissa stays below 2^53 and the power of ten is exact, so one division gives the
// correctly rounded double.
template <class Ch>
bool kanonisch(const Ch* p, size_t n, double& wert) {
  size_t i = 0;
  bool negativ = false;
  if (i < n && p[i] == Ch('-')) {
    negativ = true;
    ++i;
  }
  if (i >= n) return false;
  auto ziffer = [](Ch c) { return c >= Ch('0') && c <= Ch('9'); };

  uint64_t m = 0;
  int stellen = 0;
  bool ganzNull = false;
  if (p[i] == Ch('0')) {
    ganzNull = true;
    ++i;
  } else if (ziffer(p[i])) {
    while (i < n && ziffer(p[i])) {
      m = m * 10 + static_cast<uint64_t>(p[i] - Ch('0'));
      if (++stellen > 15) return false;
      ++i;
    }
  } else {
    return false;
  }

  int nachkomma = 0;
  if (i < n) {
    if (p[i] != Ch(',')) return false;
    ++i;
    if (i >= n || p[n - 1] == Ch('0')) return false;  // "5," or a trailing zero
    int fuehrendeNullen = 0;
    for (; i < n; ++i) {
      if (!ziffer(p[i])) return false;
      const auto d = static_cast<uint64_t>(p[i] - Ch('0'));
      if (m == 0 && d == 0) {
        ++fuehrendeNullen;
      } else {
        m = m * 10 + d;
        if (++stellen > 15) return false;
      }
      ++nachkomma;
    }
    if (ganzNull && fuehrendeNullen > 3) return false;  // below 1e-4: "1E-5" form
  }
  if (m == 0 && negativ) return false;  // "-0" prints as "0"
  double v = static_cast<double>(m);
  if (nachkomma > 0) v /= kZehnerPotenz[nachkomma];
  wert = negativ ? -v : v;
  return true;
}

bool nurAscii(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

bool KanonischeZahl(std::string_view text, double& wert) {
  return kanonisch(text.data(), text.size(), wert);
}

bool KanonischeZahl(const char16_t* text, size_t laenge, double& wert) {
  return kanonisch(text, laenge, wert);
}

ZellArt ZelleLesen(std::string_view text, double& wert) {
  if (text.empty()) return ZellArt::Leer;
  if (kanonisch(text.data(), text.size(), wert)) return ZellArt::Zahl;
  long double v = 0;
  if (!nurAscii(text) || !TextZuZahlStreng(text, v) || v == KeineZahl) return ZellArt::Text;
  wert = static_cast<double>(v);
  return FloatText(wert) == text ? ZellArt::Zahl : ZellArt::ZahlMitText;
}

bool GueltigesUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    // Plain ASCII eight bytes at a time.
    if (i + 8 <= n) {
      uint64_t block;
      std::memcpy(&block, p + i, 8);
      if ((block & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t laenge;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      laenge = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      laenge = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      laenge = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i < laenge) return false;
    for (size_t k = 1; k < laenge; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if ((laenge == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (laenge == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += laenge;
  }
  return true;
}

std::string Cp1252ZuUtf8(std::string_view bytes) {
  std::string aus;
  aus.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      aus += ch;
      continue;
    }
    const char32_t cp = (c < 0xA0) ? kCp1252Hoch[c - 0x80] : c;
    if (cp < 0x800) {
      aus += static_cast<char>(0xC0 | (cp >> 6));
      aus += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      aus += static_cast<char>(0xE0 | (cp >> 12));
      aus += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      aus += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return aus;
}

// ---- Felder -------------------------------------------------------------------------------

bool Felder::naechstes(std::string_view& feld) {
  if (fertig_) return false;
  const void* t = std::memchr(zeile_.data() + pos_, trenner_, zeile_.size() - pos_);
  if (!t) {
    feld = zeile_.substr(pos_);
    fertig_ = true;
    return true;
  }
  const auto p = static_cast<size_t>(static_cast<const char*>(t) - zeile_.data());
  feld = zeile_.substr(pos_, p - pos_);
  pos_ = p + 1;
  return true;
}

size_t Felder::anzahl() const {
  if (zeile_.empty()) return 0;
  size_t n = 1;
  for (const char* p = zeile_.data(); const void* t = std::memchr(p, trenner_, static_cast<size_t>(zeile_.data() + zeile_.size() - p));) {
    ++n;
    p = static_cast<const char*>(t) + 1;
  }
  return n;
}

// ---- TabellenLeser -------------------------------------------------------------------------

TabellenLeser::TabellenLeser(std::string_view text, char trenner, int startZeile)
    : text_(text), trenner_(trenner) {
  if (text_.size() >= 3 && text_.substr(0, 3) == "\xEF\xBB\xBF") anfang_ = 3;
  pos_ = anfang_;
  if (!kopfSuchen(trenner, true)) {
    trenner_ = '\t';
    if (!kopfSuchen('\t', false)) {
      // The first non-empty line, whatever it splits into.
      size_t p = anfang_;
      std::string_view zeile;
      int n = 0;
      kopfZeile_ = 0;
      while (zeileLesen(p, zeile)) {
        ++n;
        if (!zeile.empty()) {
          kopfZeile_ = n;
          kopfText_ = zeile;
          break;
        }
      }
      if (kopfZeile_ == 0) {
        fehler_ = TabellenFehler::KeinKopf;
        pos_ = text_.size();
        return;
      }
    }
  }
  kopfAnzahl_ = kopf().anzahl();
  if (startZeile < 1) startZeile = 1;
  // Lines 1 .. h + s - 1 come before the data.
  const int64_t ueberspringen = static_cast<int64_t>(kopfZeile_) + startZeile - 1;
  size_t p = anfang_;
  std::string_view zeile;
  for (int64_t i = 0; i < ueberspringen; ++i) {
    if (!zeileLesen(p, zeile)) {
      fehler_ = TabellenFehler::ZuKurz;
      pos_ = text_.size();
      return;
    }
  }
  pos_ = p;
}

bool TabellenLeser::kopfSuchen(char trenner, bool endeZaehlt) {
  size_t p = anfang_;
  std::string_view zeile;
  for (int n = 1; n <= 101; ++n) {
    if (!zeileLesen(p, zeile)) return false;
    // Searching with the file's own separator, its last line does not count as header
    // (the search ends there before the fields are counted).
    if (endeZaehlt && (p >= text_.size() || n > 100)) return false;
    // At least two fields: the line holds the separator.
    if (zeile.find(trenner) != std::string_view::npos) {
      kopfZeile_ = n;
      kopfText_ = zeile;
      return true;
    }
  }
  return false;
}

bool TabellenLeser::zeileLesen(size_t& pos, std::string_view& zeile) const {
  const size_t n = text_.size();
  if (pos >= n) return false;
  const char* anfang = text_.data() + pos;
  const size_t rest = n - pos;
  const auto* lf = static_cast<const char*>(std::memchr(anfang, '\n', rest));
  const size_t bisLf = lf ? static_cast<size_t>(lf - anfang) : rest;
  const auto* cr = static_cast<const char*>(std::memchr(anfang, '\r', bisLf));
  if (cr) {
    const size_t l = static_cast<size_t>(cr - anfang);
    zeile = std::string_view(anfang, l);
    pos += l + 1;
    if (pos < n && text_[pos] == '\n') ++pos;  // CR LF
    return true;
  }
  zeile = std::string_view(anfang, bisLf);
  pos += bisLf + (lf ? 1 : 0);
  return true;
}

bool TabellenLeser::naechsteZeile(Felder& felder) {
  std::string_view zeile;
  while (zeileLesen(pos_, zeile)) {
    if (zeile.empty()) continue;  // an empty line is no data row
    felder = Felder(zeile, trenner_);
    return true;
  }
  return false;
}

}  // namespace kolvex
