#pragma once
// The savings plan: a month-by-month simulation of an account and the search for the
// quantity the user asks for. Plain code; the savings window hands in the texts of its
// fields and writes back the texts that come out.
#include <optional>
#include <string>

#include "engines/finance/finanz_text.h"

namespace finanz {

// The sought quantity, in the order of the window's radio group.
enum SparGesucht { Anfangskapital = 0, Sparrate = 1, Dynamik = 2, Zinssatz = 3, Ansparzeit = 4,
                   Endkapital = 5 };

struct SparEingaben {
  // Field texts as shown.
  std::string anfangskapital = "10.000,00";
  std::string sparrate = "150,00";
  std::string dynamik = "1,00";
  std::string zinssatz = "3,00";
  std::string ansparzeit = "7";
  std::string festlegungsfrist = "0";
  std::string endkapital;  // the target when another quantity is sought
  // Combo box texts ("" when nothing is chosen) and indexes.
  std::string sparintervall = "monatlich";
  std::string einzahlungsart = "vorschüssig";
  bool dynamikAn = false;
  int dynamikIndex = 0;  // increase every index + 1 years
  std::string zinsperiode = "jährlich";
  int zinseszinsIndex = 0;  // 0 interest stays, 1 paid out
  std::string ansparzeitEinheit = "Jahre";
  std::string festlegungsfristEinheit = "Jahre";
};

// The quantities one pass depends on.
struct SparWerte {
  long double A = 0;  // initial capital
  long double R = 0;  // saving rate
  long double d = 0;  // yearly increase in percent
  long double r = 0;  // interest rate as a fraction
  int N = 0;          // saving period in the units of its combo box
};

// What one pass leaves.
struct SparStand {
  long double K = 0;            // account at the end
  long double P = 0;            // interest paid out
  long double summeRaten = 0;   // all rates paid
  long anzahlRaten = 0;
  long double E = 0;            // end capital compared with the target
  bool abgebrochen = false;     // ESC ended the pass part-way: the values are those so far
};

// abbruch, when given, is asked every kJahreJeAbfrage years of a long period.
SparStand SparDurchlauf(const SparEingaben& ein, const SparWerte& w, int gesucht,
                        const Abbruch* abbruch = nullptr);

struct SparErgebnis {
  // New text of the sought quantity's field (none for the end capital).
  std::optional<std::string> gesuchtesFeld;
  std::string endkapital;      // edEndkapital
  std::string zinsen;          // edZinseG
  std::string gesamt;          // lbGesamt
  std::string alleSparraten;   // lbAlleSparraten
  SparWerte werte;             // of the last pass
  SparStand stand;
  long durchlaeufe = 0;
  bool abgebrochen = false;    // ESC or the pass limit ended a search
  // ESC inside a pass (a period of thousands of years) leaves the texts of the last pass that
  // ran to its end; before the first one ended, every result text is empty (the sought
  // quantity's too; the target stays), "Alle Sparraten:" and lbGesamt's bare caption.
};

// Runs the plan (gesucht = Endkapital) or the search; `abbruch` is asked once per pass.
SparErgebnis SparBerechnen(const SparEingaben& ein, int gesucht, const Abbruch& abbruch = {},
                           long maxDurchlaeufe = kMaxDurchlaeufe);

}  // namespace finanz
