#pragma once
// The stepwise rewriting evaluator. A checked formula whose variables are already numbers
// is rewritten again and again: each pass finds one kind of sub-expression whose operands
// are plain numbers, computes it and splices the result back as a number text with 15
// significant digits (ZahlZuText(0, ...)). Precedence is the order of the passes, so the
// carried texts are part of the result: 1/3*3 is 0,999999999999999, -2^2 is 4, 2^3^2 is 64.
//
// Positions are 1-based. Texts are taken by value and returned; pass them with std::move
// to let a pass edit in place.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/formel.h"

namespace kolvex {

// The result of an arithmetic step that failed.
inline constexpr long double FehlerWert = 999999999999999.0L;

// ---- Passes ------------------------------------------------------------------------------
// Repeats FunktionenAuswerten, PotenzAuswerten, FakultaetAuswerten until a round changes
// nothing or ESC is down after a round that changed something. Empty after a fault.
std::string FunktionenAufloesen(std::string text);
// One walk folding "++" and "--" to "+", "+-" and "-+" to "-"; a run of three or more
// signs needs a further call.
std::string VorzeichenZusammenfassen(std::string text);
// Drops the parentheses of "(number)" groups (a "(" with its own ")" and no parenthesis
// between them) until a sweep changes nothing, folding signs after each sweep. Groups after
// a function-end letter stay; with erlaubeMalGeteilt false so do groups after "*" or "/"; a
// group directly in front of "^" stays too, so that a power keeps its base as a whole.
std::string KlammernAufloesen(std::string text, bool erlaubeMalGeteilt);
// The leftmost group that holds no other group and whose content is not yet a plain
// number, parentheses included; links = its "(", rechts = the position after its ")".
// No such group: empty, 0, 0. Throws Laufzeitfehler for a "(" that is never closed.
void InnersteGruppe(std::string_view text, int& links, std::string& gruppe, int& rechts);
// From the "(" at position: the group up to its matching ")", which position is set to.
// Throws Laufzeitfehler when there is none.
void KlammerInhalt(std::string_view text, int& position, std::string& gruppe);
// All "*" and "/" from the left, parentheses removed first. Empty after a division by zero
// (FehlerFlag and FehlerCode are set, the message shown unless StillModus).
std::string MalGeteiltAuswerten(std::string text);
// All "+" and "-" from the left, through a table of signed terms of its own.
std::string PlusMinusAuswerten(std::string_view text);
// text[von..bis] without parentheses; von = 0 from the start, bis = 0 to the end.
std::string OhneKlammern(std::string_view text, int von, int bis);

// x + y, x - y, x * y, x / y. Clears FehlerFlag. y = 0 for "/": "Division durch 0" (unless
// StillModus), FehlerFlag, FehlerCode -1, result FehlerWert. An unknown operator gives
// FehlerWert. Throws Laufzeitfehler on overflow.
long double Rechne(char op, long double x, long double y);

// The value of an operand text; throws Laufzeitfehler when it is not a number.
long double OperandWert(std::string_view text);
// IstZahl, rejecting texts that cannot be numbers by their shape before converting.
bool IstZahlSchnell(std::string_view text);
// IstZahlSchnell and the value in one conversion.
bool ZahlWert(std::string_view text, long double& wert);

// ---- Operand pickers ---------------------------------------------------------------------
// In: position of the operator. Out: where the replaced stretch begins (left pickers) or
// where the rest of the text begins (right pickers).
// Back to the nearest operator (included, as the sign), "(" or the start.
std::string LinkerOperand(std::string_view text, int& position);
// A "(" after the operator is stepped over with a "-" behind it as the sign; then up to the
// next operator (one in first place is the sign), parenthesis or the end. A letter makes
// it empty.
std::string RechterZahlOperand(std::string_view text, int& position);
// A ")" in front: the balanced group ending there, unwrapped; else the digits and commas
// back to the nearest non-digit. Throws Laufzeitfehler for an unmatched ")".
std::string LinkerKlammerOperand(std::string_view text, int& position);
// A "(" behind: the balanced group starting there, unwrapped; else the characters up to
// the next operator or ")". Throws Laufzeitfehler for an unmatched "(".
std::string RechterOperand(std::string_view text, int& position);

// The pickers as the power, factorial and function passes use them: true when the operand
// is a plain number once unwrapped, with its value; a group that cannot become one (an
// operator behind a digit stays an operator) is not unwrapped at all. position as above.
bool RechteZahl(std::string_view text, int& position, long double& wert);
bool LinkeKlammerZahl(std::string_view text, int& position, long double& wert);

// ---- One evaluation cycle ------------------------------------------------------------------
enum class ZyklusErgebnis {
  Unveraendert,      // W is as it was: the evaluation is finished
  Geaendert,         // W was rewritten: another cycle may follow
  Fehler,            // a function, power or factorial fault (W is empty or FehlerCode -1)
  FehlerMalGeteilt,  // the * and / pass met a division by zero (FehlerFlag)
};

// One cycle on the working text W, in this order: KlammernEinfuegen; FunktionenAufloesen
// (Fehler when W becomes empty or FehlerCode is not 0); VorzeichenZusammenfassen;
// T := KlammernAufloesen(W, true); then the innermost group of T, or T as a whole when it
// has none, goes through MalGeteiltAuswerten (FehlerMalGeteilt on FehlerFlag), loses a
// leading "+", and goes through PlusMinusAuswerten; a group keeps its parentheses until the
// next cycle unwraps it.
//
// Throws Laufzeitfehler for the faults that have no place in the error status (overflow,
// ATANH outside its domain, an operand that is not a number, an unmatched parenthesis).
// The entries of core/berechnung.h, through which the calculation driver and the function
// plotter evaluate, catch it; FehlerCode is then left as it was.
ZyklusErgebnis AuswertungsZyklus(std::string& W);

enum class AuswertungsEnde {
  Fertig,            // a cycle left W unchanged
  Abgebrochen,       // ESC was down after a cycle that changed W; W is judged as it stands
  Fehler,            // as ZyklusErgebnis::Fehler
  FehlerMalGeteilt,  // as ZyklusErgebnis::FehlerMalGeteilt
};

// Repeats AuswertungsZyklus while it changes W and ESC is not down (Fenster().EscGedrueckt()
// after every changing cycle). Every cycle either computes something or removes
// parentheses or signs, so the count is bounded by the text; ZyklenGrenze(W) cycles are a
// safe ceiling (fuzzing never needed more cycles than the text has characters), and
// reaching it ends as Fehler with FehlerCode -1. Throws as AuswertungsZyklus.
AuswertungsEnde AuswertungLaufen(std::string& W);

// The ceiling of cycles for a working text: far above what any text needs.
int ZyklenGrenze(std::string_view W);

}  // namespace kolvex
