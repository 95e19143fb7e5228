#include "calculator/einstellungen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <array>
#include <limits>

#include "calculator/einstell.h"
#include "calculator/formel.h"
#include "calculator/kolvex.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/text.h"
#include "core/zahltext.h"
#include "graph/grafik.h"
#include "import/diadem_kauswahl.h"
#include "platform/einstellungsdatei.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

using namespace kolvex;

bool EinstellungsDateiFehlt = false;

namespace {

// Colours of lines 8-17 as last read, for KurvenFarbenWiederherstellen.
std::array<int32_t, 11> geleseneFarben{};
bool farbenGelesen = false;

const std::array<int32_t, 11> StandardFarben = {0,     255,   16711680, 32768,   16776960, 16711935,
                                                65280, 128,   32896,    8388736, 8421376};

// The first failed conversion ends the reading quietly.
struct LeseAbbruch {};

class ZeilenLeser {
 public:
  explicit ZeilenLeser(const QStringList& zeilen) : zeilen_(zeilen) {}
  bool Ende() const { return pos_ >= zeilen_.size(); }
  // Past the end a line reads as empty, as a plain text read would.
  QString Zeile() {
    const int i = pos_++;
    return i < zeilen_.size() ? zeilen_[i] : QString();
  }
  bool Schalter() { return Zeile() == QLatin1String("TRUE"); }
  int32_t Ganzzahl() {
    int32_t v = 0;
    if (!GanzzahlStreng(Zeile(), v)) throw LeseAbbruch{};
    return v;
  }
  long double Reell() {
    long double v = 0;
    if (!ReellStreng(Zeile(), v)) throw LeseAbbruch{};
    return v;
  }
  // Strict integer: optional leading blanks and sign, then digits only, within 32 bits.
  static bool GanzzahlStreng(const QString& text, int32_t& wert) {
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && text[i] == QLatin1Char(' ')) ++i;
    bool negativ = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
      negativ = text[i] == QLatin1Char('-');
      ++i;
    }
    if (i >= n) return false;
    long long v = 0;
    for (; i < n; ++i) {
      const QChar c = text[i];
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
      v = v * 10 + (c.unicode() - '0');
      if (v > 2147483648LL) return false;
    }
    if (negativ) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
      return false;
    wert = static_cast<int32_t>(v);
    return true;
  }
  // Strict real: the German form only (decimal comma); "2.5" or "1 000" is no number here.
  static bool ReellStreng(const QString& text, long double& wert) {
    return TextZuZahlDeutsch(toCore(text), wert);
  }

 private:
  const QStringList& zeilen_;
  int pos_ = 0;
};

QString Schalter(bool an) { return an ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QComboBox* DialogCombo(const char* prefix, int n) {
  if (!frEinstell) return nullptr;
  return frEinstell->findChild<QComboBox*>(QString::fromLatin1(prefix) + QString::number(n));
}

void StilAnzeigen(const char* prefix, const std::array<std::string, 21>& tabelle) {
  if (EinstellungsDateiFehlt) return;
  for (int i = 1; i <= 10; ++i) ComboTextSetzen(DialogCombo(prefix, i), fromCore(tabelle[i]));
}

// The style text cut to the table entry's length; empty entries become "1" after the group.
void StilGruppeLesen(ZeilenLeser& leser, std::array<std::string, 21>& tabelle, int laenge) {
  for (int i = 1; i <= 10; ++i) tabelle[i] = toCore(leser.Zeile().left(laenge));
  for (int i = 1; i <= 10; ++i)
    if (tabelle[i].empty()) tabelle[i].assign(1, '1');
}

// Lines 52-54 without a graph window (tools, tests): the variables.
QString ReellText(long double wert) { return fromCore(FloatText(wert)); }

// A real line as the loader reads it back. The graph window's range edits take a number with
// a decimal point or blanks in it ("2.5", "1 000") as the graph does, which the loader's
// strict German reading refuses, ending the load at that line: such a text is written with
// the same digits in the German form. A text that is no number at all gives the variable.
QString ReellZeile(const QString& text, long double wert) {
  const std::string t = toCore(text);
  long double v = 0;
  if (TextZuZahlDeutsch(t, v)) return text;
  if (TextZuZahlStreng(t, v)) return fromCore(PunktZuKomma(t));
  return ReellText(wert);
}

// The point count's line likewise: the edit's text when the loader takes it, else the same
// count in digits (the graph reads " 250 " as 250, the loader refuses a blank behind it).
QString GanzzahlZeile(const QString& text, int32_t wert) {
  int32_t v = 0;
  if (ZeilenLeser::GanzzahlStreng(text, v)) return text;
  bool ok = false;
  v = text.trimmed().toInt(&ok);
  return QString::number(ok ? v : wert);
}

// The defaults of the settings the file carries, set before it is read (and at start-up).
void DateiStandardwerte() {
  for (int i = 1; i <= 10; ++i) GrafikFarben[i] = StandardFarben[i];
  PunkteVerbinden = PunkteFarbe = PunktLinie = true;
  ErgebnisseSpeichern = ErgebnisseErsetzen = true;
  PunktGroesse = 3;
  GrafikAb = -10.0L;
  GrafikBis = 10.0L;
  GrafikAnzahl = 100;
  MinimiertStarten = false;
  TrennZeichen = '.';
  TrennZeichenGeladen = '.';
  GrafikVariable = 'x';
  FormelLeft = 1;
  FormelTop = 0;
  FormelWidth = 212;
  FormelHeight = 579;
  FormelSpalteBreite1 = 80;
  FormelSpalteBreite2 = 70;
  FarbeOben = 10941687;
  FarbeFunktionen = 13891817;
  FarbeZahlen = 15459522;
  EinstellungsDateiFehlt = false;
  farbenGelesen = false;
}

}  // namespace

bool TrennZeichenErlaubt(char c) {
  return !IstZiffer(c) && c != ',' && c != '+' && c != 'E' && c != 'e';
}

bool TrennZeichenDarstellbar(QChar c) { return fromCoreChar(toCoreChar(c)) == c; }

bool GrafikVariableErlaubt(char c) { return c == ' ' || IstBuchstabe(c); }

QString FormelDateiName() {
  return FormelDatei.empty() ? QStringLiteral("formel.txt") : Text(FormelDatei);
}

QString WerteDateiName() {
  return WerteDatei.empty() ? QStringLiteral("variable.txt") : Text(WerteDatei);
}

void EinstellungenLaden() {
  // Defaults; the settings not named there keep the values they have.
  DateiStandardwerte();

  const QString pfad = ImProgrammOrdner(QString::fromLatin1(EinstellungsDateiName));
  if (!RegulaereDateiExistiert(pfad)) {
    if (Text(ProgrammPfad).toUpper().contains(QLatin1String("DESKTOP")))
      showMessage(QStringLiteral("Datei ") + pfad + QStringLiteral(" nicht gefunden") +
                      QStringLiteral("\rPrüfen Sie die Eigenschaften der Verknüpfung"),
                  MessageKind::Warning);
    EinstellungsDateiFehlt = true;
    return;
  }

  QStringList zeilen;
  if (!readTextLines(pfad, zeilen)) return;
  ZeilenLeser z(zeilen);
  try {
    z.Zeile();  // line 1: always "0"
    ErgebnisseSpeichern = z.Schalter();
    ErgebnisseErsetzen = z.Schalter();
    {
      const int32_t g = z.Ganzzahl();
      if (g >= 0 && g <= 15) Genauigkeit = g;
    }
    {
      const QString s = z.Zeile();
      // Anything else would break every plot; the default stays.
      if (!s.isEmpty() && GrafikVariableErlaubt(toCoreChar(s[0]))) GrafikVariable = toCoreChar(s[0]);
    }
    TrennPunkt = z.Schalter();
    {
      const QString s = z.Zeile();
      // A digit or a decimal comma as grouping would change the numbers shown and logged.
      if (!s.isEmpty() && TrennZeichenDarstellbar(s[0]) && TrennZeichenErlaubt(toCoreChar(s[0])))
        TrennZeichen = TrennZeichenGeladen = toCoreChar(s[0]);
    }
    for (int i = 1; i <= 10; ++i) GrafikFarben[i] = z.Ganzzahl();
    for (int i = 1; i <= 10; ++i) geleseneFarben[i] = GrafikFarben[i];
    farbenGelesen = true;
    StilGruppeLesen(z, PunktArten, 12);
    StilGruppeLesen(z, LinienArten, 10);
    StilGruppeLesen(z, Staerken, 2);
    PunkteVerbinden = z.Schalter();
    PunkteFarbe = z.Schalter();
    PunktLinie = z.Schalter();
    {
      const int32_t g = z.Ganzzahl();
      if (g >= 0 && g <= 15) PunktGroesse = g;
    }
    GrafikAb = z.Reell();
    GrafikBis = z.Reell();
    GrafikAnzahl = z.Ganzzahl();
    MinimiertStarten = z.Schalter();
    ExponentAnzeige = z.Schalter();
    z.Ganzzahl();  // line 57: main window height, not applied
    GrafikLeft = z.Ganzzahl();
    GrafikTop = z.Ganzzahl();
    GrafikWidth = z.Ganzzahl();
    GrafikHeight = z.Ganzzahl();
    if (!z.Ende()) {
      FormelLeft = z.Ganzzahl();
      FormelTop = z.Ganzzahl();
      FormelWidth = z.Ganzzahl();
      FormelHeight = z.Ganzzahl();
      FormelSpalteBreite1 = z.Ganzzahl();
      FormelSpalteBreite2 = z.Ganzzahl();
    }
    FarbeOben = z.Ganzzahl();
    FarbeFunktionen = z.Ganzzahl();
    FarbeZahlen = z.Ganzzahl();
    {
      const QString f = z.Zeile();
      FormelDatei = f.isEmpty() ? std::string("formel.txt") : f.toStdString();
      const QString w = z.Zeile();
      WerteDatei = w.isEmpty() ? std::string("variable.txt") : w.toStdString();
    }
    FormelZeile = z.Ganzzahl();
    EinheitenKategorie = z.Ganzzahl();
    EinheitenZeile = z.Ganzzahl();
    if (!z.Ende()) {
      const QString d = z.Zeile();
      if (!d.isEmpty() && QFileInfo(d).isDir()) DatenPfad = d.toStdString();
      DatenFilterIndex = TextZuGanzzahl(toCore(z.Zeile()));
      AnsatzIndex = TextZuGanzzahl(toCore(z.Zeile()));
      KanalX = z.Zeile().toStdString();
      KanalY = z.Zeile().toStdString();
      SkalXMin = z.Zeile().toStdString();
      SkalXMax = z.Zeile().toStdString();
      SkalYMin = z.Zeile().toStdString();
      SkalYMax = z.Zeile().toStdString();
      LogoDatei = z.Zeile().toStdString();
      TitelText1 = z.Zeile().toStdString();
      TitelText2 = z.Zeile().toStdString();
      TitelText3 = z.Zeile().toStdString();
    }
    if (!z.Ende()) XYDatenKanalAuswahl = z.Schalter();
    if (!z.Ende()) LeseIntervall = z.Zeile().toStdString();
    if (!z.Ende()) KanalWahlMaske = z.Zeile().toStdString();
    if (!z.Ende()) {
      const QString formel = z.Zeile();
      if (frRechn && frRechn->ed1) frRechn->ed1->setText(formel);
      FormelZeile = -1;
    }
  } catch (const LeseAbbruch&) {
    // What was read stays; the rest keeps its defaults.
  }
}

QStringList EinstellungsZeilen() {
  TfrEinstell* d = frEinstell;
  QStringList z;
  z.reserve(92);
  z << QStringLiteral("0");                                                          // 1
  z << Schalter(d ? d->cbRes_Speich->isChecked() : ErgebnisseSpeichern);              // 2
  z << Schalter(d ? d->cbErgeb_Var_Ersetzen->isChecked() : ErgebnisseErsetzen);       // 3
  z << QString::number(Genauigkeit);                                                  // 4
  z << (d ? d->cbVar->currentText() : QString(fromCoreChar(GrafikVariable)));         // 5
  z << Schalter(d ? d->cbTrenPkt->isChecked() : TrennPunkt);                          // 6
  z << (d ? d->ComBTrenPkt->currentText() : QString(fromCoreChar(TrennZeichen)));     // 7
  for (int i = 1; i <= 10; ++i) z << QString::number(GrafikFarben[i]);                // 8-17
  const std::array<const char*, 3> praefixe = {"cb", "cbL", "cbS"};
  const std::array<const std::array<std::string, 21>*, 3> tabellen = {&PunktArten, &LinienArten,
                                                                      &Staerken};
  for (size_t g = 0; g < 3; ++g)                                                      // 18-47
    for (int i = 1; i <= 10; ++i) {
      QComboBox* c = DialogCombo(praefixe[g], i);
      z << (c ? c->currentText() : fromCore((*tabellen[g])[i]));
    }
  z << Schalter(d ? d->cbPkt_Verbinden->isChecked() : PunkteVerbinden);               // 48
  z << Schalter(d ? d->cbPkt_Farbe->isChecked() : PunkteFarbe);                       // 49
  z << Schalter(d ? d->cbPkt_Linie->isChecked() : PunktLinie);                        // 50
  z << QString::number(d ? d->UpD_PktG->value() : PunktGroesse);                      // 51
  TfrGrafik* g = frGrafik;
  // The graph window never hands out a range text that would not load again ("-").
  z << (g ? ReellZeile(g->AbText(), GrafikAb) : ReellText(GrafikAb));                 // 52
  z << (g ? ReellZeile(g->BisText(), GrafikBis) : ReellText(GrafikBis));              // 53
  z << (g ? GanzzahlZeile(g->AnzahlText(), GrafikAnzahl) : QString::number(GrafikAnzahl));  // 54
  z << Schalter(d ? d->tbFMin->isChecked() : MinimiertStarten);                       // 55
  z << Schalter(d ? d->cbExponentenzeichen->isChecked() : ExponentAnzeige);           // 56
  z << QString::number(frRechn ? frRechn->height() : 0);                              // 57
  if (g) {                                                                            // 58-61
    z << QString::number(g->x()) << QString::number(g->y()) << QString::number(g->width())
      << QString::number(g->height());
  } else {
    z << QString::number(GrafikLeft) << QString::number(GrafikTop)
      << QString::number(GrafikWidth) << QString::number(GrafikHeight);
  }
  TfrFormel* f = frFormel;
  if (f) {                                                                            // 62-67
    z << QString::number(f->x()) << QString::number(f->y()) << QString::number(f->width())
      << QString::number(f->height()) << QString::number(f->sg1->colWidth(1))
      << QString::number(f->sg1->colWidth(2));
  } else {
    z << QString::number(FormelLeft) << QString::number(FormelTop)
      << QString::number(FormelWidth) << QString::number(FormelHeight)
      << QString::number(FormelSpalteBreite1) << QString::number(FormelSpalteBreite2);
  }
  TfrRechn* r = frRechn;
  z << QString::number(r && r->plOben ? FlaechenFarbe(r->plOben) : FarbeOben);              // 68
  z << QString::number(r && r->plFunktionen ? FlaechenFarbe(r->plFunktionen)                // 69
                                            : FarbeFunktionen);
  z << QString::number(r && r->plZahlen ? FlaechenFarbe(r->plZahlen) : FarbeZahlen);        // 70
  z << Text(FormelDatei) << Text(WerteDatei);                                         // 71-72
  z << QString::number(FormelZeile) << QString::number(EinheitenKategorie)            // 73-75
    << QString::number(EinheitenZeile);
  z << Text(DatenPfad) << QString::number(DatenFilterIndex)                           // 76-78
    << QString::number(AnsatzIndex);
  z << Text(KanalX) << Text(KanalY) << Text(SkalXMin) << Text(SkalXMax)               // 79-84
    << Text(SkalYMin) << Text(SkalYMax);
  z << Text(LogoDatei) << Text(TitelText1) << Text(TitelText2) << Text(TitelText3);   // 85-88
  z << Schalter(d ? d->cbXYDatenKAuswahl->isChecked() : XYDatenKanalAuswahl);         // 89
  z << (frDiaDemKAuswahl ? frDiaDemKAuswahl->edInterval->text() : Text(LeseIntervall)) // 90
    << Text(KanalWahlMaske);                                                          // 91
  z << (r && r->ed1 ? r->ed1->text() : QString());                                    // 92
  return z;
}

bool EinstellungenSpeichern() {
  // A TAB or line break in a text (a pasted title or formula, a folder's name) goes in as a
  // blank, so no later line moves.
  return EintraegeSchreibenMitWarnung(ImProgrammOrdner(QString::fromLatin1(EinstellungsDateiName)),
                                      EinstellungsZeilen());
}

namespace {
class HauptEinstellungsdatei : public Einstellungsdatei {
 public:
  void Laden() override { EinstellungenLaden(); }
  bool Speichern() override { return EinstellungenSpeichern(); }
};
HauptEinstellungsdatei hauptDatei;
}  // namespace

void EinstellungsdateiInstallieren(bool an) { Einstellungsdatei::Installieren(an ? &hauptDatei : nullptr); }

void PunktArtenAnzeigen() { StilAnzeigen("cb", PunktArten); }
void LinienArtenAnzeigen() { StilAnzeigen("cbL", LinienArten); }
void StaerkenAnzeigen() { StilAnzeigen("cbS", Staerken); }

void KurvenFarbenWiederherstellen() {
  if (!farbenGelesen) return;
  for (int i = 1; i <= 10; ++i) GrafikFarben[i] = geleseneFarben[i];
}

void EinstellungenStartwerte() {
  FehlerCode = 0;
  FehlerFlag = false;
  StillModus = false;
  ProgrammPfad.clear();
  UmrechnungPfad.clear();
  DiagrammPfad.clear();
  DatenPfad.clear();
  FormelDatei = "formel.txt";
  WerteDatei = "variable.txt";
  Genauigkeit = 4;
  LetztesErgebnis = 0.0L;
  ErsteAktivierung = 1;
  RueckgaengigText.clear();
  TrennPunkt = false;
  ExponentAnzeige = false;
  XYDatenKanalAuswahl = false;
  GrafikLeft = GrafikTop = GrafikWidth = GrafikHeight = 0;
  FormelZeile = 0;
  GrafikFarben.fill(0);
  DateiStandardwerte();
  PunktArten.fill({});
  LinienArten.fill({});
  Staerken.fill({});
  EinheitenKategorie = 0;
  EinheitenZeile = 1;
  EinheitenErsteAnzeige = true;
  DatenFilterIndex = 0;
  AnsatzIndex = 0;
  KanalX.clear();
  KanalY.clear();
  SkalXMin.clear();
  SkalXMax.clear();
  SkalYMin.clear();
  SkalYMax.clear();
  LogoDatei.clear();
  TitelText1.clear();
  TitelText2.clear();
  TitelText3.clear();
  LeseIntervall.clear();
  KanalWahlMaske.clear();
}
