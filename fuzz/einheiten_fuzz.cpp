// libFuzzer target: arbitrary bytes as a unit category file. Nothing may crash or trip a
// sanitizer; every row must show as the grid expects it, every reciprocal must read back
// as a finite number, and a row the editor writes must read back with the same fields.
//
//   build/…/fuzz/kolvex_fuzz_einheiten -max_len=4096 -timeout=5 corpus/ fuzz/seeds/einheiten
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/zahltext.h"
#include "engines/units/einheiten_datei.h"

namespace {

using namespace einheiten;

[[noreturn]] void Abbruch(const char* was, const std::string& text) {
  std::fprintf(stderr, "%s: \"%s\"\n", was, text.c_str());
  std::abort();
}

// Lines as the text-file reader splits them: CR LF, LF or a lone CR ends a line; a last
// line without an end counts.
std::vector<std::string> Zeilen(const std::string& text) {
  std::vector<std::string> zeilen;
  std::string zeile;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      zeilen.push_back(zeile);
      zeile.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      zeile += c;
    }
  }
  if (!zeile.empty()) zeilen.push_back(zeile);
  return zeilen;
}

bool OhneSteuerzeichen(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 32) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> zeilen = Zeilen(text);
  const Kategorie k = KategorieLesen(zeilen);
  if (k.zeilen.empty()) Abbruch("no row", text);
  if (k.zeilen.size() != (zeilen.empty() ? 1 : zeilen.size())) Abbruch("row count", text);

  int paare = 0;
  for (const DateiZeile& z : k.zeilen) {
    if (!OhneSteuerzeichen(z.einheit1) || !OhneSteuerzeichen(z.einheit2) || !OhneSteuerzeichen(z.faktor))
      Abbruch("control character in a field", text);
    if (z.istPaar()) ++paare;
    for (bool invers : {false, true}) {
      const std::string paar = PaarText(z, invers);
      if (paar.empty() || paar[0] != ' ') Abbruch("pair text", paar);
      const std::string faktor = FaktorText(z, invers);
      if (!invers && faktor != z.faktor) Abbruch("factor changed", faktor);
      if (invers && !faktor.empty()) {
        long double v = 0;
        if (!kolvex::TextZuZahlStreng(faktor, v) || v == 0 || !(v == v) || v - v != 0)
          Abbruch("reciprocal", faktor);
      }
    }
    // What the editor writes for the row reads back as the same row.
    const std::string geschrieben = DateiZeileText(z.einheit1, z.einheit2, z.faktor);
    if (!geschrieben.empty()) {
      const Kategorie zurueck = KategorieLesen({geschrieben});
      const DateiZeile& w = zurueck.zeilen.at(0);
      if (w.einheit1 != z.einheit1 || w.einheit2 != z.einheit2 || w.faktor != z.faktor)
        Abbruch("written row reads back differently", geschrieben);
    }
  }
  if (paare != k.paare) Abbruch("pair count", text);

  std::string name;
  if (KategorieAusDateiName(text, name) && name.size() + 4 != text.size()) Abbruch("category name", text);
  return 0;
}
