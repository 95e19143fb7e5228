// libFuzzer target: arbitrary bytes through both measurement header parsers, the data
// readers and the table builder. Nothing may crash, hang or trip a sanitizer, and what they
// hand out must hold together: at most 40 channels, every built column as long as the table,
// no more body rows than values read, the chosen-channel columns one per chosen channel.
//
// Input: byte 0 chooses the parser (bit 0: ".TDM"), the header's encoding (bit 1: read as
// Windows-1252), the record type (bits 2-3) and BLOCK for the chosen readers (bit 4);
// byte 1 is the reading interval, byte 2 the channel choice mask. The rest is header text
// up to a line "@@", then the data file's bytes.
//
//   build/…/fuzz/kolvex_fuzz_diadem -max_len=8192 -timeout=5 corpus/
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engines/import/daten.h"
#include "engines/import/kanal_tabelle.h"
#include "engines/import/kopf.h"

namespace {

void Pruefen(bool ok, const char* was) {
  if (!ok) {
    std::fprintf(stderr, "verletzt: %s\n", was);
    std::abort();
  }
}

kolvex::Zeilen Zerlegen(std::string_view text) {
  kolvex::Zeilen z;
  size_t a = 0;
  while (a < text.size()) {
    size_t e = text.find_first_of("\r\n", a);
    if (e == std::string_view::npos) e = text.size();
    z.push_back(kolvex::SteuerzeichenEntfernen(text.substr(a, e - a)));
    if (e + 1 < text.size() && text[e] == '\r' && text[e + 1] == '\n') ++e;
    a = e + 1;
  }
  return z;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t flags = data[0];
  const int intervall = data[1] % 16;
  const uint8_t maske = data[2];
  const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const size_t trenn = rest.find("\n@@\n");
  const std::string_view kopfText = rest.substr(0, trenn);
  const std::string_view bytes = trenn == std::string_view::npos ? std::string_view() : rest.substr(trenn + 4);

  const kolvex::Zeilen kopf = Zerlegen(kopfText);
  for (const std::string& z : kopf)
    for (char c : z) Pruefen(static_cast<unsigned char>(c) >= 0x20, "Steuerzeichen geblieben");

  kolvex::HeaderLeeren();
  kolvex::KopfErgebnis e;
  if (flags & 1)
    kolvex::TDMHeaderLesen(kopf, (flags & 2) != 0, e);
  else
    kolvex::DATHeaderLesen(kopf, e);
  Pruefen(kolvex::KanalAnzahl >= 0 && kolvex::KanalAnzahl <= kolvex::MaxKanaele, "Kanalanzahl");
  for (int k = 1; k <= kolvex::MaxKanaele; ++k) Pruefen(kolvex::KanalName[static_cast<size_t>(k)].size() <= 255 * 4, "Name zu lang");
  (void)kolvex::ByteFolgeBestimmen(kopf);
  if (kolvex::KanalAnzahl >= 1) (void)kolvex::KanalMinMax(kopf, kolvex::KanalName[1]);

  const kolvex::Satzart arten[] = {kolvex::Satzart::R32, kolvex::Satzart::R48, kolvex::Satzart::R64,
                                   kolvex::Satzart::TDX};
  const kolvex::Satzart art = arten[(flags >> 2) & 3];
  kolvex::SpeicherQuelle quelle(bytes);
  kolvex::LeseAnzeige still;
  kolvex::LeseOptionen opt;
  opt.block = 7;

  const kolvex::LeseStand stand = kolvex::AlleKanaeleLesen(quelle, art, (flags & 32) != 0, still, opt);
  Pruefen(static_cast<uint64_t>(stand.gelesen) == bytes.size() / kolvex::SatzGroesse(art), "nicht alles gelesen");
  Pruefen(kolvex::Messwerte.size() == static_cast<size_t>(stand.gelesen), "Messwerte");
  const size_t gelesen = kolvex::Messwerte.size();

  kolvex::Tabelle t;
  kolvex::TabelleAufbauen(e.typ, t);
  Pruefen(t.zeilen >= 1 && static_cast<size_t>(t.zeilen) <= gelesen + 1, "Zeilen");
  Pruefen(t.spalten.size() == static_cast<size_t>(kolvex::KanalAnzahl) + 1 && t.kopf.size() == t.spalten.size(), "Spalten");
  for (const auto& s : t.spalten) Pruefen(s.size() == static_cast<size_t>(t.zeilen), "Spaltenlaenge");
  Pruefen(kolvex::Messwerte.empty(), "Messwerte nicht frei");

  kolvex::Auswahl wahl;
  wahl.intervall = intervall;
  wahl.gewaehlt.assign(41, false);
  for (int k = 1; k <= 40; ++k) wahl.gewaehlt[static_cast<size_t>(k)] = (maske >> (k % 8)) & 1;
  kolvex::GewaehltErgebnis g;
  kolvex::GewaehlteKanaeleLesen(quelle, art, (flags & 32) != 0, (flags & 16) != 0, wahl, still, g, opt);
  Pruefen(g.kopf.size() == g.spalten.size() && !g.kopf.empty() && g.kopf[0] == "Nr", "Wahlkopf");
  for (size_t c = 1; c < g.spalten.size(); ++c)
    Pruefen(g.spalten[c].size() == static_cast<size_t>(g.zeilen) + 1, "Wahlspalte");
  Pruefen(g.stand.gelesen <= g.stand.erwartet, "mehr gelesen als erwartet");

  // Decoders: a 6-byte real is finite, and the marker of every type compares equal to itself.
  if (bytes.size() >= 8) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    Pruefen(std::isfinite(kolvex::Real48(p)), "Real48");
    (void)kolvex::WertWandeln(p, true);
  }
  return 0;
}
