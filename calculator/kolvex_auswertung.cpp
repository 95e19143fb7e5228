// TfrKolvex: the formula checks and the evaluator passes, forwarded to the core with the
// formula text converted between screen ("π") and core (0xB6).
#include "calculator/kolvex.h"
#include "core/auswerter.h"
#include "core/formel.h"
#include "core/funktionen.h"
#include "core/konstanten.h"
#include "platform/text_convert.h"

namespace {
std::string c(const QString& s) { return toCore(s); }
QString q(const std::string& s) { return fromCore(s); }
char c(QChar z) { return toCoreChar(z); }
}  // namespace

bool TfrKolvex::IstOperator(QChar z) { return kolvex::IstOperator(c(z)); }
bool TfrKolvex::IstKlammer(QChar z) { return kolvex::IstKlammer(c(z)); }
bool TfrKolvex::IstOperatorOderKlammer(QChar z) { return kolvex::IstOperatorOderKlammer(c(z)); }
bool TfrKolvex::IstPlusMinus(QChar z) { return kolvex::IstPlusMinus(c(z)); }
bool TfrKolvex::IstMalGeteilt(QChar z) { return kolvex::IstMalGeteilt(c(z)); }
bool TfrKolvex::IstZifferOderKomma(QChar z) { return kolvex::IstZifferOderKomma(c(z)); }
bool TfrKolvex::IstFunktionsEndbuchstabe(QChar z) {
  return kolvex::IstFunktionsEndbuchstabe(c(z));
}
bool TfrKolvex::IstWinkelFunktion(const QString& name) {
  return kolvex::IstWinkelFunktion(c(name));
}
bool TfrKolvex::IstFunktion(const QString& name) { return kolvex::IstFunktion(c(name)); }
QString TfrKolvex::KlammernEinfuegen(const QString& text) {
  return q(kolvex::KlammernEinfuegen(c(text)));
}
int TfrKolvex::FehlendesOperatorPos(const QString& text) {
  return kolvex::FehlendesOperatorPos(c(text));
}
int TfrKolvex::FormelPruefen(const QString& text) { return kolvex::FormelPruefen(c(text)); }
int TfrKolvex::LeereKlammerPos(const QString& text) { return kolvex::LeereKlammerPos(c(text)); }
int TfrKolvex::FunktionenPruefen(const QString& text, bool still) {
  return kolvex::FunktionenPruefen(c(text), still);
}
bool TfrKolvex::KlammerLoesbar(const QString& text, int position, bool erlaubeMalGeteilt) {
  return kolvex::KlammerLoesbar(c(text), position, erlaubeMalGeteilt);
}
bool TfrKolvex::OhneInnereKlammer(const QString& text, int position) {
  return kolvex::OhneInnereKlammer(c(text), position);
}
QString TfrKolvex::ZeichenLoeschen(const QString& text, int index) {
  return q(kolvex::ZeichenLoeschen(c(text), index));
}

QString TfrKolvex::FunktionenAufloesen(const QString& text) {
  return q(kolvex::FunktionenAufloesen(c(text)));
}
QString TfrKolvex::VorzeichenZusammenfassen(const QString& text) {
  return q(kolvex::VorzeichenZusammenfassen(c(text)));
}
QString TfrKolvex::KlammernAufloesen(const QString& text, bool erlaubeMalGeteilt) {
  return q(kolvex::KlammernAufloesen(c(text), erlaubeMalGeteilt));
}
void TfrKolvex::InnersteGruppe(const QString& text, int& links, QString& gruppe, int& rechts) {
  std::string g;
  kolvex::InnersteGruppe(c(text), links, g, rechts);
  gruppe = q(g);
}
void TfrKolvex::KlammerInhalt(const QString& text, int& position, QString& gruppe) {
  std::string g;
  kolvex::KlammerInhalt(c(text), position, g);
  gruppe = q(g);
}
QString TfrKolvex::MalGeteiltAuswerten(const QString& text) {
  return q(kolvex::MalGeteiltAuswerten(c(text)));
}
QString TfrKolvex::PlusMinusAuswerten(const QString& text) {
  return q(kolvex::PlusMinusAuswerten(c(text)));
}
QString TfrKolvex::OhneKlammern(const QString& text, int von, int bis) {
  return q(kolvex::OhneKlammern(c(text), von, bis));
}
long double TfrKolvex::Rechne(QChar op, long double x, long double y) {
  return kolvex::Rechne(c(op), x, y);
}
QString TfrKolvex::LinkerOperand(const QString& text, int& position) {
  return q(kolvex::LinkerOperand(c(text), position));
}
QString TfrKolvex::RechterZahlOperand(const QString& text, int& position) {
  return q(kolvex::RechterZahlOperand(c(text), position));
}
QString TfrKolvex::LinkerKlammerOperand(const QString& text, int& position) {
  return q(kolvex::LinkerKlammerOperand(c(text), position));
}
QString TfrKolvex::RechterOperand(const QString& text, int& position) {
  return q(kolvex::RechterOperand(c(text), position));
}

QString TfrKolvex::FunktionenAuswerten(const QString& text) {
  return q(kolvex::FunktionenAuswerten(c(text)));
}
QString TfrKolvex::PotenzAuswerten(const QString& text) {
  return q(kolvex::PotenzAuswerten(c(text)));
}
QString TfrKolvex::FakultaetAuswerten(const QString& text) {
  return q(kolvex::FakultaetAuswerten(c(text)));
}
void TfrKolvex::FunktionWert(const QString& name, QString& wert, long double x) {
  std::string w = c(wert);
  kolvex::FunktionWert(c(name), w, x);
  wert = q(w);
}
long double TfrKolvex::Fakultaet(int32_t n) { return kolvex::Fakultaet(n); }
int TfrKolvex::SonderWinkel(long double x) { return kolvex::SonderWinkel(x); }
bool TfrKolvex::FastGleich(long double a, long double b) { return kolvex::FastGleich(a, b); }
void TfrKolvex::FalscherWertMeldung(const QString& label) {
  kolvex::FalscherWertMeldung(c(label));
}

bool TfrKolvex::IstKonstante(const QString& text, int position) {
  return kolvex::IstKonstante(c(text), position);
}
long double TfrKolvex::KonstantenWert(const QString& text, int position, QChar& buchstabe) {
  char b = c(buchstabe);
  const long double wert = kolvex::KonstantenWert(c(text), position, b);
  buchstabe = fromCoreChar(b);
  return wert;
}
QString TfrKolvex::KonstantenEinsetzen(const QString& text, QChar& buchstabe) {
  char b = c(buchstabe);
  const std::string ergebnis = kolvex::KonstantenEinsetzen(c(text), b);
  buchstabe = fromCoreChar(b);
  return q(ergebnis);
}
bool TfrKolvex::EnthaeltVariable(const QString& text) { return kolvex::EnthaeltVariable(c(text)); }
QChar TfrKolvex::UnbekannteKonstante(const QString& text, QChar grafikVariable) {
  return fromCoreChar(kolvex::UnbekannteKonstante(c(text), c(grafikVariable)));
}
bool TfrKolvex::IstZahlMitKonstanten(const QString& text) {
  return kolvex::IstZahlMitKonstanten(c(text));
}
