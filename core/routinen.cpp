#include "core/routinen.h"

#include <utility>

#include "core/text.h"

namespace kolvex {

namespace {

std::string Ohne(std::string_view text, char weg) {
  std::string r;
  r.reserve(text.size());
  for (char c : text)
    if (c != weg) r += c;
  return r;
}

bool IstPfadTrenner(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string DateiEndungGross(std::string_view dateiName) {
  for (size_t i = dateiName.size(); i-- > 0;) {
    const char c = dateiName[i];
    if (c == '.') return UpperCase(dateiName.substr(i));
    if (IstPfadTrenner(c) || c == ':') break;
  }
  return {};
}

std::string OhneLeerzeichen(std::string_view text) { return Ohne(text, ' '); }
std::string OhneKomma(std::string_view text) { return Ohne(text, ','); }
std::string OhnePunkt(std::string_view text) { return Ohne(text, '.'); }

std::string OhneEndZeichen(std::string_view text, char zeichen) {
  size_t b = text.size();
  while (b > 0 && text[b - 1] == zeichen) --b;
  return std::string(text.substr(0, b));
}

std::string OhneAnfangsZeichen(std::string_view text, char zeichen) {
  size_t a = 0;
  while (a < text.size() && text[a] == zeichen) ++a;
  return std::string(text.substr(a));
}

std::string BisLetztesZeichen(std::string_view text, char zeichen) {
  const bool pfad = IstPfadTrenner(zeichen);
  for (size_t i = text.size(); i-- > 0;) {
    if (text[i] == zeichen || (pfad && IstPfadTrenner(text[i])))
      return std::string(text.substr(0, i));
  }
  return {};
}

void TabFeld(std::string_view zeile, int n, std::string& feld) {
  if (n < 1) return;
  int nummer = 1;
  size_t anfang = 0;
  while (nummer < n) {
    const size_t tab = zeile.find('\t', anfang);
    if (tab == std::string_view::npos) return;  // fewer fields: leave feld alone
    anfang = tab + 1;
    ++nummer;
  }
  size_t ende = zeile.find('\t', anfang);
  if (ende == std::string_view::npos) ende = zeile.size();
  std::string r;
  for (size_t i = anfang; i < ende; ++i)
    if (static_cast<unsigned char>(zeile[i]) >= 32) r += zeile[i];
  feld = std::move(r);
}

std::string TabFeld(std::string_view zeile, int n) {
  std::string feld;
  TabFeld(zeile, n, feld);
  return feld;
}

std::string TeilAmStrich(std::string_view text, bool invers) {
  if (invers) {
    const size_t p = text.rfind('-');
    return Trim(p == std::string_view::npos ? text : text.substr(p + 1));
  }
  return Trim(text.substr(0, text.find('-')));
}

std::string TeilAnSpitze(std::string_view text, bool invers) {
  if (invers) return Trim(text.substr(0, text.find('<')));
  const size_t p = text.rfind('>');
  return Trim(p == std::string_view::npos ? text : text.substr(p + 1));
}

void Zerlegen(std::string_view trenner, std::string_view text, std::vector<std::string>& teile,
              int maximum) {
  teile.clear();
  if (text.empty() || maximum < 0) return;
  if (trenner.empty()) {
    teile.emplace_back(text);
    return;
  }
  size_t anfang = 0;
  for (;;) {
    const size_t p = text.find(trenner, anfang);
    if (p == std::string_view::npos) break;
    teile.emplace_back(text.substr(anfang, p - anfang));
    anfang = p + trenner.size();
    if (maximum > 0 && static_cast<int>(teile.size()) >= maximum) return;
  }
  teile.emplace_back(text.substr(anfang));
}

}  // namespace kolvex
