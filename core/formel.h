#pragma once
// Formula text: what it may contain, the character and name tests, and the checks that run
// on a text before it is evaluated.
//
// A formula is never parsed into a tree. It stays text (Latin-1 bytes, 0xB6 = pi) until the
// rewriting passes of core/auswerter.h have turned it into one number. Positions are 1-based;
// 0 means "no fault". Every routine expects a text without blanks (OhneLeerzeichen first).
//
// Error status (core/globals.h): FehlerCode (0 sound, -1 failed), FehlerFlag (raised by the
// step that met the current fault; several steps clear it on entry), StillModus (no message
// boxes; set by FunktionenPruefen on every call).
#include <stdexcept>
#include <string>
#include <string_view>

namespace kolvex {

// A fault that the rewriting cannot express in its error status: overflow of an extended
// value, a function outside its domain where no message is defined (ATANH), an operand that
// is not a number, a group without its closing parenthesis. The calculation driver shows
// "Error", the function plotter skips the point.
struct Laufzeitfehler : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---- Character classes -------------------------------------------------------------------
inline bool IstOperator(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }
inline bool IstKlammer(char c) { return c == '(' || c == ')'; }
inline bool IstOperatorOderKlammer(char c) { return IstOperator(c) || IstKlammer(c); }
inline bool IstPlusMinus(char c) { return c == '+' || c == '-'; }
inline bool IstMalGeteilt(char c) { return c == '*' || c == '/'; }
inline bool IstZifferOderKomma(char c) { return (c >= '0' && c <= '9') || c == ','; }
// The last letter of a function name ("^" counts as one). H (SINH ...) is deliberately not
// among them: the passes rely on exactly this set.
bool IstFunktionsEndbuchstabe(char c);

// ---- Name tests (whole text, compared upper-case, no trimming) ----------------------------
// The 13 angle and hyperbolic functions.
bool IstWinkelFunktion(std::string_view name);
// Those plus LOG, LN, EXP and "^".
bool IstFunktion(std::string_view name);

// ---- Checks ------------------------------------------------------------------------------
// Puts parentheses around bare function arguments and both operands of "^": SIN30 ->
// SIN(30), SIN-30 -> SIN(-30), -2^2 -> (-2)^(2), 2*x^2 -> 2*x()^(2), x^2 -> (x)^(2).
// Repeats whole scans until one changes nothing; ESC down after a scan that changed
// something gives an empty text.
std::string KlammernEinfuegen(std::string text);

// Position of a missing operator ("2x", "(2)3", "2(3)"), 0 if none.
int FehlendesOperatorPos(std::string_view text);

// Position of the first of two adjacent operators; else -1 when the counts of "(" and ")"
// differ (only the counts: ")(" passes); else 0.
int FormelPruefen(std::string_view text);

// Position of a "(" directly followed by ")", "*" or "/", 0 if none.
int LeereKlammerPos(std::string_view text);

// Pre-check of literal LOG and LN arguments. Sets StillModus := still. An argument that is
// a number as a whole (up to its matching ")", parentheses left out) and not positive shows "Falsche Wert in log()" / "Falsche Wert in ln()" (unless still),
// raises FehlerFlag and sets FehlerCode -1; the result is then the position of the last
// function looked at, where the driver puts the caret (+ 1). The caller clears FehlerFlag
// before and tests it afterwards.
int FunktionenPruefen(std::string_view text, bool still);

// Whether the "(" at position may lose its parentheses: not after a function-end letter,
// and with erlaubeMalGeteilt false not after "*" or "/".
bool KlammerLoesbar(std::string_view text, int position, bool erlaubeMalGeteilt);

// Scanning right from position + 1, a ")" comes before any "(" (or neither comes).
bool OhneInnereKlammer(std::string_view text, int position);

// The text without the character at index.
std::string ZeichenLoeschen(std::string text, int index);

}  // namespace kolvex
