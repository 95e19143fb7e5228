#pragma once
// Variables and the pi sign: their values come from the values table (Fenster().WerteZelle):
// row 0 stands for pi (valued ZahlZuText(0, pi)), rows 1..52 hold a variable's name in
// column 0 and its value text in column 1. The first row whose name matches wins; a name is
// the first character of column 0 after blanks are removed. Names are case-sensitive.
// A value cell is empty, a number, or numbers joined by + - * / (reduced by the * and / and
// the + and - passes); anything else fails to convert (Laufzeitfehler).
#include <string>
#include <string_view>

namespace kolvex {

// The character at position is a name of the table standing on its own (between operators,
// parentheses or the ends of the text), or directly in front of "^".
bool IstKonstante(std::string_view text, int position);

// The value of the name at position. FehlerCode := 0 first; an empty cell sets buchstabe to
// the name, FehlerCode -1 and gives FehlerWert; a division by zero in the cell gives
// FehlerWert (FehlerCode -1 from the division). Throws Laufzeitfehler for a cell that does
// not reduce to a number.
long double KonstantenWert(std::string_view text, int position, char& buchstabe);

// Every name replaced by ZahlZuText(0, value). buchstabe is the first name without a value
// (the result is then empty), a blank if none. Stops where it is when ESC is down.
std::string KonstantenEinsetzen(std::string text, char& buchstabe);

// The text contains the graph variable GrafikVariable.
bool EnthaeltVariable(std::string_view text);

// The first name other than grafikVariable whose value is missing; a blank if none (also
// when ESC is down, or when the first failing cell fails by its formula rather than by
// being empty).
char UnbekannteKonstante(std::string_view text, char grafikVariable);

// The text is a number once its names are replaced.
bool IstZahlMitKonstanten(std::string_view text);

}  // namespace kolvex
