// libFuzzer target: arbitrary bytes through the XY-data table reader and the cell
// classification. Nothing may crash or trip a sanitizer, and what the reader hands out must
// hold together: fields never contain the separator or a line end, the reader moves only
// forward, a cell taken for a number alone prints back as exactly its text, and Windows-1252
// bytes always become well-formed UTF-8.
//
//   build/…/fuzz/kolvex_fuzz_tabelle -max_len=4096 -timeout=5 corpus/
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/tabelle.h"
#include "core/zahltext.h"

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
  while (leser.naechsteZeile(felder)) {
    Pruefen(felder.anzahl() >= 1, "leere Zeile als Daten");
    Pruefen(leser.position() > vorher && leser.position() <= leser.groesse(), "Position");
    vorher = leser.position();
    felderPruefen(felder, true);
  }
  if (!kolvex::GueltigesUtf8(text)) {
    Pruefen(kolvex::GueltigesUtf8(kolvex::Cp1252ZuUtf8(text)), "1252 nicht UTF-8");
  }
  return 0;
}
