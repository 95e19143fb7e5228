#pragma once
// The one way a formula is evaluated: the calculation driver and the function graph both come
// here with a formula and its values, and get back one outcome (the value, or which fault,
// with its caret position or missing letter).
//
// Inside, the rewriting passes keep the evaluation status of core/globals.h as their working
// state (FehlerFlag is the "last step" flag they read and clear). The entries below reset it
// on the way in and leave it as the calculation ended on the way out: FehlerCode 0 or -1,
// StillModus as the LOG and LN pre-check set it, LetztesErgebnis as the driver sets it. A
// fault that has no place in that status (Laufzeitfehler, or any other exception) never
// leaves an entry: it becomes the outcome Ausnahme, with FehlerCode as it stood then.
// Messages of the passes still go through Fenster() unless StillModus is set.
#include <string>
#include <string_view>
#include <vector>

#include "core/rechenplan.h"

namespace kolvex {

// The driver's syntax check of a formula without blanks: KlammernEinfuegen, then
// FehlendesOperatorPos, FormelPruefen and LeereKlammerPos, the first fault wins.
// 0 = sound, -1 = unbalanced parentheses, else the position where the caret goes.
// eingefuegt, if given, receives the text with its parentheses inserted.
int SyntaxFehlerPos(std::string_view ohneLeerzeichen, std::string* eingefuegt = nullptr);

enum class Ausgang {
  Zahl,              // Wert and Text hold the result
  Leer,              // nothing but blanks
  Syntaxfehler,      // "Formel ist Falsch!"; Position = caret
  Klammerfehler,     // "Formel ist Falsch!" + CR + "Klammer"; the caret stays
  KeinWert,          // Buchstabe has no value in the values table
  Vorpruefung,       // a literal LOG or LN argument is not positive (the core warned);
                     // Position = caret
  Fehler,            // a function, power or factorial fault in a cycle (the core warned)
  FehlerMalGeteilt,  // a division by zero (the core warned); the caret goes to the end
  Unvollstaendig,    // the cycles ended with an empty text or FehlerCode set: no display
  KeineZahl,         // the final text (also one left by ESC) is not a number
  Ausnahme,          // a runtime fault: "Error", FehlerCode as it stood
};

struct Berechnung {
  Ausgang ausgang = Ausgang::Leer;
  long double Wert = 0;
  std::string Text;  // the final working text (core text)
  int Position = 0;
  char Buchstabe = ' ';
};

// A whole calculation of the main window: syntax check, values, the LOG and LN pre-check
// (messages shown), the cycles until a cycle changes nothing, ESC or a fault. Sets
// FehlerCode (0 first), and LetztesErgebnis: 0 for KeineZahl, the value for Zahl unless
// ersetzen (the replace mode shows the text instead and leaves it alone).
// A text the plan of core/rechenplan.h can follow is replayed instead of rewritten.
Berechnung Berechnen(std::string_view formel, bool ersetzen);
// The same, always rewriting the text: the reference the replay must agree with.
Berechnung BerechnenOhnePlan(std::string_view formel, bool ersetzen);

// The entry text with its variables replaced, for the results log; empty when a value is
// missing or does not convert. The calculation's FehlerCode stays as it was; messages (a
// division by zero in a value cell) are shown as StillModus allows.
std::string ProtokollFormel(std::string_view eingabe);

// The graph variable at position p (1-based) stands alone: between operators, parentheses
// or the ends of the text, or directly in front of "^".
bool IstGrafikVariable(std::string_view text, int p, char variable);

// The function graph's substitution: every name of the values table standing alone, other
// than GrafikVariable, replaced by ZahlZuText(0, value); empty when a value is missing.
// Throws Laufzeitfehler for a cell that does not convert.
std::string GrafikKonstantenErsetzen(std::string_view formel);
// Every place where IstGrafikVariable holds replaced by ZahlZuText(0, x).
std::string GrafikVariableErsetzen(std::string_view formel, char variable, long double x);

// A formula of the graph variable, prepared once for all of its points.
class Kurvenformel {
 public:
  enum class Stand {
    Bereit,
    Leer,           // nothing but blanks
    Klammerfehler,  // FormelPruefen found Position (-1: unbalanced)
    KeinWert,       // Buchstabe (other than the variable) has no value
    Ausnahme,       // a value cell did not convert
  };

  // Blanks removed, parentheses checked, every other name replaced by its value
  // (GrafikKonstantenErsetzen), the places of variable found. Sets
  // FehlerCode -1 unless the formula is ready. Messages are the caller's.
  Stand Vorbereiten(std::string_view formel, char variable);
  int Position() const { return position_; }
  char Buchstabe() const { return buchstabe_; }

  // The value at x, computed silently; false when the point fails (FehlerCode -1).
  // FehlerCode, FehlerFlag and StillModus end as the per-point evaluation leaves them.
  // A formula the plan can follow is replayed (Rechenplan); a point whose replay meets a
  // fault, and every point of any other formula, is rewritten from its text.
  bool Wert(long double x, long double& y) const;
  // The same, always by rewriting the text: the reference the replay must agree with.
  bool WertAusText(long double x, long double& y) const;
  bool HatPlan() const { return plan_.Bereit(); }

  // The text the per-point evaluation starts from at x (values and x replaced).
  std::string Text(long double x) const;

 private:
  std::string f_;                   // the formula without blanks
  std::vector<std::string> teile_;  // the substituted formula split at each graph variable
  Rechenplan plan_;
  int position_ = 0;
  char buchstabe_ = ' ';
};

}  // namespace kolvex
