#include "calculator/rechn.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>
#include <cmath>

#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "core/auswerter.h"
#include "core/berechnung.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/text.h"
#include "core/zahltext.h"
#include "graph/grafik.h"
#include "platform/esc_watcher.h"
#include "platform/fenster_lage.h"
#include "platform/line_edit.h"
#include "platform/message_dialog.h"
#include "platform/panel_button.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"
#include "units/einheiten.h"

using namespace kolvex;

TfrRechn* frRechn = nullptr;

namespace {

const QString ErrorText = QStringLiteral("Error");
const QColor ErgebnisGruen(0x00, 0x80, 0x00);  // 0x008000
const QColor ErrorRot(0xFF, 0x00, 0x00);       // 255

bool EinstellHaken(QCheckBox* TfrEinstell::*feld, bool ersatz) {
  return frEinstell && frEinstell->*feld ? (frEinstell->*feld)->isChecked() : ersatz;
}

// The syntax faults as the driver and the graph button show them: an empty formula only
// brings the result field back; a fault warns and puts the caret at it.
void SyntaxFehlerZeigen(TfrRechn* r, Ausgang ausgang, int position) {
  r->edErgebnis->show();
  r->lbESC->clear();
  if (ausgang == Ausgang::Leer) return;
  r->TastenFarbeZuruecksetzen();
  if (ausgang == Ausgang::Klammerfehler) {
    showMessage(QStringLiteral("Formel ist Falsch!\rKlammer"), MessageKind::Warning);
  } else {
    showMessage(QStringLiteral("Formel ist Falsch!"), MessageKind::Warning);
    r->ed1->setCursorPosition(position);
  }
}

MessageKind Art(MeldungsArt art) {
  switch (art) {
    case MeldungsArt::Information: return MessageKind::Information;
    case MeldungsArt::Frage: return MessageKind::Question;
    case MeldungsArt::Warnung: break;
  }
  return MessageKind::Warning;
}

}  // namespace

// ---- The core's window interface ----------------------------------------------------------

class TfrRechn::Kern : public KernFenster {
 public:
  explicit Kern(TfrRechn* fenster) : f_(fenster) {}
  void lbESCLeeren() override {
    if (f_->lbESC) f_->lbESC->clear();
  }
  void edErgebnisLeeren() override {
    if (f_->edErgebnis) f_->edErgebnis->clear();
  }
  void TastenFarbeZuruecksetzen() override { f_->TastenFarbeZuruecksetzen(); }
  void ed1CaretSetzen(int selStart) override {
    if (f_->ed1) f_->ed1->setCursorPosition(selStart);
  }
  bool RadModus() override { return f_->rbRad && f_->rbRad->isChecked(); }
  int WerteZeilenAnzahl() override { return frKonstante ? frKonstante->sgK->RowCount() : 0; }
  std::string WerteZelle(int spalte, int zeile) override {
    return frKonstante ? toCore(frKonstante->sgK->Cells(spalte, zeile)) : std::string();
  }
  Antwort Meldung(const std::string& text, MeldungsArt art, MeldungsKnoepfe knoepfe) override {
    const MessageAnswer a =
        showMessage(fromCore(text), Art(art),
                    knoepfe == MeldungsKnoepfe::JaNein ? MessageButtons::YesNo : MessageButtons::Ok);
    switch (a) {
      case MessageAnswer::Yes: return Antwort::Ja;
      case MessageAnswer::No: return Antwort::Nein;
      case MessageAnswer::Ok: break;
    }
    return Antwort::Ok;
  }
  bool EscGedrueckt() override { return EscWatcher::pressed(); }

 private:
  TfrRechn* f_;
};

// ---- Life cycle ---------------------------------------------------------------------------

TfrRechn::TfrRechn(QWidget* parent) : Form(parent), kern_(std::make_unique<Kern>(this)) {
  setObjectName(QStringLiteral("frRechn"));
  // The main window: its close box ends the program instead of hiding it.
  hideOnClose = false;
  LayoutErzeugen();
  // While a calculation runs the result field is hidden and lbESC shows over its place;
  // the fields around it must not move meanwhile.
  QSizePolicy sp = edErgebnis->sizePolicy();
  sp.setRetainSizeWhenHidden(true);
  edErgebnis->setSizePolicy(sp);
  connect(sbExit, &PanelButton::clicked, this, [this](Qt::MouseButton knopf) {
    if (knopf == Qt::LeftButton) sbExitClick();
  });
  KernFensterSetzen(kern_.get());
}

TfrRechn::~TfrRechn() {
  KernFensterSetzen(nullptr);
  if (frRechn == this) frRechn = nullptr;
}

void FlaechenFarbeSetzen(QWidget* flaeche, int bgr) {
  if (!flaeche) return;
  QPalette p = flaeche->palette();
  p.setColor(flaeche->backgroundRole(), colorFromBgr(bgr));
  flaeche->setPalette(p);
  flaeche->setAutoFillBackground(true);
}

int FlaechenFarbe(const QWidget* flaeche) {
  return colorToBgr(flaeche->palette().color(flaeche->backgroundRole()));
}

void TfrRechn::FormCreate() {
  // German formats whatever the system says; the core never asks the process locale.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  if (pl_Pi) pl_Pi->setCaption(QString(fromCoreChar(PiZeichen)));
  lbESC->clear();
  edErgebnis->clear();
  ProgrammPfad = (QDir::currentPath() + QLatin1Char('/')).toStdString();
  UmrechnungPfad = ProgrammPfad + "Umrechnung/";
  setWindowTitle(QStringLiteral(" Kolvane"));
  tbWert_Einf->setEnabled(false);
  EinstellungenLaden();
  setWindowState(MinimiertStarten ? Qt::WindowMinimized : Qt::WindowNoState);
  FlaechenFarbeSetzen(plOben, FarbeOben);
  FlaechenFarbeSetzen(edErgebnis, FarbeOben);
  FlaechenFarbeSetzen(plFunktionen, FarbeFunktionen);
  FlaechenFarbeSetzen(plRG, FarbeFunktionen);
  FlaechenFarbeSetzen(plZahlen, FarbeZahlen);
}

void TfrRechn::FormActivate() {
  TastenFarbeZuruecksetzen();
  tbGrafik_Visible();
  if (frEinstell) frEinstell->EinstellPositionieren();
  if (ErsteAktivierung) {
    RueckgaengigText = toCore(ed1->text());
    FensterHoehe = qMax(sizeHint().height(), minimumSizeHint().height());
  }
  ErsteAktivierung = 0;
  if (tbEinheiten->isChecked()) tbGrafik->setEnabled(false);
  if (FensterHoehe > 0 && height() != FensterHoehe) {
    resize(width(), FensterHoehe);
    FensterImBildHalten(this);
  }
}

void TfrRechn::FormShow() {
  if (TfrEinstell* d = frEinstell) {
    d->cbPkt_Verbinden->setChecked(PunkteVerbinden);
    d->cbPkt_Farbe->setChecked(PunkteFarbe);
    d->cbPkt_Linie->setChecked(PunktLinie);
    d->UpD_PktG->setValue(PunktGroesse);
    d->cbRes_Speich->setChecked(ErgebnisseSpeichern);
    d->cbErgeb_Var_Ersetzen->setChecked(ErgebnisseErsetzen);
    d->cbTrenPkt->setChecked(TrennPunkt);
    ComboTextSetzen(d->ComBTrenPkt, QString(fromCoreChar(TrennZeichenGeladen)));
    TrennZeichen = TrennZeichenGeladen;
    ComboTextSetzen(d->cbVar, QString(fromCoreChar(GrafikVariable)));
    d->tbFMin->setChecked(MinimiertStarten);
    d->cbExponentenzeichen->setChecked(ExponentAnzeige);
    d->cbXYDatenKAuswahl->setChecked(XYDatenKanalAuswahl);
  }
  if (TfrGrafik* g = frGrafik) {
    setTextFromStart(g->edAb, fromCore(FloatText(GrafikAb)));
    setTextFromStart(g->edBis, fromCore(FloatText(GrafikBis)));
    setTextFromStart(g->edAnzahl, QString::number(GrafikAnzahl));
  }
  if (ed1->text().contains(fromCoreChar(PiZeichen))) rbRad->setChecked(true);
  PunktArtenAnzeigen();
  LinienArtenAnzeigen();
  StaerkenAnzeigen();
}

void TfrRechn::FormClose(bool& accept) {
  (void)accept;
  // Closing the main window ends the program (the window is the only one that quits on
  // close), so the settings are written now, without asking; the exit button has just
  // written them, and a failure it reported is not reported a second time.
  if (beendenGespeichert_) {
    beendenGespeichert_ = false;
    return;
  }
  EinstellungenSpeichern();
}

void TfrRechn::sbExitClick() {
  if (!IstZahl(toCore(ed1->text())) && frFormel)
    frFormel->NeueFormelSpeichern(ImProgrammOrdner(FormelDateiName()));
  if (showMessage(QStringLiteral("Programm beenden?"), MessageKind::Question,
                  MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  EinstellungenSpeichern();
  beendenGespeichert_ = true;
  close();
  beendenGespeichert_ = false;
}

// ---- Calculation driver -------------------------------------------------------------------

void TfrRechn::ErgebnisFarbeSetzen() {
  QPalette p = edErgebnis->palette();
  p.setColor(QPalette::Text, edErgebnis->text() == ErrorText ? ErrorRot : ErgebnisGruen);
  edErgebnis->setPalette(p);
}

void TfrRechn::AnzeigeBeenden() {
  edErgebnis->show();
  lbESC->clear();
  TastenFarbeZuruecksetzen();
}

bool TfrRechn::FormelPruefen(const QString& formel) {
  const std::string f = OhneLeerzeichen(toCore(formel));
  if (f.empty()) {
    SyntaxFehlerZeigen(this, Ausgang::Leer, 0);
    return false;
  }
  const int p = SyntaxFehlerPos(f);
  if (p == 0) return true;
  FehlerCode = -1;
  SyntaxFehlerZeigen(this, p == -1 ? Ausgang::Klammerfehler : Ausgang::Syntaxfehler, p);
  return false;
}

void TfrRechn::ErgebnisAnzeigen(long double wert) {
  if (edErgebnis->text() == ErrorText || ErsteAktivierung) return;
  std::string text;
  if (Genauigkeit == 0)
    text = ZahlZuText(0, std::nearbyint(wert));
  else if (EinstellHaken(&TfrEinstell::cbExponentenzeichen, ExponentAnzeige))
    text = FloatText(wert);
  else
    text = ZahlZuText(Genauigkeit, wert);
  edErgebnis->setText(fromCore(text));
  // A result wider than the field shows its leading digits, not its tail.
  edErgebnis->setCursorPosition(0);
}

void TfrRechn::FehlerAnzeigen() {
  edErgebnis->show();
  lbESC->clear();
  edErgebnis->setText(ErrorText);
  TastenFarbeZuruecksetzen();
  ErgebnisFarbeSetzen();
}

void TfrRechn::ErgebnisSpeichern(const QString& datei, const QString& formel) {
  ErgebnisZeileSpeichern(datei, formel, edErgebnis->text());
}

void TfrRechn::ErgebnisZeileSpeichern(const QString& datei, const QString& formel,
                                      const QString& ergebnis) {
  // The existence test pauses like every one of the program.
  RegulaereDateiExistiert(datei);
  QString zeile;
  if (tbEinheiten->isChecked() && frEinheiten) {
    const StringGrid* sg = frEinheiten->sg;
    // Unit names are cut from the row text as UTF-8 (the cuts only look at ASCII), so names
    // from category files keep characters beyond Latin-1.
    const std::string reihe = sg->Cells(1, sg->Row()).toStdString();
    const bool invers = frEinheiten->cbInvers->isChecked();
    zeile = formel + QLatin1Char(' ') + QString::fromStdString(TeilAmStrich(reihe, invers)) +
            QStringLiteral(" = ") + ergebnis + QLatin1Char(' ') +
            QString::fromStdString(TeilAnSpitze(reihe, invers));
  } else {
    zeile = formel + QStringLiteral(" = ") + ergebnis;
  }
  QString fehler;
  bool angehaengt = false;
  if (!appendTextLineUnlessLast(datei, zeile, &angehaengt, &fehler))
    showMessage(saveFailedText(datei, fehler), MessageKind::Warning);
}

void TfrRechn::Berechnen(const QString& formel) {
  if (ErsteAktivierung) return;
  if (tbGrafik->isEnabled() && tbGrafik->isChecked()) {
    if (frGrafik) frGrafik->FormelZeichnen(formel);
    return;
  }
  // The status (FehlerCode first of all) is set by the core's entry below.
  if (frFormel) {
    const int zeile = frFormel->FormelSuchen(formel);
    if (zeile > 0) frFormel->sg1->setRow(zeile);
  }
  edErgebnis->hide();
  lbESC->setText(QStringLiteral("Mit ESC Taste abbrechen"));
  lbESC->repaint();
  // An ESC pressed before this calculation does not count.
  EscWatcher::Operation escOperation;
  edErgebnis->clear();

  const bool ersetzen = tbCut->isChecked();
  const Berechnung b = kolvex::Berechnen(toCore(formel), ersetzen);
  // What the log names as the formula in replace mode: the entry before it was replaced.
  QString ersetzteFormel;
  switch (b.ausgang) {
    case Ausgang::Leer:
    case Ausgang::Syntaxfehler:
    case Ausgang::Klammerfehler:
      SyntaxFehlerZeigen(this, b.ausgang, b.Position);
      return;
    case Ausgang::KeinWert:
      AnzeigeBeenden();
      if (frKonstante) {
        frKonstante->show();
        frKonstante->VariableSuchen(fromCoreChar(b.Buchstabe));
      }
      showMessage(QStringLiteral("Kein Wert für ") + fromCoreChar(b.Buchstabe), MessageKind::Warning);
      return;
    case Ausgang::Vorpruefung:
      AnzeigeBeenden();
      ed1->setCursorPosition(b.Position);
      return;
    case Ausgang::Fehler:
      FehlerAnzeigen();
      return;
    case Ausgang::FehlerMalGeteilt:
      ed1->setCursorPosition(static_cast<int>(ed1->text().size()));
      FehlerAnzeigen();
      return;
    case Ausgang::Unvollstaendig:
      AnzeigeBeenden();
      return;
    case Ausgang::KeineZahl:
    case Ausgang::Ausnahme:
      edErgebnis->setText(ErrorText);
      break;
    case Ausgang::Zahl:
      if (ersetzen) {
        // Only a finished number replaces the formula; anything else shows "Error" above.
        ersetzteFormel = ed1->text();
        edErgebnis->clear();
        ed1->setText(fromCore(b.Text));
        ed1->setCursorPosition(static_cast<int>(ed1->text().size()));
      } else {
        edErgebnis->setText(QStringLiteral(" "));
        ErgebnisAnzeigen(LetztesErgebnis);
      }
      break;
  }

  // Unit conversion converts the unrounded result, not the shown (rounded, grouped) text;
  // LetztesErgebnis keeps the unconverted value.
  if (tbEinheiten->isChecked() && frEinheiten && !edErgebnis->text().trimmed().isEmpty() &&
      edErgebnis->text() != ErrorText) {
    const StringGrid* sg = frEinheiten->sg;
    const std::string faktor = OhneLeerzeichen(toCore(sg->Cells(2, sg->Row())));
    // A factor from a hand-written category file that isn't a number converts nothing; the
    // unconverted result must not stand (and be logged) between the two units as if it were.
    if (!faktor.empty()) {
      if (IstZahl(faktor))
        ErgebnisAnzeigen(LetztesErgebnis * TextZuZahl(faktor));
      else
        edErgebnis->setText(ErrorText);
    }
  }

  AnzeigeBeenden();
  ErgebnisFarbeSetzen();

  if (EinstellHaken(&TfrEinstell::cbRes_Speich, ErgebnisseSpeichern)) {
    const bool ersetzt = !ersetzteFormel.isNull();
    const QString eingabe = ersetzt ? ersetzteFormel : ed1->text();
    QString logFormel = eingabe;
    if (EinstellHaken(&TfrEinstell::cbErgeb_Var_Ersetzen, ErgebnisseErsetzen)) {
      // A failing substitution logs the entry as typed.
      const std::string ersetzt2 = ProtokollFormel(toCore(eingabe));
      if (!ersetzt2.empty()) logFormel = fromCore(ersetzt2);
    }
    ErgebnisZeileSpeichern(ImProgrammOrdner(QStringLiteral("result.txt")), logFormel,
                           ersetzt ? ed1->text() : edErgebnis->text());
  }
}
