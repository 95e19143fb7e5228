// libFuzzer target: arbitrary bytes through the XY-data table reader and the cell
// classification, into the data graph's value table. Nothing may crash or trip a sanitizer,
// and what the reader hands out must hold together: fields never contain the separator or a
// line end, the reader moves only forward, a cell taken for a number alone prints back as
// exactly its text, Windows-1252 bytes always become well-formed UTF-8, and the value table,
// filled row by row as the data graph fills it, gives every cell back (text and number),
// also once trimmed and with some of its rows kept.
//
//   build/…/fuzz/kolvex_fuzz_tabelle -max_len=4096 -timeout=5 corpus/
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/tabelle.h"
#include "core/zahltext.h"
#include "datagraph/value_table.h"

namespace {

void Pruefen(bool ok, const char* was) {
  if (!ok) {
    std::fprintf(stderr, "verletzt: %s\n", was);
    std::abort();
  }
}

void ZellePruefen(std::string_view feld) {
  double wert = 0;
  const kolvex::ZellArt art = kolvex::ZelleLesen(feld, wert);
  if (art == kolvex::ZellArt::Zahl) Pruefen(kolvex::FloatText(wert) == feld, "Zahl ohne Text");
  if (art == kolvex::ZellArt::Leer) Pruefen(feld.empty(), "Leer mit Text");
  double k = 0;
  if (kolvex::KanonischeZahl(feld, k)) {
    Pruefen(art == kolvex::ZellArt::Zahl && k == wert, "Form und Zelle uneins");
    const std::u16string breit(feld.begin(), feld.end());
    double k16 = 0;
    Pruefen(kolvex::KanonischeZahl(breit.data(), breit.size(), k16) && k16 == k, "UTF-16 uneins");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char trenner = (data[0] & 1) ? ';' : '\t';
  const int startZeile = (data[0] >> 1) - 8;  // -8 .. 119
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  kolvex::TabellenLeser leser(text, trenner, startZeile);
  const char t = leser.trenner();
  Pruefen(t == ';' || t == '\t', "Trenner");
  if (leser.fehler() == kolvex::TabellenFehler::Keiner) {
    Pruefen(leser.kopfZeile() >= 1 && leser.kopfAnzahl() >= 1, "Kopf fehlt");
  }
  // Every field of a line, checked; their number is the count the splitter gives.
  auto felderPruefen = [t](kolvex::Felder felder, bool zellen) {
    const size_t anzahl = felder.anzahl();
    size_t n = 0;
    std::string_view feld;
    while (felder.naechstes(feld)) {
      ++n;
      Pruefen(feld.find(t) == std::string_view::npos, "Trenner im Feld");
      Pruefen(feld.find_first_of("\r\n") == std::string_view::npos, "Zeilenende im Feld");
      if (zellen) ZellePruefen(feld);
    }
    Pruefen(n == anzahl, "Anzahl der Felder");
    return n;
  };
  Pruefen(felderPruefen(leser.kopf(), false) == leser.kopfAnzahl(), "Kopfanzahl");
  kolvex::Felder felder;
  size_t vorher = leser.position();
  // The rows as the data graph stores them (row 0 the header, column 0 the row number), and
  // as plain texts to compare with.
  ValueTable tabelle;
  std::vector<std::vector<std::string>> soll;
  while (leser.naechsteZeile(felder)) {
    Pruefen(felder.anzahl() >= 1, "leere Zeile als Daten");
    Pruefen(leser.position() > vorher && leser.position() <= leser.groesse(), "Position");
    vorher = leser.position();
    felderPruefen(felder, true);
    const int r = static_cast<int>(soll.size()) + 1;
    tabelle.setSize(std::max<int>(tabelle.columnCount(), static_cast<int>(felder.anzahl()) + 1), r + 1);
    soll.emplace_back();
    std::string_view feld;
    for (int c = 1; felder.naechstes(feld); ++c) {
      tabelle.setCell(c, r, feld);
      soll.back().emplace_back(feld);
    }
  }
  // Row i + 1 of the table read, where behalten[i + 1], is the next row of the table.
  auto zellenPruefen = [&](const ValueTable& t, const std::vector<bool>& behalten) {
    int zeile = 0;
    for (size_t i = 0; i < soll.size(); ++i) {
      if (!behalten[i + 1]) continue;
      ++zeile;
      for (int c = 1; c < t.columnCount(); ++c) {
        const std::string feld = static_cast<size_t>(c) <= soll[i].size() ? soll[i][static_cast<size_t>(c) - 1] : "";
        Pruefen(t.cellUtf8(c, zeile) == feld, "Zelle anders");
        double wert = 0;
        const kolvex::ZellArt art = kolvex::ZelleLesen(feld, wert);
        const auto zahl = t.number(c, zeile);
        if (art == kolvex::ZellArt::Zahl || art == kolvex::ZellArt::ZahlMitText)
          Pruefen(zahl && *zahl == wert, "Zahl anders");
        else
          Pruefen(!zahl, "Zahl ohne Zahl");
      }
    }
    Pruefen(t.rowCount() == zeile + 1, "Zeilenzahl");
  };
  std::vector<bool> behalten(soll.size() + 1, true);
  if (!soll.empty()) {
    zellenPruefen(tabelle, behalten);
    tabelle.trim();
    zellenPruefen(tabelle, behalten);
    for (size_t i = 1; i < behalten.size(); ++i) behalten[i] = (data[i % size] >> (i / size % 8)) & 1;
    tabelle.keepRows(behalten);
    zellenPruefen(tabelle, behalten);
  }
  if (!kolvex::GueltigesUtf8(text)) {
    Pruefen(kolvex::GueltigesUtf8(kolvex::Cp1252ZuUtf8(text)), "1252 nicht UTF-8");
  }
  return 0;
}
