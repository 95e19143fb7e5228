#pragma once
// The loan repayment schedule: a month-by-month simulation and the search for the quantity the
// user asks for. Plain code; the loan window hands in the texts of its fields and shows what
// comes out. The simulation reads the debt back from the money text of its own schedule
// table (rounded to the cent), as the grid shows it, and takes its stop decisions on it.
#include <array>
#include <string>
#include <vector>

#include "engines/finance/finanz_text.h"

namespace finanz {

// The sought quantity, in the order of the window's radio group.
enum TilgGesucht { Darlehensbetrag = 0, Tilgungsrate = 1, Tilgungsdauer = 2, Restschuld = 3 };

inline constexpr int kTilgSpalten = 7;
// Column headers of the schedule.
extern const std::array<const char*, kTilgSpalten> kTilgKoepfe;

struct TilgEingaben {
  // Field texts as shown.
  std::string darlehensbetrag = "12.000,00";
  std::string bearbeitungsgebuehr = "0,00";
  std::string disagio = "0,00";
  std::string zinssatz = "5,00";
  std::string tilgungsrate = "3.000,00";
  std::string tilgungsdauer = "7";
  std::string restschuld;
  bool gebuehrAn = false;
  bool disagioAn = false;
  bool zinseZahlen = false;  // interest paid every period instead of added to the debt
  // Combo box texts ("" when nothing is chosen).
  std::string zinsperiode = "vierteljährlich";
  std::string tilgungsintervall = "jährlich";
  std::string dauerEinheit = "Jahre";
  // Rows of the grid before the calculation (header included).
  int zeilenAnzahl = 2;
};

// The schedule as the grid shows it: row 0 the headers, rows 1.. the schedule.
struct TilgTabelle {
  int zeilenAnzahl = 2;
  std::vector<std::array<std::string, kTilgSpalten>> zeilen;

  const std::string& Zelle(int spalte, int zeile) const;
  void Setzen(int spalte, int zeile, std::string text);
  void ZeilenAnzahlSetzen(int n);  // texts of dropped rows are discarded
  void Leeren();                   // every row but the headers emptied; the count stays
};

enum class TilgFeld { Keins, Tilgungsrate, Tilgungsdauer };

struct TilgErgebnis {
  // Field texts afterwards (unchanged ones as they came in). A result the calculation did
  // not reach is empty: the remaining debt of a schedule that a growing debt or ESC ended
  // early, the sought quantity of a calculation refused at its start, the duration of a
  // duration search that a growing debt ended.
  std::string darlehensbetrag, tilgungsrate, tilgungsdauer, restschuld;
  bool zeilenGesetzt = false;  // the interest and total lines below were computed
  std::string zinsenZeile;              // lbZinseG ("" when not computed)
  std::string gesamtZeile = "Gesamt:";  // lbGesamt (its bare caption when not computed)
  bool rateMarkiert = false;   // input too small: background $CCCCFF
  bool dauerMarkiert = false;
  TilgFeld fokus = TilgFeld::Keins;
  std::vector<std::string> meldungen;  // warnings, in order
  bool tabelleNeu = false;     // the grid was emptied and refilled (a refused calculation
                               // leaves it empty, two rows)
  TilgTabelle tabelle;
  // Working values after the calculation.
  double L = 0, T = 0;
  int N = 0;
  long durchlaeufe = 0;
  bool abgebrochen = false;    // ESC or the pass limit ended a search
};

TilgErgebnis TilgungBerechnen(const TilgEingaben& ein, int gesucht, const Abbruch& abbruch = {},
                              long maxDurchlaeufe = kMaxDurchlaeufe);

}  // namespace finanz
