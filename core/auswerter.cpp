#include "core/auswerter.h"

#include <cmath>

#include "core/fenster.h"
#include "core/funktionen.h"
#include "core/globals.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

// One signed term of the + and - pass (the term table, TermTabelle, index 0 unused).
struct TermEintrag {
  std::string Term;     // any length: long number texts must not be cut
  char Operator = ' ';  // "+" or "-", a blank once folded away
};

// Most texts the passes test are plainly not numbers ("4-1", "2*3"); this rejects them by
// their shape before anything is converted. The shape is the one IstZahl accepts: blanks
// anywhere, a sign, digits with one "," or ".", an exponent with its own sign.
bool HatZahlForm(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  auto blanks = [&] {
    while (i < n && s[i] == ' ') ++i;
  };
  blanks();
  if (i < n && IstPlusMinus(s[i])) ++i;
  bool ziffer = false, trenner = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (IstZiffer(c)) {
      ziffer = true;
    } else if ((c == ',' || c == '.') && !trenner) {
      trenner = true;
    } else if (c != ' ') {
      break;
    }
  }
  if (!ziffer) return false;
  if (i < n) {
    if (s[i] != 'e' && s[i] != 'E') return false;
    ++i;
    blanks();
    if (i < n && IstPlusMinus(s[i])) ++i;
    bool exponent = false;
    for (; i < n; ++i) {
      if (IstZiffer(s[i])) exponent = true;
      else if (s[i] != ' ') return false;
    }
    if (!exponent) return false;
  }
  return true;
}

bool EntferneKlammern(std::string& s) {
  size_t w = 0;
  for (size_t r = 0; r < s.size(); ++r)
    if (!IstKlammer(s[r])) s[w++] = s[r];
  const bool geaendert = w != s.size();
  s.resize(w);
  return geaendert;
}

bool VorzeichenFalten(std::string& s) {
  // Most texts have no sign pair at all; find the first one before editing anything.
  size_t erstes = 1;
  while (erstes < s.size() && !(IstPlusMinus(s[erstes - 1]) && IstPlusMinus(s[erstes]))) ++erstes;
  if (erstes >= s.size()) return false;
  bool geaendert = false;
  for (int i = static_cast<int>(erstes) + 1; i <= Length(s); ++i) {
    const char a = s[static_cast<size_t>(i - 2)];
    const char b = s[static_cast<size_t>(i - 1)];
    if (IstPlusMinus(a) && IstPlusMinus(b)) {
      s[static_cast<size_t>(i - 2)] = a == b ? '+' : '-';
      s.erase(static_cast<size_t>(i - 1), 1);
      geaendert = true;
    }
  }
  return geaendert;
}

bool KlammernAufloesenIntern(std::string& s, bool erlaubeMalGeteilt) {
  if (s.empty()) return false;
  bool irgendwas = false;
  for (;;) {
    bool geaendert = false;
    for (int i = 1; i <= Length(s); ++i) {
      if (At(s, i) != '(' || !KlammerLoesbar(s, i, erlaubeMalGeteilt)) continue;
      // Only a group that holds no other group, dropped together with its own ")": pairing
      // a "(" with a later group's ")" would move a sign in front of a whole sum, as in
      // (-(2)+3). Nested groups come free sweep by sweep from the inside.
      const size_t zuIndex = s.find_first_of("()", static_cast<size_t>(i));
      if (zuIndex == std::string::npos) break;
      if (s[zuIndex] == '(') continue;
      const int zu = static_cast<int>(zuIndex) + 1;
      // The base of a power stays a group until the power is computed: unwrapped while the
      // exponent is still being reduced, a sign in front of it would be taken into the base
      // by the next insertion of parentheses.
      if (At(s, zu + 1) == '^') continue;
      const std::string_view innen(s.data() + i, static_cast<size_t>(zu - i - 1));
      if (!IstZahlSchnell(innen)) continue;
      s.erase(zuIndex, 1);
      s.erase(static_cast<size_t>(i - 1), 1);
      geaendert = true;
    }
    if (VorzeichenFalten(s)) geaendert = true;
    if (!geaendert) return irgendwas;
    irgendwas = true;
  }
}

// KlammernAufloesen only drops parentheses and folds sign pairs: a group with "*", "/" or
// a sign behind anything but a sign or an exponent's E never becomes a plain number.
bool KannZahlWerden(std::string_view gruppe) {
  char vor = '\0';
  for (char c : gruppe) {
    if (IstKlammer(c)) continue;
    if (IstMalGeteilt(c)) return false;
    if (IstPlusMinus(c) && vor != '\0' && !IstPlusMinus(vor) && vor != 'e' && vor != 'E') return false;
    vor = c;
  }
  return true;
}

bool GruppenZahl(std::string gruppe, long double& wert) {
  if (!KannZahlWerden(gruppe)) return false;
  KlammernAufloesenIntern(gruppe, false);
  return ZahlWert(gruppe, wert);
}

// Where the group closed by the ')' at zu opens, searched backwards (1-based).
int GruppenAnfang(std::string_view text, int zu) {
  int tiefe = 0;
  for (int l = zu; l >= 1; --l) {
    const char c = At(text, l);
    if (c == ')') ++tiefe;
    if (c == '(' && --tiefe == 0) return l;
  }
  throw Laufzeitfehler("Unmatched parenthesis");
}

bool IstBlossesVorzeichen(const std::string& term) { return term.size() == 1 && IstPlusMinus(term[0]); }

}  // namespace

bool IstZahlSchnell(std::string_view text) { return HatZahlForm(text) && IstZahl(text); }

bool ZahlWert(std::string_view text, long double& wert) {
  long double v = 0;
  if (!HatZahlForm(text) || !TextZuZahlStreng(text, v) || v == KeineZahl) return false;
  wert = v;
  return true;
}

long double OperandWert(std::string_view text) {
  long double v = 0;
  if (!TextZuZahlStreng(text, v)) throw Laufzeitfehler("'" + std::string(text) + "' is not a valid floating point value");
  return v;
}

std::string VorzeichenZusammenfassen(std::string text) {
  VorzeichenFalten(text);
  return text;
}

std::string KlammernAufloesen(std::string text, bool erlaubeMalGeteilt) {
  KlammernAufloesenIntern(text, erlaubeMalGeteilt);
  return text;
}

void KlammerInhalt(std::string_view text, int& position, std::string& gruppe) {
  int auf = 0, zu = 0;
  for (int i = position; i <= Length(text); ++i) {
    const char c = At(text, i);
    if (c == '(') ++auf;
    if (c == ')') {
      ++zu;
      if (auf == zu) {
        gruppe.assign(text.substr(static_cast<size_t>(position - 1), static_cast<size_t>(i - position + 1)));
        position = i;
        return;
      }
    }
  }
  throw Laufzeitfehler("Unmatched parenthesis");
}

void InnersteGruppe(std::string_view text, int& links, std::string& gruppe, int& rechts) {
  links = 0;
  rechts = 0;
  gruppe.clear();
  // The first "(" whose next parenthesis is a ")" (or that has none behind it) opens the
  // leftmost innermost group. Groups that are already a plain number are left alone: a
  // power still waiting for its exponent keeps a negative base in parentheses.
  int kandidat = 0;
  for (int i = 1; i <= Length(text); ++i) {
    const char c = At(text, i);
    if (c == '(') {
      kandidat = i;
    } else if (c == ')' && kandidat > 0) {
      const std::string_view innen = text.substr(static_cast<size_t>(kandidat), static_cast<size_t>(i - kandidat - 1));
      if (IstZahlSchnell(innen)) {
        kandidat = 0;
        continue;
      }
      links = kandidat;
      int zu = kandidat;
      KlammerInhalt(text, zu, gruppe);
      rechts = zu + 1;
      return;
    }
  }
  if (kandidat > 0) throw Laufzeitfehler("Unmatched parenthesis");
}

std::string OhneKlammern(std::string_view text, int von, int bis) {
  const int n = Length(text);
  if (von <= 0) von = 1;
  if (bis <= 0 || bis > n) bis = n;
  std::string r;
  if (bis < von) return r;
  r.reserve(static_cast<size_t>(bis - von + 1));
  for (int i = von; i <= bis; ++i)
    if (!IstKlammer(At(text, i))) r += At(text, i);
  return r;
}

long double Rechne(char op, long double x, long double y) {
  FehlerFlag = false;
  long double r;
  switch (op) {
    case '+': r = x + y; break;
    case '-': r = x - y; break;
    case '*': r = x * y; break;
    case '/':
      if (y == 0) {
        if (!StillModus) {
          Fenster().lbESCLeeren();
          Fenster().edErgebnisLeeren();
          Fenster().Meldung("Division durch 0", MeldungsArt::Warnung, MeldungsKnoepfe::Ok);
        }
        FehlerFlag = true;
        FehlerCode = -1;
        return FehlerWert;
      }
      r = x / y;
      break;
    default: return FehlerWert;
  }
  if (!std::isfinite(r)) throw Laufzeitfehler("Floating point overflow");
  return r;
}

std::string LinkerOperand(std::string_view text, int& position) {
  const int k = position;
  int j = k - 1;
  while (j > 1 && !IstOperator(At(text, j)) && At(text, j) != '(') --j;
  const std::string operand = OhneKlammern(text.substr(0, static_cast<size_t>(k - 1)), j < 1 ? 1 : j, 0);
  position = j;
  if (At(text, j - 1) == '(') position = j - 1;
  if (position < 1) position = 1;
  return operand;
}

std::string RechterZahlOperand(std::string_view text, int& position) {
  int j = position + 1;
  bool minus = false;
  if (At(text, j) == '(') {
    ++j;
    if (At(text, j) == '-') {
      minus = true;
      ++j;
    } else if (At(text, j) == '+') {
      ++j;
    }
  }
  const int anfang = j;
  if (IstOperator(At(text, j))) ++j;
  const int n = Length(text);
  while (j <= n && !IstOperatorOderKlammer(At(text, j))) ++j;
  std::string operand(text.substr(static_cast<size_t>(anfang - 1), static_cast<size_t>(j - anfang)));
  if (minus) operand.insert(operand.begin(), '-');
  for (char c : operand)
    if (IstBuchstabe(c)) {
      operand.clear();
      break;
    }
  position = At(text, j) == ')' ? j + 1 : j;
  return operand;
}

std::string LinkerKlammerOperand(std::string_view text, int& position) {
  const int j = position - 1;
  if (At(text, j) == ')') {
    const int l = GruppenAnfang(text, j);
    position = l;
    return KlammernAufloesen(std::string(text.substr(static_cast<size_t>(l - 1), static_cast<size_t>(j - l + 1))), false);
  }
  int m = j;
  while (m >= 1 && IstZifferOderKomma(At(text, m))) --m;
  position = m + 1;
  return Copy(text, m + 1, j - m);
}

std::string RechterOperand(std::string_view text, int& position) {
  const int j = position + 1;
  if (At(text, j) == '(') {
    int zu = j;
    std::string gruppe;
    KlammerInhalt(text, zu, gruppe);
    position = zu + 1;
    return KlammernAufloesen(std::move(gruppe), false);
  }
  int k = j;
  const int n = Length(text);
  while (k <= n && !IstOperator(At(text, k)) && At(text, k) != ')') ++k;
  position = k;
  return Copy(text, j, k - j);
}

bool RechteZahl(std::string_view text, int& position, long double& wert) {
  if (At(text, position + 1) != '(') return ZahlWert(RechterOperand(text, position), wert);
  int zu = position + 1;
  std::string gruppe;
  KlammerInhalt(text, zu, gruppe);
  position = zu + 1;
  return GruppenZahl(std::move(gruppe), wert);
}

bool LinkeKlammerZahl(std::string_view text, int& position, long double& wert) {
  const int j = position - 1;
  if (At(text, j) != ')') return ZahlWert(LinkerKlammerOperand(text, position), wert);
  const int l = GruppenAnfang(text, j);
  position = l;
  return GruppenZahl(std::string(text.substr(static_cast<size_t>(l - 1), static_cast<size_t>(j - l + 1))), wert);
}

std::string MalGeteiltAuswerten(std::string text) {
  EntferneKlammern(text);
  for (;;) {
    const size_t stelle = text.find_first_of("*/");
    if (stelle == std::string::npos) return text;
    const int k = static_cast<int>(stelle) + 1;
    int links = k;
    const std::string x = LinkerOperand(text, links);
    int rechts = k;
    const std::string y = RechterZahlOperand(text, rechts);
    const long double r = Rechne(text[stelle], OperandWert(x), OperandWert(y));
    if (FehlerFlag) return {};
    std::string ersatz = r >= 0 ? "+" : "";
    ersatz += ZahlZuText(0, r);
    text.replace(static_cast<size_t>(links - 1), static_cast<size_t>(rechts - links), ersatz);
  }
}

std::string PlusMinusAuswerten(std::string_view text) {
  std::vector<TermEintrag> t;
  t.emplace_back();  // index 0 unused
  TermEintrag aktuell;
  aktuell.Operator = At(text, 1) == '-' ? '-' : '+';
  for (char c : text) {
    if (IstOperator(c) && !aktuell.Term.empty()) {
      t.push_back(std::move(aktuell));
      aktuell.Term.clear();
      aktuell.Operator = c;
    } else {
      aktuell.Term += c;
    }
  }
  t.push_back(std::move(aktuell));

  for (size_t j = 2; j < t.size(); ++j) {
    TermEintrag& vorher = t[j - 1];
    TermEintrag& term = t[j];
    if (!IstPlusMinus(term.Operator) || IstBlossesVorzeichen(vorher.Term) || IstBlossesVorzeichen(term.Term))
      continue;
    if (vorher.Operator == '-' && !vorher.Term.empty() && vorher.Term[0] != '-' && IstZahlSchnell(vorher.Term))
      vorher.Term.insert(0, 1, '-');
    const long double r = Rechne(term.Operator, OperandWert(vorher.Term), OperandWert(term.Term));
    term.Term = ZahlZuText(0, r);
    term.Operator = r < 0 ? '-' : '+';
    vorher.Term.clear();
    vorher.Operator = ' ';
  }

  std::string ergebnis;
  for (size_t j = 1; j < t.size(); ++j) ergebnis += t[j].Term;
  return ergebnis;
}

std::string FunktionenAufloesen(std::string text) {
  // Without a letter, "^" or "!" no pass finds anything; only the power pass's clearing
  // of FehlerFlag is left to do.
  bool kandidat = false;
  for (char c : text)
    if (IstBuchstabe(c) || c == '^' || c == '!') {
      kandidat = true;
      break;
    }
  if (!kandidat) {
    FehlerFlag = false;
    return text;
  }
  std::string alt;
  for (;;) {
    alt = text;
    text = FunktionenAuswerten(std::move(text));
    text = PotenzAuswerten(std::move(text));
    text = FakultaetAuswerten(std::move(text));
    if (text == alt || text.empty()) return text;
    if (Fenster().EscGedrueckt()) return text;
  }
}

ZyklusErgebnis AuswertungsZyklus(std::string& W) {
  const std::string alt = W;
  W = KlammernEinfuegen(std::move(W));
  W = FunktionenAufloesen(std::move(W));
  if (W.empty() || FehlerCode != 0) return ZyklusErgebnis::Fehler;
  VorzeichenFalten(W);
  KlammernAufloesenIntern(W, true);

  int links = 0, rechts = 0;
  std::string gruppe;
  InnersteGruppe(W, links, gruppe, rechts);
  if (links > 0) {
    gruppe = MalGeteiltAuswerten(std::move(gruppe));
    if (FehlerFlag) return ZyklusErgebnis::FehlerMalGeteilt;
    if (At(gruppe, 1) == '+') gruppe.erase(0, 1);
    gruppe = PlusMinusAuswerten(gruppe);
    // The group keeps its parentheses; the next cycle unwraps a number.
    W.replace(static_cast<size_t>(links), static_cast<size_t>(rechts - 2 - links), gruppe);
  } else {
    W = MalGeteiltAuswerten(std::move(W));
    if (FehlerFlag) return ZyklusErgebnis::FehlerMalGeteilt;
    if (At(W, 1) == '+') W.erase(0, 1);
    EntferneKlammern(W);
    W = PlusMinusAuswerten(W);
    EntferneKlammern(W);
  }
  return W == alt ? ZyklusErgebnis::Unveraendert : ZyklusErgebnis::Geaendert;
}

int ZyklenGrenze(std::string_view W) { return 4 * Length(W) + 64; }

AuswertungsEnde AuswertungLaufen(std::string& W) {
  const int grenze = ZyklenGrenze(W);
  for (int n = 0; n < grenze; ++n) {
    switch (AuswertungsZyklus(W)) {
      case ZyklusErgebnis::Unveraendert: return AuswertungsEnde::Fertig;
      case ZyklusErgebnis::Fehler: return AuswertungsEnde::Fehler;
      case ZyklusErgebnis::FehlerMalGeteilt: return AuswertungsEnde::FehlerMalGeteilt;
      case ZyklusErgebnis::Geaendert:
        if (Fenster().EscGedrueckt()) return AuswertungsEnde::Abgebrochen;
        break;
    }
  }
  FehlerCode = -1;
  return AuswertungsEnde::Fehler;
}

}  // namespace kolvex
