#include "finance/spar_rechner.h"

#include <QApplication>
#include <cmath>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "finance/finanz_einstellungen.h"
#include "finance/finanz_fenster.h"
#include "platform/geld_text.h"
#include "platform/line_edit.h"
#include "platform/radio_group.h"
#include "platform/esc_watcher.h"
#include "platform/key_filter.h"

TfrSparRechner* frSparRechner = nullptr;

namespace {
using finanz::kRot;
using finanz::kSchwarz;
using finanz::Q;
using finanz::S;
}  // namespace

TfrSparRechner::TfrSparRechner(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  connect(sbBerechnen, &QPushButton::clicked, this, &TfrSparRechner::sbBerechnenClick);
  connect(sbExit, &QPushButton::clicked, this, &TfrSparRechner::sbExitClick);
  connect(rg1, &RadioGroup::itemClicked, this, &TfrSparRechner::rg1Click);
  connect(chbDynamik, &QCheckBox::toggled, this, &TfrSparRechner::chbDynamikClick);
  connect(cbZinseszins, &QComboBox::activated, this, &TfrSparRechner::cbZinseszinsChange);
  connect(edAnsparzeit, &QLineEdit::returnPressed, this, &TfrSparRechner::sbBerechnenClick);
  connect(edFestlegungsfrist, &QLineEdit::returnPressed, this, &TfrSparRechner::sbBerechnenClick);
  // What the user types is the working value at once: choosing another sought quantity
  // rewrites the fields from the working values and would otherwise put the old value back
  // over a freshly typed one. Fields the program empties or fills keep their working value.
  connect(edAnfangskapital, &QLineEdit::textEdited, this,
          [this](const QString& t) { Anfangskapital = GeldTextZuZahl(t); });
  connect(edSparrate, &QLineEdit::textEdited, this,
          [this](const QString& t) { Sparrate = GeldTextZuZahl(t); });
  connect(edDynamik, &QLineEdit::textEdited, this,
          [this](const QString& t) { Dynamik = GeldTextZuZahl(t); });
  connect(edZinssatz, &QLineEdit::textEdited, this,
          [this](const QString& t) { Zinssatz = GeldTextZuZahl(t); });
  connect(edAnsparzeit, &QLineEdit::textEdited, this, [this](const QString& t) {
    Ansparzeit = static_cast<int>(std::nearbyint(GeldTextZuZahl(t)));
  });
  // The target takes the decimal comma also from the "." key.
  installKeyFilter(edEndkapital, [](const std::string&, char key, int) {
    return key == '.' ? ',' : key;
  });
}

TfrSparRechner::~TfrSparRechner() {
  if (frSparRechner == this) frSparRechner = nullptr;
}

void TfrSparRechner::FormCreate() {
  Vorgaben();
  FormResize();
}

void TfrSparRechner::Vorgaben() {
  setTextFromStart(edAnfangskapital, QStringLiteral("10.000,00"));
  setTextFromStart(edSparrate, QStringLiteral("150,00"));
  cbSparintervall->setCurrentIndex(0);
  cbEinzahlungsart->setCurrentIndex(0);
  chbDynamik->setChecked(false);
  setTextFromStart(edDynamik, QStringLiteral("1,00"));
  cbDynamik->setCurrentIndex(0);
  setTextFromStart(edZinssatz, QStringLiteral("3,00"));
  cbZinsperiode->setCurrentIndex(3);
  cbZinseszins->setCurrentIndex(0);
  setTextFromStart(edAnsparzeit, QStringLiteral("7"));
  cbAnsparzeit->setCurrentIndex(0);
  setTextFromStart(edFestlegungsfrist, QStringLiteral("0"));
  cbFestlegungsfrist->setCurrentIndex(0);
  rg1->setItemIndex(finanz::Endkapital);
  edEndkapital->clear();
  edZinseG->clear();
  plDynamik->setVisible(false);
}

void TfrSparRechner::FormActivate() {
  plESC->hide();
  SparEinstellungenLaden();
  plDynamik->setVisible(chbDynamik->isChecked());
  cbZinseszinsChange();
  finanz::ZeileSetzen(lbAlleSparraten, QStringLiteral("Alle Sparraten:"));
  EingabenLesen();
  edZinseG->clear();
  finanz::ZeileSetzen(lbGesamt, QString());
  lbZinse->clear();
  rg1->setItemColor(rg1->itemIndex(), kRot);
}

void TfrSparRechner::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  FormResize();
}

void TfrSparRechner::FormResize() {
  finanz::KnoepfeMittig(this, plFormel_Unten, sbBerechnen, sbExit);
}

double TfrSparRechner::TextZuZahl(const QString& text) {
  return static_cast<double>(finanz::FeldTextZuZahl(S(text)));
}

int TfrSparRechner::TextZuGanzzahl(const QString& text) {
  return finanz::FeldTextZuGanzzahl(S(text));
}

void TfrSparRechner::EingabenLesen() {
  Anfangskapital = GeldTextZuZahl(edAnfangskapital->text());
  Sparrate = GeldTextZuZahl(edSparrate->text());
  Dynamik = GeldTextZuZahl(edDynamik->text());
  Zinssatz = GeldTextZuZahl(edZinssatz->text());
  Ansparzeit = static_cast<int>(std::nearbyint(GeldTextZuZahl(edAnsparzeit->text())));
}

finanz::SparEingaben TfrSparRechner::Eingaben() const {
  finanz::SparEingaben e;
  e.anfangskapital = S(edAnfangskapital->text());
  e.sparrate = S(edSparrate->text());
  e.dynamik = S(edDynamik->text());
  e.zinssatz = S(edZinssatz->text());
  e.ansparzeit = S(edAnsparzeit->text());
  e.festlegungsfrist = S(edFestlegungsfrist->text());
  e.endkapital = S(edEndkapital->text());
  e.sparintervall = S(cbSparintervall->currentText());
  e.einzahlungsart = S(cbEinzahlungsart->currentText());
  e.dynamikAn = chbDynamik->isChecked();
  e.dynamikIndex = cbDynamik->currentIndex();
  e.zinsperiode = S(cbZinsperiode->currentText());
  e.zinseszinsIndex = cbZinseszins->currentIndex();
  e.ansparzeitEinheit = S(cbAnsparzeit->currentText());
  e.festlegungsfristEinheit = S(cbFestlegungsfrist->currentText());
  return e;
}

QLineEdit* TfrSparRechner::FeldVon(int k) const {
  switch (k) {
    case 0: return edAnfangskapital;
    case 1: return edSparrate;
    case 2: return edDynamik;
    case 3: return edZinssatz;
    case 4: return edAnsparzeit;
    case 5: return edEndkapital;
    default: return nullptr;
  }
}

void TfrSparRechner::Berechnen(int k) {
  if (k < 0 || k > 5) return;
  EscWatcher::Operation esc;  // an earlier ESC does not count
  const finanz::SparErgebnis r =
      finanz::SparBerechnen(Eingaben(), k, [] { return EscWatcher::pressed(); });
  if (r.gesuchtesFeld) setResultFromStart(FeldVon(k), Q(*r.gesuchtesFeld));
  setResultFromStart(edEndkapital, Q(r.endkapital));
  setResultFromStart(edZinseG, Q(r.zinsen));
  finanz::ZeileSetzen(lbGesamt, Q(r.gesamt));
  finanz::ZeileSetzen(lbAlleSparraten, Q(r.alleSparraten));
  // A longer result grew the window inside the free area; a shorter one gives the width back.
  BreiteZurueckgeben();
}

void TfrSparRechner::sbBerechnenClick() {
  plESC->show();
  cbZinseszinsChange();
  repaint();
  Berechnen(rg1->itemIndex());
  EingabenLesen();
  plESC->hide();
}

void TfrSparRechner::sbExitClick() {
  SparEinstellungenSpeichern();
  close();
}

void TfrSparRechner::rg1Click() {
  edZinseG->clear();
  finanz::ZeileSetzen(lbGesamt, QString());
  lbZinse->clear();
  setTextFromStart(edAnfangskapital, Q(finanz::Geld(Anfangskapital)));
  setTextFromStart(edSparrate, Q(finanz::Geld(Sparrate)));
  setTextFromStart(edDynamik, Q(finanz::Geld(Dynamik)));
  setTextFromStart(edZinssatz, Q(finanz::Geld(Zinssatz)));
  setTextFromStart(edAnsparzeit, Q(finanz::GanzGeld(Ansparzeit)));
  for (int i = 0; i <= 5; ++i) {
    finanz::FeldNormal(FeldVon(i));
    rg1->setItemColor(i, kSchwarz);
  }
  const int k = rg1->itemIndex();
  rg1->setItemColor(k, kRot);
  if (QLineEdit* feld = FeldVon(k)) {
    finanz::FeldGesucht(feld);
    feld->clear();
  }
  if (k == finanz::Dynamik) chbDynamik->setChecked(true);
}

void TfrSparRechner::chbDynamikClick() { plDynamik->setVisible(chbDynamik->isChecked()); }

void TfrSparRechner::cbZinseszinsChange() {
  edZinseG->clear();
  if (cbZinseszins->currentIndex() == 1) {
    lbZinse->setText(QStringLiteral("Ausbezahlt:"));
    lbZinse->setToolTip(QStringLiteral(
        "Ausbezahlt ist das ausbezahlte Zinsertrag zum Ende der Laufzeit des Sparvorhabens und "
        "Festlegungsfrist."));
    finanz::ZeileSetzen(lbGesamt, QStringLiteral("Gesamt:"));
  } else {
    lbZinse->setText(QStringLiteral("Zinse:"));
    lbZinse->setToolTip(QStringLiteral(
        "Die Zinse ist das Zinsertrag zum Ende der Laufzeit des Sparvorhabens und "
        "Festlegungsfrist."));
    finanz::ZeileSetzen(lbGesamt, QString());
  }
}
