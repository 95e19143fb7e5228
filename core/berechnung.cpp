#include "core/berechnung.h"

#include <exception>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/rechenplan.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

Berechnung Ende(Ausgang ausgang, int position = 0) {
  Berechnung b;
  b.ausgang = ausgang;
  b.Position = position;
  return b;
}

// From the pre-check on: the cycles and the judgement of their text. Throws what the
// passes throw.
Berechnung Auswerten(std::string w, bool mitPlan) {
  // A text the plan can follow, replayed: no step of it faults (or it would not finish) and
  // no ESC is down before the first cycle would look. Anything else is rewritten, which
  // shows its messages and moves the caret as always.
  if (mitPlan && FehlerCode == 0) {
    Rechenplan plan;
    long double wert = 0;
    if (plan.Uebersetzen(w, false) && plan.EndetMitRechnung() && !Fenster().EscGedrueckt() && plan.Rechnen(0, wert)) {
      Berechnung b;
      b.ausgang = Ausgang::Zahl;
      b.Wert = wert;
      b.Text = ZahlZuText(0, wert);
      FehlerFlag = false;
      return b;
    }
  }
  switch (AuswertungLaufen(w)) {
    case AuswertungsEnde::Fehler: return Ende(Ausgang::Fehler);
    case AuswertungsEnde::FehlerMalGeteilt: return Ende(Ausgang::FehlerMalGeteilt);
    case AuswertungsEnde::Fertig:
    case AuswertungsEnde::Abgebrochen: break;
  }
  Berechnung b;
  if (w.empty() || FehlerCode != 0) {
    b.ausgang = Ausgang::Unvollstaendig;
  } else if (IstZahl(w)) {
    b.ausgang = Ausgang::Zahl;
    b.Wert = TextZuZahl(w);
  } else {
    FehlerCode = -1;
    b.ausgang = Ausgang::KeineZahl;
  }
  b.Text = std::move(w);
  return b;
}

Berechnung BerechnenOhneAbschluss(std::string_view formel, bool mitPlan) {
  const std::string f = OhneLeerzeichen(formel);
  if (f.empty()) return Ende(Ausgang::Leer);
  std::string eingefuegt;
  const int p = SyntaxFehlerPos(f, &eingefuegt);
  if (p != 0) {
    FehlerCode = -1;
    return p == -1 ? Ende(Ausgang::Klammerfehler) : Ende(Ausgang::Syntaxfehler, p);
  }
  try {
    char buchstabe = ' ';
    std::string w = KonstantenEinsetzen(f, buchstabe);
    if (buchstabe != ' ') {
      FehlerCode = -1;
      Berechnung b = Ende(Ausgang::KeinWert);
      b.Buchstabe = buchstabe;
      return b;
    }
    // Without values the text is the one the syntax check has already bracketed.
    if (w != f)
      w = KlammernEinfuegen(VorzeichenZusammenfassen(std::move(w)));
    else
      w = std::move(eingefuegt);
    FehlerFlag = false;
    const int pos = FunktionenPruefen(w, false);
    if (FehlerFlag) return Ende(Ausgang::Vorpruefung, pos + 1);
    return Auswerten(std::move(w), mitPlan);
  } catch (...) {
    return Ende(Ausgang::Ausnahme);
  }
}

Berechnung Gesamt(std::string_view formel, bool ersetzen, bool mitPlan) {
  FehlerCode = 0;
  Berechnung b = BerechnenOhneAbschluss(formel, mitPlan);
  if (b.ausgang == Ausgang::KeineZahl) LetztesErgebnis = 0;
  if (b.ausgang == Ausgang::Zahl && !ersetzen) LetztesErgebnis = b.Wert;
  return b;
}

}  // namespace

int SyntaxFehlerPos(std::string_view ohneLeerzeichen, std::string* eingefuegt) {
  std::string t = KlammernEinfuegen(std::string(ohneLeerzeichen));
  int p = FehlendesOperatorPos(t);
  if (p == 0) p = FormelPruefen(t);
  if (p == 0) p = LeereKlammerPos(t);
  if (eingefuegt) *eingefuegt = std::move(t);
  return p;
}

Berechnung Berechnen(std::string_view formel, bool ersetzen) { return Gesamt(formel, ersetzen, true); }

Berechnung BerechnenOhnePlan(std::string_view formel, bool ersetzen) { return Gesamt(formel, ersetzen, false); }

std::string ProtokollFormel(std::string_view eingabe) {
  // The log line must not turn the calculation it records into a failed one.
  const int32_t fehlerCode = FehlerCode;
  std::string ergebnis;
  try {
    char buchstabe = ' ';
    FehlerCode = 0;
    ergebnis = KonstantenEinsetzen(OhneLeerzeichen(eingabe), buchstabe);
    if (buchstabe != ' ' || FehlerCode != 0) ergebnis.clear();
  } catch (...) {
    ergebnis.clear();
  }
  FehlerCode = fehlerCode;
  return ergebnis;
}

bool IstGrafikVariable(std::string_view text, int p, char variable) {
  const int n = Length(text);
  if (p < 1 || p > n || At(text, p) != variable) return false;
  if (p < n && At(text, p + 1) == '^') return true;
  const bool vorne = p == 1 || IstOperatorOderKlammer(At(text, p - 1));
  const bool hinten = p == n || IstOperatorOderKlammer(At(text, p + 1));
  return vorne && hinten;
}

std::string GrafikKonstantenErsetzen(std::string_view formel) {
  std::string t(formel);
  for (int i = 1; i <= Length(t); ++i) {
    if (At(t, i) == GrafikVariable || !IstKonstante(t, i)) continue;
    char buchstabe = ' ';
    const long double wert = KonstantenWert(t, i, buchstabe);
    if (FehlerCode != 0) return {};
    // The value's text is skipped: its digits are no names.
    const std::string zahl = ZahlZuText(0, wert);
    t.replace(static_cast<size_t>(i - 1), 1, zahl);
    i += Length(zahl) - 1;
  }
  return t;
}

std::string GrafikVariableErsetzen(std::string_view formel, char variable, long double x) {
  std::string t(formel);
  const std::string zahl = ZahlZuText(0, x);
  for (int i = 1; i <= Length(t); ++i) {
    if (!IstGrafikVariable(t, i, variable)) continue;
    t.replace(static_cast<size_t>(i - 1), 1, zahl);
    i += Length(zahl) - 1;
  }
  return t;
}

Kurvenformel::Stand Kurvenformel::Vorbereiten(std::string_view formel, char variable) {
  position_ = 0;
  buchstabe_ = ' ';
  teile_.clear();
  plan_ = Rechenplan();
  f_ = OhneLeerzeichen(formel);
  if (f_.empty()) {
    FehlerCode = -1;
    return Stand::Leer;
  }
  position_ = FormelPruefen(f_);
  if (position_ != 0) {
    FehlerCode = -1;
    return Stand::Klammerfehler;
  }
  std::string g;
  try {
    g = GrafikKonstantenErsetzen(f_);
  } catch (...) {
    FehlerCode = -1;
    return Stand::Ausnahme;
  }
  if (g.empty()) {
    buchstabe_ = UnbekannteKonstante(f_, GrafikVariable);
    FehlerCode = -1;
    return Stand::KeinWert;
  }
  // Replacing one place of the variable by a number never changes whether another one
  // stands alone (a digit is no more an operator than the letter was), so the places are
  // found once.
  std::string stueck;
  for (int p = 1; p <= Length(g); ++p) {
    if (IstGrafikVariable(g, p, variable)) {
      teile_.push_back(std::move(stueck));
      stueck.clear();
    } else {
      stueck += At(g, p);
    }
  }
  teile_.push_back(std::move(stueck));
  std::string vorlage = teile_.front();
  for (size_t i = 1; i < teile_.size(); ++i) {
    vorlage += Rechenplan::Platzhalter;
    vorlage += teile_[i];
  }
  // A text with the marker's own character in it is left to the rewriting.
  if (g.find(Rechenplan::Platzhalter) == std::string::npos) plan_.Uebersetzen(vorlage, true);
  return Stand::Bereit;
}

std::string Kurvenformel::Text(long double x) const {
  std::string h = teile_.empty() ? std::string() : teile_.front();
  if (teile_.size() > 1) {
    const std::string xText = ZahlZuText(0, x);
    for (size_t i = 1; i < teile_.size(); ++i) {
      h += xText;
      h += teile_[i];
    }
  }
  return h;
}

bool Kurvenformel::Wert(long double x, long double& y) const {
  if (plan_.Bereit() && plan_.Rechnen(x, y)) {
    // As a rewriting that succeeded leaves them.
    FehlerFlag = false;
    FehlerCode = 0;
    StillModus = true;
    return true;
  }
  return WertAusText(x, y);
}

bool Kurvenformel::WertAusText(long double x, long double& y) const {
  y = 0;
  try {
    std::string h = Text(x);
    if (h != f_) h = VorzeichenZusammenfassen(std::move(h));
    FehlerFlag = false;
    FehlerCode = 0;
    const int pos = FunktionenPruefen(h, true);
    // A number in front of a function name (only a substituted value can put one there)
    // cannot be evaluated either: the point is left out rather than drawn at 0.
    if (FehlerFlag || pos != 0) {
      FehlerCode = -1;
      return false;
    }
    const AuswertungsEnde ende = AuswertungLaufen(h);
    if (ende == AuswertungsEnde::Fehler || ende == AuswertungsEnde::FehlerMalGeteilt || h.empty() ||
        FehlerCode != 0 || FehlerFlag) {
      FehlerCode = -1;
      return false;
    }
    long double wert = 0;
    if (!TextZuZahlStreng(h, wert) || wert == KeineZahl) {  // IstZahl(h)
      FehlerCode = -1;
      return false;
    }
    y = wert;
    return true;
  } catch (...) {
    FehlerCode = -1;
    return false;
  }
}

}  // namespace kolvex
