#pragma once
// Measurement headers: ".DAT" (lines of a three-digit code, a comma and a value) and
// ".TDM" (XML, read line by line rather than as a document, as the measurement program
// writes it). The parsers fill the channel table (engines/import/kanal_tabelle.h). Pure C++ on
// UTF-8 lines; the window side (TfrDiaDem) reads the file and shows the messages.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

using Zeilen = std::vector<std::string>;

// ---- Text helpers ---------------------------------------------------------------------------

// Index of the first line at or after start (a negative start counts as 0) that contains
// text; -1 when none does.
int TextSuchen(const Zeilen& liste, std::string_view text, int start);
// The same, but the text counts only as a whole token: the characters around it are no
// letters, digits, "_" or "-" (so "ch1" is not found in "ch10").
int IdSuchen(const Zeilen& liste, std::string_view id, int start);
// The value (from the 5th character, leading blanks removed) of the first line at or after
// start, up to the last but one line, whose first three characters are code; "" if none.
std::string CodeWert(const Zeilen& liste, std::string_view code, int start);
// Drops the control characters U+0000..U+001F and U+00FE, U+00FF, U+FEFF of UTF-8 text.
std::string SteuerzeichenEntfernen(std::string_view s);
std::string ZeichenEntfernen(std::string_view s, char c);
// "yyyy-mm-dd..." -> "dd.mm.yyyy".
std::string DatumWandeln(std::string_view s);
// Code 214's word: "REAL32" -> "R32", "REAL48" -> "R48", anything else -> "R64".
std::string DatenTyp(std::string_view wort);
// Entities of ".TDM" descriptions; with win1252 (the header was not UTF-8 and was decoded
// as Windows-1252) also the remains of UTF-8 bytes read that way ("Â" dropped, "Ã¼" -> "ü").
std::string HTMLWandeln(std::string_view s, bool win1252);
// The text between the first ">" of a line and the next "<".
std::string TagText(std::string_view zeile);
// The ids of an id list line ("... id("a") id("b") ...").
std::vector<std::string> IdListe(std::string_view zeile);
// At most 255 characters (UTF-8 aware).
std::string Kuerzen255(std::string_view s);

// ---- Parsers --------------------------------------------------------------------------------

struct KopfErgebnis {
  std::string typ;     // "R32", "R48", "R64", "TDM" or "" (".DAT" without code 214)
  std::string anzahl;  // text of the last value count read
  Zeilen memo1;        // comment lines
  Zeilen memo2;        // ".DAT" code 106 lines
  Zeilen meldungen;    // warnings to show, in order
};

// Empties the monotony of channels 1 to 40; done before a header file is read.
void HeaderLeeren();
void DATHeaderLesen(const Zeilen& kopf, KopfErgebnis& e);
void TDMHeaderLesen(const Zeilen& kopf, bool win1252, KopfErgebnis& e);

// Byte reversal of ".R64" records: on unless one of header lines 2 to 6 says otherwise.
bool ByteFolgeBestimmen(const Zeilen& kopf);

struct KanalStatistik {
  double min = 0;
  double max = 0;
  int32_t anzahl = 0;
};
// Minimum, value count and maximum of the named channel from a ".DAT" header.
KanalStatistik KanalMinMax(const Zeilen& kopf, std::string_view name);

}  // namespace kolvex
