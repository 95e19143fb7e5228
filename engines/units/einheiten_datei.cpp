#include "engines/units/einheiten_datei.h"

#include <cmath>

#include "core/routinen.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace einheiten {

Kategorie KategorieLesen(const std::vector<std::string>& zeilen) {
  Kategorie k;
  // At least one row, even from an empty file.
  const size_t anzahl = zeilen.empty() ? 1 : zeilen.size();
  k.zeilen.reserve(anzahl);
  for (size_t i = 0; i < anzahl; ++i) {
    const std::string_view zeile = zeilen.empty() ? std::string_view() : zeilen[i];
    DateiZeile z{kolvex::TabFeld(zeile, 1), kolvex::TabFeld(zeile, 2), kolvex::TabFeld(zeile, 3)};
    if (z.istPaar()) ++k.paare;
    k.zeilen.push_back(std::move(z));
  }
  return k;
}

std::string PaarText(const DateiZeile& zeile, bool invers) {
  std::string text = " " + zeile.einheit1;
  if (zeile.istPaar()) text += invers ? " <--- " : " ---> ";
  text += zeile.einheit2;
  return text;
}

std::string FaktorText(const DateiZeile& zeile, bool invers) {
  if (!invers) return zeile.faktor;
  long double wert = 0;
  const std::string zahl = kolvex::KommaZuPunkt(kolvex::OhneLeerzeichen(zeile.faktor));
  if (zahl.empty() || !kolvex::TextZuZahlStreng(zahl, wert)) return {};
  // 0 has no reciprocal, and a value beyond the range has none that could be shown.
  if (wert == 0 || !std::isfinite(wert)) return {};
  const long double kehrwert = 1.0L / wert;
  if (!std::isfinite(kehrwert)) return {};
  return kolvex::FloatText(kehrwert);
}

std::string DateiZeileText(std::string_view einheit1, std::string_view einheit2,
                           std::string_view faktor) {
  // A TAB or line break inside a cell would shift the fields or split the row.
  std::string zeile = kolvex::EinzeiligerEintrag(std::string(einheit1));
  zeile.append("\t").append(kolvex::EinzeiligerEintrag(std::string(einheit2)));
  zeile.append("\t").append(kolvex::EinzeiligerEintrag(std::string(faktor)));
  // The two TABs count: a row is written when one of its cells holds more than blanks.
  if (kolvex::OhneLeerzeichen(zeile).size() <= 2) return {};
  return zeile;
}

bool KategorieAusDateiName(std::string_view dateiName, std::string& kategorie) {
  if (dateiName.size() < 4) return false;
  const std::string_view endung = dateiName.substr(dateiName.size() - 4);
  static constexpr char kTxt[] = ".txt";
  for (size_t i = 0; i < 4; ++i) {
    char c = endung[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kTxt[i]) return false;
  }
  kategorie = std::string(dateiName.substr(0, dateiName.size() - 4));
  return true;
}

}  // namespace einheiten
