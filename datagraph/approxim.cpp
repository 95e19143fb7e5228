#include "datagraph/approxim.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/globals.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/approxim_datenquelle.h"
#include "platform/einstellungsdatei.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

TfrApproxim* frApproxim = nullptr;

const QStringList TfrApproxim::EingebauteAnsaetze = {
    QStringLiteral("y = a1 + a2*x"),
    QStringLiteral("y = a1 + a2*x + a3*x^2"),
    QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3"),
    QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4"),
    QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*x^4 + a6*x^5"),
    QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*Sqrt(x)"),
    QStringLiteral("y = a1 + a2*x + a3*x^2 + a4*x^3 + a5*Sqrt(x) + a6*e^(-x)"),
};

TfrApproxim::TfrApproxim(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  connect(RadioGroup1, &RadioGroup::itemClicked, this, &TfrApproxim::RadioGroup1Click);
  connect(sbAppromAuswahl, &QPushButton::clicked, this, &TfrApproxim::sbAppromAuswahlClick);
  connect(sbLoschen, &QPushButton::clicked, this, &TfrApproxim::sbLoschenClick);
  connect(OKButton, &QPushButton::clicked, this, &TfrApproxim::OKButtonClick);
  OKButton->installEventFilter(this);
}

TfrApproxim::~TfrApproxim() {
  if (frApproxim == this) frApproxim = nullptr;
}

void TfrApproxim::FormCreate() {
  lbh->hide();
  AnsaetzeLaden();
}

void TfrApproxim::FormActivate() {
  OKButton->setFocus();
  AnsaetzeFormatieren();
}

// ---- Model file -----------------------------------------------------------------------------

void TfrApproxim::AnsaetzeLaden() {
  const QString pfad = ImProgrammOrdner(QString::fromLatin1(AnsatzDateiName));
  if (DateiExistiert(pfad)) {
    QStringList zeilen;
    QString fehler;
    if (!readTextLines(pfad, zeilen, &fehler)) {
      showMessage(QStringLiteral("Datei ") + pfad +
                      QStringLiteral(" konnte nicht gelesen werden.\r") + fehler,
                  MessageKind::Warning);
    } else {
      for (int i = EingebauteAnzahl; i < zeilen.size(); ++i) {
        const QString ansatz = zeilen[i].left(255);
        // A blank line would become a model without terms that fits nothing.
        if (ansatz.trimmed().isEmpty()) continue;
        RadioGroup1->addItem(ansatz);
      }
    }
  }
  lbh->clear();
  lbh->addItems(RadioGroup1->items());
}

void TfrApproxim::AnsaetzeSpeichern() {
  EintraegeSchreibenMitWarnung(ImProgrammOrdner(QString::fromLatin1(AnsatzDateiName)),
                               RadioGroup1->items());
}

void TfrApproxim::AnsaetzeFormatieren() {
  const int gewaehlt = RadioGroup1->itemIndex();
  for (int i = 0; i < RadioGroup1->count(); ++i) {
    QString farbe = QStringLiteral("palette(window-text)");
    if (i == 1) farbe = QStringLiteral("blue");
    if (i == 5) farbe = QStringLiteral("red");
    QString hintergrund = i < EingebauteAnzahl ? QStringLiteral("palette(button)")
                                               : QStringLiteral("rgb(180, 180, 180)");  // active border
    int groesse = 10;
    if (i == gewaehlt) {
      groesse = 12;
      hintergrund = QStringLiteral("rgb(128, 255, 128)");
    }
    RadioGroup1->button(i)->setStyleSheet(
        QStringLiteral("QRadioButton { font-weight: bold; font-size: %1pt; color: %2; "
                       "background-color: %3; padding: 1px 4px; }")
            .arg(groesse)
            .arg(farbe, hintergrund));
  }
  if (gewaehlt == 1)
    RadioGroup1->setToolTip(QStringLiteral("40°C"));
  else if (gewaehlt == 5)
    RadioGroup1->setToolTip(QStringLiteral("80°C"));
  else
    RadioGroup1->setToolTip(QString());
  sbLoschen->setEnabled(gewaehlt >= EingebauteAnzahl);
}

// ---- Choice ---------------------------------------------------------------------------------

void TfrApproxim::AuswahlSetzen(int index) {
  RadioGroup1->setItemIndex(std::clamp(index, 0, std::max(RadioGroup1->count() - 1, 0)));
  TitelSetzen();
  AnsaetzeFormatieren();
}

QString TfrApproxim::ModellText() const {
  if (frApproxim_Auswahl && !frApproxim_Auswahl->plOben->text().isEmpty())
    return frApproxim_Auswahl->plOben->text();
  const int i = RadioGroup1->itemIndex();
  return i >= 0 && i < lbh->count() ? lbh->item(i)->text() : QString();
}

void TfrApproxim::TitelSetzen() {
  const int i = RadioGroup1->itemIndex();
  if (i >= 0 && i < lbh->count())
    setWindowTitle(QStringLiteral(" Approximation ") + lbh->item(i)->text());
}

void TfrApproxim::RadioGroup1Click(int) {
  TitelSetzen();
  AnsaetzeFormatieren();
  if (Datenquelle) Datenquelle->ApproximationZeichnen();
}

void TfrApproxim::sbAppromAuswahlClick() {
  TfrApproxim_Auswahl* baukasten = frApproxim_Auswahl;
  if (!baukasten) return;
  baukasten->cbApproximZeigen->setChecked(false);
  baukasten->cbApproximZeigenClick();  // hides this window while the builder is open
  baukasten->AnsatzEinlesen();
  baukasten->ShowModal();
  if (isModalRunning() && isVisible() && windowModality() != Qt::ApplicationModal) {
    // Modal again, now that the builder is gone (a modal run survives the window being
    // hidden and shown again).
    hide();
    setWindowModality(Qt::ApplicationModal);
    show();
  }
  TitelSetzen();
}

void TfrApproxim::sbLoschenClick() {
  const int i = RadioGroup1->itemIndex();
  if (i < EingebauteAnzahl || i >= RadioGroup1->count()) return;
  const QString frage = QStringLiteral("Funktion \r") + RadioGroup1->item(i) + QStringLiteral("\r") +
                        QStringLiteral("löschen?");
  if (showMessage(frage, MessageKind::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) return;
  RadioGroup1->removeItem(i);
  delete lbh->takeItem(i);
  TitelSetzen();
  AnsaetzeFormatieren();
  AnsaetzeSpeichern();
  if (Datenquelle) Datenquelle->ApproximationZeichnen();
}

void TfrApproxim::OKButtonClick() {
  kolvex::AnsatzIndex = RadioGroup1->itemIndex();
  HauptEinstellungenSpeichern();
  ModalResult = mrOk;
  close();
}

bool TfrApproxim::eventFilter(QObject* watched, QEvent* event) {
  if (watched == OKButton && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    Tag = 99;
    close();
    return true;
  }
  return Form::eventFilter(watched, event);
}

void TfrApproxim::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  Buttonsplatzieren();
}

void TfrApproxim::Buttonsplatzieren() {
  const int summe = sbAppromAuswahl->width() + sbLoschen->width() + OKButton->width();
  const int links = (width() - (summe + 40)) / 2;
  const int oben = (plMenu->height() - OKButton->height()) / 2;
  sbAppromAuswahl->move(links, oben);
  sbLoschen->move(sbAppromAuswahl->x() + sbAppromAuswahl->width() + 20, oben);
  OKButton->move(sbLoschen->x() + sbLoschen->width() + 20, oben);
}

void TfrApproxim::BaukastenVerstecken(bool verstecken) {
  if (verstecken) {
    hide();
  } else {
    // Beside the running builder this window comes back as an ordinary one: shown as a
    // modal window of its own it would block the builder. When the builder closes, it comes
    // back once, as the modal window it still is: shown, withdrawn and shown again for its
    // modality, it would flicker and give a window manager a chance to lose it.
    if (isModalRunning() && frApproxim_Auswahl && frApproxim_Auswahl->isModalRunning() &&
        !frApproxim_Auswahl->Schliesst())
      setWindowModality(Qt::NonModal);
    show();
  }
}

// ---- Fitting --------------------------------------------------------------------------------

QString TfrApproxim::KurvenName(int kurve) const {
  return Datenquelle ? Datenquelle->KurvenBeschriftung(kurve) : QString();
}

std::size_t TfrApproxim::PunkteLesen(int kurve) {
  std::vector<double> x, y;
  if (Datenquelle) Datenquelle->KurvenWerte(kurve, x, y);
  const std::size_t n = std::min(x.size(), y.size());
  kolvex::XWerte.assign(std::max<std::size_t>(n + 1, 11), 0.0L);
  kolvex::YWerte.assign(std::max<std::size_t>(n + 1, 11), 0.0L);
  for (std::size_t i = 0; i < n; ++i) {
    kolvex::XWerte[i + 1] = x[i];
    kolvex::YWerte[i + 1] = y[i];
  }
  return n;
}

void TfrApproxim::GlobaleSetzen(const kolvex::FitErgebnis& e) {
  kolvex::Koeff.assign(11, 0.0);
  for (std::size_t j = 0; j < e.koeff.size() && j + 1 < kolvex::Koeff.size(); ++j)
    kolvex::Koeff[j + 1] = e.koeff[j];
  if (!e.ok) return;
  for (int i = 0; i < kolvex::KurvenPunkteAnzahl; ++i) {
    if (!e.gueltig[static_cast<size_t>(i)]) continue;
    kolvex::KurveX[static_cast<size_t>(i)] = e.kurveX[static_cast<size_t>(i)];
    kolvex::KurveY[static_cast<size_t>(i)] = e.kurveY[static_cast<size_t>(i)];
  }
}

QString TfrApproxim::FitFehlerGrund(const kolvex::FitErgebnis& e) {
  switch (e.fehler) {
    case kolvex::FitFehler::NichtLoesbar:
      return QStringLiteral("Die Normalgleichungen lassen sich nicht lösen (Zahlenüberlauf).");
    case kolvex::FitFehler::Zahlenbereich:
      return QStringLiteral("Die Normalgleichungen lassen sich im Zahlenbereich nicht genau lösen.");
    case kolvex::FitFehler::NichtEndlich:
      return QStringLiteral("Der Koeffizient a%1 ist zu groß.").arg(e.fehlerKoeff);
    case kolvex::FitFehler::ZuKlein:
      return QStringLiteral("Der Koeffizient a%1 ist zu klein.").arg(e.fehlerKoeff);
    default:
      return QString();
  }
}

QString TfrApproxim::FitFehlerText(const std::vector<FitFehlschlag>& fehlschlaege) {
  if (fehlschlaege.empty()) return QString();
  if (fehlschlaege.size() == 1)
    return QStringLiteral("Das Modell konnte für die Kurve „") + fehlschlaege[0].kurve +
           QStringLiteral("“ nicht berechnet werden.\r") + fehlschlaege[0].grund;
  QString text = QStringLiteral("Das Modell konnte für diese Kurven nicht berechnet werden:");
  for (const FitFehlschlag& f : fehlschlaege)
    text += QStringLiteral("\r„") + f.kurve + QStringLiteral("“: ") + f.grund;
  return text;
}

kolvex::FitErgebnis TfrApproxim::ApproximationBerechnen(int kurve, QString* fehler) {
  const std::string modell = toCore(ModellText());
  const std::size_t n = PunkteLesen(kurve);
  std::vector<double> getippt;
  const bool mitGetippten = frApproxim_Auswahl && frApproxim_Auswahl->Tag == 1;
  if (mitGetippten) {
    QString warum;
    if (!frApproxim_Auswahl->GetippteKoeffizienten(getippt, &warum)) {
      kolvex::FitErgebnis e;
      if (fehler) *fehler = warum;
      return e;
    }
  }
  kolvex::FitErgebnis e =
      kolvex::KurveBerechnen(modell, kolvex::XWerte.data() + 1, kolvex::YWerte.data() + 1, n,
                             mitGetippten ? &getippt : nullptr, kolvex::TermFehlerGemeldet);
  if (!mitGetippten && e.fehler != kolvex::FitFehler::KeineTerme) ++FitZaehler;
  GlobaleSetzen(e);
  if (fehler) {
    const QString grund = e.ok ? QString() : FitFehlerGrund(e);
    *fehler = grund.isEmpty() ? QString() : FitFehlerText({{KurvenName(kurve), grund}});
  }
  return e;
}

void TfrApproxim::KoeffizientenAnzeigen(const QString& modellText, int k) {
  TfrApproxim_Auswahl* baukasten = frApproxim_Auswahl;
  const std::size_t n = PunkteLesen(1);
  const kolvex::Modell modell = kolvex::ModellLesen(toCore(modellText));
  kolvex::TermMeldung meldung(kolvex::TermFehlerGemeldet);
  if (modell.zuVieleTerme) meldung.Melden(kolvex::MeldungZuVieleTerme);
  kolvex::FitErgebnis e;
  e.fehler = kolvex::KoeffizientenBerechnen(modell, kolvex::XWerte.data() + 1,
                                            kolvex::YWerte.data() + 1, n, e.koeff, meldung,
                                            &e.fehlerKoeff);
  if (e.fehler != kolvex::FitFehler::KeineTerme) ++FitZaehler;
  if (!meldung.Text().empty()) showMessage(fromCore(meldung.Text()), MessageKind::Warning);
  if (const QString grund = FitFehlerGrund(e); !grund.isEmpty()) {
    showMessage(FitFehlerText({{KurvenName(1), grund}}), MessageKind::Warning);
    return;
  }
  kolvex::Koeff.assign(11, 0.0);
  for (std::size_t j = 0; j < e.koeff.size() && j + 1 < kolvex::Koeff.size(); ++j)
    kolvex::Koeff[j + 1] = e.koeff[j];
  if (!baukasten) return;

  const bool abrunden = baukasten->cbAbrunden->isChecked();
  const int zeilen = std::min(k, 12);
  for (int i = 1; i <= zeilen; ++i) {
    const double wert = i < static_cast<int>(kolvex::Koeff.size()) ? kolvex::Koeff[static_cast<size_t>(i)] : 0.0;
    baukasten->sg->setCells(0, i, QStringLiteral("a%1").arg(i));
    baukasten->sg->setCells(1, i, fromCore(kolvex::KoeffizientText(wert, abrunden)));
  }
  baukasten->sg->setRowCount(std::min(std::max(k, 1), 12) + 1);
}
