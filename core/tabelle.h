#pragma once
// XY-data text tables: cells, lines and fields as bytes, without Qt, so that the reader can
// be fuzzed on its own.
//
// A table file is a header line whose fields name the columns, followed by data lines; both
// are split at one separator (";" or TAB). The reader here finds the header and hands out
// the data lines' fields; the data graph puts them into its value table.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// ---- Cells -------------------------------------------------------------------------------

// The value of a text that is exactly its double's general float text (FloatText) in the
// common fixed form ("-12,5", "0,001", "300"), found without a general conversion. False
// means "not proven to be such a text", not "not a number".
bool KanonischeZahl(std::string_view text, double& wert);
bool KanonischeZahl(const char16_t* text, size_t laenge, double& wert);

enum class ZellArt {
  Leer,         // ""
  Zahl,         // a number whose text is its general float text: the number alone tells it
  ZahlMitText,  // a number written otherwise ("1,50", "1.5", " 3"): keep the text as well
  Text,         // not a number by the rules of IstZahl
};
// Classifies a cell text (UTF-8) and gives its value for Zahl and ZahlMitText.
ZellArt ZelleLesen(std::string_view text, double& wert);

// ---- Bytes -------------------------------------------------------------------------------

// Windows-1252 differs from Latin-1 only in 0x80..0x9F: their code points. The five undefined
// bytes keep their C1 code point, so that no byte is lost.
inline constexpr char16_t kCp1252Hoch[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool GueltigesUtf8(std::string_view bytes);
// Windows-1252 bytes as UTF-8 (the five undefined bytes keep their C1 code point).
std::string Cp1252ZuUtf8(std::string_view bytes);

// ---- Reading a table ---------------------------------------------------------------------

enum class TabellenFehler {
  Keiner,
  KeinKopf,  // no line to take as header: "Lesefehler Datei: "
  ZuKurz,    // the file ends before the first data line: "Lesefehler in Datei "
};

// The fields of one line split at a separator, handed out one after the other: no list of
// them is made, so that a line of millions of fields costs nothing beyond its bytes. An empty
// line has no field; a line with k separators has k + 1.
class Felder {
 public:
  Felder() = default;
  Felder(std::string_view zeile, char trenner) : zeile_(zeile), trenner_(trenner), fertig_(zeile.empty()) {}

  // The next field; false after the last one.
  bool naechstes(std::string_view& feld);
  // How many fields the line has, whichever were taken already.
  size_t anzahl() const;

 private:
  std::string_view zeile_;
  char trenner_ = '\t';
  size_t pos_ = 0;
  bool fertig_ = true;
};

// Reads a table from its bytes (a UTF-8 byte order mark is skipped; LF, CR LF and a lone CR
// end a line; a last line without a line end counts).
//
// Header: the first line that splits into at least two fields at the separator, searched
// in the first 101 lines; the search also ends at the file's last line. When it finds
// nothing (or only the last line), the fields are TAB-separated and the header is searched
// again with TAB; with no such line either, the first non-empty line is the header.
// Data: from line h + s on (h the header's line, s the start row, at least 1), so s = 1
// starts right after the header; empty lines are no data rows.
class TabellenLeser {
 public:
  // trenner: ';' for a ".CSV" file, else '\t'.
  TabellenLeser(std::string_view text, char trenner, int startZeile);

  TabellenFehler fehler() const { return fehler_; }
  char trenner() const { return trenner_; }
  int kopfZeile() const { return kopfZeile_; }  // 1-based; 0 without header
  // The header's fields (none without header) and how many there are.
  Felder kopf() const { return Felder(kopfText_, trenner_); }
  size_t kopfAnzahl() const { return kopfAnzahl_; }

  // The fields of the next data row; false at the end of the text.
  bool naechsteZeile(Felder& felder);
  // Bytes read so far, for progress.
  size_t position() const { return pos_; }
  size_t groesse() const { return text_.size(); }

 private:
  bool zeileLesen(size_t& pos, std::string_view& zeile) const;
  bool kopfSuchen(char trenner, bool endeZaehlt);

  std::string_view text_;
  size_t anfang_ = 0;  // after a byte order mark
  size_t pos_ = 0;
  char trenner_;
  int kopfZeile_ = 0;
  std::string_view kopfText_;
  size_t kopfAnzahl_ = 0;
  TabellenFehler fehler_ = TabellenFehler::Keiner;
};

}  // namespace kolvex
