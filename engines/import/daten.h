#pragma once
// Measurement data files: plain sequences of fixed-size binary records, decoded through
// integers with an explicit byte order (never by casting pointers), and the table built from
// them. Pure C++ (no Qt): the window side maps the file and moves the columns into the value
// table without a copy.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

enum class Satzart { R32, R48, R64, TDX };

// The record type of a data type text; false for a type without a reader ("" and others
// than "R32", "R48", "R64", "TDM").
bool SatzartAusTyp(std::string_view typ, Satzart& art);
size_t SatzGroesse(Satzart art);
// ".R32", ".R48", ".R64", ".tdx" for "R32", "R48", "R64", "TDM"; any other type ".R64".
std::string DatenEndung(std::string_view typ);

// ---- Decoding ------------------------------------------------------------------------------

float Single(const unsigned char* p);                 // 4 bytes, little-endian
double Real48(const unsigned char* p);                // 6-byte real, exact
double Double(const unsigned char* p, bool tausch);   // 8 bytes; tausch: reversed first
double SatzWert(const unsigned char* p, Satzart art, bool tausch);
// The ".R64" value as the general float text shows it and reads back (15 digits).
double WertWandeln(const unsigned char* p, bool tausch);

// The no-value marker 999999999999999 as a record of that type holds it (nearest single,
// nearest 6-byte real, the double itself).
double Markierung(Satzart art);
// The value's general float text is "9,9E34" (an empty cell in the CHANNEL layout).
bool IstLeerwert(double v);

// ---- Byte source ---------------------------------------------------------------------------

class LeseFehler : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Bytequelle {
 public:
  virtual ~Bytequelle() = default;
  virtual uint64_t groesse() const = 0;
  // Up to n bytes from pos on (fewer at the end of the file); valid until the next call.
  // A failing read throws LeseFehler with the system's error text.
  virtual std::string_view holen(uint64_t pos, size_t n) = 0;
};

class SpeicherQuelle : public Bytequelle {
 public:
  explicit SpeicherQuelle(std::string_view bytes) : bytes_(bytes) {}
  uint64_t groesse() const override { return bytes_.size(); }
  std::string_view holen(uint64_t pos, size_t n) override {
    if (pos >= bytes_.size()) return {};
    return bytes_.substr(static_cast<size_t>(pos), n);
  }

 private:
  std::string_view bytes_;
};

// ---- Progress ------------------------------------------------------------------------------

// What a reader tells the window while it runs. The data graph's window shows it in its bar,
// caption and channel boxes; tests fake it.
class LeseAnzeige {
 public:
  virtual ~LeseAnzeige() = default;
  // Reading starts: the table hides, the bar (0..maximum) and the ESC panel show.
  virtual void beginnen(int64_t maximum) { (void)maximum; }
  // The bar takes wert; a non-empty titel becomes the window caption.
  virtual void fortschritt(int64_t wert, const std::string& titel) { (void)wert, (void)titel; }
  // ESC was pressed (asked after every block of values).
  virtual bool abbruch() { return false; }
  // The channel boxes hold "Nr" and these names.
  virtual void kanalBoxen(const std::vector<std::string>& namen) { (void)namen; }
  // Reading ends (also after an error): table back, bar and ESC panel hidden.
  virtual void beenden() {}
};

struct LeseOptionen {
  // Values decoded between two questions for ESC.
  int64_t block = 4096;
  // Test hook: std::bad_alloc once that many values are read (-1: off).
  int64_t speicherFehlerNach = -1;
};

// ---- All channels --------------------------------------------------------------------------

struct LeseStand {
  int64_t gelesen = 0;    // values (positions) read
  int64_t erwartet = 0;   // values the header promises
  bool abgebrochen = false;
};

// Decodes every record into Messwerte (emptied first); a no-value marker becomes NaN.
LeseStand AlleKanaeleLesen(Bytequelle& quelle, Satzart art, bool tausch, LeseAnzeige& anzeige,
                           const LeseOptionen& opt = {});

// A built table: column c holds grid column c (row 0 included, NaN for empty cells).
struct Tabelle {
  std::vector<std::string> kopf;               // header texts, one per column
  std::vector<std::vector<double>> spalten;    // one per column, each `zeilen` long
  // Columns filled with a start value that is not a number: the text for every body row.
  std::vector<std::pair<int, std::string>> textSpalten;
  int zeilen = 2;                              // rows, header included
  std::vector<std::string> meldungen;
};

// The values the header promises for the all-channel layout of that type.
int64_t ErwarteteWerte(std::string_view typ);
// Builds the table from Messwerte by the header's layout (TDM, BLOCK, CHANNEL); the grid
// columns are channel k in column k - 1, one more column without a name at the end. Frees
// Messwerte.
void TabelleAufbauen(std::string_view typ, Tabelle& t);

// ---- Chosen channels -----------------------------------------------------------------------

struct Auswahl {
  // gewaehlt[k] for channel k (index 0 unused): the row's choice is "X".
  std::vector<bool> gewaehlt;
  int intervall = 1;  // every n-th value, at least 1
};

struct GewaehltErgebnis {
  std::vector<std::string> kopf;             // "Nr" and the chosen channels' names
  std::vector<std::vector<double>> spalten;  // column 0 unused (row labels)
  int zeilen = 0;                            // body rows (largest count written)
  LeseStand stand;
};

// Reads every n-th value of the chosen channels; every explicit channel is N long (N the
// value count of channel 1), in the CHANNEL layout or interleaved when blockFormat.
void GewaehlteKanaeleLesen(Bytequelle& quelle, Satzart art, bool tausch, bool blockFormat,
                           const Auswahl& wahl, LeseAnzeige& anzeige, GewaehltErgebnis& e,
                           const LeseOptionen& opt = {});

// The label of body row r at interval n: "r", or "r  (p)" with p the value's position.
std::string ZeilenText(int r, int n);

}  // namespace kolvex
