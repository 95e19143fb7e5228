#include "core/rechenplan.h"

#include <array>
#include <cmath>
#include <string_view>

#include "core/auswerter.h"
#include "core/formel.h"
#include "core/funktionen.h"
#include "core/globals.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

constexpr std::array<std::string_view, 16> FunktionsNamen = {
    "SIN", "COS", "TAN", "CTAN", "ASIN", "ACOS", "ATAN", "SINH",
    "COSH", "TANH", "ASINH", "ACOSH", "ATANH", "LOG", "LN", "EXP"};

// The replay runs silently (a step that would warn fails instead) and leaves the status as
// it found it: the rewriting that follows a failed replay must start where the caller was,
// and warns as the caller's mode says.
class StatusBis {
 public:
  StatusBis() : code_(FehlerCode), flag_(FehlerFlag), still_(StillModus) {
    FehlerCode = 0;
    StillModus = true;
  }
  ~StatusBis() {
    FehlerCode = code_;
    FehlerFlag = flag_;
    StillModus = still_;
  }
  StatusBis(const StatusBis&) = delete;
  StatusBis& operator=(const StatusBis&) = delete;

 private:
  int32_t code_;
  bool flag_;
  bool still_;
};

}  // namespace

// Recursive descent over the text, writing the steps in the order of a stack machine. Every
// rule refuses what it does not know, so "true" means the whole text was understood.
class Rechenplan::Leser {
 public:
  Leser(std::string_view text, bool mitVariable, std::vector<Schritt>& schritte)
      : t_(text), aus_(schritte), mitVariable_(mitVariable) {}

  bool Ganz() { return Ausdruck(false) && i_ == t_.size(); }
  int Tiefe() const { return maxTiefe_; }

 private:
  char Zeichen(size_t k = 0) const { return i_ + k < t_.size() ? t_[i_ + k] : '\0'; }

  void Ausgeben(Art art, long double zahl = 0, uint8_t funktion = 0) {
    aus_.push_back(Schritt{art, funktion, 0, zahl});
    if (art == Art::Zahl || art == Art::Variable) {
      if (++tiefe_ > maxTiefe_) maxTiefe_ = tiefe_;
    } else if (art != Art::Minus && art != Art::Fakultaet && art != Art::Funktion) {
      --tiefe_;
    }
  }

  // A power whose exponent is one number: when Potenz would take that exponent as an
  // integer, the integer is worked out here once instead of at every replay.
  void HochAusgeben(size_t exponentAnfang) {
    if (aus_.size() == exponentAnfang + 1 && aus_.back().art == Art::Zahl) {
      const long double e = aus_.back().zahl;
      if (e != 0 && IstGanzzahlig(e, GanzzahlToleranz) && std::fabs(e) <= 2147483647.0L) {
        aus_.back() = Schritt{Art::HochGanz, 0, static_cast<int32_t>(std::nearbyint(e)), e};
        --tiefe_;
        return;
      }
    }
    Ausgeben(Art::Hoch);
  }

  // [sign] term {(+|-) term}: at the start of the text or of a group. In a group, "-(" is
  // refused: the pre-check takes the lone "-" for an argument that is no number and clears
  // the main window's labels at every point.
  bool Ausdruck(bool inGruppe) {
    bool minus = false;
    if (IstPlusMinus(Zeichen())) {
      if (inGruppe && Zeichen() == '-' && Zeichen(1) == '(') return false;
      minus = t_[i_++] == '-';
    }
    if (!Term(minus, false)) return false;
    while (IstPlusMinus(Zeichen())) {
      const char op = t_[i_++];
      if (!Term(false, true)) return false;
      Ausgeben(op == '+' ? Art::Plus : Art::Weniger);
    }
    return true;
  }

  bool Term(bool minus, bool nachOperator) {
    if (!Operand(nachOperator)) return false;
    if (minus) Ausgeben(Art::Minus);
    while (IstMalGeteilt(Zeichen())) {
      const char op = t_[i_++];
      if (!Operand(true)) return false;
      Ausgeben(op == '*' ? Art::Mal : Art::Durch);
    }
    return true;
  }

  // Digits and commas, read as the passes read an operand.
  bool Zahl(bool negativ) {
    const size_t anfang = i_;
    while (IstZifferOderKomma(Zeichen())) ++i_;
    long double wert = 0;
    if (!ZahlWert(t_.substr(anfang, i_ - anfang), wert) || !std::isfinite(wert)) return false;
    // A text reads "-0" as 0.
    if (negativ && wert != 0) wert = -wert;
    // The text that means "no number" stays no number wherever it stands.
    if (wert == KeineZahl || -wert == KeineZahl) return false;
    Ausgeben(Art::Zahl, wert);
    return true;
  }

  bool Gruppe() {
    if (Zeichen() != '(') return false;
    ++i_;
    if (!Ausdruck(true) || Zeichen() != ')') return false;
    ++i_;
    return true;
  }

  bool Operand(bool nachOperator) {
    // A sign behind an operator only comes with a substituted value, directly on its digits.
    if (nachOperator && Zeichen() == '-' && IstZifferOderKomma(Zeichen(1))) {
      ++i_;
      return Zahl(true) && Folgt();
    }
    bool klammerZu = false;  // the operand ends in ")": a group or a call
    bool aufruf = false;     // a call of a function whose name ends in H (no end letter)
    bool endbuchstabe = false;  // a call of any other function
    const char c = Zeichen();
    if (IstZifferOderKomma(c)) {
      if (!Zahl(false)) return false;
    } else if (c == Platzhalter && mitVariable_) {
      ++i_;
      Ausgeben(Art::Variable);
    } else if (c == '(') {
      if (!Gruppe()) return false;
      klammerZu = true;
    } else if (IstBuchstabe(c)) {
      const size_t anfang = i_;
      while (IstBuchstabe(Zeichen())) ++i_;
      const std::string name = UpperCase(t_.substr(anfang, i_ - anfang));
      size_t k = 0;
      while (k < FunktionsNamen.size() && FunktionsNamen[k] != name) ++k;
      if (k == FunktionsNamen.size() || !Gruppe()) return false;
      Ausgeben(Art::Funktion, 0, static_cast<uint8_t>(k));
      klammerZu = true;
      (name.back() == 'H' ? aufruf : endbuchstabe) = true;
    } else {
      return false;
    }
    // A power or a factorial only of a group or a call, once, and not both: a bare number
    // takes a sign in front into the base, and chains or "^(...)!" are evaluated in an
    // order that depends on which part becomes a number first. For the same reason no
    // factorial of a call, and no power of a call of SINH ... ATANH: their argument, once a
    // power inside it has made it a number, would be taken for the base or the operand
    // before the function is computed.
    if (Zeichen() == '^') {
      if (!klammerZu || aufruf) return false;
      ++i_;
      const size_t exponentAnfang = aus_.size();
      if (Zeichen() == '(') {
        if (!Gruppe()) return false;
      } else if (IstZiffer(Zeichen()) || Zeichen() == ',') {
        if (!Zahl(false)) return false;
      } else {
        return false;
      }
      HochAusgeben(exponentAnfang);
    } else if (Zeichen() == '!') {
      if (!klammerZu || aufruf || endbuchstabe) return false;
      ++i_;
      Ausgeben(Art::Fakultaet);
    }
    return Folgt();
  }

  // What may follow an operand: an operator, the end of its group or of the text.
  bool Folgt() const {
    const char c = Zeichen();
    return i_ == t_.size() || IstOperator(c) || c == ')';
  }

  std::string_view t_;
  size_t i_ = 0;
  std::vector<Schritt>& aus_;
  bool mitVariable_;
  int tiefe_ = 0;
  int maxTiefe_ = 0;
};

bool Rechenplan::Uebersetzen(std::string_view text, bool mitVariable) {
  schritte_.clear();
  Leser leser(text, mitVariable, schritte_);
  if (!leser.Ganz()) {
    schritte_.clear();
    return false;
  }
  tiefe_ = leser.Tiefe();
  return true;
}

bool Rechenplan::Rechnen(long double x, long double& ergebnis) const {
  if (schritte_.empty()) return false;
  const Runden15 gerundet;
  const long double xWert = gerundet(x);
  if (!std::isfinite(xWert)) return false;
  // Deep plans are rare; they take the heap.
  std::array<long double, 32> fest;
  std::vector<long double> gross;
  long double* stapel = fest.data();
  if (tiefe_ > static_cast<int>(fest.size())) {
    gross.resize(static_cast<size_t>(tiefe_));
    stapel = gross.data();
  }
  const StatusBis status;
  int n = 0;  // stack height
  for (const Schritt& s : schritte_) {
    long double r = 0;
    switch (s.art) {
      case Art::Zahl: stapel[n++] = s.zahl; continue;
      case Art::Variable: stapel[n++] = xWert; continue;
      case Art::Minus:
        // Negating is exact and writes the same digits with a sign: no rounding ("-0" reads
        // as 0).
        if (stapel[n - 1] != 0) stapel[n - 1] = -stapel[n - 1];
        if (stapel[n - 1] == KeineZahl) return false;
        continue;
      case Art::Plus: r = stapel[n - 2] + stapel[n - 1]; break;
      case Art::Weniger: r = stapel[n - 2] - stapel[n - 1]; break;
      case Art::Mal: r = stapel[n - 2] * stapel[n - 1]; break;
      case Art::Durch:
        if (stapel[n - 1] == 0) return false;
        r = stapel[n - 2] / stapel[n - 1];
        break;
      case Art::Hoch:
        r = Potenz(stapel[n - 2], stapel[n - 1]);
        if (FehlerCode != 0 || std::fabs(r) > UeberlaufGrenze) return false;
        break;
      case Art::HochGanz:
        // Potenz with an exponent known to be a nonzero integer.
        if (stapel[n - 1] == 0) {
          if (s.zahl < 0) return false;
          stapel[n - 1] = 0;
          continue;
        }
        try {
          r = GanzePotenz(s.ganz, stapel[n - 1]);
        } catch (...) {
          return false;
        }
        if (std::fabs(r) > UeberlaufGrenze) return false;
        stapel[n - 1] = gerundet(r);
        continue;
      case Art::Fakultaet:
        r = Fakultaet(GanzzahlBegrenzt(stapel[n - 1]));
        if (FehlerFlag) return false;
        stapel[n - 1] = gerundet(r);
        continue;
      case Art::Funktion:
        try {
          if (!FunktionWertZahl(FunktionsNamen[s.funktion], stapel[n - 1], r)) return false;
        } catch (...) {
          return false;
        }
        stapel[n - 1] = gerundet(r);
        if (!std::isfinite(stapel[n - 1])) return false;
        continue;
    }
    if (!std::isfinite(r)) return false;
    --n;
    stapel[n - 1] = gerundet(r);
  }
  ergebnis = stapel[0];
  return true;
}

}  // namespace kolvex
