#include "engines/import/daten.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>

#include "core/zahltext.h"
#include "engines/import/kanal_tabelle.h"

namespace kolvex {

namespace {

constexpr double kLeer = std::numeric_limits<double>::quiet_NaN();
constexpr double kMarke = 999999999999999.0;

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Le64(const unsigned char* p) {
  return static_cast<uint64_t>(Le32(p)) | static_cast<uint64_t>(Le32(p + 4)) << 32;
}

uint64_t Be64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
  return v;
}

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Decodes n records from p into out (capacity reserved by the caller).
template <typename Dekodierer>
void BlockDekodieren(const unsigned char* p, size_t n, size_t groesse, double marke, Dekodierer d,
                     std::vector<double>& out) {
  for (size_t i = 0; i < n; ++i, p += groesse) {
    const double v = d(p);
    out.push_back(v == marke ? kLeer : v);
  }
}

void Dekodieren(const unsigned char* p, size_t n, Satzart art, bool tausch, std::vector<double>& out) {
  const double marke = Markierung(art);
  switch (art) {
    case Satzart::R32:
      BlockDekodieren(p, n, 4, marke, [](const unsigned char* q) { return static_cast<double>(Single(q)); }, out);
      break;
    case Satzart::R48:
      BlockDekodieren(p, n, 6, marke, [](const unsigned char* q) { return Real48(q); }, out);
      break;
    case Satzart::R64:
      if (tausch)
        BlockDekodieren(p, n, 8, marke, [](const unsigned char* q) { return std::bit_cast<double>(Be64(q)); }, out);
      else
        BlockDekodieren(p, n, 8, marke, [](const unsigned char* q) { return std::bit_cast<double>(Le64(q)); }, out);
      break;
    case Satzart::TDX:
      BlockDekodieren(p, n, 8, marke, [](const unsigned char* q) { return std::bit_cast<double>(Le64(q)); }, out);
      break;
  }
}

std::string Titel(int64_t x, int64_t y) {
  return " Lesen " + std::to_string(x) + " von " + std::to_string(y);
}

int64_t Explizite() {
  int64_t e = 0;
  for (int k = 1; k <= KanalAnzahl; ++k) e += IstImplizit(k) ? 0 : 1;
  return e;
}

}  // namespace

bool SatzartAusTyp(std::string_view typ, Satzart& art) {
  if (typ == "R32") art = Satzart::R32;
  else if (typ == "R48") art = Satzart::R48;
  else if (typ == "R64") art = Satzart::R64;
  else if (typ == "TDM") art = Satzart::TDX;
  else return false;
  return true;
}

size_t SatzGroesse(Satzart art) {
  switch (art) {
    case Satzart::R32: return 4;
    case Satzart::R48: return 6;
    default: return 8;
  }
}

std::string DatenEndung(std::string_view typ) {
  if (typ == "R32") return ".R32";
  if (typ == "R48") return ".R48";
  if (typ == "TDM") return ".tdx";
  return ".R64";
}

float Single(const unsigned char* p) { return std::bit_cast<float>(Le32(p)); }

double Real48(const unsigned char* p) {
  const int e = p[0];
  if (e == 0) return 0.0;
  const uint64_t f = static_cast<uint64_t>(Le32(p + 1)) | static_cast<uint64_t>(p[5] & 0x7F) << 32;
  const double betrag = std::ldexp(static_cast<double>(f | uint64_t{1} << 39), e - 129 - 39);
  return (p[5] & 0x80) ? -betrag : betrag;
}

double Double(const unsigned char* p, bool tausch) {
  return std::bit_cast<double>(tausch ? Be64(p) : Le64(p));
}

double SatzWert(const unsigned char* p, Satzart art, bool tausch) {
  switch (art) {
    case Satzart::R32: return Single(p);
    case Satzart::R48: return Real48(p);
    case Satzart::R64: return Double(p, tausch);
    default: return Double(p, false);
  }
}

double WertWandeln(const unsigned char* p, bool tausch) {
  const double d = Double(p, tausch);
  if (!std::isfinite(d)) return d;
  return static_cast<double>(TextZuZahl(FloatText(d)));
}

double Markierung(Satzart art) {
  switch (art) {
    case Satzart::R32:
      return static_cast<double>(static_cast<float>(kMarke));
    case Satzart::R48: {
      int ex = 0;
      const double frac = std::frexp(kMarke, &ex);  // [0.5, 1)
      return std::ldexp(std::nearbyint(std::ldexp(frac, 40)), ex - 40);
    }
    default:
      return kMarke;
  }
}

bool IstLeerwert(double v) { return v > 9.89e34 && v < 9.91e34 && FloatText(v) == "9,9E34"; }

// ---------------------------------------------------------------------------------------------

LeseStand AlleKanaeleLesen(Bytequelle& quelle, Satzart art, bool tausch, LeseAnzeige& anzeige,
                           const LeseOptionen& opt) {
  LeseStand stand;
  Messwerte.clear();
  Messwerte.shrink_to_fit();
  const size_t groesse = SatzGroesse(art);
  const uint64_t saetze = quelle.groesse() / groesse;
  if (saetze > Messwerte.max_size()) throw std::bad_alloc();
  Messwerte.reserve(static_cast<size_t>(saetze));
  anzeige.beginnen(static_cast<int64_t>(saetze));
  const int64_t schritt = std::max<int64_t>(1, std::llround(static_cast<double>(saetze) / 100.0));
  const size_t block = static_cast<size_t>(std::max<int64_t>(1, opt.block));
  // Whole records per fetch, about 512 KB.
  const size_t proHolen = std::max<size_t>(block, (size_t{1} << 19) / groesse / block * block);

  uint64_t pos = 0;
  int64_t naechsterSchritt = schritt;
  while (!stand.abgebrochen) {
    const std::string_view stueck = quelle.holen(pos, proHolen * groesse);
    const size_t n = stueck.size() / groesse;
    if (n == 0) break;
    const unsigned char* p = Bytes(stueck);
    for (size_t i = 0; i < n; i += block) {
      const size_t m = std::min(block, n - i);
      if (opt.speicherFehlerNach >= 0 && stand.gelesen + static_cast<int64_t>(m) > opt.speicherFehlerNach) {
        Dekodieren(p + i * groesse, static_cast<size_t>(opt.speicherFehlerNach - std::min(stand.gelesen, opt.speicherFehlerNach)), art, tausch, Messwerte);
        stand.gelesen = static_cast<int64_t>(Messwerte.size());
        throw std::bad_alloc();
      }
      Dekodieren(p + i * groesse, m, art, tausch, Messwerte);
      stand.gelesen += static_cast<int64_t>(m);
      if (stand.gelesen >= naechsterSchritt) {
        anzeige.fortschritt(stand.gelesen, Titel(stand.gelesen, static_cast<int64_t>(saetze)));
        naechsterSchritt = (stand.gelesen / schritt + 1) * schritt;
      }
      if (anzeige.abbruch()) {
        stand.abgebrochen = true;
        break;
      }
    }
    pos += static_cast<uint64_t>(n) * groesse;
    if (n < proHolen) break;
  }
  return stand;
}

int64_t ErwarteteWerte(std::string_view typ) {
  const int64_t e = Explizite();
  if (typ == "TDM") return AnzahlProdukt(std::max<int64_t>(TDMZeilen, 0), e);
  if (BlockFormat) {
    int64_t d = 0;
    for (int k = 1; k <= KanalAnzahl; ++k)
      if (!IstImplizit(k)) d = std::max<int64_t>(d, WerteAnzahl(k));
    return AnzahlProdukt(d, e);
  }
  int64_t summe = 0;
  for (int k = 1; k <= KanalAnzahl; ++k)
    if (!IstImplizit(k)) summe = AnzahlSumme(summe, std::max<int64_t>(WerteAnzahl(k), 0));
  return summe;
}

void TabelleAufbauen(std::string_view typ, Tabelle& t) {
  const int K = std::clamp(KanalAnzahl, 0, MaxKanaele);
  const size_t spalten = static_cast<size_t>(K) + 1;
  t.kopf.assign(spalten, std::string());
  for (int k = 1; k <= K; ++k) t.kopf[static_cast<size_t>(k - 1)] = KanalName[static_cast<size_t>(k)];
  t.spalten.assign(spalten, std::vector<double>());
  t.textSpalten.clear();
  t.zeilen = 1;
  const std::vector<double>& m = Messwerte;
  const size_t M = m.size();

  // Start values of the implicit channels: numbers, or a text for the whole column.
  std::vector<double> startZahl(spalten, kLeer);
  std::vector<std::string> startText(spalten);
  const bool tdm = typ == "TDM";
  {
    const int I = ImpliziteBis(K);
    int j = 0;
    for (int k = 1; k <= K; ++k) {
      if (!IstImplizit(k)) continue;
      ++j;
      const auto c = static_cast<size_t>(k - 1);
      if (tdm) {
        const int64_t idx = static_cast<int64_t>(M) - 1 - 2 * static_cast<int64_t>(I - j);
        if (idx >= 0) startZahl[c] = m[static_cast<size_t>(idx)];
      } else if (static_cast<size_t>(j) <= StartWerte.size()) {
        const std::string& s = StartWerte[static_cast<size_t>(j - 1)];
        long double v = 0;
        if (TextZuZahlStreng(s, v) && v != KeineZahl)
          startZahl[c] = static_cast<double>(v);
        else
          startText[c] = s;
      }
    }
  }

  // Each explicit column: a run of values [von, von + n) of Messwerte going to rows 1.. .
  struct Lauf {
    size_t von = 0, n = 0;
  };
  std::vector<Lauf> laeufe(spalten);
  size_t zeilen = 0;
  bool block = false;

  if (tdm) {
    if (TDMZeilen <= 0) {
      t.meldungen.push_back("Anzahl Messwerte nicht gefunden");
      startZahl.assign(spalten, kLeer);
      startText.assign(spalten, std::string());
    } else {
      size_t pos = 0;
      for (int k = 1; k <= K; ++k) {
        if (IstImplizit(k)) continue;
        const size_t n = std::min(static_cast<size_t>(TDMZeilen), M - pos);
        laeufe[static_cast<size_t>(k - 1)] = {pos, n};
        pos += n;
        zeilen = std::max(zeilen, n);
      }
    }
  } else if (BlockFormat) {
    block = true;
    std::vector<int> expl;
    int64_t d = 0;
    for (int k = 1; k <= K; ++k)
      if (!IstImplizit(k)) {
        expl.push_back(k);
        d = std::max<int64_t>(d, WerteAnzahl(k));
      }
    if (!expl.empty() && d > 0) {
      const size_t E = expl.size();
      zeilen = static_cast<size_t>(std::min<int64_t>(d, static_cast<int64_t>((M + E - 1) / E)));
      for (size_t e = 0; e < E; ++e) {
        std::vector<double>& s = t.spalten[static_cast<size_t>(expl[e] - 1)];
        s.reserve(zeilen + 1);
        s.push_back(kLeer);
        for (size_t r = 0; r < zeilen; ++r) {
          const size_t i = r * E + e;
          s.push_back(i < M ? m[i] : kLeer);
        }
      }
    }
    BlockFormat = false;
  } else {
    size_t pos = 0;
    for (int k = 1; k <= K; ++k) {
      if (IstImplizit(k)) continue;
      const size_t n = std::min(static_cast<size_t>(std::max<int64_t>(WerteAnzahl(k), 0)), M - pos);
      laeufe[static_cast<size_t>(k - 1)] = {pos, n};
      pos += n;
      zeilen = std::max(zeilen, n);
    }
  }
  if (zeilen > static_cast<size_t>(std::numeric_limits<int>::max() - 1)) throw std::bad_alloc();

  for (size_t c = 0; c < spalten; ++c) {
    std::vector<double>& s = t.spalten[c];
    if (!block) {
      const Lauf& l = laeufe[c];
      s.reserve(zeilen + 1);
      s.push_back(kLeer);
      s.insert(s.end(), m.begin() + static_cast<ptrdiff_t>(l.von), m.begin() + static_cast<ptrdiff_t>(l.von + l.n));
      if (!tdm)
        for (size_t r = 1; r < s.size(); ++r)
          if (s[r] > 9.89e34 && IstLeerwert(s[r])) s[r] = kLeer;
    }
    if (c < static_cast<size_t>(K) && IstImplizit(static_cast<int>(c) + 1)) {
      s.assign(zeilen + 1, startZahl[c]);
      s[0] = kLeer;
      if (!startText[c].empty()) t.textSpalten.emplace_back(static_cast<int>(c), startText[c]);
    }
    s.resize(zeilen + 1, kLeer);
  }
  t.zeilen = static_cast<int>(zeilen) + 1;
  Messwerte.clear();
  Messwerte.shrink_to_fit();
}

// ---------------------------------------------------------------------------------------------

std::string ZeilenText(int r, int n) {
  std::string s = std::to_string(r);
  if (n > 1) s += "  (" + std::to_string(static_cast<int64_t>(r - 1) * n + 1) + ")";
  return s;
}

void GewaehlteKanaeleLesen(Bytequelle& quelle, Satzart art, bool tausch, bool blockFormat,
                           const Auswahl& wahl, LeseAnzeige& anzeige, GewaehltErgebnis& e,
                           const LeseOptionen& opt) {
  const int64_t N = std::max<int64_t>(WerteAnzahl(1), 0);
  const int64_t n = std::max(wahl.intervall, 1);
  const int K = std::clamp(KanalAnzahl, 0, MaxKanaele);
  const size_t groesse = SatzGroesse(art);
  const uint64_t saetze = quelle.groesse() / groesse;
  const double marke = Markierung(art);
  const int64_t E = Explizite();

  e.kopf.assign(1, "Nr");
  e.spalten.assign(1, std::vector<double>());
  e.zeilen = 0;
  e.stand = {};
  std::vector<int> gewaehlt;
  for (int k = 1; k <= K && static_cast<size_t>(k) < wahl.gewaehlt.size(); ++k) {
    if (!wahl.gewaehlt[static_cast<size_t>(k)]) continue;
    gewaehlt.push_back(k);
    e.kopf.push_back(KanalName[static_cast<size_t>(k)]);
  }
  anzeige.kanalBoxen(std::vector<std::string>(e.kopf.begin() + 1, e.kopf.end()));
  e.spalten.resize(e.kopf.size());

  const int64_t positionen = N > 0 ? (N - 1) / n + 1 : 0;
  for (int k : gewaehlt)
    if (!IstImplizit(k)) e.stand.erwartet = AnzahlSumme(e.stand.erwartet, positionen);
  anzeige.beginnen(e.stand.erwartet);
  const int64_t block = std::max<int64_t>(1, opt.block);

  for (size_t c = 1; c < e.spalten.size(); ++c) {
    const int k = gewaehlt[c - 1];
    std::vector<double>& s = e.spalten[c];
    s.push_back(kLeer);
    if (IstImplizit(k)) continue;
    const int64_t ex = k - ImpliziteBis(k);  // the channel is the ex-th explicit one
    const uint64_t platz = std::min<uint64_t>(static_cast<uint64_t>(positionen), saetze);
    s.reserve(static_cast<size_t>(platz) + 1);
    for (int64_t i = 0; i < positionen; ++i) {
      const int64_t pos = i * n;
      // A declared count near 2^63 takes the record number past 64 bits: such a record lies
      // beyond the end of every file.
      using Gross = unsigned __int128;
      const Gross satzGross = blockFormat ? static_cast<Gross>(pos) * static_cast<Gross>(E) + static_cast<Gross>(ex - 1)
                                          : static_cast<Gross>(N) * static_cast<Gross>(ex - 1) + static_cast<Gross>(pos);
      if (satzGross >= saetze) break;
      const auto satz = static_cast<uint64_t>(satzGross);
      const std::string_view b = quelle.holen(satz * groesse, groesse);
      if (b.size() < groesse) break;
      if (opt.speicherFehlerNach >= 0 && e.stand.gelesen >= opt.speicherFehlerNach) {
        e.zeilen = std::max(e.zeilen, static_cast<int>(s.size()) - 1);
        throw std::bad_alloc();
      }
      const double v = SatzWert(Bytes(b), art, tausch);
      s.push_back(v == marke ? kLeer : v);
      ++e.stand.gelesen;
      const int64_t zeile = i + 1;
      if (zeile % 100 == 0) anzeige.fortschritt(e.stand.gelesen, Titel(e.stand.gelesen, e.stand.erwartet));
      if (zeile % block == 0 && anzeige.abbruch()) {
        e.stand.abgebrochen = true;
        break;
      }
    }
    e.zeilen = std::max(e.zeilen, static_cast<int>(s.size()) - 1);
  }
  for (size_t c = 1; c < e.spalten.size(); ++c) e.spalten[c].resize(static_cast<size_t>(e.zeilen) + 1, kLeer);
}

}  // namespace kolvex
