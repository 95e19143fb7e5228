#pragma once
// Small string routines shared by every window. Path routines take "/" as the folder
// separator and also accept "\" (paths from older settings files).
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// The extension from the last "." behind the last "/", "\" or ":" (dot included),
// upper-cased (ASCII); empty when there is none.
std::string DateiEndungGross(std::string_view dateiName);

std::string OhneLeerzeichen(std::string_view text);  // without any blank
std::string OhneKomma(std::string_view text);        // without any ","
std::string OhnePunkt(std::string_view text);        // without any "."

// Without all trailing / leading repetitions of zeichen.
std::string OhneEndZeichen(std::string_view text, char zeichen);
std::string OhneAnfangsZeichen(std::string_view text, char zeichen);

// The text in front of the last zeichen; empty when it does not occur. For "/" or "\"
// both count as the folder separator.
std::string BisLetztesZeichen(std::string_view text, char zeichen);

// The n-th (1-based) TAB-separated field with characters below 32 dropped. A line with
// fewer than n fields leaves feld as passed.
void TabFeld(std::string_view zeile, int n, std::string& feld);
std::string TabFeld(std::string_view zeile, int n);  // empty when there is no such field

// Unit pair texts such as "m <--> km". TeilAmStrich: the text before the first "-", or with
// invers the text after the last "-". TeilAnSpitze: the text after the last ">", or with
// invers the text before the first "<". Both trimmed at both ends; without the character the
// whole text.
std::string TeilAmStrich(std::string_view text, bool invers);
std::string TeilAnSpitze(std::string_view text, bool invers);

// Splits text at every occurrence of trenner into teile (cleared first). Empty text or
// maximum < 0: no pieces; empty trenner: the whole text. maximum > 0 stops after that many
// pieces and drops the rest of the text.
void Zerlegen(std::string_view trenner, std::string_view text, std::vector<std::string>& teile,
              int maximum);

}  // namespace kolvex
