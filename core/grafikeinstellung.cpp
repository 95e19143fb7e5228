#include "core/grafikeinstellung.h"

#include <algorithm>
#include <limits>

namespace kolvex {

bool GanzzahlAusZeile(std::string_view text, int32_t& wert) {
  size_t i = 0;
  size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
  bool negativ = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    negativ = text[i] == '-';
    ++i;
  }
  if (i >= n) return false;
  long long v = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (negativ) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  wert = static_cast<int32_t>(v);
  return true;
}

namespace {

class Leser {
 public:
  Leser(const std::vector<std::string>& zeilen, GrafikEinstellungDaten& d) : zeilen_(zeilen), d_(d) {}
  bool Ende() const { return pos_ >= zeilen_.size(); }
  // False (and the fault noted) when the file has ended.
  bool Zeile(std::string& zeile) {
    if (Ende()) {
      d_.fehlerZeile = static_cast<int>(pos_) + 1;
      d_.fehlt = true;
      return false;
    }
    zeile = zeilen_[pos_++];
    return true;
  }
  bool Ganzzahl(int32_t& wert) {
    std::string zeile;
    if (!Zeile(zeile)) return false;
    if (GanzzahlAusZeile(zeile, wert)) return true;
    d_.fehlerZeile = static_cast<int>(pos_);
    d_.fehlerText = zeile;
    return false;
  }

 private:
  const std::vector<std::string>& zeilen_;
  GrafikEinstellungDaten& d_;
  size_t pos_ = 0;
};

}  // namespace

GrafikEinstellungDaten GrafikEinstellungLesen(const std::vector<std::string>& zeilen) {
  GrafikEinstellungDaten d;
  Leser z(zeilen, d);
  std::string zeile;
  for (int i = 1; i <= 6; ++i)
    if (!z.Zeile(zeile)) return d;
  for (int i = 1; i <= 20; ++i) {
    if (!z.Ganzzahl(d.farben[static_cast<size_t>(i)])) return d;
    ++d.gelesen;
  }
  for (int i = 1; i <= 60; ++i) {
    if (!z.Zeile(d.texte[static_cast<size_t>(i)])) return d;
    ++d.gelesen;
  }
  for (int i = 0; i < 3; ++i) {
    if (!z.Zeile(zeile)) return d;
    d.schalter[static_cast<size_t>(i)] = zeile == "TRUE";  // exactly: "true" is not ticked
    ++d.gelesen;
  }
  int32_t v = 0;
  if (!z.Ganzzahl(v)) return d;
  d.punktGroesse = std::clamp(v, 0, 15);
  ++d.gelesen;
  if (!z.Ganzzahl(v)) return d;
  d.increment = std::clamp(v, 1, 10);
  ++d.gelesen;
  // Line 92 is empty; files written before the picture folder was kept end there.
  if (z.Ende()) return d;
  z.Zeile(zeile);
  if (z.Ende()) return d;
  d.diagrammPfad.emplace();
  z.Zeile(*d.diagrammPfad);
  return d;
}

}  // namespace kolvex
