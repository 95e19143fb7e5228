#include "calculator/einstell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "calculator/einstellungen.h"
#include "platform/farben.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "core/globals.h"
#include "core/routinen.h"
#include "core/zahltext.h"
#include "graph/grafik.h"
#include "platform/fenster_lage.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "units/einheiten.h"

using namespace kolvex;

TfrEinstell* frEinstell = nullptr;

namespace {

TfrEinstell::DateiDialogFn& dateiDialogHook() {
  static TfrEinstell::DateiDialogFn hook;
  return hook;
}

// The curve number at the end of a numbered control's name ("cbL3" -> 3), 0 if none.
int NummerAusName(const QString& name, int praefixLaenge) {
  bool ok = false;
  const int n = name.mid(praefixLaenge).toInt(&ok);
  return ok && n >= 1 && n <= 10 ? n : 0;
}

QString ProgrammOrdner() { return QString::fromStdString(ProgrammPfad); }

}  // namespace

// ---- TfrEinstell ---------------------------------------------------------------------------

TfrEinstell::TfrEinstell(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frEinstell"));
  LayoutErzeugen();
  for (char c = 'a'; c <= 'z'; ++c) cbVar->addItem(QString(QLatin1Char(c)));
  cbVar->setText(QStringLiteral("x"));
  VerbindungenHerstellen();
  werteDateiGeladen_ = WerteDatei;
}

TfrEinstell::~TfrEinstell() {
  if (frEinstell == this) frEinstell = nullptr;
}

void TfrEinstell::setDateiDialogTestHook(DateiDialogFn hook) { dateiDialogHook() = std::move(hook); }

FarbPanel* TfrEinstell::plF(int n) const {
  const std::array<FarbPanel*, 10> p = {plF1, plF2, plF3, plF4, plF5, plF6, plF7, plF8, plF9, plF10};
  return n >= 1 && n <= 10 ? p[static_cast<size_t>(n - 1)] : nullptr;
}

TextCombo* TfrEinstell::cbPunkt(int n) const {
  const std::array<TextCombo*, 10> c = {cb1, cb2, cb3, cb4, cb5, cb6, cb7, cb8, cb9, cb10};
  return n >= 1 && n <= 10 ? c[static_cast<size_t>(n - 1)] : nullptr;
}

TextCombo* TfrEinstell::cbLinie(int n) const {
  const std::array<TextCombo*, 10> c = {cbL1, cbL2, cbL3, cbL4, cbL5, cbL6, cbL7, cbL8, cbL9, cbL10};
  return n >= 1 && n <= 10 ? c[static_cast<size_t>(n - 1)] : nullptr;
}

TextCombo* TfrEinstell::cbStaerke(int n) const {
  const std::array<TextCombo*, 10> c = {cbS1, cbS2, cbS3, cbS4, cbS5, cbS6, cbS7, cbS8, cbS9, cbS10};
  return n >= 1 && n <= 10 ? c[static_cast<size_t>(n - 1)] : nullptr;
}

void TfrEinstell::VerbindungenHerstellen() {
  connect(cbGenau, &QComboBox::currentIndexChanged, this, [this] { cbGenauChange(); });
  cbGenau->installEventFilter(this);
  connect(cbTrenPkt, &QCheckBox::toggled, this, [this] { cbTrenPktClick(); });
  connect(ComBTrenPkt, &QComboBox::activated, this, [this] { ComBTrenPktChange(); });
  connect(ComBTrenPkt->lineEdit(), &QLineEdit::textEdited, this, [this] { ComBTrenPktChange(); });
  connect(cbExponentenzeichen, &QCheckBox::toggled, this, [this] { cbExponentenzeichenClick(); });
  connect(cbRes_Speich, &QCheckBox::toggled, this, [this] { cbRes_SpeichClick(); });
  cbRes_Speich->installEventFilter(this);
  cbErgeb_Var_Ersetzen->installEventFilter(this);
  connect(cbVar, &QComboBox::activated, this, [this] { cbVarChange(); });
  connect(cbVar->lineEdit(), &QLineEdit::textEdited, this, [this] { cbVarChange(); });

  for (int n = 1; n <= 10; ++n) {
    connect(plF(n), &FarbPanel::clicked, this, [this, n] { FarbPanelClick(n); });
    plF(n)->installEventFilter(this);
    for (TextCombo* c : {cbPunkt(n), cbLinie(n), cbStaerke(n)}) {
      connect(c, &QComboBox::activated, this, [this, c] { StilAenderung(c); });
      connect(c, &TextCombo::escapePressed, this, [this] { close(); });
    }
  }
  for (QCheckBox* c : {cbPkt_Verbinden, cbPkt_Farbe, cbPkt_Linie})
    connect(c, &QCheckBox::clicked, this, [this] { StilAenderung(nullptr); });
  connect(UpD_PktG, &QSpinBox::valueChanged, this,
          [this](int v) { lbPkt_G->setText(QString::number(v)); });
  connect(UpD_PktG, &AufAbSchalter::geklickt, this, [this] { UpD_PktGClick(); });
  lbPkt_G->setText(QString::number(UpD_PktG->value()));

  connect(tbFormStyle, &QToolButton::clicked, this, [this] { tbFormStyleClick(); });
  connect(tbEins_Formel, &QToolButton::clicked, this, [this] { tbEins_FormelClick(); });
  connect(tbEins_Werte, &QToolButton::clicked, this, [this] { tbEins_WerteClick(); });
  tbEins_Formel->installEventFilter(this);
  tbEins_Werte->installEventFilter(this);
  connect(sbSpeichern, &QPushButton::clicked, this, [this] { sbSpeichernClick(); });
  connect(sbExit, &QPushButton::clicked, this, [this] { sbExitClick(); });
}

bool TfrEinstell::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) {
    if (watched == cbRes_Speich || watched == cbErgeb_Var_Ersetzen) {
      cbRes_Speich->setToolTip(QStringLiteral("Ergebnis speichern in result.txt"));
    } else if (watched == tbEins_Formel) {
      tbEins_Formel->setToolTip(QStringLiteral("Dateiname für Formel ändern\n(") +
                                QString::fromStdString(FormelDatei) + QLatin1Char(')'));
    } else if (watched == tbEins_Werte) {
      tbEins_Werte->setToolTip(QStringLiteral("Dateiname für Werte ändern\n(") +
                               QString::fromStdString(WerteDatei) + QLatin1Char(')'));
    } else if (auto* panel = qobject_cast<FarbPanel*>(watched)) {
      const int n = NummerAusName(panel->objectName(), 3);
      QString hinweis = QStringLiteral("Farbe ändern");
      if (frGrafik && frGrafik->lbh && n >= 1 && n <= frGrafik->lbh->count())
        hinweis += QStringLiteral("\nFormel: ") + frGrafik->lbh->item(n - 1)->text();
      panel->setToolTip(hinweis);
    }
  } else if (event->type() == QEvent::KeyPress && watched == cbGenau) {
    // The precision is chosen from its list; typed characters other than digits and
    // backspace do nothing.
    auto* key = static_cast<QKeyEvent*>(event);
    const QString t = key->text();
    if (!t.isEmpty() && t[0].isPrint() && !(t[0] >= u'0' && t[0] <= u'9')) return true;
  }
  return Form::eventFilter(watched, event);
}

// ---- Life cycle ----------------------------------------------------------------------------

void TfrEinstell::FormCreate() {
  werteDateiGeladen_ = WerteDatei;
  AnsichtAnpassen();
}

// The colour panels are also filled when the window appears: a window shown beside the main
// window is not always activated (focus rules of the desktop), and black panels would then
// contradict the curves.
void TfrEinstell::FormShow() { FarbenAnzeigen(); }

void TfrEinstell::FormActivate() {
  plEinst_Genau->setVisible(!cbExponentenzeichen->isChecked());
  {
    const QSignalBlocker sperre(cbGenau);
    const int i = cbGenau->findText(QString::number(Genauigkeit));
    cbGenau->setCurrentIndex(i >= 0 ? i : 0);
  }
  FarbenAnzeigen();
  lbPkt_G->setText(QString::number(UpD_PktG->value()));
  AnsichtAnpassen();
  Tag = 0;
}

void TfrEinstell::FormClose(bool& accept) {
  (void)accept;
  if (frRechn && frRechn->tbEinstellung) frRechn->tbEinstellung->setChecked(false);
  if (frGrafik && frGrafik->tbEinstell) frGrafik->tbEinstell->setChecked(false);
  // Reload a list only when its file name changed since it was read: a reload would throw
  // away edits the user has not saved there yet.
  const QString formelDatei = ImProgrammOrdner(FormelDateiName());
  if (frFormel && frFormel->GeladeneDatei() != formelDatei) frFormel->FormelnLaden(formelDatei);
  if (frKonstante && werteDateiGeladen_ != WerteDatei) {
    frKonstante->WerteLaden(ImProgrammOrdner(WerteDateiName()));
    werteDateiGeladen_ = WerteDatei;
  }
}

bool TfrEinstell::GrafikModus() const {
  return frRechn && frRechn->tbGrafik && frRechn->tbGrafik->isChecked();
}

void TfrEinstell::AnsichtAnpassen() {
  const bool grafik = GrafikModus();
  plGrafik->setVisible(grafik);
  plEinst->setVisible(!grafik);
  plEinst_Genau->setVisible(!cbExponentenzeichen->isChecked());
  plInhalt->layout()->invalidate();
  plInhalt->layout()->activate();
  const QSize inhalt = plInhalt->layout()->sizeHint();
  int hoehe = inhalt.height();
  if (const QScreen* s = screen()) hoehe = std::min(hoehe, s->availableGeometry().height() - 40);
  const int breite = inhalt.width() + (hoehe < inhalt.height() ? ScrollBox1->verticalScrollBar()->sizeHint().width() : 0);
  setMinimumSize(0, 0);
  resize(breite, hoehe);
  if (isVisible()) FensterImBildHalten(this);
}

void TfrEinstell::EinstellPositionieren() {
  if (positioniert_ || !frRechn) return;
  positioniert_ = true;
  const QRect haupt = RahmenRechteck(frRechn);
  const QRect flaeche = FreieFlaeche(frRechn, haupt);
  int links = haupt.x() + haupt.width();
  if (links < flaeche.left() || links > flaeche.left() + flaeche.width() - 20) links = flaeche.left();
  FensterPlatzieren(this, QPoint(links, haupt.y()));
}

void TfrEinstell::FarbenAnzeigen() {
  for (int n = 1; n <= 10; ++n) plF(n)->setFarbe(GrafikFarben[static_cast<size_t>(n)]);
}

void TfrEinstell::LinienBreiteZuruecksetzen(int n) {
  if (TextCombo* c = cbStaerke(n)) c->setText(QStringLiteral("1"));
}

void TfrEinstell::LinienStilZuruecksetzen(int n) {
  if (TextCombo* c = cbLinie(n)) c->setText(QStringLiteral("Solid"));
}

// ---- Number settings -----------------------------------------------------------------------

void TfrEinstell::ErgebnisNeuAnzeigen() {
  if (!frRechn) return;
  if (frRechn->tbGrafik && frRechn->tbGrafik->isEnabled() && frRechn->tbGrafik->isChecked() && frGrafik &&
      frGrafik->KlickX != 0) {
    frGrafik->WerteAnzeigen(frGrafik->KlickX, frGrafik->KlickY);
    return;
  }
  if (LetztesErgebnis == 0) return;
  long double wert = LetztesErgebnis;
  // While unit conversion is on, the shown result is the converted one, as the calculation
  // driver shows it.
  if (frRechn->tbEinheiten && frRechn->tbEinheiten->isChecked() && frEinheiten && frEinheiten->sg) {
    const std::string faktor = OhneLeerzeichen(toCore(frEinheiten->sg->Cells(2, frEinheiten->sg->Row())));
    if (!faktor.empty() && IstZahl(faktor)) wert *= TextZuZahl(faktor);
  }
  frRechn->ErgebnisAnzeigen(wert);
}

void TfrEinstell::cbGenauChange() {
  bool ok = false;
  const int g = cbGenau->currentText().toInt(&ok);
  if (ok) Genauigkeit = g;
  ErgebnisNeuAnzeigen();
}

void TfrEinstell::cbTrenPktClick() {
  TrennPunkt = cbTrenPkt->isChecked();
  ErgebnisNeuAnzeigen();
}

void TfrEinstell::ComBTrenPktChange() {
  const QString text = ComBTrenPkt->text();
  if (!text.isEmpty()) {
    const QString vorher = fromCore(std::string(1, TrennZeichen));
    if (!TrennZeichenDarstellbar(text[0])) {
      ComBTrenPkt->setText(vorher);
      // A character beyond the basic plane is two UTF-16 units; the message names it whole.
      const QString zeichen = text.left(text[0].isHighSurrogate() ? 2 : 1);
      showMessage(QStringLiteral("Das Zeichen „") + zeichen +
                      QStringLiteral("“ kann nicht als Trennzeichen dienen:\rZahlen können nur Zeichen "
                                     "aus Latin-1 (ISO 8859-1) enthalten."),
                  MessageKind::Warning);
      return;
    }
    // A character that would read as part of a number is not taken: the previous one stays.
    if (!TrennZeichenErlaubt(toCoreChar(text[0]))) {
      ComBTrenPkt->setText(vorher);
      return;
    }
    TrennZeichen = toCoreChar(text[0]);
  }
  ErgebnisNeuAnzeigen();
}

// The window was sized for the rows visible at its last activation; a row that comes back
// would otherwise be cut off until the next one.
void TfrEinstell::cbExponentenzeichenClick() {
  plEinst_Genau->setVisible(!cbExponentenzeichen->isChecked());
  AnsichtAnpassen();
  ErgebnisNeuAnzeigen();
}

void TfrEinstell::cbRes_SpeichClick() {
  cbErgeb_Var_Ersetzen->setVisible(cbRes_Speich->isChecked());
  AnsichtAnpassen();
}

void TfrEinstell::cbVarChange() {
  const std::string t = toCore(cbVar->text());
  const char neu = t.empty() ? ' ' : t[0];
  // Only a letter (or the blank for none) can be a variable of a plotted formula.
  if (!GrafikVariableErlaubt(neu)) {
    cbVar->setText(fromCore(std::string(1, GrafikVariable)));
    return;
  }
  GrafikVariable = neu;
  if (frRechn) frRechn->tbGrafik_Visible();
  if (frGrafik) {
    const QString buchstabe = fromCore(std::string(1, GrafikVariable));
    if (frGrafik->lbXmin) frGrafik->lbXmin->setText(buchstabe + QStringLiteral(" min ="));
    if (frGrafik->lbXmax) frGrafik->lbXmax->setText(buchstabe + QStringLiteral(" max ="));
  }
}

// ---- Curve styles --------------------------------------------------------------------------

void TfrEinstell::ErsteFormelNeuZeichnen() {
  if (GrafikModus() && frGrafik && frGrafik->lbh && frGrafik->lbh->count() > 0)
    frGrafik->FormelZeichnen(frGrafik->lbh->item(0)->text());
}

void TfrEinstell::FarbPanelClick(int n) {
  if (n < 1 || n > 10) return;
  int32_t farbe = 0;
  if (!FarbeWaehlen(GrafikFarben[static_cast<size_t>(n)], farbe, this)) return;
  GrafikFarben[static_cast<size_t>(n)] = farbe;
  FarbenAnzeigen();
  ErsteFormelNeuZeichnen();
}

void TfrEinstell::StilAenderung(QComboBox* combo) {
  if (combo) {
    const QString name = combo->objectName();
    // A dashed line is always 1 wide, and a wider line always solid.
    if (name.startsWith(QLatin1String("cbL"))) {
      if (combo->currentText() != QLatin1String("Solid")) LinienBreiteZuruecksetzen(NummerAusName(name, 3));
    } else if (name.startsWith(QLatin1String("cbS"))) {
      if (combo->currentText() != QLatin1String("1")) LinienStilZuruecksetzen(NummerAusName(name, 3));
    }
  }
  ErsteFormelNeuZeichnen();
}

void TfrEinstell::UpD_PktGClick() {
  lbPkt_G->setText(QString::number(UpD_PktG->value()));
  ErsteFormelNeuZeichnen();
}

// ---- Menu ----------------------------------------------------------------------------------

void TfrEinstell::tbFormStyleClick() { FensterObenHalten(this, tbFormStyle->isChecked()); }

QString TfrEinstell::DateiWaehlen(const QString& titel, const std::string& name) {
  const QString ordner = ProgrammOrdner();
  const QString datei = QString::fromStdString(name);
  if (dateiDialogHook()) return dateiDialogHook()(titel, ordner, datei);
  return QFileDialog::getOpenFileName(this, titel, ordner + datei, QStringLiteral("TXT-Datei (*.txt)"));
}

void TfrEinstell::tbEins_FormelClick() {
  const QString pfad = DateiWaehlen(QStringLiteral("Dateiname für Formel auswählen"), FormelDatei);
  if (pfad.isEmpty()) return;
  // Only the name counts: the list is always read from the program folder.
  FormelDatei = QFileInfo(pfad).fileName().toStdString();
  if (frFormel) frFormel->FormelnLaden(ImProgrammOrdner(FormelDateiName()));
}

void TfrEinstell::tbEins_WerteClick() {
  const QString pfad = DateiWaehlen(QStringLiteral("Dateiname für Werte auswählen"), WerteDatei);
  if (pfad.isEmpty()) return;
  WerteDatei = QFileInfo(pfad).fileName().toStdString();
  if (frKonstante) {
    frKonstante->WerteLaden(ImProgrammOrdner(WerteDateiName()));
    werteDateiGeladen_ = WerteDatei;
  }
}

void TfrEinstell::sbSpeichernClick() {
  if (frRechn && frRechn->tbEinstellung) frRechn->tbEinstellung->setChecked(false);
  EinstellungenSpeichern();
  EinstellungenLaden();
  PunktArtenAnzeigen();
  LinienArtenAnzeigen();
  StaerkenAnzeigen();
  Tag = 1;
  close();
}

void TfrEinstell::sbExitClick() {
  if (frRechn && frRechn->tbEinstellung) frRechn->tbEinstellung->setChecked(false);
  EinstellungenLaden();
  PunktArtenAnzeigen();
  LinienArtenAnzeigen();
  StaerkenAnzeigen();
  close();
}
