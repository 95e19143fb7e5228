#pragma once
// Filters for typed characters of edit fields. Each returns the character to insert
// (possibly translated) or '\0' to swallow the key. Backspace (8) always passes.
#include <string>

namespace kolvex {

inline constexpr char Rueckschritt = '\b';

// The formula field: "." becomes ","; digits, ",", + - * / ( ) and the letters a-z, A-Z
// pass; no operator after a text that ends in one; one comma per number up to the caret
// (caret = number of characters in front of it).
char FormelTasteFiltern(const std::string& text, char key, int caret);

// Value cells: "." becomes ","; digits, "," and the four operators pass; no operator
// after a text that ends in one.
char WertTasteFiltern(const std::string& text, char key);

// Numeric fields: "." and "," become the separator; digits, "-" and one separator pass.
// The separator '#' means integers only: neither "." nor "," passes.
char ZahlTasteFiltern(const std::string& text, char key, char separator);

// Whole-number fields: digits only.
char ZiffernTasteFiltern(char key);

}  // namespace kolvex
