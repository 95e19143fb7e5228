#pragma once
// A formula compiled into the steps that the rewriting evaluator would take, to be replayed
// for new values without rewriting any text.
//
// The evaluator writes every intermediate result back into the text with 15 significant
// digits, so a replayed step rounds its result exactly as that text reads back
// (Gerundet15); operands typed or substituted are read as the evaluator reads them. Only
// texts whose rewriting order is fixed by their shape are compiled: numbers, the place of
// the variable, + - * / with a sign where a substituted value or the start of a group puts
// one, groups, function calls with their argument in parentheses, a power whose base is a
// group or a call and whose exponent is a group or an unsigned number (no chains), a
// factorial of a group or a call. Anything else (implicit multiplication, chains, a bare
// number before "^" or "!", an exponent that would need a sign) is refused, and the caller
// rewrites as before.
//
// A replay never shows anything and never fails halfway in a way that matters: a step that
// would fault (division by zero, a function outside its domain, overflow, 147!) ends the
// replay with false, and the caller rewrites the text, which shows, flags and caret-moves
// exactly as it always did.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kolvex {

class Rechenplan {
 public:
  // The character that stands for the variable in a text given to Uebersetzen.
  static constexpr char Platzhalter = '\x01';

  // Compiles the text (no blanks, values in, with mitVariable the variable's places marked
  // by Platzhalter, sign pairs as the substitution leaves them). False when the text is not
  // one the plan can follow (without mitVariable, one with a Platzhalter in it is not);
  // the plan is then empty.
  bool Uebersetzen(std::string_view text, bool mitVariable);
  bool Bereit() const { return !schritte_.empty(); }
  // The last step computes something, so the evaluator's final text is the number text of
  // the result (a plain or negated number stays the text it was typed as).
  bool EndetMitRechnung() const {
    return !schritte_.empty() && schritte_.back().art != Art::Zahl && schritte_.back().art != Art::Variable &&
           schritte_.back().art != Art::Minus;
  }

  // The value for the variable x (rounded as its text is). False when a step faults; the
  // caller then evaluates the text. Runs silently and leaves FehlerCode, FehlerFlag and
  // StillModus as it found them.
  bool Rechnen(long double x, long double& ergebnis) const;

 private:
  enum class Art : uint8_t {
    Zahl, Variable, Minus, Plus, Weniger, Mal, Durch, Hoch, HochGanz, Fakultaet, Funktion
  };
  struct Schritt {
    Art art;
    uint8_t funktion = 0;  // index into the function names for Art::Funktion
    int32_t ganz = 0;      // the exponent of Art::HochGanz
    long double zahl = 0;  // for Art::Zahl; the exponent's value for Art::HochGanz
  };
  class Leser;
  std::vector<Schritt> schritte_;
  int tiefe_ = 0;  // stack depth the replay needs
};

}  // namespace kolvex
