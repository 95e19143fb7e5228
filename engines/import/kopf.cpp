#include "engines/import/kopf.h"

#include <algorithm>

#include "core/zahltext.h"
#include "engines/import/kanal_tabelle.h"

namespace kolvex {

namespace {

int Anzahl(const Zeilen& z) { return static_cast<int>(std::min<size_t>(z.size(), 0x7fffffff)); }

bool IdZeichen(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         c == '-';
}

bool EnthaeltToken(std::string_view zeile, std::string_view id) {
  for (size_t p = zeile.find(id); p != std::string_view::npos; p = zeile.find(id, p + 1)) {
    const bool linksFrei = p == 0 || !IdZeichen(zeile[p - 1]);
    const size_t ende = p + id.size();
    const bool rechtsFrei = ende >= zeile.size() || !IdZeichen(zeile[ende]);
    if (linksFrei && rechtsFrei) return true;
  }
  return false;
}

std::string_view Code(std::string_view zeile) { return zeile.substr(0, 3); }

// From the 5th character on, leading blanks removed.
std::string_view Wert(std::string_view zeile) {
  if (zeile.size() <= 4) return {};
  std::string_view w = zeile.substr(4);
  while (!w.empty() && w.front() == ' ') w.remove_prefix(1);
  return w;
}

void Ersetzen(std::string& s, std::string_view von, std::string_view nach) {
  if (von.empty()) return;
  std::string neu;
  size_t a = 0;
  for (size_t p = s.find(von); p != std::string::npos; p = s.find(von, a)) {
    neu.append(s, a, p - a);
    neu.append(nach);
    a = p + von.size();
  }
  if (a == 0) return;
  neu.append(s, a, std::string::npos);
  s = std::move(neu);
}

}  // namespace

int TextSuchen(const Zeilen& liste, std::string_view text, int start) {
  for (int i = std::max(start, 0); i < Anzahl(liste); ++i)
    if (liste[static_cast<size_t>(i)].find(text) != std::string::npos) return i;
  return -1;
}

int IdSuchen(const Zeilen& liste, std::string_view id, int start) {
  if (id.empty()) return -1;
  for (int i = std::max(start, 0); i < Anzahl(liste); ++i)
    if (EnthaeltToken(liste[static_cast<size_t>(i)], id)) return i;
  return -1;
}

std::string CodeWert(const Zeilen& liste, std::string_view code, int start) {
  for (int i = std::max(start, 0); i < Anzahl(liste) - 1; ++i) {
    const std::string& z = liste[static_cast<size_t>(i)];
    if (Code(z) == code) return std::string(Wert(z));
  }
  return {};
}

std::string SteuerzeichenEntfernen(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x20) continue;
    if (b == 0xC3 && i + 1 < s.size() &&
        (static_cast<unsigned char>(s[i + 1]) == 0xBE || static_cast<unsigned char>(s[i + 1]) == 0xBF)) {
      ++i;  // U+00FE, U+00FF
      continue;
    }
    if (b == 0xEF && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xBB &&
        static_cast<unsigned char>(s[i + 2]) == 0xBF) {
      i += 2;  // U+FEFF
      continue;
    }
    r.push_back(s[i]);
  }
  return r;
}

std::string ZeichenEntfernen(std::string_view s, char c) {
  std::string r;
  r.reserve(s.size());
  for (char ch : s)
    if (ch != c) r.push_back(ch);
  return r;
}

std::string DatumWandeln(std::string_view s) {
  auto teil = [s](size_t von, size_t n) { return von < s.size() ? s.substr(von, n) : std::string_view(); };
  std::string r(teil(8, 2));
  r += '.';
  r += teil(5, 2);
  r += '.';
  r += teil(0, 4);
  return r;
}

std::string DatenTyp(std::string_view wort) {
  if (wort == "REAL32") return "R32";
  if (wort == "REAL48") return "R48";
  return "R64";
}

std::string HTMLWandeln(std::string_view s, bool win1252) {
  std::string r(s);
  Ersetzen(r, "<br>", "");
  Ersetzen(r, "&auml;", "ä");
  Ersetzen(r, "&uuml;", "ü");
  Ersetzen(r, "&ouml;", "ö");
  Ersetzen(r, "&Auml;", "Ä");
  Ersetzen(r, "&Uuml;", "Ü");
  Ersetzen(r, "&Ouml;", "Ö");
  Ersetzen(r, "&szlig;", "ß");
  Ersetzen(r, "&nbsp;", " ");
  Ersetzen(r, "&euro;", "Euro");
  Ersetzen(r, "&amp;", "+");
  if (win1252) {
    // The bytes C2 and C3 BC of UTF-8 text, decoded one by one as Windows-1252.
    Ersetzen(r, "\xC3\x82", "");
    Ersetzen(r, "\xC3\x83\xC2\xBC", "ü");
  }
  return r;
}

std::string TagText(std::string_view zeile) {
  const size_t gt = zeile.find('>');
  const size_t von = gt == std::string_view::npos ? 0 : gt + 1;
  const size_t lt = zeile.find('<', von);
  return std::string(zeile.substr(von, lt == std::string_view::npos ? std::string_view::npos : lt - von));
}

std::vector<std::string> IdListe(std::string_view zeile) {
  std::vector<std::string> ids;
  size_t p = zeile.find("id(");
  while (p != std::string_view::npos) {
    const size_t von = p + 3;
    const size_t naechste = zeile.find("id(", von);
    const std::string_view stueck = zeile.substr(von, naechste == std::string_view::npos ? std::string_view::npos : naechste - von);
    std::string id;
    for (char c : stueck)
      if (c != ')' && c != '"' && c != ' ') id.push_back(c);
    const size_t lt = id.find('<');
    if (lt != std::string::npos) id.resize(lt);
    ids.push_back(std::move(id));
    p = naechste;
  }
  return ids;
}

std::string Kuerzen255(std::string_view s) {
  size_t zeichen = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (zeichen == 255) return std::string(s.substr(0, i));
      ++zeichen;
    }
  }
  return std::string(s);
}

// ---------------------------------------------------------------------------------------------

void HeaderLeeren() {
  for (int k = 1; k <= MaxKanaele; ++k) KanalMonotonie[static_cast<size_t>(k)].clear();
}

void DATHeaderLesen(const Zeilen& kopf, KopfErgebnis& e) {
  for (int k = 1; k <= MaxKanaele; ++k) KanalName[static_cast<size_t>(k)].clear();
  e.memo1.clear();
  e.memo2.clear();
  KanalAnzahl = 0;
  StartWerte.clear();
  // Counts and layout of an earlier header must not carry over to this one.
  KanalWerteAnzahl.clear();
  BlockFormat = false;

  const int n = Anzahl(kopf);
  auto code = [&](int i) -> std::string_view {
    return i >= 0 && i < n ? Code(kopf[static_cast<size_t>(i)]) : std::string_view();
  };
  for (int i = 0; i < n - 1; ++i) {
    const std::string& zeile = kopf[static_cast<size_t>(i)];
    const std::string_view c = Code(zeile);
    const std::string_view wert = Wert(zeile);
    if (c == "200") {
      int typZeile = -1;
      for (int d : {3, 1, 2})
        if (code(i + d) == "210") {
          typZeile = i + d;
          break;
        }
      const bool implizit = typZeile >= 0 && Wert(kopf[static_cast<size_t>(typZeile)]) == "IMPLICIT";
      std::string start;
      if (implizit) start = CodeWert(kopf, "240", i + 1);
      if (KanalAnzahl + 1 > MaxKanaele) {
        e.meldungen.push_back("Kanalanzahl " + std::to_string(MaxKanaele + 1) + " > Max = " +
                              std::to_string(MaxKanaele));
        return;
      }
      ++KanalAnzahl;
      const auto k = static_cast<size_t>(KanalAnzahl);
      KanalName[k] = Kuerzen255(wert);
      KanalBeschreibung[k].clear();
      if (implizit) {
        KanalMonotonie[k] = Implizit;
        StartWerte.push_back(std::move(start));
      }
    } else if (c == "201") {
      if (KanalAnzahl >= 1) KanalBeschreibung[static_cast<size_t>(KanalAnzahl)] = Kuerzen255(wert);
    } else if (c == "213") {
      if (wert == "BLOCK") BlockFormat = true;
    } else if (c == "214") {
      e.typ = DatenTyp(wert);
    } else if (c == "220") {
      e.anzahl = std::string(wert);
      if (KanalAnzahl >= 1) WerteAnzahlSetzen(KanalAnzahl, AnzahlAusText(wert));
    } else if (c == "102") {
      e.memo1.emplace_back(wert);
    } else if (c == "106") {
      if (!wert.empty()) e.memo2.emplace_back(wert);
    }
  }
}

void TDMHeaderLesen(const Zeilen& kopf, bool win1252, KopfErgebnis& e) {
  e.memo1.clear();
  e.memo2.clear();
  KanalAnzahl = 0;
  KanalWerteAnzahl.clear();
  const int n = Anzahl(kopf);
  auto zeile = [&](int i) -> const std::string& { return kopf[static_cast<size_t>(i)]; };

  // Title block: searched for its position only.
  int pos = 0;
  for (const char* tag : {"<title>", "<author>", "<datetime>", "<channelgroups>"}) {
    const int p = TextSuchen(kopf, tag, pos);
    pos = std::max(p, 0);
  }
  const int kommentare = TextSuchen(kopf, "<registercomments>", pos);
  if (kommentare >= 0) {
    int lauf = kommentare + 1;
    for (const std::string& id : IdListe(zeile(kommentare))) {
      const int l = IdSuchen(kopf, id, lauf);
      if (l < 0) continue;
      lauf = l;
      if (l + 2 < n) e.memo1.push_back(HTMLWandeln(TagText(zeile(l + 2)), win1252));
    }
  }

  for (int k = 1; k <= MaxKanaele; ++k) KanalName[static_cast<size_t>(k)].clear();
  const int kanaele = TextSuchen(kopf, "<channels>", 0);
  if (kanaele >= 0) {
    int lauf = kanaele + 1;
    for (const std::string& id : IdListe(zeile(kanaele))) {
      const int l = IdSuchen(kopf, id, lauf);
      if (l < 0 || l + 1 >= n) continue;
      ++KanalAnzahl;
      const bool gespeichert = KanalAnzahl <= MaxKanaele;
      const auto k = static_cast<size_t>(KanalAnzahl);
      if (gespeichert) {
        KanalName[k] = Kuerzen255(TagText(zeile(l + 1)));
        KanalBeschreibung[k] = l + 2 < n ? Kuerzen255(HTMLWandeln(TagText(zeile(l + 2)), win1252)) : std::string();
      } else {
        e.meldungen.push_back("Kanalanzahl " + std::to_string(KanalAnzahl) + " > Max = " +
                              std::to_string(MaxKanaele));
      }
      const int m = TextSuchen(kopf, "name=\"monotony\"", l + 2);
      if (m >= 0) {
        if (gespeichert) KanalMonotonie[k] = Kuerzen255(TagText(zeile(m)));
        lauf = m;
      } else {
        // From the list on, not from the top: the list line itself holds every id.
        lauf = kanaele + 1;
      }
    }
  }
  KanalAnzahl = std::min(KanalAnzahl, MaxKanaele);

  const int matrizen = TextSuchen(kopf, "<submatrices>", 0);
  KanalAnzahl = 0;
  if (matrizen >= 0) {
    int lauf = matrizen + 1;
    for (const std::string& id : IdListe(zeile(matrizen))) {
      if (KanalAnzahl >= MaxKanaele) break;
      const int l = IdSuchen(kopf, id, lauf);
      if (l < 0) continue;
      lauf = l;
      const int r = TextSuchen(kopf, "<number_of_rows>", l);
      if (r < 0) continue;
      lauf = r;
      ++KanalAnzahl;
      e.anzahl = TagText(zeile(r));
      WerteAnzahlSetzen(KanalAnzahl, AnzahlAusText(e.anzahl));
    }
  }
  TDMZeilen = AnzahlAusText(e.anzahl);
  e.typ = "TDM";
}

bool ByteFolgeBestimmen(const Zeilen& kopf) {
  for (size_t i = 1; i <= 5 && i < kopf.size(); ++i) {
    if (kopf[i].find("1,DOS") != std::string::npos) return true;
    if (kopf[i].find("2,{@R") != std::string::npos || kopf[i].find("@R:302") != std::string::npos)
      return false;
  }
  return true;
}

KanalStatistik KanalMinMax(const Zeilen& kopf, std::string_view name) {
  KanalStatistik s;
  auto nachKomma = [](std::string_view z) {
    const size_t k = z.find(',');
    return k == std::string_view::npos ? std::string_view() : z.substr(k + 1);
  };
  const int n = Anzahl(kopf);
  int start = -1;
  for (int i = 1; i < n; ++i) {
    const std::string& z = kopf[static_cast<size_t>(i)];
    if (Code(z) != "200") continue;
    // The text after the comma as it stands: "200, Druck" is not the channel "Druck".
    if (nachKomma(z) == name) {
      start = i;
      break;
    }
  }
  if (start < 0) return s;
  for (int i = start; i < n && i <= start + 20; ++i) {
    const std::string& z = kopf[static_cast<size_t>(i)];
    const std::string_view c = Code(z);
    if (c == "220") s.anzahl = TextZuGanzzahl(nachKomma(z));
    if (c == "250") s.min = static_cast<double>(TextZuZahl(nachKomma(z)));
    if (c == "251") {
      s.max = static_cast<double>(TextZuZahl(nachKomma(z)));
      break;
    }
  }
  return s;
}

}  // namespace kolvex
