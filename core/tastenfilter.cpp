#include "core/tastenfilter.h"

#include "core/text.h"

namespace kolvex {

namespace {

bool IstRechenzeichen(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

bool EndetMitRechenzeichen(const std::string& text) {
  return !text.empty() && IstRechenzeichen(text.back());
}

}  // namespace

char FormelTasteFiltern(const std::string& text, char key, int caret) {
  if (key == Rueckschritt) return key;
  if (key == '.') key = ',';
  if (!(IstZiffer(key) || key == ',' || IstRechenzeichen(key) || key == '(' || key == ')' ||
        IstBuchstabe(key)))
    return '\0';
  // Judged on the end of the text, wherever the caret stands.
  if (IstRechenzeichen(key) && EndetMitRechenzeichen(text)) return '\0';
  if (key == ',') {
    if (caret > Length(text)) caret = Length(text);
    bool komma = false;
    for (int i = 1; i <= caret; ++i) {
      const char c = At(text, i);
      if (c == ',') komma = true;
      else if (IstRechenzeichen(c) || c == '(' || c == ')') komma = false;
    }
    if (komma) return '\0';
  }
  return key;
}

char WertTasteFiltern(const std::string& text, char key) {
  if (key == Rueckschritt) return key;
  if (key == '.') key = ',';
  if (!(IstZiffer(key) || key == ',' || IstRechenzeichen(key))) return '\0';
  if (IstRechenzeichen(key) && EndetMitRechenzeichen(text)) return '\0';
  return key;
}

char ZahlTasteFiltern(const std::string& text, char key, char separator) {
  if (key == Rueckschritt) return key;
  const bool ganzzahlig = separator == '#';
  if (!ganzzahlig && (key == '.' || key == ',')) key = separator;
  if (IstZiffer(key) || key == '-') return key;
  if (!ganzzahlig && key == separator && text.find(separator) == std::string::npos) return key;
  return '\0';
}

char ZiffernTasteFiltern(char key) {
  return (key == Rueckschritt || IstZiffer(key)) ? key : '\0';
}

}  // namespace kolvex
